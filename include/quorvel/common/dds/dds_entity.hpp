// Wrappers of the DDS entities (participant, publisher, subscriber, topic, writer, reader)
// with one translation of DDS errors into DdsException, and the reader listener that
// delivers samples directly or through a queue and the "rlsnr" thread.
// Used by the topic channels and the factory model (dds_topic_channel.hpp, dds_factory_model.hpp).
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <utility>

#include "ddscxx/dds.hpp"
#include "quorvel/common/dds/dds_callback.hpp"
#include "quorvel/common/dds/dds_qos.hpp"
#include "quorvel/common/exception.hpp"
#include "quorvel/common/log/log_decl.hpp"
#include "quorvel/common/thread/thread.hpp"
#include "quorvel/common/time/sleep.hpp"
#include "quorvel/common/time/time_tool.hpp"

namespace quorvel::common {

// Runs `body`. Returns true when it finished; when it threw a std::exception, stores
// "Catch dds::core exception. Class:<class>, Message:<what()>" in `message` and returns
// false. The DDS classes are tried in a fixed order, dds::core::Error first.
// Anything that is not a std::exception passes through.
template <typename Body>
bool RunTranslatingDdsErrors(Body&& body, std::string& message) {
  const auto translate = [&message](const char* className, const char* what) {
    message = std::string("Catch dds::core exception. Class:") + className + ", Message:" + what;
  };
  try {
    body();
    return true;
  } catch (const dds::core::Error& e) {
    translate("::dds::core::Error", e.what());
  } catch (const dds::core::InvalidArgumentError& e) {
    translate("::dds::core::InvalidArgumentError", e.what());
  } catch (const dds::core::TimeoutError& e) {
    translate("::dds::core::TimeoutError", e.what());
  } catch (const dds::core::UnsupportedError& e) {
    translate("::dds::core::UnsupportedError", e.what());
  } catch (const dds::core::AlreadyClosedError& e) {
    translate("::dds::core::AlreadyClosedError", e.what());
  } catch (const dds::core::IllegalOperationError& e) {
    translate("::dds::core::IllegalOperationError", e.what());
  } catch (const dds::core::NotEnabledError& e) {
    translate("::dds::core::NotEnabledError", e.what());
  } catch (const dds::core::PreconditionNotMetError& e) {
    translate("::dds::core::PreconditionNotMetError", e.what());
  } catch (const dds::core::ImmutablePolicyError& e) {
    translate("::dds::core::ImmutablePolicyError", e.what());
  } catch (const dds::core::InconsistentPolicyError& e) {
    translate("::dds::core::InconsistentPolicyError", e.what());
  } catch (const dds::core::OutOfResourcesError& e) {
    translate("::dds::core::OutOfResourcesError", e.what());
  } catch (const dds::core::InvalidDowncastError& e) {
    translate("::dds::core::InvalidDowncastError", e.what());
  } catch (const dds::core::NullReferenceError& e) {
    translate("::dds::core::NullReferenceError", e.what());
  } catch (const dds::core::InvalidDataError& e) {
    translate("::dds::core::InvalidDataError", e.what());
  } catch (const dds::core::Exception& e) {
    translate("::dds::core::Exception", e.what());
  } catch (const std::exception& e) {
    translate("std::exception", e.what());
  }
  return false;
}

// Interval between two reads of a writer's matched status while it waits for readers.
constexpr int64_t QV_DDS_WAIT_READER_STEP_MICROSEC = 50000;

// The polling of DdsWriter::WaitReader: asks `matched()` and returns true as soon as it
// does; otherwise sleeps one step with `sleep(microseconds)` until waitMicrosec is used
// up, asking once more after the last sleep. Returns false when no reader came.
template <typename Matched, typename Sleep>
bool PollUntilMatched(int64_t waitMicrosec, Matched&& matched, Sleep&& sleep) {
  int64_t remaining = waitMicrosec;
  while (!matched()) {
    if (remaining <= 0) {
      return false;
    }
    sleep(QV_DDS_WAIT_READER_STEP_MICROSEC);
    remaining -= QV_DDS_WAIT_READER_STEP_MICROSEC;
  }
  return true;
}

// Root of every wrapper: holds the logger "/quorvel/dds/dds_entity_wrapper" (may be null).
class DdsLogger {
 public:
  DdsLogger();
  virtual ~DdsLogger();

