// The library's QoS policies: one class per DDS policy, holding the C++ DDS layer's
// policy value and the policy's name. The entity QoS classes (dds_qos.hpp) collect them;
// the parameter realisation builds them from JSON values. Durations are signed 64-bit
// nanoseconds, negative meaning infinite; kinds are the DDS ordinals, passed unchecked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ddscxx/dds.hpp"

namespace quorvel {
namespace common {

// Holds one native DDS API object, starting at that type's default.
template <typename NATIVE>
class DdsNative {
 public:
  virtual ~DdsNative() = default;
  const NATIVE& GetNative() const { return native_; }

 protected:
  NATIVE native_;
};

// Names a policy (dds::core::policy::policy_name<P>::name()).
class DdsQosPolicyName {
 public:
  explicit DdsQosPolicyName(const std::string& name);
  virtual ~DdsQosPolicyName();
  const std::string& GetName() const { return name_; }

 private:
  std::string name_;
};

// A negative count is infinite, 0 is zero, otherwise whole seconds and the rest in ns.
class DdsDuration : public DdsNative<dds::core::Duration> {
 public:
  explicit DdsDuration(int64_t nanoseconds);
  ~DdsDuration() override;
};

// Every policy class: the value of the DDS policy P built from the constructor's
// arguments (durations as DdsDuration), and the name of P. Nothing is validated here;
// the DDS library rejects inconsistent values when an entity is created.
template <typename P>
class DdsQosPolicy : public DdsNative<P>, public DdsQosPolicyName {
 public:
  ~DdsQosPolicy() override = default;

 protected:
  explicit DdsQosPolicy(const P& native) : DdsQosPolicyName(dds::core::policy::policy_name<P>::name()) {
    this->native_ = native;
  }
};

class DdsQosDeadlinePolicy : public DdsQosPolicy<dds::core::policy::Deadline> {
 public:
  explicit DdsQosDeadlinePolicy(int64_t period);
};

// kind: 0 by reception timestamp, 1 by source timestamp.
class DdsQosDestinationOrderPolicy : public DdsQosPolicy<dds::core::policy::DestinationOrder> {
 public:
  explicit DdsQosDestinationOrderPolicy(int kind);
};

// kind: 0 volatile, 1 transient-local, 2 transient, 3 persistent.
class DdsQosDurabilityPolicy : public DdsQosPolicy<dds::core::policy::Durability> {
 public:
  explicit DdsQosDurabilityPolicy(int kind);
};

// historyKind: 0 keep-last, 1 keep-all.
class DdsQosDurabilityServicePolicy : public DdsQosPolicy<dds::core::policy::DurabilityService> {
 public:
  DdsQosDurabilityServicePolicy(int64_t cleanupDelay, int historyKind, int historyDepth, int maxSamples,
                                int maxInstances, int maxSamplesPerInstance);
};

class DdsQosEntityFactoryPolicy : public DdsQosPolicy<dds::core::policy::EntityFactory> {
 public:
  explicit DdsQosEntityFactoryPolicy(bool autoEnable);
};

class DdsQosGroupDataPolicy : public DdsQosPolicy<dds::core::policy::GroupData> {
 public:
  explicit DdsQosGroupDataPolicy(const std::vector<uint8_t>& value);
};

// kind: 0 keep-last, 1 keep-all.
class DdsQosHistoryPolicy : public DdsQosPolicy<dds::core::policy::History> {
 public:
  DdsQosHistoryPolicy(int kind, int depth);
};

class DdsQosLatencyBudgetPolicy : public DdsQosPolicy<dds::core::policy::LatencyBudget> {
 public:
  explicit DdsQosLatencyBudgetPolicy(int64_t duration);
};

class DdsQosLifespanPolicy : public DdsQosPolicy<dds::core::policy::Lifespan> {
 public:
  explicit DdsQosLifespanPolicy(int64_t duration);
};

// kind: 0 automatic, 1 manual by participant, 2 manual by topic.
class DdsQosLivelinessPolicy : public DdsQosPolicy<dds::core::policy::Liveliness> {
 public:
  DdsQosLivelinessPolicy(int kind, int64_t leaseDuration);
};

// kind: 0 shared, 1 exclusive.
class DdsQosOwnershipPolicy : public DdsQosPolicy<dds::core::policy::Ownership> {
 public:
  explicit DdsQosOwnershipPolicy(int kind);
};

class DdsQosOwnershipStrengthPolicy : public DdsQosPolicy<dds::core::policy::OwnershipStrength> {
 public:
  explicit DdsQosOwnershipStrengthPolicy(int value);
};

// A partition holding the single name `name` (which may be empty).
class DdsQosPartitionPolicy : public DdsQosPolicy<dds::core::policy::Partition> {
 public:
  explicit DdsQosPartitionPolicy(const std::string& name);
};

// accessScope: 0 instance, 1 topic, 2 group.
class DdsQosPresentationPolicy : public DdsQosPolicy<dds::core::policy::Presentation> {
 public:
  DdsQosPresentationPolicy(int accessScope, bool coherentAccess, bool orderedAccess);
};

class DdsQosReaderDataLifecyclePolicy : public DdsQosPolicy<dds::core::policy::ReaderDataLifecycle> {
 public:
  DdsQosReaderDataLifecyclePolicy(int64_t autopurgeNoWriterSamplesDelay, int64_t autopurgeDisposedSamplesDelay);
};

// kind: 0 best effort, 1 reliable.
class DdsQosReliabilityPolicy : public DdsQosPolicy<dds::core::policy::Reliability> {
 public:
  DdsQosReliabilityPolicy(int kind, int64_t maxBlockingTime);
};

// -1 is unlimited.
class DdsQosResourceLimitsPolicy : public DdsQosPolicy<dds::core::policy::ResourceLimits> {
 public:
  DdsQosResourceLimitsPolicy(int maxSamples, int maxInstances, int maxSamplesPerInstance);
};

class DdsQosTimeBasedFilterPolicy : public DdsQosPolicy<dds::core::policy::TimeBasedFilter> {
 public:
  explicit DdsQosTimeBasedFilterPolicy(int64_t minimumSeparation);
};

class DdsQosTopicDataPolicy : public DdsQosPolicy<dds::core::policy::TopicData> {
 public:
  explicit DdsQosTopicDataPolicy(const std::vector<uint8_t>& value);
};

class DdsQosTransportPriorityPolicy : public DdsQosPolicy<dds::core::policy::TransportPriority> {
 public:
  explicit DdsQosTransportPriorityPolicy(int value);
};

class DdsQosUserDataPolicy : public DdsQosPolicy<dds::core::policy::UserData> {
 public:
  explicit DdsQosUserDataPolicy(const std::vector<uint8_t>& value);
};

class DdsQosWriterDataLifecyclePolicy : public DdsQosPolicy<dds::core::policy::WriterDataLifecycle> {
 public:
  explicit DdsQosWriterDataLifecyclePolicy(bool autodisposeUnregisteredInstances);
};

}  // namespace common
}  // namespace quorvel
