#include "quorvel/common/dds/dds_parameter.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "quorvel/common/exception.hpp"
#include "quorvel/common/filesystem/file.hpp"
#include "quorvel/common/json/json.hpp"

namespace quorvel::common {
namespace {

JsonMap Parse(const std::string& text) { return AnyCast<JsonMap>(FromJsonString(text)); }

DdsQosParameter ReadQos(const std::string& text) {
  DdsQosParameter qos;
  qos.Init(Parse(text));
  return qos;
}

TEST(DdsParameterTest, EmptyObjectLeavesEverythingDefault) {
  DdsParameter parameter(Parse("{}"));
  EXPECT_EQ(parameter.GetParticipant().GetDomainId(), 0);
  EXPECT_EQ(parameter.GetParticipant().GetConfig(), "");
  EXPECT_TRUE(parameter.GetTopic().empty());
  EXPECT_TRUE(parameter.GetPublisher().empty());
  EXPECT_TRUE(parameter.GetSubscriber().empty());
  for (const DdsQosParameter* set :
       {&parameter.GetParticipantQos(), &parameter.GetTopicQos(), &parameter.GetPublisherQos(),
        &parameter.GetSubscriberQos(), &parameter.GetWriterQos(), &parameter.GetReaderQos()}) {
    EXPECT_TRUE(set->Default());
  }
}

TEST(DdsParameterTest, PolicyDefaultsBeforeAnyFileIsRead) {
  const DdsQosParameter qos;
  EXPECT_EQ(qos.GetDeadline().GetPeriod(), -1);
  EXPECT_EQ(qos.GetDurabilityService().GetHistoryDepth(), 1);
  EXPECT_EQ(qos.GetDurabilityService().GetMaxSamples(), -1);
  EXPECT_TRUE(qos.GetEntityFactory().GetAutoEnable());
  EXPECT_EQ(qos.GetHistory().GetDepth(), 1);
  EXPECT_EQ(qos.GetLifespan().GetDuration(), -1);
  EXPECT_EQ(qos.GetReliability().GetMaxBlockingTime(), -1);
  EXPECT_EQ(qos.GetResourceLimits().GetMaxSamplesPerInstance(), -1);
  EXPECT_TRUE(qos.GetWriterDataLifecycle().GetAutodisposeUnregisteredInstances());
  EXPECT_FALSE(qos.GetPresentation().GetCoherentAccess());
}

TEST(DdsParameterTest, DomainIdInsideParticipantWinsAndIsTruncated) {
  struct {
    const char* text;
    int domain_id;
    const char* config;
  } cases[] = {
      {R"({"DomainId": 5, "Participant": {"DomainId": 7}})", 7, ""},
      {R"({"DomainId": 2.9})", 2, ""},
      {R"({"Config": "a.xml", "Participant": {"Config": "<CycloneDDS/>"}})", 0, "<CycloneDDS/>"},
      {R"({"Config": "a.xml", "Participant": {}})", 0, "a.xml"},
  };
  for (const auto& c : cases) {
    DdsParameter parameter(Parse(c.text));
    EXPECT_EQ(parameter.GetParticipant().GetDomainId(), c.domain_id) << c.text;
    EXPECT_EQ(parameter.GetParticipant().GetConfig(), c.config) << c.text;
  }
}

TEST(DdsQosParameterTest, KindsByName) {
  struct {
    const char* text;
    int kind;
    bool policy_default;
  } cases[] = {
      {R"({"Reliability": {"kind": "RELIABLE_RELIABILITY_QOS"}})", 1, false},
      {R"({"Reliability": {"kind": "BEST_EFFORT_RELIABILITY_QOS"}})", 0, false},
      // An unknown name still applies the policy, with its default kind.
      {R"({"Reliability": {"kind": "reliable"}})", 0, false},
      {R"({"Reliability": {}})", 0, true},
      {R"({"Reliability": null})", 0, true},
  };
  for (const auto& c : cases) {
    const DdsQosParameter qos = ReadQos(c.text);
    EXPECT_EQ(qos.GetReliability().GetKind(), c.kind) << c.text;
    EXPECT_EQ(qos.GetReliability().Default(), c.policy_default) << c.text;
    EXPECT_EQ(qos.Default(), c.policy_default) << c.text;
  }
}

TEST(DdsQosParameterTest, EveryKindTableMapsToOrdinals) {
  const DdsQosParameter qos = ReadQos(R"({
    "DestinationOrder": {"kind": "BY_SOURCE_TIMESTAMP_DESTINATIONORDER_QOS"},
    "Durability": {"kind": "PERSISTENT_DURABILITY_QOS"},
    "DurabilityService": {"history_kind": "KEEP_ALL_HISTORY_QOS", "history_depth": 4,
                          "service_cleanup_delay": 7, "max_samples": 9, "max_instances": 8,
                          "max_samples_per_instance": 6},
    "History": {"kind": "KEEP_ALL_HISTORY_QOS", "depth": 3},
    "Liveliness": {"kind": "MANUAL_BY_TOPIC_LIVELINESS_QOS", "lease_duration": 5},
    "Ownership": {"kind": "EXCLUSIVE_OWNERSHIP_QOS"},
    "Presentation": {"access_scope": "GROUP_PRESENTATION_QOS", "coherent_access": 1,
                     "ordered_access": 2}
  })");
  EXPECT_EQ(qos.GetDestinationOrder().GetKind(), 1);
  EXPECT_EQ(qos.GetDurability().GetKind(), 3);
  EXPECT_EQ(qos.GetDurabilityService().GetHistoryKind(), 1);
  EXPECT_EQ(qos.GetDurabilityService().GetHistoryDepth(), 4);
  EXPECT_EQ(qos.GetDurabilityService().GetCleanupDelay(), 7);
  EXPECT_EQ(qos.GetDurabilityService().GetMaxSamples(), 9);
  EXPECT_EQ(qos.GetDurabilityService().GetMaxInstances(), 8);
  EXPECT_EQ(qos.GetDurabilityService().GetMaxSamplesPerInstance(), 6);
  EXPECT_EQ(qos.GetHistory().GetKind(), 1);
  EXPECT_EQ(qos.GetHistory().GetDepth(), 3);
  EXPECT_EQ(qos.GetLiveliness().GetKind(), 2);
  EXPECT_EQ(qos.GetLiveliness().GetLeaseDuration(), 5);
  EXPECT_EQ(qos.GetOwnership().GetKind(), 1);
  EXPECT_EQ(qos.GetPresentation().GetAccessScopeKind(), 2);
  EXPECT_TRUE(qos.GetPresentation().GetCoherentAccess());
  EXPECT_TRUE(qos.GetPresentation().GetOrderedAccess());
}

TEST(DdsQosParameterTest, MembersAreReadByTheirFileNames) {
  // "peroid" is the file format's spelling; "period" is not recognised, but the set still
  // counts the object it met.
  const DdsQosParameter misspelt = ReadQos(R"({"Deadline": {"period": 5}})");
  EXPECT_TRUE(misspelt.GetDeadline().Default());
  EXPECT_EQ(misspelt.GetDeadline().GetPeriod(), -1);
  EXPECT_FALSE(misspelt.Default());

  const DdsQosParameter qos = ReadQos(R"({
    "Deadline": {"peroid": 5},
    "LatencyBudget": {"duration": 6},
    "Lifespan": {"duration": -9},
    "TimeBasedFilter": {"minimum_separation": 8},
    "ReaderDataLifecycle": {"autopurge_nowriter_samples_delay": 10,
                            "autopurge_disposed_samples_delay": 11},
    "Reliability": {"max_blocking_time": 100000000},
    "OwnershipStrength": {"value": 12},
    "TransportPriority": {"value": 13},
    "ResourceLimits": {"max_samples": 14, "max_instances": 15, "max_samples_per_instance": 16},
    "Partition": {"name": "left"}
  })");
  EXPECT_EQ(qos.GetDeadline().GetPeriod(), 5);
  EXPECT_EQ(qos.GetLatencyBudget().GetDuration(), 6);
  EXPECT_EQ(qos.GetLifespan().GetDuration(), -9);
  EXPECT_EQ(qos.GetTimeBasedFilter().GetMinSep(), 8);
  EXPECT_EQ(qos.GetReaderDataLifecycle().GetAutopurgeNowriterSamplesDelay(), 10);
  EXPECT_EQ(qos.GetReaderDataLifecycle().GetAutopurgeDisposedSamplesDelay(), 11);
  EXPECT_EQ(qos.GetReliability().GetMaxBlockingTime(), 100000000);
  EXPECT_EQ(qos.GetReliability().GetKind(), 0);
  EXPECT_EQ(qos.GetOwnershipStrength().GetValue(), 12);
  EXPECT_EQ(qos.GetTransportPriority().GetValue(), 13);
  EXPECT_EQ(qos.GetResourceLimits().GetMaxSamples(), 14);
  EXPECT_EQ(qos.GetResourceLimits().GetMaxInstances(), 15);
  EXPECT_EQ(qos.GetResourceLimits().GetMaxSamplesPerInstance(), 16);
  EXPECT_EQ(qos.GetPartition().GetName(), "left");
  EXPECT_TRUE(qos.GetDurability().Default());
}

