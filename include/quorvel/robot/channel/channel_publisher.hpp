// ChannelPublisher<MSG>: sends samples of one message type on one named topic through
// the process-wide channel factory. Used by the driver for "rt/lowcmd".
#pragma once

#include <cstdint>
#include <string>

#include "quorvel/robot/channel/channel_factory.hpp"

namespace quorvel::robot {

// Not copyable; InitChannel and destruction must not run concurrently with Write.
template <typename MSG>
class ChannelPublisher {
 public:
  explicit ChannelPublisher(const std::string& channelName) : channelName_(channelName) {}
  ChannelPublisher(const ChannelPublisher&) = delete;
  ChannelPublisher& operator=(const ChannelPublisher&) = delete;

  // Creates the sending side, replacing an earlier one; returns at least 100 ms later.
  // Throws DdsException when the factory is not initialised or DDS fails; an earlier
  // channel then stays in place.
  void InitChannel() { channel_ = ChannelFactory::Instance()->CreateSendChannel<MSG>(channelName_); }

  // Sends `message`. Returns false without sending before InitChannel. With
  // waitMicrosec > 0 first waits, in 50 ms steps, for a matched reader and returns false
  // when none comes; otherwise sends at once. A DDS failure gives false (logged), never
  // an exception. Caller's thread.
  bool Write(const MSG& message, int64_t waitMicrosec) {
    return channel_ ? channel_->Write(message, waitMicrosec) : false;
  }

 private:
  std::string channelName_;
  ChannelPtr<MSG> channel_;
};

}  // namespace quorvel::robot