 protected:
  // Logs `message` at ERROR when a logger is configured.
  void LogError(const std::string& message) const;
  // Logs `message` at ERROR, then throws a DdsException carrying it, stamped with the site.
  [[noreturn]] void ThrowDdsError(const std::string& message, const char* file, const char* function,
                                  int32_t line) const;

  // Runs `body` under the DDS error translation; a DDS failure is logged at ERROR and
  // thrown as DdsException stamped with the given site.
  template <typename Body>
  void RunOrThrow(Body&& body, const char* file, const char* function, int32_t line) const {
    std::string error;
    if (!RunTranslatingDdsErrors(std::forward<Body>(body), error)) {
      ThrowDdsError(error, file, function, line);
    }
  }

  // Runs `body` under the DDS error translation; a DDS failure is logged at ERROR and
  // gives false.
  template <typename Body>
  bool RunOrLog(Body&& body) const {
    std::string error;
    if (!RunTranslatingDdsErrors(std::forward<Body>(body), error)) {
      LogError(error);
      return false;
    }
    return true;
  }

  Logger* logger_;
};

// The domain participant. Throws DdsException when the DDS library refuses it, for example
// for a configuration text naming an interface that does not exist. An empty
// configuration text lets the DDS library use its default configuration.
class DdsParticipant : public DdsLogger {
 public:
  DdsParticipant(uint32_t domainId, const DdsParticipantQos& qos, const std::string& config);
  ~DdsParticipant() override;
  DdsParticipant(const DdsParticipant&) = delete;
  DdsParticipant& operator=(const DdsParticipant&) = delete;

  const dds::domain::DomainParticipant& GetNative() const;

 private:
  dds::domain::DomainParticipant native_ = dds::core::null;
};
using DdsParticipantPtr = std::shared_ptr<DdsParticipant>;

// A publisher of the participant. Throws DdsException on a DDS failure.
class DdsPublisher : public DdsLogger {
 public:
  DdsPublisher(const DdsParticipantPtr& participant, const DdsPublisherQos& qos);
  ~DdsPublisher() override;
  DdsPublisher(const DdsPublisher&) = delete;
  DdsPublisher& operator=(const DdsPublisher&) = delete;

  const dds::pub::Publisher& GetNative() const;

 private:
  dds::pub::Publisher native_ = dds::core::null;
};
using DdsPublisherPtr = std::shared_ptr<DdsPublisher>;

// A subscriber of the participant. Throws DdsException on a DDS failure.
class DdsSubscriber : public DdsLogger {
 public:
  DdsSubscriber(const DdsParticipantPtr& participant, const DdsSubscriberQos& qos);
  ~DdsSubscriber() override;
  DdsSubscriber(const DdsSubscriber&) = delete;
  DdsSubscriber& operator=(const DdsSubscriber&) = delete;

  const dds::sub::Subscriber& GetNative() const;

 private:
  dds::sub::Subscriber native_ = dds::core::null;
};
using DdsSubscriberPtr = std::shared_ptr<DdsSubscriber>;

// A topic of message type MSG. Throws DdsException on a DDS failure.
template <typename MSG>
class DdsTopic : public DdsLogger {
 public:
  DdsTopic(const DdsParticipantPtr& participant, const std::string& name, const DdsTopicQos& qos) {
    RunOrThrow(
        [&] {
          const dds::domain::DomainParticipant& parent = participant->GetNative();
          dds::topic::qos::TopicQos nativeQos = parent.default_topic_qos();
          qos.CopyToNativeQos(nativeQos);
          native_ = dds::topic::Topic<MSG>(parent, name, nativeQos);
        },
        __FILE__, __PRETTY_FUNCTION__, __LINE__);
  }
  ~DdsTopic() override { native_ = dds::core::null; }
  DdsTopic(const DdsTopic&) = delete;
  DdsTopic& operator=(const DdsTopic&) = delete;

  const dds::topic::Topic<MSG>& GetNative() const { return native_; }

