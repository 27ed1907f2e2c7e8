// A topic channel: one named topic of one message type with an optional writer and an
// optional reader. Made by the factory model (dds_factory_model.hpp) and owned by the
// robot channel publishers and subscribers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "quorvel/common/dds/dds_entity.hpp"

namespace quorvel::common {

// The untyped face of every channel. Channels are owned through a shared pointer to their
// concrete type, so the destructor is not virtual (and not public here).
class DdsTopicChannelAbstract {
 public:
  // `message` points to one sample of the channel's type; see DdsTopicChannel::Write.
  virtual bool Write(const void* message, int64_t waitMicrosec) = 0;
  virtual uint64_t GetLastDataAvailableTime() const = 0;

 protected:
  ~DdsTopicChannelAbstract() = default;
};

template <typename MSG>
class DdsTopicChannel final : public DdsTopicChannelAbstract {
 public:
  DdsTopicChannel() = default;
  DdsTopicChannel(const DdsTopicChannel&) = delete;
  DdsTopicChannel& operator=(const DdsTopicChannel&) = delete;

  // Creates the topic, replacing an earlier one. Throws DdsException on a DDS failure.
  void SetTopic(const DdsParticipantPtr& participant, const std::string& name, const DdsTopicQos& qos) {
    topic_ = std::make_shared<DdsTopic<MSG>>(participant, name, qos);
  }

  // Creates the writer on the topic, then sleeps 100 ms so that discovery can match it
  // before the first write. Throws DdsException on a DDS failure or without a topic.
  void SetWriter(const DdsPublisherPtr& publisher, const DdsWriterQos& qos) {
    writer_ = std::make_shared<DdsWriter<MSG>>(publisher, RequireTopic("SetWriter"), qos);
    MicroSleep(100000);
  }

  // Creates the reader on the topic and attaches `callback` with `queueLength` (see
  // DdsReaderListener). Throws DdsException on a DDS failure or without a topic.
  void SetReader(const DdsSubscriberPtr& subscriber, const DdsReaderQos& qos, const DdsReaderCallback& callback,
                 int32_t queueLength) {
    reader_ = std::make_shared<DdsReader<MSG>>(subscriber, RequireTopic("SetReader"), qos);
    reader_->SetListener(callback, queueLength);
  }

  // The writer's Write (see DdsWriter::Write); false on a channel without a writer.
  bool Write(const MSG& message, int64_t waitMicrosec) {
    return writer_ ? writer_->Write(message, waitMicrosec) : false;
  }

  bool Write(const void* message, int64_t waitMicrosec) override {
    return Write(*static_cast<const MSG*>(message), waitMicrosec);
  }

  // The reader's last data time; 0 on a channel without a reader.
  uint64_t GetLastDataAvailableTime() const override {
    return reader_ ? reader_->GetLastDataAvailableTime() : 0;
  }

 private:
  const DdsTopicPtr<MSG>& RequireTopic(const char* operation) const {
    if (!topic_) {
      QV_THROW(DdsException, std::string(operation) + " error. channel has no topic");
    }
    return topic_;
  }

  // Declared in this order so that the reader (and its consumer thread) goes first.
  DdsTopicPtr<MSG> topic_;
  std::shared_ptr<DdsWriter<MSG>> writer_;
  std::shared_ptr<DdsReader<MSG>> reader_;
};

}  // namespace quorvel::common
