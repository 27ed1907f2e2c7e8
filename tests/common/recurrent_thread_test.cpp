#include "quorvel/common/thread/recurrent_thread.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "common/support/common_test_support.hpp"
#include "quorvel/common/os.hpp"

namespace quorvel::common {
namespace {

using Clock = std::chrono::steady_clock;

size_t CountOccurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1)) {
    ++count;
  }
  return count;
}

struct Counter {
  void Tick() { ++calls; }
  std::atomic<int> calls{0};
};

TEST(RecurrentThreadTest, PacedByTheTimerAndSilentAfterWait) {
  Counter counter;
  const auto start = Clock::now();
  auto thread = CreateRecurrentThreadEx("paced", -1, 100000, &Counter::Tick, &counter);
  std::this_thread::sleep_for(std::chrono::seconds(1));
  ASSERT_TRUE(thread->Wait(0));
  const auto elapsed_ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  const int calls = counter.calls;
  // About ten in a second: a loaded machine may merge ticks, but never adds any.
  EXPECT_GE(calls, 5);
  EXPECT_LE(calls, elapsed_ms / 100 + 1);
  EXPECT_TRUE(thread->IsReady());
  EXPECT_EQ(AnyCast<int32_t>(thread->GetValue(0)), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  EXPECT_EQ(counter.calls, calls);
}

TEST(RecurrentThreadTest, UnpacedLoopRunsBackToBackUntilWait) {
  Counter counter;
  auto thread = CreateRecurrentThreadEx("unpaced", -1, 0, [&counter] {
    counter.Tick();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  // Progress, not a time budget: a loaded machine may run the loop slowly.
  while (counter.calls <= 5) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(thread->Wait(0));
  const int calls = counter.calls;
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(counter.calls, calls);
}

TEST(RecurrentThreadTest, FunctionThatAlwaysThrowsKeepsRunningAndIsReportedPerCall) {
  struct Case {
    const char* what;
    uint64_t interval;
    std::function<void()> fail;
    bool toStdout;
    std::string report;
  } cases[] = {
      {"library exception", 10000, [] { QV_THROW(CommonException, "tick"); }, false,
       "RecurrentThread Execute Func error. e:Catch CommonException code:1001, message:tick\n"},
      {"std exception", 10000, [] { throw std::runtime_error("tock"); }, false,
       "RecurrentThread Execute Func error. what:tock\n"},
      {"anything else, unpaced", 0,
       [] {
         std::this_thread::sleep_for(std::chrono::milliseconds(5));
         throw 1;
       },
       true, "RecurrentThread Execute Func error.\n"},
  };
  for (const auto& c : cases) {
    std::atomic<int> calls{0};
    c.toStdout ? testing::internal::CaptureStdout() : testing::internal::CaptureStderr();
    {
      RecurrentThread thread("failing", -1, c.interval, [&] {
        ++calls;
        c.fail();
      });
      while (calls < 3) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      EXPECT_TRUE(thread.Wait(0)) << c.what;
    }
    const std::string printed = c.toStdout ? testing::internal::GetCapturedStdout()
                                           : testing::internal::GetCapturedStderr();
    EXPECT_GE(calls, 3) << c.what;
    EXPECT_EQ(CountOccurrences(printed, c.report), static_cast<size_t>(calls.load())) << c.what;
  }
}

TEST(RecurrentThreadTest, WaitTimesOutDuringALongCallAndNoCallFollows) {
  Counter counter;
  FutureWrapper entered, gate;
  RecurrentThread thread("blocked", -1, 1000, [&] {
    if (counter.calls++ == 0) entered.Ready(Any());
    gate.Wait(0);
  });
  ASSERT_TRUE(entered.Wait(0));
  EXPECT_FALSE(thread.Wait(20000));
  gate.Ready(Any());
  EXPECT_TRUE(thread.Wait(0));
  EXPECT_EQ(counter.calls, 1);
}

TEST(RecurrentThreadTest, ReleasingTheLastPointerStopsTheLoop) {
  Counter counter;
  auto thread = CreateRecurrentThreadEx("dropped", -1, 5000, &Counter::Tick, &counter);
  while (counter.calls < 1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  thread.reset();
  const int calls = counter.calls;
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(counter.calls, calls);
}

TEST(RecurrentThreadTest, UserFunctionStopsItsOwnLoopWithoutWaitingForItself) {
  std::shared_ptr<Thread> owner;
  std::atomic<int> calls{0};
  FutureWrapper handedOver, stopped;
  owner = CreateRecurrentThreadEx("self-stop", -1, 1000, [&, handedOver, stopped]() mutable {
    handedOver.Wait(0);
    if (++calls == 3) stopped.Ready(Any(owner->Wait(0)));
  });
  handedOver.Ready(Any());
  EXPECT_FALSE(AnyCast<bool>(stopped.GetValue(0)));
  EXPECT_TRUE(owner->Wait(0));
  EXPECT_EQ(calls, 3);
}

TEST(RecurrentThreadTest, UserFunctionReleasingTheLastPointerEndsTheLoop) {
  std::shared_ptr<Thread> owner;
  std::atomic<int> callsAfterRelease{0};
  FutureWrapper handedOver, released;
  owner = CreateRecurrentThreadEx("self-release", -1, 1000, [&, handedOver, released]() mutable {
    handedOver.Wait(0);
    if (!owner) {
      ++callsAfterRelease;
      return;
    }
    owner.reset();  // the last pointer: the RecurrentThread dies on its own thread
    released.Ready(Any(OsHelper::Instance()->GetTid()));
  });
  handedOver.Ready(Any());
  const int32_t tid = AnyCast<int32_t>(released.GetValue(10000000));
  EXPECT_TRUE(test::ThreadGone(tid));
  EXPECT_EQ(callsAfterRelease, 0);
}

}  // namespace
}  // namespace quorvel::common