 private:
  dds::topic::Topic<MSG> native_ = dds::core::null;
};
template <typename MSG>
using DdsTopicPtr = std::shared_ptr<DdsTopic<MSG>>;

// A data writer of MSG. Throws DdsException from the constructor on a DDS failure.
template <typename MSG>
class DdsWriter : public DdsLogger {
 public:
  DdsWriter(DdsPublisherPtr publisher, const DdsTopicPtr<MSG>& topic, const DdsWriterQos& qos) {
    RunOrThrow(
        [&] {
          const dds::pub::Publisher& parent = publisher->GetNative();
          dds::pub::qos::DataWriterQos nativeQos = parent.default_datawriter_qos();
          qos.CopyToNativeQos(nativeQos);
          native_ = dds::pub::DataWriter<MSG>(parent, topic->GetNative(), nativeQos);
        },
        __FILE__, __PRETTY_FUNCTION__, __LINE__);
  }
  ~DdsWriter() override { native_ = dds::core::null; }
  DdsWriter(const DdsWriter&) = delete;
  DdsWriter& operator=(const DdsWriter&) = delete;

  // Publishes `message`. With waitMicrosec > 0 first waits for a matched reader
  // (WaitReader) and returns false, writing nothing, when none comes. Returns false when
  // the DDS library fails to wait or to write (logged at ERROR); never throws. Caller's
  // thread.
  bool Write(const MSG& message, int64_t waitMicrosec) {
    bool written = false;
    RunOrLog([&] {
      if (waitMicrosec > 0 && !WaitReader(waitMicrosec)) {
        return;
      }
      native_.write(message);
      written = true;
    });
    return written;
  }

  // Waits until at least one reader is matched, reading the matched status every 50 ms
  // and once more after the last sleep; so the total sleep is waitMicrosec rounded up to
  // a multiple of 50 ms. Returns whether a reader is matched; throws the dds::core
  // exception of a failed status read.
  bool WaitReader(int64_t waitMicrosec) {
    return PollUntilMatched(
        waitMicrosec, [this] { return native_.publication_matched_status().current_count() != 0; },
        [](int64_t microseconds) { MicroSleep(static_cast<uint64_t>(microseconds)); });
  }

 private:
  dds::pub::DataWriter<MSG> native_ = dds::core::null;
};

// Receives the DDS library's data-available calls for one reader and hands every valid
// sample to the handler: at once on the DDS thread (direct mode), or through a bounded
// queue to a consumer thread named "rlsnr" (queue mode). Owned by its DdsReader.
template <typename MSG>
class DdsReaderListener : public dds::sub::NoOpDataReaderListener<MSG>, private DdsLogger {
 public:
  DdsReaderListener() = default;
  DdsReaderListener(const DdsReaderListener&) = delete;
  DdsReaderListener& operator=(const DdsReaderListener&) = delete;

  // Stops the consumer thread and waits for it: it ends promptly, also while a stop falls
  // between its checks or while it still waits for a handler; a handler call that is
  // under way finishes first. Samples still queued are dropped.
  ~DdsReaderListener() override {
    if (thread_) {
      stop_ = true;
      queue_->Close();
      thread_->Wait(0);
    }
  }

  // Installs the handler; a callback with a handler adds data-available to the status mask.
  void SetCallback(const DdsReaderCallback& callback) {
    if (callback.HasMessageHandler()) {
      statusMask_ = statusMask_ | dds::core::status::StatusMask::data_available();
    }
    callback_ = std::make_shared<DdsReaderCallback>(callback);
  }

  // queueLength > 0: queue mode with that capacity and a "rlsnr" consumer thread.
  // Otherwise direct mode. Call once, after SetCallback. Throws SystemException when the
  // thread cannot be created.
  void SetQueue(int32_t queueLength) {
    if (queueLength <= 0) {
      return;
    }
    queue_ = std::make_shared<BlockQueue<std::shared_ptr<MSG>>>(static_cast<size_t>(queueLength));
    thread_ = CreateThreadEx("rlsnr", -1, &DdsReaderListener::Consume, this);
    queueMode_ = true;
  }

  dds::sub::DataReaderListener<MSG>* GetNative() const {
    return const_cast<DdsReaderListener*>(this);
  }
  const dds::core::status::StatusMask& GetStatusMask() const { return statusMask_; }

  // Monotonic nanoseconds of the last valid sample, 0 before the first. Any thread.
  uint64_t GetLastDataAvailableTime() const { return lastDataTime_.load(std::memory_order_relaxed); }

