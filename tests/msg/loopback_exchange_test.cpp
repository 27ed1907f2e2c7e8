// LowCmd_ and LowState_ sent by a writer in another process and received here over the
// loopback interface, in plain CDR and in XCDR2: every member arrives intact. A second process
// makes the sample cross the network stack instead of the library's in-process delivery.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <ostream>
#include <string>

#include "msg/support/loopback.hpp"
#include "msg/support/wire_fields.hpp"
#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"
#include "quorvel_kesh/msg/dds_/LowState_.hpp"

namespace {

using quorvel_kesh::msg::dds_::LowCmd_;
using quorvel_kesh::msg::dds_::LowState_;
using msg_test::Check;
using msg_test::LoopbackParticipant;

template <typename T>
const msg_test::WireLayout& WireOf();
template <>
const msg_test::WireLayout& WireOf<LowCmd_>() { return msg_test::LowCmdWire(); }
template <>
const msg_test::WireLayout& WireOf<LowState_>() { return msg_test::LowStateWire(); }

// Runs in the child: publishes one sample once the reader is matched, waits until the reader
// has acknowledged it, and ends the process with 0 on success.
template <typename T>
[[noreturn]] void PublishOnceAndExit(const std::string& topic_name, const T& sample,
                                     dds_data_representation_id_t representation) {
  int status = 1;
  try {
    LoopbackParticipant participant;
    const dds_entity_t topic =
        Check(dds_create_topic(participant.handle(), dds::topic::TopicTraits<T>::Descriptor(),
                               topic_name.c_str(), nullptr, nullptr),
              "dds_create_topic");
    dds_qos_t* qos = msg_test::WriterQos(representation);
    const dds_entity_t writer = dds_create_writer(participant.handle(), topic, qos, nullptr);
    dds_delete_qos(qos);
    if (writer >= 0 && msg_test::WaitForStatus(writer, DDS_PUBLICATION_MATCHED_STATUS) &&
        dds_write(writer, &sample) == DDS_RETCODE_OK &&
        dds_wait_for_acks(writer, msg_test::kWaitTimeout) == DDS_RETCODE_OK) {
      status = 0;
    }
  } catch (...) {
  }
  _exit(status);  // no test-framework or sanitizer exit handlers in the child
}

// Reaps the child even when the test fails half-way.
class ChildProcess {
 public:
  explicit ChildProcess(pid_t pid) : pid_(pid) {}
  ~ChildProcess() { Wait(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The child's exit status, or -1 when it did not exit normally.
  int Wait() {
    if (pid_ > 0) {
      int status = 0;
      waitpid(pid_, &status, 0);
      pid_ = -1;
      exit_status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return exit_status_;
  }

 private:
  pid_t pid_;
  int exit_status_ = -1;
};

// Byte 1 of the encapsulation header of the sample waiting in reader (left unread).
int ArrivedRepresentationByte(dds_entity_t reader) {
  ddsi_serdata* serdata = nullptr;
  dds_sample_info_t info;
  if (dds_readcdr(reader, &serdata, 1, &info, DDS_ANY_STATE) != 1) {
    return -1;
  }
  uint8_t header[4] = {};
  ddsi_serdata_to_ser(serdata, 0, sizeof(header), header);
  ddsi_serdata_unref(serdata);
  return header[1];
}

template <typename T>
void ExpectExchangedIntact(dds_data_representation_id_t representation) {
  T sent{};
  msg_test::FillDistinct(WireOf<T>(), &sent);
  const std::string topic_name = msg_test::UniqueTopicName("msg_exchange");

  // Fork before this process creates any DDS entity: the child then starts from a clean library.
  const pid_t pid = fork();
  ASSERT_GE(pid, 0) << "fork failed";
  if (pid == 0) {
    PublishOnceAndExit(topic_name, sent, representation);
  }
  ChildProcess writer_process(pid);

  LoopbackParticipant participant;
  const dds_entity_t topic =
      Check(dds_create_topic(participant.handle(), dds::topic::TopicTraits<T>::Descriptor(),
                             topic_name.c_str(), nullptr, nullptr),
            "dds_create_topic");
  dds_qos_t* qos = msg_test::ReaderQos();
  const dds_entity_t reader = dds_create_reader(participant.handle(), topic, qos, nullptr);
  dds_delete_qos(qos);
  Check(reader, "dds_create_reader");

  ASSERT_TRUE(msg_test::WaitForStatus(reader, DDS_DATA_AVAILABLE_STATUS)) << "nothing arrived";
  EXPECT_EQ(ArrivedRepresentationByte(reader), representation == DDS_DATA_REPRESENTATION_XCDR2
                                                   ? 0x07
                                                   : 0x01);
  T received{};
  void* samples[1] = {&received};
  dds_sample_info_t info;
  ASSERT_EQ(dds_take(reader, samples, &info, 1, 1), 1);
  ASSERT_TRUE(info.valid_data);
  EXPECT_NE(info.publication_handle, 0u);
  EXPECT_EQ(std::memcmp(&received, &sent, sizeof(T)), 0);
  EXPECT_EQ(writer_process.Wait(), 0) << "the writer process failed";
}

struct ExchangeCase {
  const char* name;
  void (*run)(dds_data_representation_id_t);
  dds_data_representation_id_t representation;
};

void PrintTo(const ExchangeCase& c, std::ostream* os) { *os << c.name; }

class LoopbackExchangeTest : public ::testing::TestWithParam<ExchangeCase> {};

TEST_P(LoopbackExchangeTest, SampleArrivesIntact) {
  GetParam().run(GetParam().representation);
}

INSTANTIATE_TEST_SUITE_P(
    TopicsAndRepresentations, LoopbackExchangeTest,
    ::testing::Values(
        ExchangeCase{"LowCmd_plain", ExpectExchangedIntact<LowCmd_>, DDS_DATA_REPRESENTATION_XCDR1},
        ExchangeCase{"LowCmd_xcdr2", ExpectExchangedIntact<LowCmd_>, DDS_DATA_REPRESENTATION_XCDR2},
        ExchangeCase{"LowState_plain", ExpectExchangedIntact<LowState_>,
                     DDS_DATA_REPRESENTATION_XCDR1},
        ExchangeCase{"LowState_xcdr2", ExpectExchangedIntact<LowState_>,
                     DDS_DATA_REPRESENTATION_XCDR2}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
