// The factory model: the process's one participant, publisher and subscriber with the
// QoS of the six entity kinds, and the maker of topic channels. Owned by the robot
// channel factory (quorvel/robot/channel/channel_factory.hpp).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "quorvel/common/any.hpp"
#include "quorvel/common/dds/dds_callback.hpp"
#include "quorvel/common/dds/dds_entity.hpp"
#include "quorvel/common/dds/dds_qos.hpp"
#include "quorvel/common/dds/dds_topic_channel.hpp"
#include "quorvel/common/log/log_decl.hpp"

namespace quorvel::common {

// Not thread-safe: the channel factory serialises Init; channels are made after it.
class DdsFactoryModel {
 public:
  // Creates no DDS entity; looks up the logger "/quorvel/dds/dds_factory_model".
  DdsFactoryModel();
  ~DdsFactoryModel();
  DdsFactoryModel(const DdsFactoryModel&) = delete;
  DdsFactoryModel& operator=(const DdsFactoryModel&) = delete;

  // Creates participant (domain `domainId`, configuration text `config`, empty for the
  // DDS library's default), publisher and subscriber, each stored before the next is
  // made, and logs "Dds model inited default. domainId:<id>" at INFO. Throws
  // DdsException on a DDS failure, keeping what was made before it.
  void Init(uint32_t domainId, const std::string& config);

  // Initialises from a parameter file: `parameterFileName`, or "dds_parameter.json" in the
  // program's directory when it is empty. Throws FileException when the file cannot be
  // read, JsonException when it is not JSON, CommonException "load dds_parameter config
  // file error. filename:<path>" when it is empty or null, otherwise as the map form.
  void Init(const std::string& parameterFileName);

  // Initialises from a parsed parameter tree. Realises each default QoS set of its "Qos"
  // object onto the model's QoS of that kind and creates the entity with it: participant
  // (with the tree's domain id and configuration; a configuration path not starting with
  // "/" or "<" is taken relative to the program's directory), publisher, subscriber; then
  // realises the topic, reader and writer sets for later channels, and logs "Dds model
  // inited from dds parameter" at INFO. Throws BadCastException for a malformed tree and
  // DdsException on a DDS failure, keeping what was made and realised before it.
  void Init(const JsonMap& parameter);

  // A new channel with a new topic named `name`; the model keeps no reference to it.
  // Throws DdsException before a successful Init or on a DDS failure.
  template <typename MSG>
  std::shared_ptr<DdsTopicChannel<MSG>> CreateTopicChannel(const std::string& name) {
    RequireEntities("CreateTopicChannel");
    auto channel = std::make_shared<DdsTopicChannel<MSG>>();
    channel->SetTopic(participant_, name, topicQos_);
    return channel;
  }

  // Gives `channel` a writer (blocks 100 ms, see DdsTopicChannel::SetWriter).
  // Throws DdsException before a successful Init or on a DDS failure.
  template <typename MSG>
  void SetWriter(std::shared_ptr<DdsTopicChannel<MSG>>& channel) {
    RequireEntities("SetWriter");
    channel->SetWriter(publisher_, writerQos_);
  }

  // Gives `channel` a reader calling `handler` (queueLength > 0: through a queue of that
  // capacity and a "rlsnr" thread; otherwise on the DDS library's thread).
  // Throws DdsException before a successful Init or on a DDS failure.
  template <typename MSG>
  void SetReader(std::shared_ptr<DdsTopicChannel<MSG>>& channel, const DdsMessageHandler& handler,
                 int32_t queueLength) {
    RequireEntities("SetReader");
    channel->SetReader(subscriber_, readerQos_, DdsReaderCallback(handler), queueLength);
  }

 private:
  // Refuses channel work while participant, publisher or subscriber is missing.
  void RequireEntities(const char* operation) const;

  DdsParticipantPtr participant_;
  DdsPublisherPtr publisher_;
  DdsSubscriberPtr subscriber_;
  DdsParticipantQos participantQos_;
  DdsTopicQos topicQos_;
  DdsPublisherQos publisherQos_;
  DdsSubscriberQos subscriberQos_;
  DdsWriterQos writerQos_;
  DdsReaderQos readerQos_;
  Logger* logger_;
};

using DdsFactoryModelPtr = std::shared_ptr<DdsFactoryModel>;

}  // namespace quorvel::common
