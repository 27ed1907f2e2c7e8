// One set of QoS parameters from the DDS parameter file: a parameter of each of the 22
// policies. The parameter file holds one set per entity kind, and one per declared entity.
#pragma once

#include "quorvel/common/any.hpp"
#include "quorvel/common/dds/dds_qos_policy_parameter.hpp"

namespace quorvel::common {

class DdsQosParameter {
 public:
  DdsQosParameter() = default;

  // Reads a QoS object: policy names mapping to policy objects. A null or empty policy
  // object is skipped; Default() turns false once any non-empty policy object was read.
  // Throws BadCastException on the first value of the wrong JSON type.
  void Init(const JsonMap& map);
  bool Default() const { return default_; }

  const DdsQosDeadlinePolicyParameter& GetDeadline() const { return deadline_; }
  const DdsQosDestinationOrderPolicyParameter& GetDestinationOrder() const {
    return destination_order_;
  }
  const DdsQosDurabilityPolicyParameter& GetDurability() const { return durability_; }
  const DdsQosDurabilityServicePolicyParameter& GetDurabilityService() const {
    return durability_service_;
  }
  const DdsQosEntityFactoryPolicyParameter& GetEntityFactory() const { return entity_factory_; }
  const DdsQosGroupDataPolicyParameter& GetGroupData() const { return group_data_; }
  const DdsQosHistoryPolicyParameter& GetHistory() const { return history_; }
  const DdsQosLatencyBudgetPolicyParameter& GetLatencyBudget() const { return latency_budget_; }
  const DdsQosLifespanPolicyParameter& GetLifespan() const { return lifespan_; }
  const DdsQosLivelinessPolicyParameter& GetLiveliness() const { return liveliness_; }
  const DdsQosOwnershipPolicyParameter& GetOwnership() const { return ownership_; }
  const DdsQosOwnershipStrengthPolicyParameter& GetOwnershipStrength() const {
    return ownership_strength_;
  }
  const DdsQosPartitionPolicyParameter& GetPartition() const { return partition_; }
  const DdsQosPresentationPolicyParameter& GetPresentation() const { return presentation_; }
  const DdsQosReaderDataLifecyclePolicyParameter& GetReaderDataLifecycle() const {
    return reader_data_lifecycle_;
  }
  const DdsQosReliabilityPolicyParameter& GetReliability() const { return reliability_; }
  const DdsQosResourceLimitsPolicyParameter& GetResourceLimits() const { return resource_limits_; }
  const DdsQosTimeBasedFilterPolicyParameter& GetTimeBasedFilter() const {
    return time_based_filter_;
  }
  const DdsQosTopicDataPolicyParameter& GetTopicData() const { return topic_data_; }
  const DdsQosTransportPriorityPolicyParameter& GetTransportPriority() const {
    return transport_priority_;
  }
  const DdsQosWriterDataLifecyclePolicyParameter& GetWriterDataLifecycle() const {
    return writer_data_lifecycle_;
  }
  const DdsQosUserDataPolicyParameter& GetUserData() const { return user_data_; }

 private:
  bool default_ = true;
  DdsQosDeadlinePolicyParameter deadline_;
  DdsQosDestinationOrderPolicyParameter destination_order_;
  DdsQosDurabilityPolicyParameter durability_;
  DdsQosDurabilityServicePolicyParameter durability_service_;
  DdsQosEntityFactoryPolicyParameter entity_factory_;
  DdsQosGroupDataPolicyParameter group_data_;
  DdsQosHistoryPolicyParameter history_;
  DdsQosLatencyBudgetPolicyParameter latency_budget_;
  DdsQosLifespanPolicyParameter lifespan_;
  DdsQosLivelinessPolicyParameter liveliness_;
  DdsQosOwnershipPolicyParameter ownership_;
  DdsQosOwnershipStrengthPolicyParameter ownership_strength_;
  DdsQosPartitionPolicyParameter partition_;
  DdsQosPresentationPolicyParameter presentation_;
  DdsQosReaderDataLifecyclePolicyParameter reader_data_lifecycle_;
  DdsQosReliabilityPolicyParameter reliability_;
  DdsQosResourceLimitsPolicyParameter resource_limits_;
  DdsQosTimeBasedFilterPolicyParameter time_based_filter_;
  DdsQosTopicDataPolicyParameter topic_data_;
  DdsQosTransportPriorityPolicyParameter transport_priority_;
  DdsQosWriterDataLifecyclePolicyParameter writer_data_lifecycle_;
  DdsQosUserDataPolicyParameter user_data_;
};

}  // namespace quorvel::common
