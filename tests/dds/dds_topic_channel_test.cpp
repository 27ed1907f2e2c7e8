#include <gtest/gtest.h>

#include <dds/dds.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "dds/support/dds_test_support.hpp"
#include "quorvel/common/dds/dds_topic_channel.hpp"
#include "quorvel/common/time/time_tool.hpp"
#include "quorvel_kesh/msg/dds_/LowState_.hpp"

namespace quorvel::common {
namespace {

using quorvel_kesh::msg::dds_::LowState_;
using test::WaitFor;

const auto* const kLogEnvironment = ::testing::AddGlobalTestEnvironment(new test::StdoutLogEnvironment("ALL"));

LowState_ Sample(uint32_t tick) {
  LowState_ sample;
  sample.tick() = tick;
  return sample;
}

// What a handler saw, filled from the delivering thread.
struct Received {
  std::mutex mutex;
  std::vector<uint32_t> ticks;
  std::vector<std::string> threadNames;
  std::vector<std::thread::id> threadIds;

  void Add(const void* message) {
    std::lock_guard<std::mutex> lock(mutex);
    ticks.push_back(static_cast<const LowState_*>(message)->tick());
    threadNames.push_back(test::CurrentThreadName());
    threadIds.push_back(std::this_thread::get_id());
  }
  size_t Count() {
    std::lock_guard<std::mutex> lock(mutex);
    return ticks.size();
  }
};

class DdsTopicChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    participant_ = std::make_shared<DdsParticipant>(0, DdsParticipantQos(), test::kLoopbackConfig);
    publisher_ = std::make_shared<DdsPublisher>(participant_, DdsPublisherQos());
    subscriber_ = std::make_shared<DdsSubscriber>(participant_, DdsSubscriberQos());
    sender_ = MakeChannel();
    sender_->SetWriter(publisher_, DdsWriterQos());
  }

  std::shared_ptr<DdsTopicChannel<LowState_>> MakeChannel() {
    auto channel = std::make_shared<DdsTopicChannel<LowState_>>();
    channel->SetTopic(participant_, "quorvel/test/channel", DdsTopicQos());
    return channel;
  }

  std::shared_ptr<DdsTopicChannel<LowState_>> MakeReceiver(const DdsMessageHandler& handler, int32_t queueLength) {
    auto channel = MakeChannel();
    channel->SetReader(subscriber_, DdsReaderQos(), DdsReaderCallback(handler), queueLength);
    return channel;
  }

  DdsParticipantPtr participant_;
  DdsPublisherPtr publisher_;
  DdsSubscriberPtr subscriber_;
  std::shared_ptr<DdsTopicChannel<LowState_>> sender_;
};

TEST_F(DdsTopicChannelTest, DeliversOnTheQueueThreadOrTheLibraryThread) {
  struct ModeCase {
    int32_t queueLength;
    bool onConsumerThread;
  };
  for (const ModeCase& mode : {ModeCase{1, true}, ModeCase{0, false}, ModeCase{-3, false}}) {
    SCOPED_TRACE(mode.queueLength);
    const int consumersBefore = test::CountThreadsNamed("rlsnr");
    Received received;
    auto receiver = MakeReceiver([&](const void* m) { received.Add(m); }, mode.queueLength);
    const int consumers = mode.onConsumerThread ? 1 : 0;
    EXPECT_TRUE(WaitFor([&] { return test::CountThreadsNamed("rlsnr") - consumersBefore == consumers; }));
    // The virtual form must reach the same writer as the typed one.
    const LowState_ sample = Sample(5);
    ASSERT_TRUE(static_cast<DdsTopicChannelAbstract&>(*sender_).Write(&sample, 2000000));
    ASSERT_TRUE(WaitFor([&] { return received.Count() == 1; }));
    receiver.reset();
    EXPECT_EQ(received.ticks[0], 5u);
    // A local write is delivered on the writing thread (here this one): direct mode runs
    // the handler right there, queue mode hands it to the consumer.
    EXPECT_EQ(received.threadNames[0] == "rlsnr", mode.onConsumerThread) << received.threadNames[0];
    EXPECT_EQ(received.threadIds[0] == std::this_thread::get_id(), !mode.onConsumerThread);
    // The consumer thread is gone with its reader (it exits right after being joined).
    EXPECT_TRUE(WaitFor([&] { return test::CountThreadsNamed("rlsnr") == consumersBefore; }));
  }
}

