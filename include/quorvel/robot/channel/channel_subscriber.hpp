// ChannelSubscriber<MSG>: receives samples of one message type on one named topic and
// hands each to a message handler. Used by the driver for "rt/lowstate".
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <functional>
#include <string>

#include "quorvel/common/exception.hpp"
#include "quorvel/robot/channel/channel_factory.hpp"

namespace quorvel::robot {

// Not copyable; InitChannel and destruction run on one controlling thread. Destruction
// returns only after the consumer thread (queue mode) has ended: the handler is not
// called afterwards.
template <typename MSG>
class ChannelSubscriber {
 public:
  explicit ChannelSubscriber(const std::string& channelName) : channelName_(channelName) {}
  ChannelSubscriber(const ChannelSubscriber&) = delete;
  ChannelSubscriber& operator=(const ChannelSubscriber&) = delete;

  // Stores `handler` and `queueLength`, then InitChannel(). The handler gets a pointer
  // to one MSG: with queueLength > 0 on the subscriber's "rlsnr" thread, at most
  // queueLength samples waiting and the oldest dropped when full (so length 1 always
  // delivers the newest); otherwise on the DDS library's thread, valid during the call.
  void InitChannel(const std::function<void(const void*)>& handler, int64_t queueLength) {
    handler_ = handler;
    queueLength_ = queueLength;
    InitChannel();
  }

  // Creates the receiving side with the stored handler, replacing an earlier one.
  // Throws CommonException "subscribe handler is invalid" without a handler, DdsException
  // when the factory is not initialised or DDS fails (an earlier channel then stays).
  void InitChannel() {
    if (!handler_) {
      QV_THROW(common::CommonException, "subscribe handler is invalid");
    }
    // Lengths beyond the 32-bit range saturate rather than wrap around: a wrapped length
    // could turn direct mode into queue mode or back.
    const int64_t length = std::clamp<int64_t>(queueLength_, std::numeric_limits<int32_t>::min(),
                                               std::numeric_limits<int32_t>::max());
    channel_ = ChannelFactory::Instance()->CreateRecvChannel<MSG>(channelName_, handler_,
                                                                  static_cast<int32_t>(length));
  }

 private:
  std::string channelName_;
  int64_t queueLength_ = 0;
  std::function<void(const void*)> handler_;
  ChannelPtr<MSG> channel_;
};

}  // namespace quorvel::robot
