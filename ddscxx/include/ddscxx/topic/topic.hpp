// dds::topic::Topic<T>: a named topic of a participant whose type is T, described to
// the C library by TopicTraits<T>.
#pragma once

#include <memory>
#include <string>

#include "ddscxx/core/entity.hpp"
#include "ddscxx/core/qos.hpp"
#include "ddscxx/core/status.hpp"
#include "ddscxx/domain/domain_participant.hpp"
#include "ddscxx/topic/topic_traits.hpp"

namespace dds::topic {

// Topic listeners are not bridged: the pointer given must be null.
template <typename T>
class TopicListener;

template <typename T>
class Topic : public core::Entity {
 public:
  Topic(const core::null_type&) {}  // NOLINT: implicit, like the standard

  // Creates topic `name` of type T in `participant` with `qos` (policies not set keep
  // the library's defaults). Throws the mapped dds::core exception on failure (a name
  // already used with another type: PreconditionNotMetError; an invalid name:
  // InvalidArgumentError); NullReferenceError for a nil participant;
  // UnsupportedError for a non-null listener.
  Topic(const domain::DomainParticipant& participant, const std::string& name,
        const qos::TopicQos& qos = qos::TopicQos(), TopicListener<T>* listener = nullptr,
        const core::status::StatusMask& = core::status::StatusMask::none()) {
    if (listener != nullptr) {
      throw core::UnsupportedError("topic listeners are not supported");
    }
    std::vector<std::shared_ptr<const void>> dependencies{participant.reference()};
    auto native_qos = core::detail::to_native(qos);
    node_ = core::detail::adopt(core::detail::check(dds_create_topic(participant.native_handle(),
                                                                     TopicTraits<T>::Descriptor(), name.c_str(),
                                                                     native_qos.get(), nullptr)),
                                std::move(dependencies));
  }

  Topic& operator=(const core::null_type&) {
    reset();
    return *this;
  }
};

}  // namespace dds::topic