TEST(DdsQosParameterTest, FlagsComeFromNumbersOnly) {
  struct {
    const char* text;
    bool auto_enable;
  } cases[] = {
      {R"({"EntityFactory": {"autoenable_created_entities": 0}})", false},
      {R"({"EntityFactory": {"autoenable_created_entities": 2}})", true},
      {R"({"EntityFactory": {"autoenable_created_entities": 0.5}})", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadQos(c.text).GetEntityFactory().GetAutoEnable(), c.auto_enable) << c.text;
  }
  const DdsQosParameter lifecycle =
      ReadQos(R"({"WriterDataLifecycle": {"autodispose_unregistered_instances": 0}})");
  EXPECT_FALSE(lifecycle.GetWriterDataLifecycle().GetAutodisposeUnregisteredInstances());
}

TEST(DdsQosParameterTest, BytesAreTakenModulo256AndEmptyArraysStayDefault) {
  const DdsQosParameter qos = ReadQos(R"({
    "UserData": {"value": [1, 2, 300]},
    "TopicData": {"value": [-1]},
    "GroupData": {"value": []}
  })");
  EXPECT_EQ(qos.GetUserData().GetValue(), (std::vector<uint8_t>{1, 2, 44}));
  EXPECT_EQ(qos.GetTopicData().GetValue(), (std::vector<uint8_t>{255}));
  EXPECT_TRUE(qos.GetGroupData().Default());
  EXPECT_TRUE(qos.GetGroupData().GetValue().empty());
}

