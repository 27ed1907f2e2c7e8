#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quorvel/common/dds/dds_qos_policy.hpp"

namespace {

using namespace quorvel::common;
namespace policy = dds::core::policy;
using dds::core::Duration;

TEST(DdsDurationTest, NegativeIsInfiniteOtherwiseSecondsAndNanoseconds) {
  const struct {
    int64_t nanoseconds;
    Duration expected;
  } kCases[] = {
      {-1, Duration::infinite()},
      {-5, Duration::infinite()},
      {0, Duration::zero()},
      {1500000000, Duration(1, 500000000)},
      {999999999, Duration(0, 999999999)},
  };
  for (const auto& row : kCases) {
    SCOPED_TRACE(row.nanoseconds);
    EXPECT_EQ(DdsDuration(row.nanoseconds).GetNative(), row.expected);
  }
}

struct PolicyCase {
  std::string name;
  std::string expected_name;
  bool native_matches;
};

template <typename POLICY_CLASS, typename P>
PolicyCase Case(const POLICY_CLASS& built, const P& expected) {
  return {built.GetName(), policy::policy_name<P>::name(), built.GetNative() == expected};
}

// Every class carries its policy's name and the value built from its arguments, with
// durations in nanoseconds (negative: infinite) and kinds as the API's ordinals.
TEST(DdsQosPolicyTest, EachClassBuildsItsNativePolicyAndName) {
  const Duration kOneAndAHalf(1, 500000000);
  const std::vector<uint8_t> kBytes{9, 0, 7};
  const PolicyCase kCases[] = {
      Case(DdsQosDeadlinePolicy(1500000000), policy::Deadline(kOneAndAHalf)),
      Case(DdsQosDestinationOrderPolicy(1), policy::DestinationOrder(policy::DestinationOrderKind::BY_SOURCE_TIMESTAMP)),
      Case(DdsQosDurabilityPolicy(1), policy::Durability(policy::DurabilityKind::TRANSIENT_LOCAL)),
      Case(DdsQosDurabilityServicePolicy(1500000000, 1, 2, 30, 4, 5),
           policy::DurabilityService(kOneAndAHalf, policy::HistoryKind::KEEP_ALL, 2, 30, 4, 5)),
      Case(DdsQosEntityFactoryPolicy(false), policy::EntityFactory(false)),
      Case(DdsQosGroupDataPolicy(kBytes), policy::GroupData(kBytes)),
      Case(DdsQosHistoryPolicy(1, 5), policy::History(policy::HistoryKind::KEEP_ALL, 5)),
      Case(DdsQosLatencyBudgetPolicy(0), policy::LatencyBudget(Duration::zero())),
      Case(DdsQosLifespanPolicy(-1), policy::Lifespan(Duration::infinite())),
      Case(DdsQosLivelinessPolicy(2, 1500000000),
           policy::Liveliness(policy::LivelinessKind::MANUAL_BY_TOPIC, kOneAndAHalf)),
      Case(DdsQosOwnershipPolicy(1), policy::Ownership(policy::OwnershipKind::EXCLUSIVE)),
      Case(DdsQosOwnershipStrengthPolicy(12), policy::OwnershipStrength(12)),
      Case(DdsQosPartitionPolicy(""), policy::Partition(std::vector<std::string>{""})),
      Case(DdsQosPresentationPolicy(2, true, false),
           policy::Presentation(policy::PresentationAccessScopeKind::GROUP, true, false)),
      Case(DdsQosReaderDataLifecyclePolicy(1500000000, -1),
           policy::ReaderDataLifecycle(kOneAndAHalf, Duration::infinite())),
      Case(DdsQosReliabilityPolicy(1, -1), policy::Reliability(policy::ReliabilityKind::RELIABLE, Duration::infinite())),
      Case(DdsQosResourceLimitsPolicy(-1, 3, 2), policy::ResourceLimits(-1, 3, 2)),
      Case(DdsQosTimeBasedFilterPolicy(999999999), policy::TimeBasedFilter(Duration(0, 999999999))),
      Case(DdsQosTopicDataPolicy(kBytes), policy::TopicData(kBytes)),
      Case(DdsQosTransportPriorityPolicy(-3), policy::TransportPriority(-3)),
      Case(DdsQosUserDataPolicy(kBytes), policy::UserData(kBytes)),
      Case(DdsQosWriterDataLifecyclePolicy(false), policy::WriterDataLifecycle(false)),
  };
  for (const auto& row : kCases) {
    SCOPED_TRACE(row.expected_name);
    EXPECT_EQ(row.name, row.expected_name);
    EXPECT_TRUE(row.native_matches);
  }
}

// Kinds are not checked here: any int reaches the native policy as it is, and the DDS
// library judges it when an entity is created. Values outside an enumeration included.
TEST(DdsQosPolicyTest, KindsOutsideTheEnumerationsPassThroughUnchanged) {
  const struct {
    const char* policy;
    int kind;
  } kCases[] = {
      {"DestinationOrder", static_cast<int>(DdsQosDestinationOrderPolicy(7).GetNative().kind())},
      {"Durability", static_cast<int>(DdsQosDurabilityPolicy(7).GetNative().kind())},
      {"DurabilityService",
       static_cast<int>(DdsQosDurabilityServicePolicy(0, 7, 1, -1, -1, -1).GetNative().history_kind())},
      {"History", static_cast<int>(DdsQosHistoryPolicy(7, 1).GetNative().kind())},
      {"Liveliness", static_cast<int>(DdsQosLivelinessPolicy(7, -1).GetNative().kind())},
      {"Ownership", static_cast<int>(DdsQosOwnershipPolicy(7).GetNative().kind())},
      {"Presentation", static_cast<int>(DdsQosPresentationPolicy(7, false, false).GetNative().access_scope())},
      {"Reliability", static_cast<int>(DdsQosReliabilityPolicy(7, -1).GetNative().kind())},
  };
  for (const auto& row : kCases) {
    EXPECT_EQ(row.kind, 7) << row.policy;
  }
}

}  // namespace
