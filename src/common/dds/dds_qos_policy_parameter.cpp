#include "quorvel/common/dds/dds_qos_policy_parameter.hpp"

namespace quorvel::common {
namespace {

const Any* Find(const JsonMap& map, const char* key) {
  const auto it = map.find(key);
  return it == map.end() ? nullptr : &it->second;
}

const std::vector<std::string> kDestinationOrderKinds = {
    "BY_RECEPTION_TIMESTAMP_DESTINATIONORDER_QOS", "BY_SOURCE_TIMESTAMP_DESTINATIONORDER_QOS"};
const std::vector<std::string> kDurabilityKinds = {
    "VOLATILE_DURABILITY_QOS", "TRANSIENT_LOCAL_DURABILITY_QOS", "TRANSIENT_DURABILITY_QOS",
    "PERSISTENT_DURABILITY_QOS"};
const std::vector<std::string> kHistoryKinds = {"KEEP_LAST_HISTORY_QOS", "KEEP_ALL_HISTORY_QOS"};
const std::vector<std::string> kLivelinessKinds = {"AUTOMATIC_LIVELINESS_QOS",
                                                   "MANUAL_BY_PARTICIPANT_LIVELINESS_QOS",
                                                   "MANUAL_BY_TOPIC_LIVELINESS_QOS"};
const std::vector<std::string> kOwnershipKinds = {"SHARED_OWNERSHIP_QOS",
                                                  "EXCLUSIVE_OWNERSHIP_QOS"};
const std::vector<std::string> kPresentationKinds = {
    "INSTANCE_PRESENTATION_QOS", "TOPIC_PRESENTATION_QOS", "GROUP_PRESENTATION_QOS"};
const std::vector<std::string> kReliabilityKinds = {"BEST_EFFORT_RELIABILITY_QOS",
                                                    "RELIABLE_RELIABILITY_QOS"};

}  // namespace

void DdsQosPolicyParameter::ReadDuration(const JsonMap& map, const char* key, int64_t& field) {
  if (const Any* value = Find(map, key)) {
    field = AnyNumberCast<long>(*value);
    Update();
  }
}

void DdsQosPolicyParameter::ReadInt(const JsonMap& map, const char* key, int& field) {
  if (const Any* value = Find(map, key)) {
    field = AnyNumberCast<int>(*value);
    Update();
  }
}

void DdsQosPolicyParameter::ReadFlag(const JsonMap& map, const char* key, bool& field) {
  if (const Any* value = Find(map, key)) {
    field = AnyNumberCast<int>(*value) != 0;
    Update();
  }
}

void DdsQosPolicyParameter::ReadKind(const JsonMap& map, const char* key,
                                     const std::vector<std::string>& names, int& field) {
  if (const Any* value = Find(map, key)) {
    const std::string& name = AnyCast<std::string>(*value);
    for (size_t kind = 0; kind < names.size(); ++kind) {
      if (names[kind] == name) {
        field = static_cast<int>(kind);
      }
    }
    Update();
  }
}

void DdsQosPolicyParameter::ReadString(const JsonMap& map, const char* key, std::string& field) {
  if (const Any* value = Find(map, key)) {
    field = AnyCast<std::string>(*value);
    Update();
  }
}

void DdsQosPolicyParameter::ReadBytes(const JsonMap& map, const char* key,
                                      std::vector<uint8_t>& field) {
  const Any* value = Find(map, key);
  if (value == nullptr) {
    return;
  }
  const JsonArray& array = AnyCast<JsonArray>(*value);
  if (array.empty()) {
    return;
  }
  for (const Any& element : array) {
    field.push_back(AnyNumberCast<unsigned char>(element));
  }
  Update();
}

void DdsQosDeadlinePolicyParameter::Init(const JsonMap& map) {
  ReadDuration(map, "peroid", period_);
}

void DdsQosDestinationOrderPolicyParameter::Init(const JsonMap& map) {
  ReadKind(map, "kind", kDestinationOrderKinds, kind_);
}

void DdsQosDurabilityPolicyParameter::Init(const JsonMap& map) {
  ReadKind(map, "kind", kDurabilityKinds, kind_);
}

void DdsQosDurabilityServicePolicyParameter::Init(const JsonMap& map) {
  ReadDuration(map, "service_cleanup_delay", cleanup_delay_);
  ReadKind(map, "history_kind", kHistoryKinds, history_kind_);
  ReadInt(map, "history_depth", history_depth_);
  ReadInt(map, "max_samples", max_samples_);
  ReadInt(map, "max_instances", max_instances_);
  ReadInt(map, "max_samples_per_instance", max_samples_per_instance_);
}

void DdsQosEntityFactoryPolicyParameter::Init(const JsonMap& map) {
  ReadFlag(map, "autoenable_created_entities", auto_enable_);
}

void DdsQosGroupDataPolicyParameter::Init(const JsonMap& map) { ReadBytes(map, "value", value_); }

void DdsQosHistoryPolicyParameter::Init(const JsonMap& map) {
  ReadKind(map, "kind", kHistoryKinds, kind_);
  ReadInt(map, "depth", depth_);
}

void DdsQosLatencyBudgetPolicyParameter::Init(const JsonMap& map) {
  ReadDuration(map, "duration", duration_);
}

void DdsQosLifespanPolicyParameter::Init(const JsonMap& map) {
  ReadDuration(map, "duration", duration_);
}

void DdsQosLivelinessPolicyParameter::Init(const JsonMap& map) {
  ReadKind(map, "kind", kLivelinessKinds, kind_);
  ReadDuration(map, "lease_duration", lease_duration_);
}

void DdsQosOwnershipPolicyParameter::Init(const JsonMap& map) {
  ReadKind(map, "kind", kOwnershipKinds, kind_);
}

void DdsQosOwnershipStrengthPolicyParameter::Init(const JsonMap& map) {
  ReadInt(map, "value", value_);
}

void DdsQosPartitionPolicyParameter::Init(const JsonMap& map) { ReadString(map, "name", name_); }

void DdsQosPresentationPolicyParameter::Init(const JsonMap& map) {
  ReadKind(map, "access_scope", kPresentationKinds, access_scope_kind_);
  ReadFlag(map, "coherent_access", coherent_access_);
  ReadFlag(map, "ordered_access", ordered_access_);
}

void DdsQosReaderDataLifecyclePolicyParameter::Init(const JsonMap& map) {
  ReadDuration(map, "autopurge_nowriter_samples_delay", autopurge_nowriter_samples_delay_);
  ReadDuration(map, "autopurge_disposed_samples_delay", autopurge_disposed_samples_delay_);
}

void DdsQosReliabilityPolicyParameter::Init(const JsonMap& map) {
  ReadKind(map, "kind", kReliabilityKinds, kind_);
  ReadDuration(map, "max_blocking_time", max_blocking_time_);
}

void DdsQosResourceLimitsPolicyParameter::Init(const JsonMap& map) {
  ReadInt(map, "max_samples", max_samples_);
  ReadInt(map, "max_instances", max_instances_);
  ReadInt(map, "max_samples_per_instance", max_samples_per_instance_);
}

void DdsQosTimeBasedFilterPolicyParameter::Init(const JsonMap& map) {
  ReadDuration(map, "minimum_separation", min_sep_);
}

void DdsQosTopicDataPolicyParameter::Init(const JsonMap& map) { ReadBytes(map, "value", value_); }

void DdsQosTransportPriorityPolicyParameter::Init(const JsonMap& map) {
  ReadInt(map, "value", value_);
}

void DdsQosWriterDataLifecyclePolicyParameter::Init(const JsonMap& map) {
  ReadFlag(map, "autodispose_unregistered_instances", autodispose_unregistered_instances_);
}

void DdsQosUserDataPolicyParameter::Init(const JsonMap& map) { ReadBytes(map, "value", value_); }

}  // namespace quorvel::common