TEST(DdsParameterTest, TypeErrorsThrowTheCastText) {
  const std::string type_of_bool = typeid(bool).name();
  const std::string type_of_string = typeid(std::string).name();
  const std::string type_of_int = typeid(int).name();
  const std::string type_of_map = typeid(JsonMap).name();
  const std::string type_of_array = typeid(JsonArray).name();
  const auto cast_text = [](const std::string& target, const std::string& source) {
    return "AnyCast error. target type is " + target + ", but source type is " + source;
  };
  struct {
    std::string text;
    std::string message;
  } cases[] = {
      {R"({"DomainId": "5"})", "AnyNumberCast error. not number type"},
      {R"({"DomainId": null})", "AnyNumberCast error. not number type"},
      {R"({"Qos": {"Writer": {"EntityFactory": {"autoenable_created_entities": false}}}})",
       "AnyNumberCast error. unknown number type:" + type_of_bool},
      {R"({"Qos": {"Writer": {"Deadline": {"peroid": true}}}})",
       "AnyNumberCast error. unknown number type:" + type_of_bool},
      {R"({"Qos": {"Writer": {"Reliability": {"kind": 1}}}})", cast_text(type_of_string, type_of_int)},
      {R"({"Qos": {"Writer": {"Partition": {"name": 3}}}})", cast_text(type_of_string, type_of_int)},
      {R"({"Config": 1})", cast_text(type_of_string, type_of_int)},
      {R"({"Topic": [{"Name": 1}]})", cast_text(type_of_string, type_of_int)},
      {R"({"Publisher": [{"Writer": [{"TopicName": 2}]}]})", cast_text(type_of_string, type_of_int)},
      {R"({"Participant": null})", cast_text(type_of_map, "v")},
      {R"({"Qos": []})", cast_text(type_of_map, type_of_array)},
      {R"({"Topic": [1]})", cast_text(type_of_map, type_of_int)},
      {R"({"Qos": {"Reader": {"History": "KEEP_ALL_HISTORY_QOS"}}})",
       cast_text(type_of_map, type_of_string)},
      {R"({"Topic": {}})", cast_text(type_of_array, type_of_map)},
      {R"({"Subscriber": null})", cast_text(type_of_array, "v")},
      {R"({"Subscriber": [{"Reader": 1}]})", cast_text(type_of_array, type_of_int)},
      {R"({"Qos": {"Topic": {"TopicData": {"value": 1}}}})", cast_text(type_of_array, type_of_int)},
      {R"({"Qos": {"Topic": {"TopicData": {"value": ["a"]}}}})",
       "AnyNumberCast error. not number type"},
  };
  for (const auto& c : cases) {
    try {
      DdsParameter parameter(Parse(c.text));
      ADD_FAILURE() << "no exception for " << c.text;
    } catch (const BadCastException& e) {
      EXPECT_EQ(e.GetMessage(), c.message) << c.text;
    }
  }
}

