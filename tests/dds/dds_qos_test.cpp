#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "dds/support/qos_policy_names.hpp"
#include "quorvel/common/dds/dds_qos.hpp"

namespace {

using namespace quorvel::common;
namespace policy = dds::core::policy;
using dds::core::detail::NativeQos;
using dds::core::detail::to_native;
using quorvel::test::HeldPolicyNames;

TEST(DdsQosTest, NewQosHoldsOnlyItsKindsDefaults) {
  const struct {
    const char* kind;
    std::set<std::string> names;
    std::set<std::string> expected;
  } kCases[] = {
      {"participant", HeldPolicyNames(DdsParticipantQos()), {}},
      {"topic", HeldPolicyNames(DdsTopicQos()), {"Ownership"}},
      {"publisher", HeldPolicyNames(DdsPublisherQos()), {}},
      {"subscriber", HeldPolicyNames(DdsSubscriberQos()), {}},
      {"writer", HeldPolicyNames(DdsWriterQos()), {"Durability", "History"}},
      {"reader", HeldPolicyNames(DdsReaderQos()), {"Durability", "History"}},
  };
  for (const auto& row : kCases) {
    SCOPED_TRACE(row.kind);
    EXPECT_EQ(row.names, row.expected);
  }
}

// A target with policies of its own: what the new QoS did not set must survive.
template <typename NATIVE>
NATIVE PrefilledTarget() {
  NATIVE target;
  target << policy::Deadline(dds::core::Duration(1, 0))
         << policy::Durability(policy::DurabilityKind::TRANSIENT_LOCAL)
         << policy::History(policy::HistoryKind::KEEP_ALL)
         << policy::Ownership(policy::OwnershipKind::EXCLUSIVE);
  return target;
}

struct CopyCase {
  const char* kind;
  std::function<NativeQos()> copy_onto_prefilled_target;
  bool volatile_keep_last_1;  // writer and reader defaults
  bool shared_ownership;      // topic default
};

// CopyToNativeQos of a new writer, reader and topic QoS replaces exactly their default
// policies and leaves every other policy of the target as it was, set or not.
TEST(DdsQosTest, CopyToNativeQosReplacesExactlyTheSetPolicies) {
  const CopyCase kCases[] = {
      {"writer",
       [] {
         auto target = PrefilledTarget<dds::pub::qos::DataWriterQos>();
         DdsWriterQos().CopyToNativeQos(target);
         return to_native(target);
       },
       true, false},
      {"reader",
       [] {
         auto target = PrefilledTarget<dds::sub::qos::DataReaderQos>();
         DdsReaderQos().CopyToNativeQos(target);
         return to_native(target);
       },
       true, false},
      {"topic",
       [] {
         auto target = PrefilledTarget<dds::topic::qos::TopicQos>();
         DdsTopicQos().CopyToNativeQos(target);
         return to_native(target);
       },
       false, true},
  };
  for (const auto& row : kCases) {
    SCOPED_TRACE(row.kind);
    NativeQos native = row.copy_onto_prefilled_target();

    dds_duration_t deadline;
    ASSERT_TRUE(dds_qget_deadline(native.get(), &deadline));
    EXPECT_EQ(deadline, 1000000000);
    dds_durability_kind_t durability;
    ASSERT_TRUE(dds_qget_durability(native.get(), &durability));
    EXPECT_EQ(durability, row.volatile_keep_last_1 ? DDS_DURABILITY_VOLATILE : DDS_DURABILITY_TRANSIENT_LOCAL);
    dds_history_kind_t history;
    int32_t depth;
    ASSERT_TRUE(dds_qget_history(native.get(), &history, &depth));
    EXPECT_EQ(history, row.volatile_keep_last_1 ? DDS_HISTORY_KEEP_LAST : DDS_HISTORY_KEEP_ALL);
    if (row.volatile_keep_last_1) {
      EXPECT_EQ(depth, 1);
    }
    dds_ownership_kind_t ownership;
    ASSERT_TRUE(dds_qget_ownership(native.get(), &ownership));
    EXPECT_EQ(ownership, row.shared_ownership ? DDS_OWNERSHIP_SHARED : DDS_OWNERSHIP_EXCLUSIVE);

    dds_reliability_kind_t reliability;
    dds_duration_t blocking;
    EXPECT_FALSE(dds_qget_reliability(native.get(), &reliability, &blocking));
    dds_duration_t lifespan;
    EXPECT_FALSE(dds_qget_lifespan(native.get(), &lifespan));
    int32_t samples, instances, per_instance;
    EXPECT_FALSE(dds_qget_resource_limits(native.get(), &samples, &instances, &per_instance));
  }
}

TEST(DdsQosTest, CopyToNativeQosOfNewGroupQosChangesNothing) {
  dds::domain::qos::DomainParticipantQos participant;
  participant << policy::UserData({1, 2});
  const auto participant_before = participant;
  DdsParticipantQos().CopyToNativeQos(participant);
  EXPECT_EQ(participant, participant_before);

  dds::pub::qos::PublisherQos publisher;
  publisher << policy::Partition("p");
  const auto publisher_before = publisher;
  DdsPublisherQos().CopyToNativeQos(publisher);
  EXPECT_EQ(publisher, publisher_before);

  dds::sub::qos::SubscriberQos subscriber;
  const auto subscriber_before = subscriber;
  DdsSubscriberQos().CopyToNativeQos(subscriber);
  EXPECT_EQ(subscriber, subscriber_before);
}

TEST(DdsQosTest, SetPolicyReplacesWithoutGrowingTheNameSetAndDefaultsNeverOverride) {
  DdsReaderQos qos;
  qos.SetPolicy(DdsQosHistoryPolicy(1, 5));
  EXPECT_EQ(HeldPolicyNames(qos).size(), 2u);
  EXPECT_EQ(qos.GetNative().policy<policy::History>(), policy::History(policy::HistoryKind::KEEP_ALL, 5));

  qos.InitPolicyDefault();
  EXPECT_EQ(qos.GetNative().policy<policy::History>(), policy::History(policy::HistoryKind::KEEP_ALL, 5));

  qos.SetPolicy(DdsQosReliabilityPolicy(1, -1));
  qos.SetPolicy(DdsQosReliabilityPolicy(0, 0));
  EXPECT_EQ(HeldPolicyNames(qos), (std::set<std::string>{"Durability", "History", "Reliability"}));
  dds::sub::qos::DataReaderQos target;
  qos.CopyToNativeQos(target);
  EXPECT_EQ(target.policy<policy::Reliability>(),
            policy::Reliability(policy::ReliabilityKind::BEST_EFFORT, dds::core::Duration::zero()));
  EXPECT_EQ(target.policy<policy::History>(), policy::History(policy::HistoryKind::KEEP_ALL, 5));
}

TEST(DdsQosTest, GroupQosCarriesPartitionAndEntityFactory) {
  DdsPublisherQos qos;
  qos.SetPolicy(DdsQosPartitionPolicy("left"));
  qos.SetPolicy(DdsQosEntityFactoryPolicy(false));
  dds::pub::qos::PublisherQos target;
  qos.CopyToNativeQos(target);
  NativeQos native = to_native(target);

  uint32_t count = 0;
  char** names = nullptr;
  ASSERT_TRUE(dds_qget_partition(native.get(), &count, &names));
  ASSERT_EQ(count, 1u);
  EXPECT_STREQ(names[0], "left");
  dds_free(names[0]);
  dds_free(names);
  bool autoenable = true;
  ASSERT_TRUE(policy::detail::get_native_entity_factory(native.get(), &autoenable));
  EXPECT_FALSE(autoenable);
}

}  // namespace
