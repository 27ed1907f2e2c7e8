// dds::domain::DomainParticipant: the participant in a DDS domain, optionally in a
// domain built from a configuration text. One domain per id per process is shared by
// every participant that uses it; it goes when the last of them goes.
#pragma once

#include <cstdint>
#include <string>

#include "ddscxx/core/entity.hpp"
#include "ddscxx/core/qos.hpp"
#include "ddscxx/core/status.hpp"

namespace dds::domain {

// Participant listeners are not bridged: the pointer given must be null.
class DomainParticipantListener;

class DomainParticipant : public core::Entity {
 public:
  DomainParticipant(const core::null_type&) {}  // NOLINT: implicit, like the standard

  // Creates a participant in domain `id`. A non-empty `config` (the C library's XML
  // configuration) first creates that domain, or joins it when this process already
  // has it (the first configuration stands); an empty one uses the library's default.
  // Throws the dds::core exception mapped from the C library's error (a configuration
  // naming a missing interface: Error); UnsupportedError for a non-null listener.
  explicit DomainParticipant(uint32_t id,
                             const qos::DomainParticipantQos& qos = default_participant_qos(),
                             DomainParticipantListener* listener = nullptr,
                             const core::status::StatusMask& mask = core::status::StatusMask::none(),
                             const std::string& config = std::string());

  DomainParticipant& operator=(const core::null_type&) {
    reset();
    return *this;
  }

  // The C library's defaults: QoS objects that hold no policy.
  static qos::DomainParticipantQos default_participant_qos() { return {}; }
  pub::qos::PublisherQos default_publisher_qos() const { return {}; }
  sub::qos::SubscriberQos default_subscriber_qos() const { return {}; }
  topic::qos::TopicQos default_topic_qos() const { return {}; }
};

}  // namespace dds::domain
