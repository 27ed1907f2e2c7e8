#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ddscxx/dds.hpp"

namespace {

namespace policy = dds::core::policy;
using dds::core::Duration;
using dds::core::detail::NativeQos;

const Duration kTwoAndAHalf(2, 500000000);
const dds_duration_t kTwoAndAHalfNs = 2500000000;

// One policy written onto an empty C QoS and read back with the C library's getter.
struct PolicyCase {
  const char* name;
  std::function<void(dds_qos_t*)> set;
  std::function<bool(const dds_qos_t*)> read_back_matches;
};

bool BytesEqual(const dds_qos_t* qos, bool (*get)(const dds_qos_t*, void**, size_t*),
                const policy::ByteSeq& expected) {
  void* value = nullptr;
  size_t size = 0;
  bool found = get(qos, &value, &size);
  bool equal = found && size == expected.size() && std::memcmp(value, expected.data(), size) == 0;
  dds_free(value);
  return equal;
}

const policy::ByteSeq kBytes{1, 2, 0, 255};

const PolicyCase kPolicyCases[] = {
    {"Deadline", [](dds_qos_t* q) { policy::detail::set_native(q, policy::Deadline(kTwoAndAHalf)); },
     [](const dds_qos_t* q) {
       dds_duration_t d;
       return dds_qget_deadline(q, &d) && d == kTwoAndAHalfNs;
     }},
    {"DestinationOrder",
     [](dds_qos_t* q) {
       policy::detail::set_native(q, policy::DestinationOrder(policy::DestinationOrderKind::BY_SOURCE_TIMESTAMP));
     },
     [](const dds_qos_t* q) {
       dds_destination_order_kind_t k;
       return dds_qget_destination_order(q, &k) && k == DDS_DESTINATIONORDER_BY_SOURCE_TIMESTAMP;
     }},
    {"Durability",
     [](dds_qos_t* q) { policy::detail::set_native(q, policy::Durability(policy::DurabilityKind::TRANSIENT_LOCAL)); },
     [](const dds_qos_t* q) {
       dds_durability_kind_t k;
       return dds_qget_durability(q, &k) && k == DDS_DURABILITY_TRANSIENT_LOCAL;
     }},
    {"DurabilityService",
     [](dds_qos_t* q) {
       policy::detail::set_native(
           q, policy::DurabilityService(kTwoAndAHalf, policy::HistoryKind::KEEP_ALL, 3, 40, 5, 6));
     },
     [](const dds_qos_t* q) {
       dds_duration_t d;
       dds_history_kind_t k;
       int32_t depth, samples, instances, per_instance;
       return dds_qget_durability_service(q, &d, &k, &depth, &samples, &instances, &per_instance) &&
              d == kTwoAndAHalfNs && k == DDS_HISTORY_KEEP_ALL && depth == 3 && samples == 40 && instances == 5 &&
              per_instance == 6;
     }},
    {"EntityFactory", [](dds_qos_t* q) { policy::detail::set_native(q, policy::EntityFactory(false)); },
     [](const dds_qos_t* q) {
       bool autoenable = true;
       return policy::detail::get_native_entity_factory(q, &autoenable) && !autoenable;
     }},
    {"GroupData", [](dds_qos_t* q) { policy::detail::set_native(q, policy::GroupData(kBytes)); },
     [](const dds_qos_t* q) { return BytesEqual(q, dds_qget_groupdata, kBytes); }},
    {"History", [](dds_qos_t* q) { policy::detail::set_native(q, policy::History(policy::HistoryKind::KEEP_LAST, 9)); },
     [](const dds_qos_t* q) {
       dds_history_kind_t k;
       int32_t depth;
       return dds_qget_history(q, &k, &depth) && k == DDS_HISTORY_KEEP_LAST && depth == 9;
     }},
    {"LatencyBudget", [](dds_qos_t* q) { policy::detail::set_native(q, policy::LatencyBudget(kTwoAndAHalf)); },
     [](const dds_qos_t* q) {
       dds_duration_t d;
       return dds_qget_latency_budget(q, &d) && d == kTwoAndAHalfNs;
     }},
    {"Lifespan", [](dds_qos_t* q) { policy::detail::set_native(q, policy::Lifespan(Duration::infinite())); },
     [](const dds_qos_t* q) {
       dds_duration_t d;
       return dds_qget_lifespan(q, &d) && d == DDS_INFINITY;
     }},
    {"Liveliness",
     [](dds_qos_t* q) {
       policy::detail::set_native(q, policy::Liveliness(policy::LivelinessKind::MANUAL_BY_TOPIC, kTwoAndAHalf));
     },
     [](const dds_qos_t* q) {
       dds_liveliness_kind_t k;
       dds_duration_t d;
       return dds_qget_liveliness(q, &k, &d) && k == DDS_LIVELINESS_MANUAL_BY_TOPIC && d == kTwoAndAHalfNs;
     }},
    {"Ownership",
     [](dds_qos_t* q) { policy::detail::set_native(q, policy::Ownership(policy::OwnershipKind::EXCLUSIVE)); },
     [](const dds_qos_t* q) {
       dds_ownership_kind_t k;
       return dds_qget_ownership(q, &k) && k == DDS_OWNERSHIP_EXCLUSIVE;
     }},
    {"OwnershipStrength", [](dds_qos_t* q) { policy::detail::set_native(q, policy::OwnershipStrength(-4)); },
     [](const dds_qos_t* q) {
       int32_t v;
       return dds_qget_ownership_strength(q, &v) && v == -4;
     }},
    {"Partition", [](dds_qos_t* q) { policy::detail::set_native(q, policy::Partition(std::vector<std::string>{"a", ""})); },
     [](const dds_qos_t* q) {
       uint32_t n = 0;
       char** names = nullptr;
       bool ok = dds_qget_partition(q, &n, &names) && n == 2 && std::string(names[0]) == "a" &&
                 std::string(names[1]).empty();
       for (uint32_t i = 0; i < n; ++i) {
         dds_free(names[i]);
       }
       dds_free(names);
       return ok;
     }},
    {"Presentation",
     [](dds_qos_t* q) {
       policy::detail::set_native(q, policy::Presentation(policy::PresentationAccessScopeKind::GROUP, true, false));
     },
     [](const dds_qos_t* q) {
       dds_presentation_access_scope_kind_t k;
       bool coherent, ordered;
       return dds_qget_presentation(q, &k, &coherent, &ordered) && k == DDS_PRESENTATION_GROUP && coherent &&
              !ordered;
     }},
    {"ReaderDataLifecycle",
     [](dds_qos_t* q) {
       policy::detail::set_native(q, policy::ReaderDataLifecycle(kTwoAndAHalf, Duration::zero()));
     },
     [](const dds_qos_t* q) {
       dds_duration_t nowriter, disposed;
       return dds_qget_reader_data_lifecycle(q, &nowriter, &disposed) && nowriter == kTwoAndAHalfNs && disposed == 0;
     }},
    {"Reliability",
     [](dds_qos_t* q) {
       policy::detail::set_native(q, policy::Reliability(policy::ReliabilityKind::RELIABLE, kTwoAndAHalf));
     },
     [](const dds_qos_t* q) {
       dds_reliability_kind_t k;
       dds_duration_t d;
       return dds_qget_reliability(q, &k, &d) && k == DDS_RELIABILITY_RELIABLE && d == kTwoAndAHalfNs;
     }},
    {"ResourceLimits", [](dds_qos_t* q) { policy::detail::set_native(q, policy::ResourceLimits(10, 2, 5)); },
     [](const dds_qos_t* q) {
       int32_t samples, instances, per_instance;
       return dds_qget_resource_limits(q, &samples, &instances, &per_instance) && samples == 10 && instances == 2 &&
              per_instance == 5;
     }},
    {"TimeBasedFilter", [](dds_qos_t* q) { policy::detail::set_native(q, policy::TimeBasedFilter(kTwoAndAHalf)); },
     [](const dds_qos_t* q) {
       dds_duration_t d;
       return dds_qget_time_based_filter(q, &d) && d == kTwoAndAHalfNs;
     }},
    {"TopicData", [](dds_qos_t* q) { policy::detail::set_native(q, policy::TopicData(kBytes)); },
     [](const dds_qos_t* q) { return BytesEqual(q, dds_qget_topicdata, kBytes); }},
    {"TransportPriority", [](dds_qos_t* q) { policy::detail::set_native(q, policy::TransportPriority(17)); },
     [](const dds_qos_t* q) {
       int32_t v;
       return dds_qget_transport_priority(q, &v) && v == 17;
     }},
    {"UserData", [](dds_qos_t* q) { policy::detail::set_native(q, policy::UserData(kBytes)); },
     [](const dds_qos_t* q) { return BytesEqual(q, dds_qget_userdata, kBytes); }},
    {"WriterDataLifecycle", [](dds_qos_t* q) { policy::detail::set_native(q, policy::WriterDataLifecycle(false)); },
     [](const dds_qos_t* q) {
       bool autodispose = true;
       return dds_qget_writer_data_lifecycle(q, &autodispose) && !autodispose;
     }},
};

TEST(PolicyTest, EachPolicyReachesTheCQosWithItsValues) {
  for (const auto& row : kPolicyCases) {
    SCOPED_TRACE(row.name);
    NativeQos native(dds_create_qos());
    EXPECT_FALSE(row.read_back_matches(native.get()));
    row.set(native.get());
    EXPECT_TRUE(row.read_back_matches(native.get()));
  }
}

TEST(DurationTest, ConvertsToLibraryNanoseconds) {
  const struct {
    Duration duration;
    dds_duration_t nanoseconds;
  } kCases[] = {
      {Duration::zero(), 0},
      {Duration(1, 500000000), 1500000000},
      {Duration(0, 999999999), 999999999},
      {Duration::infinite(), DDS_INFINITY},
      {Duration(INT64_MAX / 2, 0), DDS_INFINITY},  // too long for 64-bit nanoseconds
      {Duration(INT64_MAX / 1000000000 - 1, 4000000000u), DDS_INFINITY},  // nanosec past 1 s
      {Duration(INT64_MAX / 1000000000 - 1, 999999999), INT64_MAX / 1000000000 * 1000000000 - 1},
  };
  for (const auto& row : kCases) {
    EXPECT_EQ(row.duration.to_native(), row.nanoseconds);
  }
  EXPECT_EQ(Duration::from_native(DDS_INFINITY), Duration::infinite());
  EXPECT_EQ(Duration::from_native(1500000000), Duration(1, 500000000));
  EXPECT_EQ(Duration::from_native(-5), Duration::infinite());
}

// An entity QoS writes only what was set on it, so the C library's per-entity
// defaults apply to everything else.
TEST(EntityQosTest, AppliesOnlyTheSetPoliciesAndTheLastValueWins) {
  dds::pub::qos::DataWriterQos qos;
  qos << policy::History(policy::HistoryKind::KEEP_ALL) << policy::History(policy::HistoryKind::KEEP_LAST, 3);
  EXPECT_EQ(qos.policy<policy::History>(), policy::History(policy::HistoryKind::KEEP_LAST, 3));

  NativeQos native = dds::core::detail::to_native(qos);
  dds_history_kind_t kind;
  int32_t depth;
  ASSERT_TRUE(dds_qget_history(native.get(), &kind, &depth));
  EXPECT_EQ(kind, DDS_HISTORY_KEEP_LAST);
  EXPECT_EQ(depth, 3);
  dds_reliability_kind_t reliability;
  dds_duration_t blocking;
  EXPECT_FALSE(dds_qget_reliability(native.get(), &reliability, &blocking));
  dds_durability_kind_t durability;
  EXPECT_FALSE(dds_qget_durability(native.get(), &durability));
}

}  // namespace
