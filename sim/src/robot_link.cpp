#include "quorvel/sim/robot_link.hpp"

#include "quorvel/common/exception.hpp"

namespace quorvel::sim {
namespace {

using quorvel::common::DdsException;
using quorvel_kesh::msg::dds_::LowCmd_;
using quorvel_kesh::msg::dds_::LowState_;

dds_entity_t Check(dds_entity_t result, const char* call) {
  if (result < 0) {
    QV_THROW(DdsException, std::string(call) + " error. code:" + std::to_string(result) + ", " +
                               dds_strretcode(result));
  }
  return result;
}

std::string DomainConfig(const std::string& network_interface) {
  return "<CycloneDDS><Domain Id=\"any\"><General><Interfaces><NetworkInterface name=\"" +
         network_interface + "\"/></Interfaces></General></Domain></CycloneDDS>";
}

}  // namespace

RobotLink::RobotLink(const std::string& network_interface, dds_domainid_t domain_id) {
  const dds_entity_t domain = dds_create_domain(domain_id, DomainConfig(network_interface).c_str());
  // The domain exists already when another part of this process made it: join it.
  if (domain != DDS_RETCODE_PRECONDITION_NOT_MET) {
    domain_ = Check(domain, ("dds_create_domain on interface \"" + network_interface + "\"").c_str());
  }
  try {
    participant_ = Check(dds_create_participant(domain_id, nullptr, nullptr),
                         "dds_create_participant");
    const dds_entity_t command_topic = Check(
        dds_create_topic(participant_, dds::topic::TopicTraits<LowCmd_>::Descriptor(),
                         "rt/lowcmd", nullptr, nullptr),
        "dds_create_topic");
    const dds_entity_t state_topic = Check(
        dds_create_topic(participant_, dds::topic::TopicTraits<LowState_>::Descriptor(),
                         "rt/lowstate", nullptr, nullptr),
        "dds_create_topic");

    dds_qos_t* reader_qos = dds_create_qos();
    dds_qset_reliability(reader_qos, DDS_RELIABILITY_BEST_EFFORT, 0);
    dds_qset_history(reader_qos, DDS_HISTORY_KEEP_LAST, static_cast<int32_t>(kCommandHistory));
    command_reader_ = dds_create_reader(participant_, command_topic, reader_qos, nullptr);
    dds_delete_qos(reader_qos);
    Check(command_reader_, "dds_create_reader");
    state_writer_ = Check(dds_create_writer(participant_, state_topic, nullptr, nullptr),
                          "dds_create_writer");
  } catch (...) {
    if (participant_ > 0) dds_delete(participant_);
    if (domain_ > 0) dds_delete(domain_);
    throw;
  }
  for (size_t i = 0; i < kCommandHistory; ++i) {
    command_buffers_[i] = &commands_[i];
  }
}

RobotLink::~RobotLink() {
  dds_delete(participant_);
  if (domain_ > 0) {
    dds_delete(domain_);
  }
}

size_t RobotLink::TakeCommands(const std::function<void(const LowCmd_&)>& on_command) {
  size_t total = 0;
  for (;;) {
    // Samples are copied into our own buffers, whose padding stays zero, so that a
    // command's memory image, and with it its CRC, is the sender's.
    const dds_return_t taken = dds_take(command_reader_, command_buffers_.data(),
                                        command_infos_.data(), kCommandHistory, kCommandHistory);
    Check(taken, "dds_take");
    for (dds_return_t i = 0; i < taken; ++i) {
      if (command_infos_[i].valid_data) {
        on_command(commands_[i]);
        ++total;
      }
    }
    if (static_cast<size_t>(taken) < kCommandHistory) {
      return total;
    }
  }
}

void RobotLink::Publish(const LowState_& state) {
  Check(dds_write(state_writer_, &state), "dds_write");
}

}  // namespace quorvel::sim
