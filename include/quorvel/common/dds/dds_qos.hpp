// The library's entity QoS objects, one per DDS entity kind. Each collects policies of
// dds_qos_policy.hpp, remembers which were set, and copies exactly those onto a native
// QoS when the DDS entity layer creates an entity. The factory model owns one of each.
// Not locked: fill on one thread before use; concurrent const use is safe.
#pragma once

#include <set>
#include <string>

#include "quorvel/common/dds/dds_qos_policy.hpp"

namespace quorvel {
namespace common {

// NATIVE_QOS is the DDS API QoS type; POLICIES are the policy types the entity kind
// carries, in the order CopyToNativeQos copies them.
template <typename NATIVE_QOS, typename... POLICIES>
class DdsEntityQos : public DdsNative<NATIVE_QOS> {
 public:
  ~DdsEntityQos() override = default;

  // Stores the policy's value, replacing an earlier one, and records its name. Only the
  // policies this entity kind carries compile.
  template <typename POLICY>
  void SetPolicy(const POLICY& policy) {
    this->native_.policy(policy.GetNative());
    names_.insert(policy.GetName());
  }

  // Whether a policy of that name was set (explicitly or as a default).
  bool HasPolicy(const std::string& name) const { return names_.count(name) != 0; }

  // Replaces in `qos` each policy that was set here, in the kind's order; the others
  // in `qos` stay as they are.
  void CopyToNativeQos(NATIVE_QOS& qos) const { (CopyPolicy<POLICIES>(qos), ...); }

 protected:
  // Sets `policy` only when no policy of its name is set yet.
  template <typename POLICY>
  void SetPolicyDefault(const POLICY& policy) {
    if (!HasPolicy(policy.GetName())) {
      SetPolicy(policy);
    }
  }

 private:
  template <typename P>
  void CopyPolicy(NATIVE_QOS& qos) const {
    if (HasPolicy(dds::core::policy::policy_name<P>::name())) {
      qos.policy(this->native_.template policy<P>());
    }
  }

  std::set<std::string> names_;
};

namespace qos_policy = dds::core::policy;

// Participant: EntityFactory, UserData. No defaults.
class DdsParticipantQos
    : public DdsEntityQos<dds::domain::qos::DomainParticipantQos, qos_policy::EntityFactory, qos_policy::UserData> {
 public:
  DdsParticipantQos();
  ~DdsParticipantQos() override;
  void InitPolicyDefault();
};

// Topic: Deadline ... TransportPriority. Default: shared ownership.
class DdsTopicQos
    : public DdsEntityQos<dds::topic::qos::TopicQos, qos_policy::Deadline, qos_policy::DestinationOrder,
                          qos_policy::Durability, qos_policy::DurabilityService, qos_policy::History,
                          qos_policy::LatencyBudget, qos_policy::Lifespan, qos_policy::Liveliness,
                          qos_policy::Ownership, qos_policy::Reliability, qos_policy::ResourceLimits,
                          qos_policy::TopicData, qos_policy::TransportPriority> {
 public:
  DdsTopicQos();
  ~DdsTopicQos() override;
  void InitPolicyDefault();
};

// Publisher: EntityFactory, GroupData, Partition, Presentation. No defaults.
class DdsPublisherQos
    : public DdsEntityQos<dds::pub::qos::PublisherQos, qos_policy::EntityFactory, qos_policy::GroupData,
                          qos_policy::Partition, qos_policy::Presentation> {
 public:
  DdsPublisherQos();
  ~DdsPublisherQos() override;
  void InitPolicyDefault();
};

// Subscriber: EntityFactory, GroupData, Partition, Presentation. No defaults.
class DdsSubscriberQos
    : public DdsEntityQos<dds::sub::qos::SubscriberQos, qos_policy::EntityFactory, qos_policy::GroupData,
                          qos_policy::Partition, qos_policy::Presentation> {
 public:
  DdsSubscriberQos();
  ~DdsSubscriberQos() override;
  void InitPolicyDefault();
};

// Writer: Deadline ... WriterDataLifecycle. Defaults: volatile; keep-last, depth 1.
class DdsWriterQos
    : public DdsEntityQos<dds::pub::qos::DataWriterQos, qos_policy::Deadline, qos_policy::DestinationOrder,
                          qos_policy::Durability, qos_policy::History, qos_policy::LatencyBudget,
                          qos_policy::Lifespan, qos_policy::Liveliness, qos_policy::Ownership,
                          qos_policy::OwnershipStrength, qos_policy::Reliability, qos_policy::ResourceLimits,
                          qos_policy::TransportPriority, qos_policy::UserData,
                          qos_policy::WriterDataLifecycle> {
 public:
  DdsWriterQos();
  ~DdsWriterQos() override;
  void InitPolicyDefault();
};

// Reader: Deadline ... UserData. Defaults: volatile; keep-last, depth 1.
class DdsReaderQos
    : public DdsEntityQos<dds::sub::qos::DataReaderQos, qos_policy::Deadline, qos_policy::DestinationOrder,
                          qos_policy::Durability, qos_policy::History, qos_policy::LatencyBudget,
                          qos_policy::Liveliness, qos_policy::Ownership, qos_policy::ReaderDataLifecycle,
                          qos_policy::Reliability, qos_policy::ResourceLimits, qos_policy::TimeBasedFilter,
                          qos_policy::UserData> {
 public:
  DdsReaderQos();
  ~DdsReaderQos() override;
  void InitPolicyDefault();
};

}  // namespace common
}  // namespace quorvel
