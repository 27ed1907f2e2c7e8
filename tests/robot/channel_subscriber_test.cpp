#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "dds/support/dds_test_support.hpp"
#include "quorvel/robot/channel/channel_publisher.hpp"
#include "quorvel/robot/channel/channel_subscriber.hpp"
#include "quorvel_kesh/msg/dds_/LowState_.hpp"

namespace quorvel::robot {
namespace {

using quorvel_kesh::msg::dds_::LowState_;

const char* const kTopic = "quorvel/test/subscriber";

TEST(ChannelSubscriberTest, MissingHandlerOrFactoryIsRefused) {
  ChannelSubscriber<LowState_> subscriber(kTopic);
  for (const auto& init : std::initializer_list<std::function<void()>>{
           [&] { subscriber.InitChannel(); },
           [&] { subscriber.InitChannel(std::function<void(const void*)>(), 1); }}) {
    try {
      init();
      FAIL() << "no handler accepted";
    } catch (const common::CommonException& e) {
      EXPECT_EQ(e.GetMessage(), "subscribe handler is invalid");
      EXPECT_EQ(e.GetCode(), QV_ERR_COMMON);
    }
  }
  EXPECT_THROW(subscriber.InitChannel([](const void*) {}, 1), common::DdsException);
}

class ChannelSubscriberDdsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ChannelFactory::Instance()->Init(0, "lo"); }

  void SetUp() override { publisher_.InitChannel(); }

  ChannelPublisher<LowState_> publisher_{kTopic};
};

// The handler is under way when the subscriber goes: destruction waits for it, then
// for the consumer thread, and no call follows.
TEST_F(ChannelSubscriberDdsTest, DestructionJoinsTheConsumerThread) {
  const int consumersBefore = test::CountThreadsNamed("rlsnr");
  std::mutex mutex;
  std::condition_variable released;
  bool release = false;
  std::atomic<int> calls{0};
  auto subscriber = std::make_unique<ChannelSubscriber<LowState_>>(kTopic);
  subscriber->InitChannel(
      [&](const void*) {
        ++calls;
        std::unique_lock<std::mutex> lock(mutex);
        released.wait(lock, [&] { return release; });
      },
      1);
  ASSERT_TRUE(publisher_.Write(LowState_(), 2000000));
  ASSERT_TRUE(test::WaitFor([&] { return calls == 1; }));

  std::atomic<bool> destroyed{false};
  std::thread destroyer([&] {
    subscriber.reset();
    destroyed = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(destroyed);
  {
    std::lock_guard<std::mutex> lock(mutex);
    release = true;
  }
  released.notify_all();
  destroyer.join();

  EXPECT_TRUE(publisher_.Write(LowState_(), 0));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(test::WaitFor([&] { return test::CountThreadsNamed("rlsnr") == consumersBefore; }));
}

// Stops that land at any point of the consumer's start-up or its wait must end it.
TEST_F(ChannelSubscriberDdsTest, ImmediateDestructionAlwaysReturns) {
  const int consumersBefore = test::CountThreadsNamed("rlsnr");
  for (int i = 0; i < 20; ++i) {
    ChannelSubscriber<LowState_> subscriber(kTopic);
    subscriber.InitChannel([](const void*) {}, 1);
    if (i % 2 == 1) {
      publisher_.Write(LowState_(), 0);
    }
  }
  EXPECT_TRUE(test::WaitFor([&] { return test::CountThreadsNamed("rlsnr") == consumersBefore; }));
}

// Lengths beyond 32 bits keep their sign: a negative one is direct mode (the handler runs
// on the writing thread for a local write), a positive one queue mode.
TEST_F(ChannelSubscriberDdsTest, QueueLengthBeyondThirtyTwoBitsKeepsItsMode) {
  for (const int64_t length : {int64_t{-4294967295}, int64_t{4294967297}}) {
    SCOPED_TRACE(length);
    const bool queued = length > 0;
    std::mutex mutex;
    std::string threadName;
    ChannelSubscriber<LowState_> subscriber(kTopic);
    subscriber.InitChannel(
        [&](const void*) {
          std::lock_guard<std::mutex> lock(mutex);
          threadName = test::CurrentThreadName();
        },
        length);
    ASSERT_TRUE(publisher_.Write(LowState_(), 2000000));
    ASSERT_TRUE(test::WaitFor([&] {
      std::lock_guard<std::mutex> lock(mutex);
      return !threadName.empty();
    }));
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(threadName == "rlsnr", queued) << threadName;
  }
}

TEST_F(ChannelSubscriberDdsTest, ReplacedChannelStopsDeliveringToTheOldReader) {
  std::atomic<int> calls{0};
  ChannelSubscriber<LowState_> subscriber(kTopic);
  subscriber.InitChannel([&](const void*) { ++calls; }, 1);
  subscriber.InitChannel();  // same handler, fresh reader
  ASSERT_TRUE(publisher_.Write(LowState_(), 2000000));
  ASSERT_TRUE(test::WaitFor([&] { return calls >= 1; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(calls, 1);
}

TEST_F(ChannelSubscriberDdsTest, FailedReinitKeepsTheEarlierChannel) {
  std::atomic<int> calls{0};
  ChannelSubscriber<LowState_> subscriber(kTopic);
  subscriber.InitChannel([&](const void*) { ++calls; }, 1);
  ChannelFactory::Instance()->Release();
  EXPECT_THROW(subscriber.InitChannel(), common::DdsException);
  EXPECT_TRUE(publisher_.Write(LowState_(), 2000000));
  EXPECT_TRUE(test::WaitFor([&] { return calls == 1; }));
  ChannelFactory::Instance()->Init(0, "lo");
}

}  // namespace
}  // namespace quorvel::robot
