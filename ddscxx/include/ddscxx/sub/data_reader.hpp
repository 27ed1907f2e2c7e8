// dds::sub::DataReader<T>: takes samples of T from a topic, with loans, and calls a
// DataReaderListener<T> on the library's thread when data is available.
#pragma once

#include <cstdio>
#include <exception>
#include <memory>
#include <vector>

#include "ddscxx/core/entity.hpp"
#include "ddscxx/core/qos.hpp"
#include "ddscxx/core/status.hpp"
#include "ddscxx/sub/sample.hpp"
#include "ddscxx/sub/subscriber.hpp"
#include "ddscxx/topic/topic.hpp"

namespace dds::sub {

template <typename T>
class DataReader;

// Called by a thread of the C library. Only data-available is bridged.
template <typename T>
class DataReaderListener {
 public:
  virtual ~DataReaderListener() = default;
  // `reader` is a handle to the reader whose data became available; it is valid
  // only during the call.
  virtual void on_data_available(DataReader<T>& reader) = 0;
};

template <typename T>
class NoOpDataReaderListener : public virtual DataReaderListener<T> {
 public:
  void on_data_available(DataReader<T>&) override {}
};

template <typename T>
class DataReader : public core::Entity {
 public:
  DataReader(const core::null_type&) {}  // NOLINT: implicit, like the standard

  // Creates a reader of `subscriber` on `topic` with `qos` (policies not set keep the
  // library's defaults), then sets `listener` with `mask` as listener() does. Throws the
  // mapped dds::core exception on failure (inconsistent policies, such as a keep-last
  // depth above max_samples_per_instance: InconsistentPolicyError); NullReferenceError
  // for a nil subscriber or topic.
  DataReader(const Subscriber& subscriber, const topic::Topic<T>& topic,
             const qos::DataReaderQos& qos = qos::DataReaderQos(), DataReaderListener<T>* listener = nullptr,
             const core::status::StatusMask& mask = core::status::StatusMask::none()) {
    std::vector<std::shared_ptr<const void>> dependencies{subscriber.reference(), topic.reference()};
    auto native_qos = core::detail::to_native(qos);
    node_ = core::detail::adopt<ReaderNode>(
        core::detail::check(
            dds_create_reader(subscriber.native_handle(), topic.native_handle(), native_qos.get(), nullptr)),
        std::move(dependencies));
    if (listener != nullptr) {
      this->listener(listener, mask);
    }
  }

  DataReader& operator=(const core::null_type&) {
    reset();
    return *this;
  }

  // Takes every available sample, on loan. Throws the mapped dds::core exception on a
  // library error (loans already taken by this call go back first).
  LoanedSamples<T> take() {
    dds_entity_t handle = native_handle();
    LoanedSamples<T> samples(handle, reference());
    for (;;) {
      std::vector<void*> buffer(kTakeBatch, nullptr);
      dds_sample_info_t infos[kTakeBatch];
      int32_t count = core::detail::check(dds_take(handle, buffer.data(), infos, kTakeBatch, kTakeBatch));
      if (count == 0) {
        break;
      }
      samples.add_loan(std::move(buffer), infos, count);
      if (count < kTakeBatch) {
        break;
      }
    }
    return samples;
  }

  // Calls `listener` for the statuses of `mask` (only data_available is supported) on a
  // library thread from now on; a null listener or an empty mask removes it. Waits for
  // a call of the former listener in progress to return, so it must not be called from
  // inside the listener. Throws UnsupportedError for other statuses in the mask. The
  // listener must outlive the reader or be replaced first.
  void listener(DataReaderListener<T>* listener, const core::status::StatusMask& mask) {
    auto& node = reader_node();
    if (!core::status::StatusMask::data_available().contains(mask)) {
      throw core::UnsupportedError("only the data_available status can be listened to");
    }
    core::detail::check(dds_set_listener(node.handle(), nullptr));
    node.listener = (mask == core::status::StatusMask::none()) ? nullptr : listener;
    if (node.listener == nullptr) {
      return;
    }
    dds_listener_t* native = dds_create_listener(nullptr);
    dds_lset_data_available_arg(native, &DataReader::on_data_available, &node, true);
    dds_return_t result = dds_set_listener(node.handle(), native);
    dds_delete_listener(native);
    core::detail::check(result);
  }

  DataReaderListener<T>* listener() const { return reader_node().listener; }

 private:
  static constexpr int32_t kTakeBatch = 64;

  struct ReaderNode : core::detail::EntityNode {
    using core::detail::EntityNode::EntityNode;
    // The listener reads this node, so the C reader goes before it does.
    ~ReaderNode() override { delete_entity(); }
    DataReaderListener<T>* listener = nullptr;
  };

  ReaderNode& reader_node() const {
    node();
    return static_cast<ReaderNode&>(*node_);
  }

  // A handle that shares no ownership: the reader is alive for the whole call.
  explicit DataReader(ReaderNode* node) : core::Entity(std::shared_ptr<core::detail::EntityNode>(
                                                           std::shared_ptr<core::detail::EntityNode>(), node)) {}

  static void on_data_available(dds_entity_t, void* arg) {
    auto* node = static_cast<ReaderNode*>(arg);
    DataReader view(node);
    try {
      node->listener->on_data_available(view);
    } catch (const std::exception& error) {
      // The C library cannot carry an exception; say so rather than lose it silently.
      std::fprintf(stderr, "dds: exception from on_data_available: %s\n", error.what());
    } catch (...) {
      std::fprintf(stderr, "dds: exception from on_data_available\n");
    }
  }
};

}  // namespace dds::sub
