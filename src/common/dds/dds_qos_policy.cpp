#include "quorvel/common/dds/dds_qos_policy.hpp"

namespace quorvel {
namespace common {

namespace policy = dds::core::policy;

namespace {

const int64_t kNanosecondsPerSecond = 1000000000;

dds::core::Duration ToDuration(int64_t nanoseconds) { return DdsDuration(nanoseconds).GetNative(); }

}  // namespace

DdsQosPolicyName::DdsQosPolicyName(const std::string& name) : name_(name) {}
DdsQosPolicyName::~DdsQosPolicyName() = default;

DdsDuration::DdsDuration(int64_t nanoseconds) {
  if (nanoseconds < 0) {
    native_ = dds::core::Duration::infinite();
  } else if (nanoseconds == 0) {
    native_ = dds::core::Duration::zero();
  } else {
    native_ = dds::core::Duration(nanoseconds / kNanosecondsPerSecond,
                                  static_cast<uint32_t>(nanoseconds % kNanosecondsPerSecond));
  }
}
DdsDuration::~DdsDuration() = default;

DdsQosDeadlinePolicy::DdsQosDeadlinePolicy(int64_t period) : DdsQosPolicy(policy::Deadline(ToDuration(period))) {}

DdsQosDestinationOrderPolicy::DdsQosDestinationOrderPolicy(int kind)
    : DdsQosPolicy(policy::DestinationOrder(static_cast<policy::DestinationOrderKind::Type>(kind))) {}

DdsQosDurabilityPolicy::DdsQosDurabilityPolicy(int kind)
    : DdsQosPolicy(policy::Durability(static_cast<policy::DurabilityKind::Type>(kind))) {}

DdsQosDurabilityServicePolicy::DdsQosDurabilityServicePolicy(int64_t cleanupDelay, int historyKind,
                                                             int historyDepth, int maxSamples, int maxInstances,
                                                             int maxSamplesPerInstance)
    : DdsQosPolicy(policy::DurabilityService(ToDuration(cleanupDelay),
                                             static_cast<policy::HistoryKind::Type>(historyKind), historyDepth,
                                             maxSamples, maxInstances, maxSamplesPerInstance)) {}

DdsQosEntityFactoryPolicy::DdsQosEntityFactoryPolicy(bool autoEnable)
    : DdsQosPolicy(policy::EntityFactory(autoEnable)) {}

DdsQosGroupDataPolicy::DdsQosGroupDataPolicy(const std::vector<uint8_t>& value)
    : DdsQosPolicy(policy::GroupData(value)) {}

DdsQosHistoryPolicy::DdsQosHistoryPolicy(int kind, int depth)
    : DdsQosPolicy(policy::History(static_cast<policy::HistoryKind::Type>(kind), depth)) {}

DdsQosLatencyBudgetPolicy::DdsQosLatencyBudgetPolicy(int64_t duration)
    : DdsQosPolicy(policy::LatencyBudget(ToDuration(duration))) {}

DdsQosLifespanPolicy::DdsQosLifespanPolicy(int64_t duration) : DdsQosPolicy(policy::Lifespan(ToDuration(duration))) {}

DdsQosLivelinessPolicy::DdsQosLivelinessPolicy(int kind, int64_t leaseDuration)
    : DdsQosPolicy(policy::Liveliness(static_cast<policy::LivelinessKind::Type>(kind), ToDuration(leaseDuration))) {}

DdsQosOwnershipPolicy::DdsQosOwnershipPolicy(int kind)
    : DdsQosPolicy(policy::Ownership(static_cast<policy::OwnershipKind::Type>(kind))) {}

DdsQosOwnershipStrengthPolicy::DdsQosOwnershipStrengthPolicy(int value)
    : DdsQosPolicy(policy::OwnershipStrength(value)) {}

DdsQosPartitionPolicy::DdsQosPartitionPolicy(const std::string& name) : DdsQosPolicy(policy::Partition(name)) {}

DdsQosPresentationPolicy::DdsQosPresentationPolicy(int accessScope, bool coherentAccess, bool orderedAccess)
    : DdsQosPolicy(policy::Presentation(static_cast<policy::PresentationAccessScopeKind::Type>(accessScope),
                                        coherentAccess, orderedAccess)) {}

DdsQosReaderDataLifecyclePolicy::DdsQosReaderDataLifecyclePolicy(int64_t autopurgeNoWriterSamplesDelay,
                                                                 int64_t autopurgeDisposedSamplesDelay)
    : DdsQosPolicy(policy::ReaderDataLifecycle(ToDuration(autopurgeNoWriterSamplesDelay),
                                               ToDuration(autopurgeDisposedSamplesDelay))) {}

DdsQosReliabilityPolicy::DdsQosReliabilityPolicy(int kind, int64_t maxBlockingTime)
    : DdsQosPolicy(
          policy::Reliability(static_cast<policy::ReliabilityKind::Type>(kind), ToDuration(maxBlockingTime))) {}

DdsQosResourceLimitsPolicy::DdsQosResourceLimitsPolicy(int maxSamples, int maxInstances, int maxSamplesPerInstance)
    : DdsQosPolicy(policy::ResourceLimits(maxSamples, maxInstances, maxSamplesPerInstance)) {}

DdsQosTimeBasedFilterPolicy::DdsQosTimeBasedFilterPolicy(int64_t minimumSeparation)
    : DdsQosPolicy(policy::TimeBasedFilter(ToDuration(minimumSeparation))) {}

DdsQosTopicDataPolicy::DdsQosTopicDataPolicy(const std::vector<uint8_t>& value)
    : DdsQosPolicy(policy::TopicData(value)) {}

DdsQosTransportPriorityPolicy::DdsQosTransportPriorityPolicy(int value)
    : DdsQosPolicy(policy::TransportPriority(value)) {}

DdsQosUserDataPolicy::DdsQosUserDataPolicy(const std::vector<uint8_t>& value)
    : DdsQosPolicy(policy::UserData(value)) {}

DdsQosWriterDataLifecyclePolicy::DdsQosWriterDataLifecyclePolicy(bool autodisposeUnregisteredInstances)
    : DdsQosPolicy(policy::WriterDataLifecycle(autodisposeUnregisteredInstances)) {}

}  // namespace common
}  // namespace quorvel
