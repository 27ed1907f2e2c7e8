// dds::pub::DataWriter<T>: writes samples of T on a topic. A sample goes to the C
// library as it is (T has the generated structure's memory layout).
#pragma once

#include <memory>

#include "ddscxx/core/entity.hpp"
#include "ddscxx/core/qos.hpp"
#include "ddscxx/core/status.hpp"
#include "ddscxx/pub/publisher.hpp"
#include "ddscxx/topic/topic.hpp"

namespace dds::pub {

// Writer listeners are not bridged: the pointer given must be null.
template <typename T>
class DataWriterListener;

template <typename T>
class DataWriter : public core::Entity {
 public:
  DataWriter(const core::null_type&) {}  // NOLINT: implicit, like the standard

  // Creates a writer of `publisher` on `topic` with `qos` (policies not set keep the
  // library's defaults). Throws the mapped dds::core exception on failure (inconsistent
  // policies: InconsistentPolicyError); NullReferenceError for a nil publisher or topic;
  // UnsupportedError for a non-null listener.
  DataWriter(const Publisher& publisher, const topic::Topic<T>& topic,
             const qos::DataWriterQos& qos = qos::DataWriterQos(), DataWriterListener<T>* listener = nullptr,
             const core::status::StatusMask& = core::status::StatusMask::none()) {
    if (listener != nullptr) {
      throw core::UnsupportedError("data writer listeners are not supported");
    }
    std::vector<std::shared_ptr<const void>> dependencies{publisher.reference(), topic.reference()};
    auto native_qos = core::detail::to_native(qos);
    node_ = core::detail::adopt(core::detail::check(dds_create_writer(
                                    publisher.native_handle(), topic.native_handle(), native_qos.get(), nullptr)),
                                std::move(dependencies));
  }

  DataWriter& operator=(const core::null_type&) {
    reset();
    return *this;
  }

  // Publishes `sample` (dds_write). Throws the mapped dds::core exception when the
  // library refuses it (a full history past the reliability blocking time:
  // TimeoutError). Any thread may call it.
  void write(const T& sample) { core::detail::check(dds_write(native_handle(), &sample)); }

  // The matched-readers status; reading it resets its change counts.
  core::status::PublicationMatchedStatus publication_matched_status() {
    dds_publication_matched_status_t native;
    core::detail::check(dds_get_publication_matched_status(native_handle(), &native));
    return core::status::PublicationMatchedStatus(native);
  }
};

}  // namespace dds::pub
