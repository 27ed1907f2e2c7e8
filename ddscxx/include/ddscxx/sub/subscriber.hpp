// dds::sub::Subscriber: groups the readers of a participant.
#pragma once

#include "ddscxx/core/entity.hpp"
#include "ddscxx/core/qos.hpp"
#include "ddscxx/core/status.hpp"
#include "ddscxx/domain/domain_participant.hpp"

namespace dds::sub {

// Subscriber listeners are not bridged: the pointer given must be null.
class SubscriberListener;

class Subscriber : public core::Entity {
 public:
  Subscriber(const core::null_type&) {}  // NOLINT: implicit, like the standard

  // Creates a subscriber of `participant` with `qos` (policies not set keep the
  // library's defaults). Throws the mapped dds::core exception on failure;
  // NullReferenceError for a nil participant; UnsupportedError for a non-null listener.
  explicit Subscriber(const domain::DomainParticipant& participant,
                      const qos::SubscriberQos& qos = qos::SubscriberQos(),
                      SubscriberListener* listener = nullptr,
                      const core::status::StatusMask& mask = core::status::StatusMask::none());

  Subscriber& operator=(const core::null_type&) {
    reset();
    return *this;
  }

  // The C library's default: a QoS object that holds no policy.
  qos::DataReaderQos default_datareader_qos() const { return {}; }
};

}  // namespace dds::sub