  // Called by the DDS library on its own thread. Nothing may unwind into the library:
  // a failed take is logged at ERROR.
  void on_data_available(dds::sub::DataReader<MSG>& reader) override {
    RunOrLog([&] { TakeAll(reader); });
  }

 private:
  void TakeAll(dds::sub::DataReader<MSG>& reader) {
    auto samples = reader.take();
    for (const auto& sample : samples) {
      if (!sample.info().valid()) {
        continue;
      }
      lastDataTime_.store(GetCurrentMonotonicTimeNanosecond(), std::memory_order_relaxed);
      if (queueMode_) {
        Enqueue(sample.data());
      } else {
        Deliver(&sample.data());
      }
    }
  }

  void Enqueue(const MSG& message) {
    if (!queue_->Put(std::make_shared<MSG>(message), true, false) && logger_ != nullptr) {
      logger_->Log(QV_LOG_LEVEL_WARNING, "earliest mesage was evicted. type:",
                   dds::topic::TopicTraits<MSG>::TypeName());
    }
  }

  // A throwing handler must neither unwind into the DDS library nor end the consumer
  // thread (every later sample would be lost): report it and carry on.
  void Deliver(const void* message) {
    if (!callback_) {
      return;
    }
    try {
      callback_->OnDataAvailable(message);
    } catch (const Exception& e) {
      LogError("reader message handler error. e:" + e.ToString());
    } catch (const std::exception& e) {
      LogError(std::string("reader message handler error. what:") + e.what());
    } catch (...) {
      LogError("reader message handler error.");
    }
  }

  int32_t Consume() {
    while (!stop_ && !(callback_ && callback_->HasMessageHandler())) {
      MicroSleep(QV_DDS_WAIT_READER_STEP_MICROSEC);
    }
    std::shared_ptr<MSG> message;
    while (!stop_) {
      if (queue_->Get(message, 0) && message) {
        Deliver(message.get());
      }
      message.reset();
    }
    return 0;
  }

  bool queueMode_ = false;
  std::atomic<bool> stop_{false};
  dds::core::status::StatusMask statusMask_ = dds::core::status::StatusMask::none();
  std::atomic<uint64_t> lastDataTime_{0};
  std::shared_ptr<DdsReaderCallback> callback_;
  std::shared_ptr<BlockQueue<std::shared_ptr<MSG>>> queue_;
  std::shared_ptr<Thread> thread_;
};

// A data reader of MSG with its listener. Throws DdsException from the constructor on a
// DDS failure. Destruction deletes the native reader first (no callback runs after
// that), then stops the listener's consumer thread.
template <typename MSG>
class DdsReader : public DdsLogger {
 public:
  DdsReader(const DdsSubscriberPtr& subscriber, const DdsTopicPtr<MSG>& topic, const DdsReaderQos& qos) {
    RunOrThrow(
        [&] {
          const dds::sub::Subscriber& parent = subscriber->GetNative();
          dds::sub::qos::DataReaderQos nativeQos = parent.default_datareader_qos();
          qos.CopyToNativeQos(nativeQos);
          native_ = dds::sub::DataReader<MSG>(parent, topic->GetNative(), nativeQos);
        },
        __FILE__, __PRETTY_FUNCTION__, __LINE__);
  }
  ~DdsReader() override { native_ = dds::core::null; }
  DdsReader(const DdsReader&) = delete;
  DdsReader& operator=(const DdsReader&) = delete;

  // Gives the listener its handler and queue length (see DdsReaderListener), then
  // registers it with the DDS library. Call once, right after construction.
  void SetListener(const DdsReaderCallback& callback, int32_t queueLength) {
    listener_.SetCallback(callback);
    listener_.SetQueue(queueLength);
    RunOrThrow([&] { native_.listener(listener_.GetNative(), listener_.GetStatusMask()); }, __FILE__,
               __PRETTY_FUNCTION__, __LINE__);
  }

  uint64_t GetLastDataAvailableTime() const { return listener_.GetLastDataAvailableTime(); }

 private:
  dds::sub::DataReader<MSG> native_ = dds::core::null;
  DdsReaderListener<MSG> listener_;
};

}  // namespace quorvel::common
