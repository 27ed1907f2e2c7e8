// DDS helpers of the message tests: a domain on the loopback interface with one participant,
// topic names no other test or process uses, and a probe that shows the bytes the generated
// type support writes and decodes bytes built by a test.
#pragma once

#include <dds/dds.h>
#include <dds/ddsi/ddsi_serdata.h>

#include <cstdint>
#include <string>
#include <vector>

namespace msg_test {

// A domain id of our own, so that other DDS users on the machine never meet our topics.
constexpr dds_domainid_t kDomainId = 42;
constexpr dds_duration_t kWaitTimeout = DDS_SECS(10);

// "<stem>_<pid>_<n>", unique within the machine for the life of the process.
std::string UniqueTopicName(const std::string& stem);

// Reliable QoS with one data representation; the caller deletes it with dds_delete_qos.
dds_qos_t* WriterQos(dds_data_representation_id_t representation);
// Reliable QoS of a reader that accepts plain CDR and XCDR2.
dds_qos_t* ReaderQos();

// Waits until a status of mask is raised on entity; false on timeout.
bool WaitForStatus(dds_entity_t entity, uint32_t mask);

// Throws std::runtime_error naming what when result is a DDS error code.
dds_entity_t Check(dds_return_t result, const char* what);

// Domain kDomainId on "lo" with one participant; both are deleted with this object.
class LoopbackParticipant {
 public:
  LoopbackParticipant();
  ~LoopbackParticipant();
  LoopbackParticipant(const LoopbackParticipant&) = delete;
  LoopbackParticipant& operator=(const LoopbackParticipant&) = delete;

  dds_entity_t handle() const { return participant_; }

 private:
  dds_entity_t domain_;
  dds_entity_t participant_;
};

// One topic of the given type with a writer per data representation and a reader in the same
// participant that takes samples in their serialised form.
class CdrProbe {
 public:
  explicit CdrProbe(const dds_topic_descriptor_t* descriptor);
  ~CdrProbe();
  CdrProbe(const CdrProbe&) = delete;
  CdrProbe& operator=(const CdrProbe&) = delete;

  // The serialised sample, encapsulation header included, as the library writes it.
  std::vector<uint8_t> Serialise(const void* sample, dds_data_representation_id_t representation);
  // Decodes bytes (header included) into sample; false when the library makes no sample of them.
  bool Deserialise(const std::vector<uint8_t>& bytes, void* sample) const;

  dds_entity_t participant() const { return participant_.handle(); }
  dds_entity_t topic() const { return topic_; }

 private:
  ddsi_serdata* WriteAndTakeSerdata(const void* sample, dds_data_representation_id_t representation);

  LoopbackParticipant participant_;
  dds_entity_t topic_;
  dds_entity_t reader_;
  dds_entity_t plain_writer_;
  dds_entity_t xcdr2_writer_;
  // A taken sample, kept for its type: the library's decoder for bytes built by a test.
  ddsi_serdata* type_holder_ = nullptr;
};

}  // namespace msg_test
