#include <gtest/gtest.h>

#include <dds/dds.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "dds/support/dds_test_support.hpp"
#include "quorvel/common/json/json.hpp"
#include "quorvel/robot/channel/channel_factory.hpp"
#include "quorvel_kesh/msg/dds_/LowState_.hpp"

namespace quorvel::robot {
namespace {

using quorvel_kesh::msg::dds_::LowState_;

const int kDomainId = 66;
const char* const kTopic = "quorvel/test/parameter_qos";

struct AnnouncedQos {
  dds_reliability_kind_t reliability = DDS_RELIABILITY_BEST_EFFORT;
  dds_history_kind_t history = DDS_HISTORY_KEEP_LAST;
  dds_durability_kind_t durability = DDS_DURABILITY_PERSISTENT;
};

// Reads, from the discovery data of the domain, the QoS with which the endpoint on kTopic
// was announced: what every peer sees, not what the process meant to set.
bool FindAnnouncedQos(dds_entity_t builtin_topic, AnnouncedQos& found) {
  // Joins the domain the factory made on "lo"; its configuration stands for this one too.
  const dds_entity_t participant = dds_create_participant(kDomainId, nullptr, nullptr);
  const dds_entity_t reader = dds_create_reader(participant, builtin_topic, nullptr, nullptr);
  bool seen = false;
  test::WaitFor([&] {
    void* samples[16] = {};
    dds_sample_info_t infos[16];
    const int32_t count = dds_take(reader, samples, infos, 16, 16);
    for (int32_t i = 0; i < count; ++i) {
      const auto* endpoint = static_cast<const dds_builtintopic_endpoint_t*>(samples[i]);
      if (infos[i].valid_data && std::string(endpoint->topic_name) == kTopic) {
        dds_qget_reliability(endpoint->qos, &found.reliability, nullptr);
        dds_qget_history(endpoint->qos, &found.history, nullptr);
        dds_qget_durability(endpoint->qos, &found.durability);
        seen = true;
      }
    }
    if (count > 0) {
      dds_return_loan(reader, samples, count);
    }
    return seen;
  });
  dds_delete(participant);
  return seen;
}

// A parameter file read by the factory; its temporary directory goes with the object.
class ParameterFile {
 public:
  explicit ParameterFile(const common::JsonMap& parameter) {
    char pattern[] = "/tmp/quorvel_channel_param_XXXXXX";
    EXPECT_NE(mkdtemp(pattern), nullptr);
    directory_ = pattern;
    std::ofstream(path()) << common::ToJsonString(common::Any(parameter), true);
  }
  ~ParameterFile() {
    std::remove(path().c_str());
    rmdir(directory_.c_str());
  }
  std::string path() const { return directory_ + "/dds_parameter.json"; }

 private:
  std::string directory_;
};

TEST(ChannelFactoryParameterTest, ChannelsCarryTheQosOfTheParameterFile) {
  common::JsonMap parameter = common::AnyCast<common::JsonMap>(common::FromJsonString(R"({
    "Qos": {
      "Writer": {"Reliability": {"kind": "RELIABLE_RELIABILITY_QOS"},
                 "History": {"kind": "KEEP_ALL_HISTORY_QOS"}},
      "Reader": {"Reliability": {"kind": "RELIABLE_RELIABILITY_QOS"},
                 "History": {"kind": "KEEP_ALL_HISTORY_QOS"}}
    },
    "Publisher": [{"Writer": [{"TopicName": "quorvel/test/parameter_qos",
                               "Qos": {"Reliability": {"kind": "BEST_EFFORT_RELIABILITY_QOS"}}}]}]
  })"));
  parameter["DomainId"] = kDomainId;
  parameter["Config"] = test::kLoopbackConfig;
  const ParameterFile file(parameter);

  ChannelFactory* factory = ChannelFactory::Instance();
  factory->Init(file.path());
  // Once initialised, every later form is ignored.
  factory->Init(0, "no-such-interface");
  factory->Init(std::string("/no/such/dds_parameter.json"));
  factory->Init(common::JsonMap{{"Config", common::Any(std::string("/no/such/config.xml"))}});

  auto sender = factory->CreateSendChannel<LowState_>(kTopic);
  AnnouncedQos writer;
  ASSERT_TRUE(FindAnnouncedQos(DDS_BUILTIN_TOPIC_DCPSPUBLICATION, writer));
  EXPECT_EQ(writer.reliability, DDS_RELIABILITY_RELIABLE);
  EXPECT_EQ(writer.history, DDS_HISTORY_KEEP_ALL);
  EXPECT_EQ(writer.durability, DDS_DURABILITY_VOLATILE);

  auto receiver = factory->CreateRecvChannel<LowState_>(kTopic, [](const void*) {}, 1);
  AnnouncedQos reader;
  ASSERT_TRUE(FindAnnouncedQos(DDS_BUILTIN_TOPIC_DCPSSUBSCRIPTION, reader));
  EXPECT_EQ(reader.reliability, DDS_RELIABILITY_RELIABLE);
  EXPECT_EQ(reader.history, DDS_HISTORY_KEEP_ALL);
  EXPECT_EQ(reader.durability, DDS_DURABILITY_VOLATILE);
  factory->Release();
}

TEST(ChannelFactoryParameterTest, AFailedParameterInitLeavesTheFactoryOpenForAnother) {
  ChannelFactory* factory = ChannelFactory::Instance();
  EXPECT_THROW(factory->Init(std::string("/no/such/dds_parameter.json")), common::FileException);
  EXPECT_THROW(factory->CreateSendChannel<LowState_>(kTopic), common::DdsException);
  common::JsonMap parameter;
  parameter["DomainId"] = kDomainId + 1;
  parameter["Config"] = test::kLoopbackConfig;
  factory->Init(parameter);
  EXPECT_NE(factory->CreateSendChannel<LowState_>(kTopic), nullptr);
  factory->Release();
}

}  // namespace
}  // namespace quorvel::robot
