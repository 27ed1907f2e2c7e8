// The 22 QoS policies as plain values, their standard names (policy_name<P>::name()),
// and the one function per policy that writes it onto a C dds_qos_t (dds_qset_*).
// Defaults of a default-constructed policy are the DDS defaults for that policy.
#pragma once

#include <dds/dds.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ddscxx/core/duration.hpp"

namespace dds::core::policy {

// Kind enumerations: ordinals equal the C library's kinds. The fixed underlying type makes
// any int a valid value, so a kind outside the list reaches the C library, which refuses
// it when an entity is created, instead of being undefined behaviour here.
struct DurabilityKind {
  enum Type : int { VOLATILE, TRANSIENT_LOCAL, TRANSIENT, PERSISTENT };
};
struct HistoryKind {
  enum Type : int { KEEP_LAST, KEEP_ALL };
};
struct ReliabilityKind {
  enum Type : int { BEST_EFFORT, RELIABLE };
};
struct LivelinessKind {
  enum Type : int { AUTOMATIC, MANUAL_BY_PARTICIPANT, MANUAL_BY_TOPIC };
};
struct OwnershipKind {
  enum Type : int { SHARED, EXCLUSIVE };
};
struct DestinationOrderKind {
  enum Type : int { BY_RECEPTION_TIMESTAMP, BY_SOURCE_TIMESTAMP };
};
struct PresentationAccessScopeKind {
  enum Type : int { INSTANCE, TOPIC, GROUP };
};

using ByteSeq = std::vector<uint8_t>;

class Deadline {
 public:
  explicit Deadline(const Duration& period = Duration::infinite()) : period_(period) {}
  const Duration& period() const { return period_; }
  bool operator==(const Deadline& o) const { return period_ == o.period_; }

 private:
  Duration period_;
};

class DestinationOrder {
 public:
  explicit DestinationOrder(DestinationOrderKind::Type kind = DestinationOrderKind::BY_RECEPTION_TIMESTAMP)
      : kind_(kind) {}
  DestinationOrderKind::Type kind() const { return kind_; }
  bool operator==(const DestinationOrder& o) const { return kind_ == o.kind_; }

 private:
  DestinationOrderKind::Type kind_;
};

class Durability {
 public:
  explicit Durability(DurabilityKind::Type kind = DurabilityKind::VOLATILE) : kind_(kind) {}
  DurabilityKind::Type kind() const { return kind_; }
  bool operator==(const Durability& o) const { return kind_ == o.kind_; }

 private:
  DurabilityKind::Type kind_;
};

class DurabilityService {
 public:
  DurabilityService(const Duration& service_cleanup_delay = Duration::zero(),
                    HistoryKind::Type history_kind = HistoryKind::KEEP_LAST, int32_t history_depth = 1,
                    int32_t max_samples = -1, int32_t max_instances = -1,
                    int32_t max_samples_per_instance = -1)
      : service_cleanup_delay_(service_cleanup_delay),
        history_kind_(history_kind),
        history_depth_(history_depth),
        max_samples_(max_samples),
        max_instances_(max_instances),
        max_samples_per_instance_(max_samples_per_instance) {}
  const Duration& service_cleanup_delay() const { return service_cleanup_delay_; }
  HistoryKind::Type history_kind() const { return history_kind_; }
  int32_t history_depth() const { return history_depth_; }
  int32_t max_samples() const { return max_samples_; }
  int32_t max_instances() const { return max_instances_; }
  int32_t max_samples_per_instance() const { return max_samples_per_instance_; }
  bool operator==(const DurabilityService& o) const {
    return service_cleanup_delay_ == o.service_cleanup_delay_ && history_kind_ == o.history_kind_ &&
           history_depth_ == o.history_depth_ && max_samples_ == o.max_samples_ &&
           max_instances_ == o.max_instances_ && max_samples_per_instance_ == o.max_samples_per_instance_;
  }

