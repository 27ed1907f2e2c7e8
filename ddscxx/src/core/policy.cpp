#include "ddscxx/core/policy.hpp"

#include <dds/ddsi/ddsi_xqos.h>

namespace dds::core::policy::detail {

void set_native(dds_qos_t* native, const Deadline& policy) {
  dds_qset_deadline(native, policy.period().to_native());
}

void set_native(dds_qos_t* native, const DestinationOrder& policy) {
  dds_qset_destination_order(native, static_cast<dds_destination_order_kind_t>(policy.kind()));
}

void set_native(dds_qos_t* native, const Durability& policy) {
  dds_qset_durability(native, static_cast<dds_durability_kind_t>(policy.kind()));
}

void set_native(dds_qos_t* native, const DurabilityService& policy) {
  dds_qset_durability_service(native, policy.service_cleanup_delay().to_native(),
                              static_cast<dds_history_kind_t>(policy.history_kind()), policy.history_depth(),
                              policy.max_samples(), policy.max_instances(), policy.max_samples_per_instance());
}

// The C library keeps this policy but offers no dds_qset_* for it.
void set_native(dds_qos_t* native, const EntityFactory& policy) {
  native->entity_factory.autoenable_created_entities = policy.autoenable_created_entities() ? 1 : 0;
  native->present |= QP_ADLINK_ENTITY_FACTORY;
}

bool get_native_entity_factory(const dds_qos_t* native, bool* autoenable_created_entities) {
  if ((native->present & QP_ADLINK_ENTITY_FACTORY) == 0) {
    return false;
  }
  *autoenable_created_entities = native->entity_factory.autoenable_created_entities != 0;
  return true;
}

void set_native(dds_qos_t* native, const GroupData& policy) {
  dds_qset_groupdata(native, policy.value().data(), policy.value().size());
}

void set_native(dds_qos_t* native, const History& policy) {
  dds_qset_history(native, static_cast<dds_history_kind_t>(policy.kind()), policy.depth());
}

void set_native(dds_qos_t* native, const LatencyBudget& policy) {
  dds_qset_latency_budget(native, policy.duration().to_native());
}

void set_native(dds_qos_t* native, const Lifespan& policy) {
  dds_qset_lifespan(native, policy.duration().to_native());
}

void set_native(dds_qos_t* native, const Liveliness& policy) {
  dds_qset_liveliness(native, static_cast<dds_liveliness_kind_t>(policy.kind()),
                      policy.lease_duration().to_native());
}

void set_native(dds_qos_t* native, const Ownership& policy) {
  dds_qset_ownership(native, static_cast<dds_ownership_kind_t>(policy.kind()));
}

void set_native(dds_qos_t* native, const OwnershipStrength& policy) {
  dds_qset_ownership_strength(native, policy.value());
}

void set_native(dds_qos_t* native, const Partition& policy) {
  std::vector<const char*> names;
  names.reserve(policy.name().size());
  for (const auto& name : policy.name()) {
    names.push_back(name.c_str());
  }
  dds_qset_partition(native, static_cast<uint32_t>(names.size()), names.data());
}

void set_native(dds_qos_t* native, const Presentation& policy) {
  dds_qset_presentation(native, static_cast<dds_presentation_access_scope_kind_t>(policy.access_scope()),
                        policy.coherent_access(), policy.ordered_access());
}

void set_native(dds_qos_t* native, const ReaderDataLifecycle& policy) {
  dds_qset_reader_data_lifecycle(native, policy.autopurge_nowriter_samples_delay().to_native(),
                                 policy.autopurge_disposed_samples_delay().to_native());
}

void set_native(dds_qos_t* native, const Reliability& policy) {
  dds_qset_reliability(native, static_cast<dds_reliability_kind_t>(policy.kind()),
                       policy.max_blocking_time().to_native());
}

void set_native(dds_qos_t* native, const ResourceLimits& policy) {
  dds_qset_resource_limits(native, policy.max_samples(), policy.max_instances(),
                           policy.max_samples_per_instance());
}

void set_native(dds_qos_t* native, const TimeBasedFilter& policy) {
  dds_qset_time_based_filter(native, policy.minimum_separation().to_native());
}

void set_native(dds_qos_t* native, const TopicData& policy) {
  dds_qset_topicdata(native, policy.value().data(), policy.value().size());
}

void set_native(dds_qos_t* native, const TransportPriority& policy) {
  dds_qset_transport_priority(native, policy.value());
}

void set_native(dds_qos_t* native, const UserData& policy) {
  dds_qset_userdata(native, policy.value().data(), policy.value().size());
}

void set_native(dds_qos_t* native, const WriterDataLifecycle& policy) {
  dds_qset_writer_data_lifecycle(native, policy.autodispose_unregistered_instances());
}

}  // namespace dds::core::policy::detail
