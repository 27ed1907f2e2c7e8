// The six entity QoS types. Each holds any subset of the policies its entity kind
// carries; policies never set are left to the C library's default for that entity.
// A policy outside the entity's set does not compile.
#pragma once

#include <dds/dds.h>

#include <memory>
#include <optional>
#include <tuple>

#include "ddscxx/core/policy.hpp"

namespace dds::core {

template <typename Derived, typename... Policies>
class EntityQos {
 public:
  // Holds `policy`, replacing a value held before.
  template <typename Policy>
  Derived& policy(const Policy& policy) {
    std::get<std::optional<Policy>>(policies_) = policy;
    return static_cast<Derived&>(*this);
  }
  template <typename Policy>
  Derived& operator<<(const Policy& policy) {
    return this->policy(policy);
  }

  // The held value of Policy, or a default-constructed Policy when none is held.
  template <typename Policy>
  const Policy& policy() const {
    static const Policy unset;
    const auto& held = std::get<std::optional<Policy>>(policies_);
    return held ? *held : unset;
  }
  template <typename Policy>
  const Derived& operator>>(Policy& policy) const {
    policy = this->policy<Policy>();
    return static_cast<const Derived&>(*this);
  }

  // Writes every held policy onto `native` (dds_qset_*); the others stay as they are.
  void apply_to(dds_qos_t* native) const {
    std::apply([native](const auto&... held) { (apply_one(native, held), ...); }, policies_);
  }

  bool operator==(const EntityQos& other) const { return policies_ == other.policies_; }
  bool operator!=(const EntityQos& other) const { return !(*this == other); }

 private:
  template <typename Policy>
  static void apply_one(dds_qos_t* native, const std::optional<Policy>& held) {
    if (held) {
      policy::detail::set_native(native, *held);
    }
  }

  std::tuple<std::optional<Policies>...> policies_;
};

namespace detail {

struct NativeQosDeleter {
  void operator()(dds_qos_t* qos) const { dds_delete_qos(qos); }
};
using NativeQos = std::unique_ptr<dds_qos_t, NativeQosDeleter>;

// A new C QoS object holding exactly the policies set on `qos`.
template <typename Qos>
NativeQos to_native(const Qos& qos) {
  NativeQos native(dds_create_qos());
  qos.apply_to(native.get());
  return native;
}

}  // namespace detail
}  // namespace dds::core

namespace dds::domain::qos {
class DomainParticipantQos
    : public core::EntityQos<DomainParticipantQos, core::policy::EntityFactory, core::policy::UserData> {};
}  // namespace dds::domain::qos

namespace dds::topic::qos {
class TopicQos
    : public core::EntityQos<TopicQos, core::policy::Deadline, core::policy::DestinationOrder,
                             core::policy::Durability, core::policy::DurabilityService,
                             core::policy::History, core::policy::LatencyBudget, core::policy::Lifespan,
                             core::policy::Liveliness, core::policy::Ownership, core::policy::Reliability,
                             core::policy::ResourceLimits, core::policy::TopicData,
                             core::policy::TransportPriority> {};
}  // namespace dds::topic::qos

namespace dds::pub::qos {
class PublisherQos
    : public core::EntityQos<PublisherQos, core::policy::EntityFactory, core::policy::GroupData,
                             core::policy::Partition, core::policy::Presentation> {};

class DataWriterQos
    : public core::EntityQos<DataWriterQos, core::policy::Deadline, core::policy::DestinationOrder,
                             core::policy::Durability, core::policy::History, core::policy::LatencyBudget,
                             core::policy::Lifespan, core::policy::Liveliness, core::policy::Ownership,
                             core::policy::OwnershipStrength, core::policy::Reliability,
                             core::policy::ResourceLimits, core::policy::TransportPriority,
                             core::policy::UserData, core::policy::WriterDataLifecycle> {};
}  // namespace dds::pub::qos

namespace dds::sub::qos {
class SubscriberQos
    : public core::EntityQos<SubscriberQos, core::policy::EntityFactory, core::policy::GroupData,
                             core::policy::Partition, core::policy::Presentation> {};

class DataReaderQos
    : public core::EntityQos<DataReaderQos, core::policy::Deadline, core::policy::DestinationOrder,
                             core::policy::Durability, core::policy::History, core::policy::LatencyBudget,
                             core::policy::Liveliness, core::policy::Ownership,
                             core::policy::ReaderDataLifecycle, core::policy::Reliability,
                             core::policy::ResourceLimits, core::policy::TimeBasedFilter,
                             core::policy::UserData> {};
}  // namespace dds::sub::qos