 private:
  Duration service_cleanup_delay_;
  HistoryKind::Type history_kind_;
  int32_t history_depth_;
  int32_t max_samples_;
  int32_t max_instances_;
  int32_t max_samples_per_instance_;
};

class EntityFactory {
 public:
  explicit EntityFactory(bool autoenable_created_entities = true)
      : autoenable_created_entities_(autoenable_created_entities) {}
  bool autoenable_created_entities() const { return autoenable_created_entities_; }
  bool operator==(const EntityFactory& o) const {
    return autoenable_created_entities_ == o.autoenable_created_entities_;
  }

 private:
  bool autoenable_created_entities_;
};

class GroupData {
 public:
  explicit GroupData(const ByteSeq& value = ByteSeq()) : value_(value) {}
  const ByteSeq& value() const { return value_; }
  bool operator==(const GroupData& o) const { return value_ == o.value_; }

 private:
  ByteSeq value_;
};

class History {
 public:
  explicit History(HistoryKind::Type kind = HistoryKind::KEEP_LAST, int32_t depth = 1)
      : kind_(kind), depth_(depth) {}
  HistoryKind::Type kind() const { return kind_; }
  int32_t depth() const { return depth_; }
  bool operator==(const History& o) const { return kind_ == o.kind_ && depth_ == o.depth_; }

 private:
  HistoryKind::Type kind_;
  int32_t depth_;
};

class LatencyBudget {
 public:
  explicit LatencyBudget(const Duration& duration = Duration::zero()) : duration_(duration) {}
  const Duration& duration() const { return duration_; }
  bool operator==(const LatencyBudget& o) const { return duration_ == o.duration_; }

 private:
  Duration duration_;
};

class Lifespan {
 public:
  explicit Lifespan(const Duration& duration = Duration::infinite()) : duration_(duration) {}
  const Duration& duration() const { return duration_; }
  bool operator==(const Lifespan& o) const { return duration_ == o.duration_; }

 private:
  Duration duration_;
};

class Liveliness {
 public:
  explicit Liveliness(LivelinessKind::Type kind = LivelinessKind::AUTOMATIC,
                      const Duration& lease_duration = Duration::infinite())
      : kind_(kind), lease_duration_(lease_duration) {}
  LivelinessKind::Type kind() const { return kind_; }
  const Duration& lease_duration() const { return lease_duration_; }
  bool operator==(const Liveliness& o) const {
    return kind_ == o.kind_ && lease_duration_ == o.lease_duration_;
  }

 private:
  LivelinessKind::Type kind_;
  Duration lease_duration_;
};

class Ownership {
 public:
  explicit Ownership(OwnershipKind::Type kind = OwnershipKind::SHARED) : kind_(kind) {}
  OwnershipKind::Type kind() const { return kind_; }
  bool operator==(const Ownership& o) const { return kind_ == o.kind_; }

 private:
  OwnershipKind::Type kind_;
};

class OwnershipStrength {
 public:
  explicit OwnershipStrength(int32_t value = 0) : value_(value) {}
  int32_t value() const { return value_; }
  bool operator==(const OwnershipStrength& o) const { return value_ == o.value_; }

 private:
  int32_t value_;
};

class Partition {
 public:
  // No name: the default partition.
  Partition() = default;
  explicit Partition(const std::string& name) : names_{name} {}
  explicit Partition(const std::vector<std::string>& names) : names_(names) {}
  const std::vector<std::string>& name() const { return names_; }
  bool operator==(const Partition& o) const { return names_ == o.names_; }

 private:
  std::vector<std::string> names_;
};

class Presentation {
 public:
  explicit Presentation(PresentationAccessScopeKind::Type access_scope = PresentationAccessScopeKind::INSTANCE,
                        bool coherent_access = false, bool ordered_access = false)
      : access_scope_(access_scope), coherent_access_(coherent_access), ordered_access_(ordered_access) {}
  PresentationAccessScopeKind::Type access_scope() const { return access_scope_; }
  bool coherent_access() const { return coherent_access_; }
  bool ordered_access() const { return ordered_access_; }
  bool operator==(const Presentation& o) const {
    return access_scope_ == o.access_scope_ && coherent_access_ == o.coherent_access_ &&
           ordered_access_ == o.ordered_access_;
  }

