// dds::pub::Publisher: groups the writers of a participant.
#pragma once

#include "ddscxx/core/entity.hpp"
#include "ddscxx/core/qos.hpp"
#include "ddscxx/core/status.hpp"
#include "ddscxx/domain/domain_participant.hpp"

namespace dds::pub {

// Publisher listeners are not bridged: the pointer given must be null.
class PublisherListener;

class Publisher : public core::Entity {
 public:
  Publisher(const core::null_type&) {}  // NOLINT: implicit, like the standard

  // Creates a publisher of `participant` with `qos` (policies not set keep the library's
  // defaults). Throws the mapped dds::core exception on failure; NullReferenceError for a
  // nil participant; UnsupportedError for a non-null listener.
  explicit Publisher(const domain::DomainParticipant& participant,
                     const qos::PublisherQos& qos = qos::PublisherQos(),
                     PublisherListener* listener = nullptr,
                     const core::status::StatusMask& mask = core::status::StatusMask::none());

  Publisher& operator=(const core::null_type&) {
    reset();
    return *this;
  }

  // The C library's default: a QoS object that holds no policy.
  qos::DataWriterQos default_datawriter_qos() const { return {}; }
};

}  // namespace dds::pub
