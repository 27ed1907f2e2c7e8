#include "msg/support/loopback.hpp"

#include <unistd.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace msg_test {

namespace {

constexpr const char* kLoopbackConfig =
    "<CycloneDDS><Domain Id=\"any\"><General><Interfaces>"
    "<NetworkInterface name=\"lo\"/>"
    "</Interfaces></General></Domain></CycloneDDS>";

}  // namespace

std::string UniqueTopicName(const std::string& stem) {
  static std::atomic<int> counter{0};
  return stem + "_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
}

dds_qos_t* WriterQos(dds_data_representation_id_t representation) {
  dds_qos_t* qos = dds_create_qos();
  dds_qset_reliability(qos, DDS_RELIABILITY_RELIABLE, DDS_SECS(1));
  dds_qset_history(qos, DDS_HISTORY_KEEP_ALL, 0);
  dds_qset_data_representation(qos, 1, &representation);
  return qos;
}

dds_qos_t* ReaderQos() {
  const dds_data_representation_id_t both[] = {DDS_DATA_REPRESENTATION_XCDR1,
                                               DDS_DATA_REPRESENTATION_XCDR2};
  dds_qos_t* qos = dds_create_qos();
  dds_qset_reliability(qos, DDS_RELIABILITY_RELIABLE, DDS_SECS(1));
  dds_qset_history(qos, DDS_HISTORY_KEEP_ALL, 0);
  dds_qset_data_representation(qos, 2, both);
  return qos;
}

dds_entity_t Check(dds_return_t result, const char* what) {
  if (result < 0) {
    throw std::runtime_error(std::string(what) + " failed: " + dds_strretcode(result));
  }
  return result;
}

bool WaitForStatus(dds_entity_t entity, uint32_t mask) {
  const dds_entity_t waitset = Check(dds_create_waitset(dds_get_participant(entity)), "dds_create_waitset");
  Check(dds_set_status_mask(entity, mask), "dds_set_status_mask");
  Check(dds_waitset_attach(waitset, entity, entity), "dds_waitset_attach");
  const dds_return_t triggered = dds_waitset_wait(waitset, nullptr, 0, kWaitTimeout);
  dds_delete(waitset);
  return triggered > 0;
}

LoopbackParticipant::LoopbackParticipant()
    : domain_(Check(dds_create_domain(kDomainId, kLoopbackConfig), "dds_create_domain")),
      participant_(dds_create_participant(kDomainId, nullptr, nullptr)) {
  if (participant_ < 0) {
    dds_delete(domain_);
    Check(participant_, "dds_create_participant");
  }
}

LoopbackParticipant::~LoopbackParticipant() { dds_delete(domain_); }

CdrProbe::CdrProbe(const dds_topic_descriptor_t* descriptor)
    : topic_(Check(dds_create_topic(participant_.handle(), descriptor,
                                    UniqueTopicName("msg_cdr_probe").c_str(), nullptr, nullptr),
                   "dds_create_topic")) {
  dds_qos_t* reader_qos = ReaderQos();
  dds_qos_t* plain_qos = WriterQos(DDS_DATA_REPRESENTATION_XCDR1);
  dds_qos_t* xcdr2_qos = WriterQos(DDS_DATA_REPRESENTATION_XCDR2);
  reader_ = dds_create_reader(participant_.handle(), topic_, reader_qos, nullptr);
  plain_writer_ = dds_create_writer(participant_.handle(), topic_, plain_qos, nullptr);
  xcdr2_writer_ = dds_create_writer(participant_.handle(), topic_, xcdr2_qos, nullptr);
  dds_delete_qos(reader_qos);
  dds_delete_qos(plain_qos);
  dds_delete_qos(xcdr2_qos);
  Check(reader_, "dds_create_reader");
  Check(plain_writer_, "dds_create_writer (XCDR1)");
  Check(xcdr2_writer_, "dds_create_writer (XCDR2)");

  std::vector<uint64_t> zero_sample(descriptor->m_size / sizeof(uint64_t) + 1, 0);
  type_holder_ = WriteAndTakeSerdata(zero_sample.data(), DDS_DATA_REPRESENTATION_XCDR1);
}

CdrProbe::~CdrProbe() {
  if (type_holder_ != nullptr) {
    ddsi_serdata_unref(type_holder_);
  }
}

ddsi_serdata* CdrProbe::WriteAndTakeSerdata(const void* sample,
                                            dds_data_representation_id_t representation) {
  const dds_entity_t writer =
      representation == DDS_DATA_REPRESENTATION_XCDR2 ? xcdr2_writer_ : plain_writer_;
  Check(dds_write(writer, sample), "dds_write");
  if (!WaitForStatus(reader_, DDS_DATA_AVAILABLE_STATUS)) {
    throw std::runtime_error("no sample arrived at the probe's reader");
  }
  ddsi_serdata* serdata = nullptr;
  dds_sample_info_t info;
  if (Check(dds_takecdr(reader_, &serdata, 1, &info, DDS_ANY_STATE), "dds_takecdr") != 1 ||
      !info.valid_data) {
    if (serdata != nullptr) {
      ddsi_serdata_unref(serdata);
    }
    throw std::runtime_error("dds_takecdr gave no valid sample");
  }
  return serdata;
}

std::vector<uint8_t> CdrProbe::Serialise(const void* sample,
                                         dds_data_representation_id_t representation) {
  ddsi_serdata* serdata = WriteAndTakeSerdata(sample, representation);
  std::vector<uint8_t> bytes(ddsi_serdata_size(serdata));
  ddsi_serdata_to_ser(serdata, 0, bytes.size(), bytes.data());
  ddsi_serdata_unref(serdata);
  return bytes;
}

bool CdrProbe::Deserialise(const std::vector<uint8_t>& bytes, void* sample) const {
  ddsrt_iovec_t iov;
  iov.iov_base = const_cast<uint8_t*>(bytes.data());
  iov.iov_len = static_cast<decltype(iov.iov_len)>(bytes.size());
  ddsi_serdata* serdata =
      ddsi_serdata_from_ser_iov(type_holder_->type, SDK_DATA, 1, &iov, bytes.size());
  if (serdata == nullptr) {
    return false;
  }
  const bool decoded = ddsi_serdata_to_sample(serdata, sample, nullptr, nullptr);
  ddsi_serdata_unref(serdata);
  return decoded;
}

}  // namespace msg_test