TEST(DdsParameterTest, TopicsAreKeyedByNameAndNamelessEntriesAreSkipped) {
  DdsParameter parameter(Parse(R"({"Topic": [
    {"Name": "rt/a", "Qos": {"History": {"depth": 2}}},
    {"Qos": "not even an object"},
    {"Name": "rt/a", "Qos": {"History": {"depth": 9}}},
    {"Name": "rt/b"}
  ]})"));
  ASSERT_EQ(parameter.GetTopic().size(), 2u);
  EXPECT_EQ(parameter.GetTopic().at("rt/a").GetQos().GetHistory().GetDepth(), 9);
  EXPECT_TRUE(parameter.GetTopic().at("rt/b").GetQos().Default());
}

TEST(DdsParameterTest, WritersAndReadersWithoutTopicNameAreSkipped) {
  DdsParameter parameter(Parse(R"({
    "Publisher": [
      {"Writer": [{"TopicName": "rt/lowcmd", "Qos": {"Reliability": {"kind": "RELIABLE_RELIABILITY_QOS"}}},
                  {"Qos": {}},
                  {"TopicName": "rt/other"}],
       "Qos": {"Partition": {"name": "p"}}},
      {}
    ],
    "Subscriber": [{"Reader": [{"Qos": {}}, {"TopicName": "rt/lowstate"}]}]
  })"));
  ASSERT_EQ(parameter.GetPublisher().size(), 2u);
  const auto& writers = parameter.GetPublisher()[0].GetWriter();
  ASSERT_EQ(writers.size(), 2u);
  EXPECT_EQ(writers[0].GetTopicName(), "rt/lowcmd");
  EXPECT_EQ(writers[0].GetQos().GetReliability().GetKind(), 1);
  EXPECT_EQ(writers[1].GetTopicName(), "rt/other");
  EXPECT_EQ(parameter.GetPublisher()[0].GetQos().GetPartition().GetName(), "p");
  EXPECT_TRUE(parameter.GetPublisher()[1].GetWriter().empty());
  ASSERT_EQ(parameter.GetSubscriber().size(), 1u);
  ASSERT_EQ(parameter.GetSubscriber()[0].GetReader().size(), 1u);
  EXPECT_EQ(parameter.GetSubscriber()[0].GetReader()[0].GetTopicName(), "rt/lowstate");
}

TEST(DdsParameterTest, TopLevelQosFillsTheSixSets) {
  DdsParameter parameter(Parse(R"({"Qos": {
    "Participant": {"UserData": {"value": [1]}},
    "Topic": {"Durability": {"kind": "TRANSIENT_LOCAL_DURABILITY_QOS"}},
    "Publisher": {"Partition": {"name": "pub"}},
    "Subscriber": {"Partition": {"name": "sub"}},
    "Writer": {"History": {"kind": "KEEP_ALL_HISTORY_QOS"}},
    "Reader": {"Deadline": {"peroid": 0}}
  }, "Participant": {"Qos": {"EntityFactory": {"autoenable_created_entities": 0}}}})"));
  EXPECT_EQ(parameter.GetParticipantQos().GetUserData().GetValue(), (std::vector<uint8_t>{1}));
  EXPECT_EQ(parameter.GetTopicQos().GetDurability().GetKind(), 1);
  EXPECT_EQ(parameter.GetPublisherQos().GetPartition().GetName(), "pub");
  EXPECT_EQ(parameter.GetSubscriberQos().GetPartition().GetName(), "sub");
  EXPECT_EQ(parameter.GetWriterQos().GetHistory().GetKind(), 1);
  EXPECT_EQ(parameter.GetReaderQos().GetDeadline().GetPeriod(), 0);
  EXPECT_FALSE(parameter.GetParticipant().GetQos().GetEntityFactory().GetAutoEnable());
  EXPECT_TRUE(parameter.GetParticipantQos().GetEntityFactory().GetAutoEnable());
}

TEST(DdsParameterTest, TheExampleFileReadsAndSetsEverySet) {
  const std::filesystem::path example =
      std::filesystem::path(__FILE__).parent_path() / "../../examples/dds_parameter.json";
  DdsParameter parameter(Parse(LoadFile(example.string())));
  for (const DdsQosParameter* set :
       {&parameter.GetParticipantQos(), &parameter.GetTopicQos(), &parameter.GetPublisherQos(),
        &parameter.GetSubscriberQos(), &parameter.GetWriterQos(), &parameter.GetReaderQos()}) {
    EXPECT_FALSE(set->Default());
  }
  EXPECT_EQ(parameter.GetWriterQos().GetReliability().GetKind(), 1);
  EXPECT_EQ(parameter.GetTopic().size(), 1u);
  EXPECT_EQ(parameter.GetSubscriber().at(0).GetReader().at(0).GetTopicName(), "rt/lowstate");
}

}  // namespace
}  // namespace quorvel::common
