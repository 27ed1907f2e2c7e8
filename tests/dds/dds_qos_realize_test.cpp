#include "quorvel/common/dds/dds_qos_realize.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "dds/support/qos_policy_names.hpp"
#include "quorvel/common/json/json.hpp"

namespace quorvel::common {
namespace {

namespace policy = dds::core::policy;
using dds::core::Duration;

DdsQosParameter ReadQos(const std::string& text) {
  DdsQosParameter qos;
  qos.Init(AnyCast<JsonMap>(FromJsonString(text)));
  return qos;
}

// Every one of the 22 policies set, none to its parameter default.
const char* const kEveryPolicy = R"({
  "Deadline": {"peroid": 1000},
  "DestinationOrder": {"kind": "BY_SOURCE_TIMESTAMP_DESTINATIONORDER_QOS"},
  "Durability": {"kind": "TRANSIENT_LOCAL_DURABILITY_QOS"},
  "DurabilityService": {"history_depth": 3},
  "EntityFactory": {"autoenable_created_entities": 0},
  "GroupData": {"value": [1]},
  "History": {"kind": "KEEP_ALL_HISTORY_QOS"},
  "LatencyBudget": {"duration": 5},
  "Lifespan": {"duration": 6},
  "Liveliness": {"kind": "MANUAL_BY_TOPIC_LIVELINESS_QOS"},
  "Ownership": {"kind": "EXCLUSIVE_OWNERSHIP_QOS"},
  "OwnershipStrength": {"value": 7},
  "Partition": {"name": "p"},
  "Presentation": {"ordered_access": 1},
  "ReaderDataLifecycle": {"autopurge_nowriter_samples_delay": 8},
  "Reliability": {"kind": "RELIABLE_RELIABILITY_QOS"},
  "ResourceLimits": {"max_samples": 9},
  "TimeBasedFilter": {"minimum_separation": 10},
  "TopicData": {"value": [2]},
  "TransportPriority": {"value": 11},
  "WriterDataLifecycle": {"autodispose_unregistered_instances": 0},
  "UserData": {"value": [3]}
})";

template <typename Qos>
std::set<std::string> RealizedNames(const std::string& text) {
  Qos qos;
  Realize(ReadQos(text), qos);
  return test::HeldPolicyNames(qos);
}

