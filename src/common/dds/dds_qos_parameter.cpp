#include "quorvel/common/dds/dds_qos_parameter.hpp"

#include <utility>

namespace quorvel::common {

void DdsQosParameter::Init(const JsonMap& map) {
  const std::pair<const char*, DdsQosPolicyParameter*> policies[] = {
      {"Deadline", &deadline_},
      {"DestinationOrder", &destination_order_},
      {"Durability", &durability_},
      {"DurabilityService", &durability_service_},
      {"EntityFactory", &entity_factory_},
      {"GroupData", &group_data_},
      {"History", &history_},
      {"LatencyBudget", &latency_budget_},
      {"Lifespan", &lifespan_},
      {"Liveliness", &liveliness_},
      {"Ownership", &ownership_},
      {"OwnershipStrength", &ownership_strength_},
      {"Partition", &partition_},
      {"Presentation", &presentation_},
      {"ReaderDataLifecycle", &reader_data_lifecycle_},
      {"Reliability", &reliability_},
      {"ResourceLimits", &resource_limits_},
      {"TimeBasedFilter", &time_based_filter_},
      {"TopicData", &topic_data_},
      {"TransportPriority", &transport_priority_},
      {"WriterDataLifecycle", &writer_data_lifecycle_},
      {"UserData", &user_data_},
  };
  for (const auto& [name, policy] : policies) {
    const auto it = map.find(name);
    if (it == map.end() || it->second.Empty()) {
      continue;
    }
    const JsonMap& members = AnyCast<JsonMap>(it->second);
    if (!members.empty()) {
      policy->Init(members);
      default_ = false;
    }
  }
}

}  // namespace quorvel::common