TEST_F(DdsTopicChannelTest, LastDataTimeIsStampedOnValidSamplesOnly) {
  Received received;
  auto receiver = MakeReceiver([&](const void* m) { received.Add(m); }, 1);
  EXPECT_EQ(sender_->GetLastDataAvailableTime(), 0u);
  EXPECT_EQ(receiver->GetLastDataAvailableTime(), 0u);

  // A bare C reader on the same topic proves that the dispose below really produced an
  // invalid sample at the readers.
  DdsTopic<LowState_> witnessTopic(participant_, "quorvel/test/channel", DdsTopicQos());
  const dds_entity_t topic = witnessTopic.GetNative().native_handle();
  const dds_entity_t witness = dds_create_reader(participant_->GetNative().native_handle(), topic, nullptr, nullptr);
  const dds_entity_t writer = dds_create_writer(participant_->GetNative().native_handle(), topic, nullptr, nullptr);
  ASSERT_GT(witness, 0);
  ASSERT_GT(writer, 0);

  const uint64_t before = GetCurrentMonotonicTimeNanosecond();
  const LowState_ sample = Sample(1);
  ASSERT_TRUE(sender_->Write(sample, 2000000));
  ASSERT_TRUE(WaitFor([&] { return received.Count() == 1; }));
  const uint64_t stamped = receiver->GetLastDataAvailableTime();
  EXPECT_GE(stamped, before);
  EXPECT_LE(stamped, GetCurrentMonotonicTimeNanosecond());

  ASSERT_EQ(dds_write(writer, &sample), DDS_RETCODE_OK);
  ASSERT_TRUE(WaitFor([&] { return received.Count() == 2; }));
  const uint64_t stampedAgain = receiver->GetLastDataAvailableTime();
  // Taking the data first makes the library report the dispose as a sample without data
  // (with data still unread it would only mark that sample's instance state).
  const auto takeWitness = [&](bool valid) {
    void* buffer[4] = {};
    dds_sample_info_t infos[4];
    const int32_t n = dds_take(witness, buffer, infos, 4, 4);
    bool seen = false;
    for (int32_t i = 0; i < n; ++i) {
      seen = seen || infos[i].valid_data == valid;
    }
    if (n > 0) {
      dds_return_loan(witness, buffer, n);
    }
    return seen;
  };
  ASSERT_TRUE(WaitFor([&] { return takeWitness(true); }));
  ASSERT_EQ(dds_dispose(writer, &sample), DDS_RETCODE_OK);
  ASSERT_TRUE(WaitFor([&] { return takeWitness(false); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(received.Count(), 2u);
  EXPECT_EQ(receiver->GetLastDataAvailableTime(), stampedAgain);
  dds_delete(writer);
  dds_delete(witness);
}

// A handler blocked on its first sample: samples arriving meanwhile replace each other
// in the queue of length 1, each replacement logged; the handler then sees the newest.
TEST_F(DdsTopicChannelTest, SlowHandlerSeesOnlyTheNewestAndEvictionsAreLogged) {
  std::mutex gateMutex;
  std::condition_variable gate;
  bool open = false;
  Received received;
  auto receiver = MakeReceiver(
      [&](const void* m) {
        received.Add(m);
        std::unique_lock<std::mutex> lock(gateMutex);
        gate.wait(lock, [&] { return open; });
      },
      1);
  testing::internal::CaptureStdout();
  ASSERT_TRUE(sender_->Write(Sample(1), 2000000));
  ASSERT_TRUE(WaitFor([&] { return received.Count() == 1; }));
  for (uint32_t tick = 2; tick <= 4; ++tick) {
    const uint64_t stampBefore = receiver->GetLastDataAvailableTime();
    ASSERT_TRUE(sender_->Write(Sample(tick), 0));
    // One callback per sample, so that each one meets the queue in a known state.
    ASSERT_TRUE(WaitFor([&] { return receiver->GetLastDataAvailableTime() != stampBefore; }));
  }
  {
    std::lock_guard<std::mutex> lock(gateMutex);
    open = true;
  }
  gate.notify_all();
  ASSERT_TRUE(WaitFor([&] { return received.Count() == 2; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  receiver.reset();
  const std::string logged = testing::internal::GetCapturedStdout();
  EXPECT_EQ(received.ticks, (std::vector<uint32_t>{1, 4}));
  EXPECT_EQ(test::CountOccurrences(logged, "earliest mesage was evicted. type:quorvel_kesh::msg::dds_::LowState_"), 2)
      << logged;
  EXPECT_EQ(test::CountOccurrences(logged, "[WARNING]"), 2);
}

TEST_F(DdsTopicChannelTest, ThrowingHandlerDoesNotEndTheConsumer) {
  Received received;
  auto receiver = MakeReceiver(
      [&](const void* m) {
        received.Add(m);
        if (received.Count() == 1) {
          throw std::runtime_error("handler failure");
        }
      },
      1);
  testing::internal::CaptureStdout();
  ASSERT_TRUE(sender_->Write(Sample(1), 2000000));
  ASSERT_TRUE(WaitFor([&] { return received.Count() == 1; }));
  ASSERT_TRUE(sender_->Write(Sample(2), 0));
  EXPECT_TRUE(WaitFor([&] { return received.Count() == 2; }));
  receiver.reset();
  const std::string logged = testing::internal::GetCapturedStdout();
  EXPECT_NE(logged.find("handler failure"), std::string::npos) << logged;
}

TEST_F(DdsTopicChannelTest, WriteWithoutWriterAndWriterWithoutTopicAreRefused) {
  auto receiver = MakeReceiver([](const void*) {}, 0);
  EXPECT_FALSE(receiver->Write(Sample(1), 0));
  DdsTopicChannel<LowState_> bare;
  EXPECT_THROW(bare.SetWriter(publisher_, DdsWriterQos()), DdsException);
  EXPECT_THROW(bare.SetReader(subscriber_, DdsReaderQos(), DdsReaderCallback(), 1), DdsException);
}

}  // namespace
}  // namespace quorvel::common