TEST(RealizeTest, EachEntityKindTakesExactlyItsPolicies) {
  const struct {
    const char* kind;
    std::set<std::string> names;
    std::set<std::string> expected;
  } cases[] = {
      {"participant", RealizedNames<DdsParticipantQos>(kEveryPolicy), {"EntityFactory", "UserData"}},
      {"topic",
       RealizedNames<DdsTopicQos>(kEveryPolicy),
       {"Deadline", "DestinationOrder", "Durability", "DurabilityService", "History",
        "LatencyBudget", "Lifespan", "Liveliness", "Ownership", "Reliability", "ResourceLimits",
        "TopicData", "TransportPriority"}},
      {"publisher",
       RealizedNames<DdsPublisherQos>(kEveryPolicy),
       {"EntityFactory", "GroupData", "Partition", "Presentation"}},
      {"subscriber",
       RealizedNames<DdsSubscriberQos>(kEveryPolicy),
       {"EntityFactory", "GroupData", "Partition", "Presentation"}},
      {"writer",
       RealizedNames<DdsWriterQos>(kEveryPolicy),
       {"Deadline", "DestinationOrder", "Durability", "History", "LatencyBudget", "Lifespan",
        "Liveliness", "Ownership", "OwnershipStrength", "Reliability", "ResourceLimits",
        "TransportPriority", "UserData", "WriterDataLifecycle"}},
      {"reader",
       RealizedNames<DdsReaderQos>(kEveryPolicy),
       {"Deadline", "DestinationOrder", "Durability", "History", "LatencyBudget", "Liveliness",
        "Ownership", "ReaderDataLifecycle", "Reliability", "ResourceLimits", "TimeBasedFilter",
        "UserData"}},
      // Nothing set in the file: only the construction defaults remain.
      {"default topic", RealizedNames<DdsTopicQos>("{}"), {"Ownership"}},
      {"default writer", RealizedNames<DdsWriterQos>("{}"), {"Durability", "History"}},
      {"default participant", RealizedNames<DdsParticipantQos>("{}"), {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.names, c.expected) << c.kind;
  }
}

TEST(RealizeTest, ValuesReachTheNativeQos) {
  DdsWriterQos writer;
  Realize(ReadQos(kEveryPolicy), writer);
  const auto& native = writer.GetNative();
  EXPECT_EQ(native.policy<policy::Deadline>().period(), Duration(0, 1000));
  EXPECT_EQ(native.policy<policy::DestinationOrder>().kind(),
            policy::DestinationOrderKind::BY_SOURCE_TIMESTAMP);
  EXPECT_EQ(native.policy<policy::Durability>().kind(), policy::DurabilityKind::TRANSIENT_LOCAL);
  EXPECT_EQ(native.policy<policy::LatencyBudget>().duration(), Duration(0, 5));
  EXPECT_EQ(native.policy<policy::Lifespan>().duration(), Duration(0, 6));
  EXPECT_EQ(native.policy<policy::Liveliness>().kind(), policy::LivelinessKind::MANUAL_BY_TOPIC);
  EXPECT_EQ(native.policy<policy::Liveliness>().lease_duration(), Duration::infinite());
  EXPECT_EQ(native.policy<policy::Ownership>().kind(), policy::OwnershipKind::EXCLUSIVE);
  EXPECT_EQ(native.policy<policy::OwnershipStrength>().value(), 7);
  EXPECT_EQ(native.policy<policy::ResourceLimits>().max_samples(), 9);
  EXPECT_EQ(native.policy<policy::ResourceLimits>().max_instances(), -1);
  EXPECT_EQ(native.policy<policy::TransportPriority>().value(), 11);
  EXPECT_EQ(native.policy<policy::UserData>().value(), policy::ByteSeq{3});
  EXPECT_FALSE(native.policy<policy::WriterDataLifecycle>().autodispose_unregistered_instances());

  DdsPublisherQos publisher;
  Realize(ReadQos(kEveryPolicy), publisher);
  EXPECT_EQ(publisher.GetNative().policy<policy::Partition>().name(),
            std::vector<std::string>{"p"});
  EXPECT_TRUE(publisher.GetNative().policy<policy::Presentation>().ordered_access());
  EXPECT_FALSE(publisher.GetNative().policy<policy::EntityFactory>().autoenable_created_entities());
}

// Policies of several members, each member with a value of its own, so that a member
// handed to the wrong constructor argument shows.
TEST(RealizeTest, EveryMemberReachesItsPlace) {
  const DdsQosParameter set = ReadQos(R"({
    "DurabilityService": {"service_cleanup_delay": 1, "history_kind": "KEEP_ALL_HISTORY_QOS",
                          "history_depth": 2, "max_samples": 30, "max_instances": 4,
                          "max_samples_per_instance": 5},
    "History": {"kind": "KEEP_ALL_HISTORY_QOS", "depth": 6},
    "Liveliness": {"kind": "MANUAL_BY_PARTICIPANT_LIVELINESS_QOS", "lease_duration": 7},
    "Reliability": {"kind": "RELIABLE_RELIABILITY_QOS", "max_blocking_time": 8},
    "ResourceLimits": {"max_samples": 90, "max_instances": 10, "max_samples_per_instance": 11},
    "ReaderDataLifecycle": {"autopurge_nowriter_samples_delay": 12,
                            "autopurge_disposed_samples_delay": 13},
    "TimeBasedFilter": {"minimum_separation": 14},
    "TopicData": {"value": [15]},
    "GroupData": {"value": [16]},
    "Presentation": {"access_scope": "TOPIC_PRESENTATION_QOS", "coherent_access": 1,
                     "ordered_access": 0}
  })");
  DdsTopicQos topic;
  Realize(set, topic);
  const auto& t = topic.GetNative();
  EXPECT_EQ(t.policy<policy::DurabilityService>(),
            policy::DurabilityService(Duration(0, 1), policy::HistoryKind::KEEP_ALL, 2, 30, 4, 5));
  EXPECT_EQ(t.policy<policy::History>(), policy::History(policy::HistoryKind::KEEP_ALL, 6));
  EXPECT_EQ(t.policy<policy::Liveliness>(),
            policy::Liveliness(policy::LivelinessKind::MANUAL_BY_PARTICIPANT, Duration(0, 7)));
  EXPECT_EQ(t.policy<policy::Reliability>(),
            policy::Reliability(policy::ReliabilityKind::RELIABLE, Duration(0, 8)));
  EXPECT_EQ(t.policy<policy::ResourceLimits>(), policy::ResourceLimits(90, 10, 11));
  EXPECT_EQ(t.policy<policy::TopicData>().value(), policy::ByteSeq{15});

  DdsReaderQos reader;
  Realize(set, reader);
  EXPECT_EQ(reader.GetNative().policy<policy::ReaderDataLifecycle>(),
            policy::ReaderDataLifecycle(Duration(0, 12), Duration(0, 13)));
  EXPECT_EQ(reader.GetNative().policy<policy::TimeBasedFilter>().minimum_separation(), Duration(0, 14));

  DdsSubscriberQos subscriber;
  Realize(set, subscriber);
  EXPECT_EQ(subscriber.GetNative().policy<policy::Presentation>(),
            policy::Presentation(policy::PresentationAccessScopeKind::TOPIC, true, false));
  EXPECT_EQ(subscriber.GetNative().policy<policy::GroupData>().value(), policy::ByteSeq{16});
}

