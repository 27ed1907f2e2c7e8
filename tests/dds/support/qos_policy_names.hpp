// The names of the 22 QoS policies, and the ones an entity QoS object holds: what the QoS
// and Realize tests compare.
#pragma once

#include <set>
#include <string>

namespace quorvel::test {

inline const std::set<std::string> kAllPolicyNames = {
    "Deadline",          "DestinationOrder",  "Durability",      "DurabilityService",
    "EntityFactory",     "GroupData",         "History",         "LatencyBudget",
    "Lifespan",          "Liveliness",        "Ownership",       "OwnershipStrength",
    "Partition",         "Presentation",      "ReaderDataLifecycle", "Reliability",
    "ResourceLimits",    "TimeBasedFilter",   "TopicData",       "TransportPriority",
    "UserData",          "WriterDataLifecycle"};

// The policy names for which qos.HasPolicy is true.
template <typename QOS>
std::set<std::string> HeldPolicyNames(const QOS& qos) {
  std::set<std::string> names;
  for (const auto& name : kAllPolicyNames) {
    if (qos.HasPolicy(name)) {
      names.insert(name);
    }
  }
  return names;
}

}  // namespace quorvel::test
