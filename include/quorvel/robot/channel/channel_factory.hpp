// The process-wide channel factory: configures the DDS domain on a network interface
// once, and makes typed send and receive channels by topic name for the channel
// publishers and subscribers (channel_publisher.hpp, channel_subscriber.hpp).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "quorvel/common/dds/dds_factory_model.hpp"
#include "quorvel/common/exception.hpp"
#include "quorvel/common/lock/lock.hpp"

namespace quorvel::robot {

template <typename MSG>
using ChannelPtr = std::shared_ptr<common::DdsTopicChannel<MSG>>;

class ChannelFactory {
 public:
  // The singleton, created on first use (safe from several threads), destroyed at exit.
  static ChannelFactory* Instance();

  // Builds the domain configuration for `networkInterface` (empty: the DDS library picks
  // one) and initialises the DDS layer in domain `domainId` with it. Only the first Init
  // that succeeds counts; later ones are ignored silently. Throws DdsException on a DDS
  // failure (for example an interface that does not exist), leaving the factory
  // uninitialised so that a later Init tries again. Any thread.
  void Init(int32_t domainId, const std::string& networkInterface);

  // Initialises the DDS layer from a parameter file (empty: "dds_parameter.json" in the
  // program's directory) or from a parsed parameter tree; see DdsFactoryModel::Init. Same
  // once-only rule and failure behaviour as the form above; throws what the model's Init
  // throws (FileException, JsonException, CommonException, BadCastException, DdsException).
  void Init(const std::string& parameterFileName);
  void Init(const common::JsonMap& parameter);

  // Drops the DDS layer (participant, publisher, subscriber); channels handed out keep
  // their own entities. Does nothing when not initialised. A later Init starts afresh.
  void Release();

  // The one-line CycloneDDS configuration text for `networkInterface`: automatic
  // interface choice for an empty name, else that interface, its name XML-escaped.
  static std::string BuildDomainConfig(const std::string& networkInterface);

  // A channel on topic `name` with a writer; blocks 100 ms after the writer is made.
  // Throws DdsException before a successful Init, after Release, or on a DDS failure.
  template <typename MSG>
  ChannelPtr<MSG> CreateSendChannel(const std::string& name) {
    common::DdsFactoryModelPtr model = RequireModel(name);
    ChannelPtr<MSG> channel = model->CreateTopicChannel<MSG>(name);
    model->SetWriter(channel);
    return channel;
  }

  // A channel on topic `name` with a reader that calls `handler` with a pointer to each
  // valid sample: queueLength > 0 on its "rlsnr" thread through a queue of that capacity
  // that drops the oldest sample when full; otherwise on the DDS library's thread.
  // Throws DdsException before a successful Init, after Release, or on a DDS failure.
  template <typename MSG>
  ChannelPtr<MSG> CreateRecvChannel(const std::string& name, std::function<void(const void*)> handler,
                                    int32_t queueLength) {
    common::DdsFactoryModelPtr model = RequireModel(name);
    ChannelPtr<MSG> channel = model->CreateTopicChannel<MSG>(name);
    model->SetReader(channel, handler, queueLength);
    return channel;
  }

 private:
  ChannelFactory();
  ~ChannelFactory();
  ChannelFactory(const ChannelFactory&) = delete;
  ChannelFactory& operator=(const ChannelFactory&) = delete;

  // Runs `initialise` on the model (made afresh after a Release) unless an earlier Init
  // succeeded, and marks the factory initialised only when it returns. Every Init form
  // goes through here, so they share the flag and exclude each other.
  void InitModel(const std::function<void(common::DdsFactoryModel&)>& initialise);

  // The initialised model, held for the caller so that a concurrent Release cannot pull
  // it away mid-creation; throws DdsException when there is none.
  common::DdsFactoryModelPtr RequireModel(const std::string& channelName);

  bool initialised_ = false;
  common::DdsFactoryModelPtr model_;
  common::Mutex mutex_;
};

}  // namespace quorvel::robot