 private:
  PresentationAccessScopeKind::Type access_scope_;
  bool coherent_access_;
  bool ordered_access_;
};

class ReaderDataLifecycle {
 public:
  explicit ReaderDataLifecycle(const Duration& autopurge_nowriter_samples_delay = Duration::infinite(),
                               const Duration& autopurge_disposed_samples_delay = Duration::infinite())
      : autopurge_nowriter_samples_delay_(autopurge_nowriter_samples_delay),
        autopurge_disposed_samples_delay_(autopurge_disposed_samples_delay) {}
  const Duration& autopurge_nowriter_samples_delay() const { return autopurge_nowriter_samples_delay_; }
  const Duration& autopurge_disposed_samples_delay() const { return autopurge_disposed_samples_delay_; }
  bool operator==(const ReaderDataLifecycle& o) const {
    return autopurge_nowriter_samples_delay_ == o.autopurge_nowriter_samples_delay_ &&
           autopurge_disposed_samples_delay_ == o.autopurge_disposed_samples_delay_;
  }

 private:
  Duration autopurge_nowriter_samples_delay_;
  Duration autopurge_disposed_samples_delay_;
};

class Reliability {
 public:
  explicit Reliability(ReliabilityKind::Type kind = ReliabilityKind::BEST_EFFORT,
                       const Duration& max_blocking_time = Duration(0, 100000000))
      : kind_(kind), max_blocking_time_(max_blocking_time) {}
  ReliabilityKind::Type kind() const { return kind_; }
  const Duration& max_blocking_time() const { return max_blocking_time_; }
  bool operator==(const Reliability& o) const {
    return kind_ == o.kind_ && max_blocking_time_ == o.max_blocking_time_;
  }

 private:
  ReliabilityKind::Type kind_;
  Duration max_blocking_time_;
};

class ResourceLimits {
 public:
  // -1 (DDS_LENGTH_UNLIMITED) is unlimited.
  explicit ResourceLimits(int32_t max_samples = -1, int32_t max_instances = -1,
                          int32_t max_samples_per_instance = -1)
      : max_samples_(max_samples), max_instances_(max_instances), max_samples_per_instance_(max_samples_per_instance) {}
  int32_t max_samples() const { return max_samples_; }
  int32_t max_instances() const { return max_instances_; }
  int32_t max_samples_per_instance() const { return max_samples_per_instance_; }
  bool operator==(const ResourceLimits& o) const {
    return max_samples_ == o.max_samples_ && max_instances_ == o.max_instances_ &&
           max_samples_per_instance_ == o.max_samples_per_instance_;
  }

 private:
  int32_t max_samples_;
  int32_t max_instances_;
  int32_t max_samples_per_instance_;
};

class TimeBasedFilter {
 public:
  explicit TimeBasedFilter(const Duration& minimum_separation = Duration::zero())
      : minimum_separation_(minimum_separation) {}
  const Duration& minimum_separation() const { return minimum_separation_; }
  bool operator==(const TimeBasedFilter& o) const { return minimum_separation_ == o.minimum_separation_; }

 private:
  Duration minimum_separation_;
};

class TopicData {
 public:
  explicit TopicData(const ByteSeq& value = ByteSeq()) : value_(value) {}
  const ByteSeq& value() const { return value_; }
  bool operator==(const TopicData& o) const { return value_ == o.value_; }

 private:
  ByteSeq value_;
};

class TransportPriority {
 public:
  explicit TransportPriority(int32_t value = 0) : value_(value) {}
  int32_t value() const { return value_; }
  bool operator==(const TransportPriority& o) const { return value_ == o.value_; }

 private:
  int32_t value_;
};

class UserData {
 public:
  explicit UserData(const ByteSeq& value = ByteSeq()) : value_(value) {}
  const ByteSeq& value() const { return value_; }
  bool operator==(const UserData& o) const { return value_ == o.value_; }