TEST(RealizeTest, ASetPolicyTakesParameterDefaultsForLeftOutMembers) {
  DdsWriterQos writer;
  writer.SetPolicy(DdsQosHistoryPolicy(0, 20));
  writer.SetPolicy(DdsQosReliabilityPolicy(0, 5));
  Realize(ReadQos(R"({"History": {"kind": "KEEP_ALL_HISTORY_QOS"},
                      "Reliability": {"kind": "RELIABLE_RELIABILITY_QOS"}})"),
          writer);
  const auto& native = writer.GetNative();
  EXPECT_EQ(native.policy<policy::History>(), policy::History(policy::HistoryKind::KEEP_ALL, 1));
  EXPECT_EQ(native.policy<policy::Reliability>(),
            policy::Reliability(policy::ReliabilityKind::RELIABLE, Duration::infinite()));
  EXPECT_EQ(native.policy<policy::Durability>().kind(), policy::DurabilityKind::VOLATILE);
}

TEST(RealizeTest, DeadlineDurations) {
  const struct {
    const char* text;
    Duration period;
  } cases[] = {
      {R"({"Deadline": {"peroid": 0}})", Duration::zero()},
      {R"({"Deadline": {"peroid": -1}})", Duration::infinite()},
      {R"({"Deadline": {"peroid": 1500000000}})", Duration(1, 500000000)},
  };
  for (const auto& c : cases) {
    DdsReaderQos reader;
    Realize(ReadQos(c.text), reader);
    EXPECT_TRUE(reader.HasPolicy("Deadline")) << c.text;
    EXPECT_EQ(reader.GetNative().policy<policy::Deadline>().period(), c.period) << c.text;
  }
}

TEST(RealizeTest, ATopicSetDoesNotReachWritersOrReaders) {
  const DdsQosParameter topic_set = ReadQos(R"({"Durability": {"kind": "TRANSIENT_LOCAL_DURABILITY_QOS"}})");
  DdsTopicQos topic;
  Realize(topic_set, topic);
  EXPECT_EQ(topic.GetNative().policy<policy::Durability>().kind(),
            policy::DurabilityKind::TRANSIENT_LOCAL);
  DdsWriterQos writer;
  Realize(DdsQosParameter(), writer);
  EXPECT_EQ(writer.GetNative().policy<policy::Durability>().kind(),
            policy::DurabilityKind::VOLATILE);
}

}  // namespace
}  // namespace quorvel::common
