#include "common/support/common_test_support.hpp"
#include "quorvel/common/thread/future.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace quorvel::common {
namespace {

using Clock = std::chrono::steady_clock;

int64_t MicrosecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
}

TEST(FutureTest, DeferredFutureTimesOutNoEarlierThanAsked) {
  FutureWrapper future;
  EXPECT_EQ(future.GetState(), QV_FUTURE_STATE_DEFER);
  EXPECT_TRUE(future.IsDeferred());
  auto start = Clock::now();
  EXPECT_FALSE(future.Wait(20000));
  EXPECT_GE(MicrosecondsSince(start), 20000);
  start = Clock::now();
  EXPECT_EQ(test::MessageOf<TimeoutException>([&] { future.GetValue(20000); }),
            "Future GetValue timeout error");
  EXPECT_GE(MicrosecondsSince(start), 20000);
  EXPECT_EQ(test::MessageOf<FutureException>([&] { future.GetFaultMessage(); }),
            "Future state is not fault. state:0");
  EXPECT_TRUE(future.IsDeferred());
}

TEST(FutureTest, ReadyValueIsServedWithoutWaiting) {
  FutureWrapper future;
  future.Ready(Any(5));
  EXPECT_TRUE(future.IsReady());
  EXPECT_TRUE(future.Wait(1));
  const Any& value = future.GetValue(0);
  EXPECT_EQ(AnyCast<int>(value), 5);
  EXPECT_EQ(&future.GetValue(1), &value);
  EXPECT_EQ(test::MessageOf<FutureException>([&] { future.GetFaultMessage(); }),
            "Future state is not fault. state:1");
  FutureWrapper copy = future;
  EXPECT_EQ(&copy.GetValue(0), &value);
}

TEST(FutureTest, FaultValueBecomesTheExceptionMessage) {
  struct Case {
    Any fault;
    std::string message;
  } cases[] = {{Any("bad"), "bad"}, {Any(), ""}};
  for (const auto& c : cases) {
    FutureWrapper future;
    future.Fault(c.fault);
    EXPECT_TRUE(future.IsFault());
    EXPECT_TRUE(future.Wait(0));
    EXPECT_EQ(test::MessageOf<FutureFaultException>([&] { future.GetValue(0); }), c.message);
    EXPECT_EQ(ToString(future.GetFaultMessage()), c.message);
  }
  FutureWrapper numeric;
  numeric.Fault(Any(3));
  EXPECT_THROW(numeric.GetValue(0), BadCastException);
}

TEST(FutureTest, SettlingTwiceThrowsAndKeepsTheFirstSettlement) {
  struct Case {
    bool firstReady;
    bool secondReady;
    int32_t state;
    std::string message;
  } cases[] = {
      {true, true, QV_FUTURE_STATE_READY, "Future Ready error. state:1"},
      {true, false, QV_FUTURE_STATE_READY, "Future Fault error. state:1"},
      {false, true, QV_FUTURE_STATE_FAULT, "Future Ready error. state:2"},
      {false, false, QV_FUTURE_STATE_FAULT, "Future Fault error. state:2"},
  };
  for (const auto& c : cases) {
    FutureImpl future;
    auto settle = [&](bool ready, const Any& value) {
      ready ? future.Ready(value) : future.Fault(value);
    };
    settle(c.firstReady, Any(std::string("first")));
    EXPECT_EQ(test::MessageOf<FutureException>([&] { settle(c.secondReady, Any(std::string("x"))); }),
              c.message);
    EXPECT_EQ(future.GetState(), c.state);
    const Any& kept = c.firstReady ? future.GetValue(0) : future.GetFaultMessage();
    EXPECT_EQ(ToString(kept), "first");
  }
}

TEST(FutureTest, ConsumerWakesWhenAnotherThreadSettles) {
  FutureWrapper future;
  std::thread producer([future]() mutable {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    future.Ready(Any(std::string("done")));
  });
  const auto start = Clock::now();
  EXPECT_EQ(ToString(future.GetValue(0)), "done");
  EXPECT_GE(MicrosecondsSince(start), 40000);
  producer.join();
}

TEST(FutureTest, EveryWaiterIsWokenBySettlement) {
  FutureWrapper future;
  std::atomic<int> woken{0};
  std::atomic<int> waiting{0};
  auto waiter = [&] {
    ++waiting;
    if (future.Wait(30000000)) ++woken;
  };
  std::thread first(waiter), second(waiter);
  while (waiting < 2) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const auto start = Clock::now();
  future.Fault(Any(std::string("stop")));
  first.join();
  second.join();
  EXPECT_EQ(woken, 2);
  // Waking only one would leave the other asleep until its 30 s timeout.
  EXPECT_LT(MicrosecondsSince(start), 15000000);
}

}  // namespace
}  // namespace quorvel::common
