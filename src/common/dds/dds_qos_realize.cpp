#include "quorvel/common/dds/dds_qos_realize.hpp"

#include "quorvel/common/dds/dds_qos_policy.hpp"

namespace quorvel::common {
namespace {

// The policy each parameter becomes once the file set it.
DdsQosDeadlinePolicy MakePolicy(const DdsQosDeadlinePolicyParameter& p) {
  return DdsQosDeadlinePolicy(p.GetPeriod());
}
DdsQosDestinationOrderPolicy MakePolicy(const DdsQosDestinationOrderPolicyParameter& p) {
  return DdsQosDestinationOrderPolicy(p.GetKind());
}
DdsQosDurabilityPolicy MakePolicy(const DdsQosDurabilityPolicyParameter& p) {
  return DdsQosDurabilityPolicy(p.GetKind());
}
DdsQosDurabilityServicePolicy MakePolicy(const DdsQosDurabilityServicePolicyParameter& p) {
  return DdsQosDurabilityServicePolicy(p.GetCleanupDelay(), p.GetHistoryKind(),
                                       p.GetHistoryDepth(), p.GetMaxSamples(),
                                       p.GetMaxInstances(), p.GetMaxSamplesPerInstance());
}
DdsQosEntityFactoryPolicy MakePolicy(const DdsQosEntityFactoryPolicyParameter& p) {
  return DdsQosEntityFactoryPolicy(p.GetAutoEnable());
}
DdsQosGroupDataPolicy MakePolicy(const DdsQosGroupDataPolicyParameter& p) {
  return DdsQosGroupDataPolicy(p.GetValue());
}
DdsQosHistoryPolicy MakePolicy(const DdsQosHistoryPolicyParameter& p) {
  return DdsQosHistoryPolicy(p.GetKind(), p.GetDepth());
}
DdsQosLatencyBudgetPolicy MakePolicy(const DdsQosLatencyBudgetPolicyParameter& p) {
  return DdsQosLatencyBudgetPolicy(p.GetDuration());
}
DdsQosLifespanPolicy MakePolicy(const DdsQosLifespanPolicyParameter& p) {
  return DdsQosLifespanPolicy(p.GetDuration());
}
DdsQosLivelinessPolicy MakePolicy(const DdsQosLivelinessPolicyParameter& p) {
  return DdsQosLivelinessPolicy(p.GetKind(), p.GetLeaseDuration());
}
DdsQosOwnershipPolicy MakePolicy(const DdsQosOwnershipPolicyParameter& p) {
  return DdsQosOwnershipPolicy(p.GetKind());
}
DdsQosOwnershipStrengthPolicy MakePolicy(const DdsQosOwnershipStrengthPolicyParameter& p) {
  return DdsQosOwnershipStrengthPolicy(p.GetValue());
}
DdsQosPartitionPolicy MakePolicy(const DdsQosPartitionPolicyParameter& p) {
  return DdsQosPartitionPolicy(p.GetName());
}
DdsQosPresentationPolicy MakePolicy(const DdsQosPresentationPolicyParameter& p) {
  return DdsQosPresentationPolicy(p.GetAccessScopeKind(), p.GetCoherentAccess(),
                                  p.GetOrderedAccess());
}
DdsQosReaderDataLifecyclePolicy MakePolicy(const DdsQosReaderDataLifecyclePolicyParameter& p) {
  return DdsQosReaderDataLifecyclePolicy(p.GetAutopurgeNowriterSamplesDelay(),
                                         p.GetAutopurgeDisposedSamplesDelay());
}
DdsQosReliabilityPolicy MakePolicy(const DdsQosReliabilityPolicyParameter& p) {
  return DdsQosReliabilityPolicy(p.GetKind(), p.GetMaxBlockingTime());
}
DdsQosResourceLimitsPolicy MakePolicy(const DdsQosResourceLimitsPolicyParameter& p) {
  return DdsQosResourceLimitsPolicy(p.GetMaxSamples(), p.GetMaxInstances(),
                                    p.GetMaxSamplesPerInstance());
}
DdsQosTimeBasedFilterPolicy MakePolicy(const DdsQosTimeBasedFilterPolicyParameter& p) {
  return DdsQosTimeBasedFilterPolicy(p.GetMinSep());
}
DdsQosTopicDataPolicy MakePolicy(const DdsQosTopicDataPolicyParameter& p) {
  return DdsQosTopicDataPolicy(p.GetValue());
}
DdsQosTransportPriorityPolicy MakePolicy(const DdsQosTransportPriorityPolicyParameter& p) {
  return DdsQosTransportPriorityPolicy(p.GetValue());
}
DdsQosUserDataPolicy MakePolicy(const DdsQosUserDataPolicyParameter& p) {
  return DdsQosUserDataPolicy(p.GetValue());
}
DdsQosWriterDataLifecyclePolicy MakePolicy(const DdsQosWriterDataLifecyclePolicyParameter& p) {
  return DdsQosWriterDataLifecyclePolicy(p.GetAutodisposeUnregisteredInstances());
}

template <typename Qos, typename... Parameters>
void ApplySet(Qos& qos, const Parameters&... parameters) {
  const auto apply = [&qos](const auto& parameter) {
    if (!parameter.Default()) {
      qos.SetPolicy(MakePolicy(parameter));
    }
  };
  (apply(parameters), ...);
}

}  // namespace

void Realize(const DdsQosParameter& p, DdsParticipantQos& qos) {
  ApplySet(qos, p.GetEntityFactory(), p.GetUserData());
}

void Realize(const DdsQosParameter& p, DdsTopicQos& qos) {
  ApplySet(qos, p.GetDeadline(), p.GetDestinationOrder(), p.GetDurability(),
           p.GetDurabilityService(), p.GetHistory(), p.GetLatencyBudget(), p.GetLifespan(),
           p.GetLiveliness(), p.GetOwnership(), p.GetReliability(), p.GetResourceLimits(),
           p.GetTopicData(), p.GetTransportPriority());
}

void Realize(const DdsQosParameter& p, DdsPublisherQos& qos) {
  ApplySet(qos, p.GetEntityFactory(), p.GetGroupData(), p.GetPartition(), p.GetPresentation());
}

void Realize(const DdsQosParameter& p, DdsSubscriberQos& qos) {
  ApplySet(qos, p.GetEntityFactory(), p.GetGroupData(), p.GetPartition(), p.GetPresentation());
}

void Realize(const DdsQosParameter& p, DdsWriterQos& qos) {
  ApplySet(qos, p.GetDeadline(), p.GetDestinationOrder(), p.GetDurability(), p.GetHistory(),
           p.GetLatencyBudget(), p.GetLifespan(), p.GetLiveliness(), p.GetOwnership(),
           p.GetOwnershipStrength(), p.GetReliability(), p.GetResourceLimits(),
           p.GetTransportPriority(), p.GetUserData(), p.GetWriterDataLifecycle());
}

void Realize(const DdsQosParameter& p, DdsReaderQos& qos) {
  ApplySet(qos, p.GetDeadline(), p.GetDestinationOrder(), p.GetDurability(), p.GetHistory(),
           p.GetLatencyBudget(), p.GetLiveliness(), p.GetOwnership(), p.GetReliability(),
           p.GetReaderDataLifecycle(), p.GetResourceLimits(), p.GetTimeBasedFilter(),
           p.GetUserData());
}

}  // namespace quorvel::common