 private:
  ByteSeq value_;
};

class WriterDataLifecycle {
 public:
  explicit WriterDataLifecycle(bool autodispose_unregistered_instances = true)
      : autodispose_unregistered_instances_(autodispose_unregistered_instances) {}
  bool autodispose_unregistered_instances() const { return autodispose_unregistered_instances_; }
  bool operator==(const WriterDataLifecycle& o) const {
    return autodispose_unregistered_instances_ == o.autodispose_unregistered_instances_;
  }

 private:
  bool autodispose_unregistered_instances_;
};

// policy_name<P>::name(): the standard name of policy P ("Reliability", ...).
template <typename Policy>
struct policy_name;

#define DDSCXX_POLICY_NAME(Policy)                  \
  template <>                                       \
  struct policy_name<Policy> {                      \
    static const std::string& name() {             \
      static const std::string text = #Policy;      \
      return text;                                  \
    }                                               \
  }

DDSCXX_POLICY_NAME(Deadline);
DDSCXX_POLICY_NAME(DestinationOrder);
DDSCXX_POLICY_NAME(Durability);
DDSCXX_POLICY_NAME(DurabilityService);
DDSCXX_POLICY_NAME(EntityFactory);
DDSCXX_POLICY_NAME(GroupData);
DDSCXX_POLICY_NAME(History);
DDSCXX_POLICY_NAME(LatencyBudget);
DDSCXX_POLICY_NAME(Lifespan);
DDSCXX_POLICY_NAME(Liveliness);
DDSCXX_POLICY_NAME(Ownership);
DDSCXX_POLICY_NAME(OwnershipStrength);
DDSCXX_POLICY_NAME(Partition);
DDSCXX_POLICY_NAME(Presentation);
DDSCXX_POLICY_NAME(ReaderDataLifecycle);
DDSCXX_POLICY_NAME(Reliability);
DDSCXX_POLICY_NAME(ResourceLimits);
DDSCXX_POLICY_NAME(TimeBasedFilter);
DDSCXX_POLICY_NAME(TopicData);
DDSCXX_POLICY_NAME(TransportPriority);
DDSCXX_POLICY_NAME(UserData);
DDSCXX_POLICY_NAME(WriterDataLifecycle);

#undef DDSCXX_POLICY_NAME

namespace detail {

// Each writes its policy onto `native`, replacing any value that policy had there.
void set_native(dds_qos_t* native, const Deadline& policy);
void set_native(dds_qos_t* native, const DestinationOrder& policy);
void set_native(dds_qos_t* native, const Durability& policy);
void set_native(dds_qos_t* native, const DurabilityService& policy);
void set_native(dds_qos_t* native, const EntityFactory& policy);
void set_native(dds_qos_t* native, const GroupData& policy);
void set_native(dds_qos_t* native, const History& policy);
void set_native(dds_qos_t* native, const LatencyBudget& policy);
void set_native(dds_qos_t* native, const Lifespan& policy);
void set_native(dds_qos_t* native, const Liveliness& policy);
void set_native(dds_qos_t* native, const Ownership& policy);
void set_native(dds_qos_t* native, const OwnershipStrength& policy);
void set_native(dds_qos_t* native, const Partition& policy);
void set_native(dds_qos_t* native, const Presentation& policy);
void set_native(dds_qos_t* native, const ReaderDataLifecycle& policy);
void set_native(dds_qos_t* native, const Reliability& policy);
void set_native(dds_qos_t* native, const ResourceLimits& policy);
void set_native(dds_qos_t* native, const TimeBasedFilter& policy);
void set_native(dds_qos_t* native, const TopicData& policy);
void set_native(dds_qos_t* native, const TransportPriority& policy);
void set_native(dds_qos_t* native, const UserData& policy);
void set_native(dds_qos_t* native, const WriterDataLifecycle& policy);

// The entity-factory policy has no dds_qset_* of its own; this reads what set_native
// wrote. Returns false when `native` does not hold the policy.
bool get_native_entity_factory(const dds_qos_t* native, bool* autoenable_created_entities);

}  // namespace detail
}  // namespace dds::core::policy
