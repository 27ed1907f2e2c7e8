#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "quorvel/common/dds/dds_callback.hpp"

namespace quorvel::common {
namespace {

std::vector<int> Drain(BlockQueue<int>& queue) {
  std::vector<int> out;
  int value = 0;
  while (queue.Size() > 0 && queue.Get(value, 1000)) {
    out.push_back(value);
  }
  return out;
}

TEST(BlockQueueTest, CapacityZeroMeansLargestSignedInt) {
  BlockQueue<char> queue(0);
  for (int i = 0; i < 1000; ++i) {
    ASSERT_TRUE(queue.Put('x', false, false));
  }
  // A capacity taken literally as 0 would have refused the first element.
  EXPECT_EQ(queue.Size(), size_t{1000});
}

struct PutCase {
  const char* name;
  std::vector<int> before;  // capacity 2
  bool replace;
  bool putFront;
  bool expectedResult;
  std::vector<int> expectedAfter;
};

class BlockQueuePutTest : public ::testing::TestWithParam<PutCase> {};

TEST_P(BlockQueuePutTest, ResultAndOrder) {
  const PutCase& c = GetParam();
  BlockQueue<int> queue(2);
  for (int v : c.before) {
    ASSERT_TRUE(queue.Put(v, false, false));
  }
  EXPECT_EQ(queue.Put(9, c.replace, c.putFront), c.expectedResult);
  EXPECT_EQ(Drain(queue), c.expectedAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BlockQueuePutTest,
    ::testing::Values(PutCase{"RoomAtBack", {1}, false, false, true, {1, 9}},
                      PutCase{"RoomAtFront", {1}, false, true, true, {9, 1}},
                      PutCase{"FullRefused", {1, 2}, false, false, false, {1, 2}},
                      PutCase{"FullReplacesOldest", {1, 2}, true, false, false, {2, 9}},
                      PutCase{"FullReplacesOldestAtFront", {1, 2}, true, true, false, {9, 2}}),
    [](const ::testing::TestParamInfo<PutCase>& info) { return std::string(info.param.name); });

TEST(BlockQueueTest, GetWithTimeoutOnEmptyQueueReturnsFalseAfterTheTimeout) {
  BlockQueue<int> queue(1);
  int value = 42;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(queue.Get(value, 20000));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(19));
  EXPECT_EQ(value, 42);
}

TEST(BlockQueueTest, BlockingGetIsWokenByPutFromAnotherThread) {
  BlockQueue<int> queue(1);
  int value = 0;
  std::thread producer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    queue.Put(7, true, false);
  });
  EXPECT_TRUE(queue.Get(value, 0));
  producer.join();
  EXPECT_EQ(value, 7);
}

TEST(BlockQueueTest, InterruptWakesBlockingGetWhichLeavesTheVariableUntouched) {
  BlockQueue<int> queue(1);
  std::atomic<bool> returned{false};
  int value = 42;
  bool result = true;
  std::thread getter([&] {
    result = queue.Get(value, 0);
    returned = true;
  });
  // Interrupt until the getter is seen to return: it may not be waiting yet.
  while (!returned) {
    queue.Interrupt(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  getter.join();
  EXPECT_FALSE(result);
  EXPECT_EQ(value, 42);
}

TEST(BlockQueueTest, CloseEndsWaitingAndLaterGetsEvenWithElementsLeft) {
  BlockQueue<int> queue(4);
  bool waitingResult = true;
  std::thread getter([&] {
    int value = 0;
    waitingResult = queue.Get(value, 0);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  queue.Close();
  getter.join();  // would hang if Close did not reach the waiting getter
  EXPECT_FALSE(waitingResult);

  // A Close that comes before the Get (the consumer's check-then-wait window) must
  // still keep the Get from blocking.
  queue.Put(1, true, false);
  int value = 0;
  EXPECT_FALSE(queue.Get(value, 0));
}

TEST(BlockQueueTest, ProducersAndConsumerLoseNothingWithRoom) {
  BlockQueue<int> queue(0);
  constexpr int kPerProducer = 2000;
  std::vector<std::thread> producers;
  for (int p = 0; p < 2; ++p) {
    producers.emplace_back([&queue, p] {
      for (int i = 0; i < kPerProducer; ++i) {
        queue.Put(p * kPerProducer + i, false, false);
      }
    });
  }
  long long sum = 0;
  int received = 0;
  while (received < 2 * kPerProducer) {
    int value = 0;
    if (queue.Get(value, 1000000)) {
      sum += value;
      ++received;
    }
  }
  for (auto& t : producers) {
    t.join();
  }
  const long long n = 2 * kPerProducer;
  EXPECT_EQ(sum, n * (n - 1) / 2);
}

}  // namespace
}  // namespace quorvel::common
