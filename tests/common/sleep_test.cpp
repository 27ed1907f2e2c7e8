#include "quorvel/common/time/sleep.hpp"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace quorvel::common {
namespace {

using Clock = std::chrono::steady_clock;

void IgnoreSignal(int) {}

TEST(SleepTest, EachUnitSleepsAtLeastItsTime) {
  struct {
    void (*sleep)(uint64_t);
    uint64_t amount;
    std::chrono::microseconds least;
  } cases[] = {
      {MicroSleep, 3000, std::chrono::microseconds(3000)},
      {MilliSleep, 20, std::chrono::milliseconds(20)},
      {Sleep, 1, std::chrono::seconds(1)},
      {MicroSleep, 0, std::chrono::microseconds(0)},
  };
  for (const auto& c : cases) {
    const auto start = Clock::now();
    c.sleep(c.amount);
    EXPECT_GE(Clock::now() - start, c.least) << c.amount;
  }
}

// A signal delivered to the sleeping thread must not cut the sleep short.
TEST(SleepTest, SignalDoesNotShortenTheSleep) {
  struct sigaction action {};
  action.sa_handler = IgnoreSignal;  // no SA_RESTART: nanosleep returns EINTR
  struct sigaction previous {};
  ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);

  std::atomic<bool> started{false};
  Clock::duration slept{};
  std::thread sleeper([&] {
    started = true;
    const auto start = Clock::now();
    MilliSleep(300);
    slept = Clock::now() - start;
  });
  while (!started) {
    std::this_thread::yield();
  }
  for (int i = 0; i < 3; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    pthread_kill(sleeper.native_handle(), SIGUSR1);
  }
  sleeper.join();
  sigaction(SIGUSR1, &previous, nullptr);
  EXPECT_GE(slept, std::chrono::milliseconds(300));
}

}  // namespace
}  // namespace quorvel::common
