#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include "dds/support/dds_test_support.hpp"
#include "quorvel/robot/channel/channel_publisher.hpp"
#include "quorvel/robot/channel/channel_subscriber.hpp"
#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"
#include "quorvel_kesh/msg/dds_/LowState_.hpp"

namespace quorvel::robot {
namespace {

using quorvel_kesh::msg::dds_::LowCmd_;
using quorvel_kesh::msg::dds_::LowState_;

constexpr uint32_t kTick = 4242;
constexpr uint32_t kAck = 77;

// The child publishes states until the parent acknowledges one with a command; it exits
// 0 on the acknowledgement and 1 when none comes in time.
int RunStatePublisher() {
  ChannelFactory::Instance()->Init(0, "lo");
  std::atomic<bool> acknowledged{false};
  ChannelSubscriber<LowCmd_> acks("quorvel/test/process/cmd");
  acks.InitChannel([&](const void* m) { acknowledged = acknowledged || static_cast<const LowCmd_*>(m)->crc() == kAck; },
                   1);
  ChannelPublisher<LowState_> states("quorvel/test/process/state");
  states.InitChannel();
  LowState_ state;
  state.tick() = kTick;
  for (int i = 0; i < 500 && !acknowledged; ++i) {
    states.Write(state, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return acknowledged ? 0 : 1;
}

TEST(ChannelProcessTest, PublisherAndSubscriberInTwoProcessesExchangeSamples) {
  // Fork before this process touches DDS, so the child starts from a clean library.
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    _exit(RunStatePublisher());
  }

  ChannelFactory::Instance()->Init(0, "lo");
  std::atomic<uint32_t> tick{0};
  ChannelSubscriber<LowState_> states("quorvel/test/process/state");
  states.InitChannel([&](const void* m) { tick = static_cast<const LowState_*>(m)->tick(); }, 1);
  // Samples from another process arrive on a thread of the DDS library: direct mode
  // runs the handler there, neither here nor on a consumer thread.
  std::mutex directMutex;
  std::string directThreadName;
  std::thread::id directThreadId;
  ChannelSubscriber<LowState_> direct("quorvel/test/process/state");
  direct.InitChannel(
      [&](const void*) {
        std::lock_guard<std::mutex> lock(directMutex);
        directThreadName = test::CurrentThreadName();
        directThreadId = std::this_thread::get_id();
      },
      0);
  ChannelPublisher<LowCmd_> acks("quorvel/test/process/cmd");
  acks.InitChannel();
  const bool received = test::WaitFor([&] { return tick == kTick; }, std::chrono::seconds(10));
  EXPECT_TRUE(received);
  EXPECT_TRUE(test::WaitFor([&] {
    std::lock_guard<std::mutex> lock(directMutex);
    return directThreadId != std::thread::id();
  }));
  {
    std::lock_guard<std::mutex> lock(directMutex);
    EXPECT_NE(directThreadId, std::this_thread::get_id());
    EXPECT_NE(directThreadName, "rlsnr");
  }

  LowCmd_ ack;
  ack.crc() = kAck;
  int status = 0;
  // Repeat the acknowledgement until the child has it (it may still be discovering us).
  while (received && waitpid(child, &status, WNOHANG) == 0) {
    acks.Write(ack, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!received) {
    waitpid(child, &status, 0);
  }
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), received ? 0 : 1);
}

}  // namespace
}  // namespace quorvel::robot
