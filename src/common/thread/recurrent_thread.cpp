#include "quorvel/common/thread/recurrent_thread.hpp"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>

namespace quorvel {
namespace common {
namespace {

// Blocks until the timer's next expiry; the count of expiries since the last read is
// dropped, so overrun periods are not caught up.
void WaitForExpiry(int fd) {
  uint64_t expirations = 0;
  ssize_t got;
  do {
    got = read(fd, &expirations, sizeof(expirations));
  } while (got == -1 && errno == EINTR);
  QV_ASSERT_EQUAL(static_cast<int32_t>(got), static_cast<int32_t>(sizeof(expirations)));
}

bool IsCallingThread(uint64_t threadId) {
  return threadId != 0 && pthread_equal(pthread_self(), static_cast<pthread_t>(threadId)) != 0;
}

}  // namespace

RecurrentThread::~RecurrentThread() {
  if (IsCallingThread(GetThreadId())) {
    loop_->stop = true;
    return;
  }
  Wait(0);
}

bool RecurrentThread::Wait(int64_t timeoutMicrosec) {
  loop_->stop = true;
  // From the user function, the loop can only end once this call has returned.
  if (IsCallingThread(GetThreadId())) return false;
  return Thread::Wait(timeoutMicrosec);
}

// Both loops read this object only once, for their own reference to the loop state.
int32_t RecurrentThread::ThreadFunc() {
  const std::shared_ptr<Loop> loop = loop_;
  const int fd = timerfd_create(CLOCK_MONOTONIC, 0);
  QV_ASSERT_NOT_EQUAL(fd, -1);
  itimerspec period{};
  period.it_interval.tv_sec = static_cast<time_t>(loop->intervalMicrosec / 1000000);
  period.it_interval.tv_nsec = static_cast<long>((loop->intervalMicrosec % 1000000) * 1000);
  period.it_value = period.it_interval;
  QV_ASSERT_EQUAL(timerfd_settime(fd, 0, &period, nullptr), 0);
  while (!loop->stop) {
    CallUserFunction(*loop, false);
    WaitForExpiry(fd);
  }
  close(fd);
  return 0;
}

int32_t RecurrentThread::ThreadFunc_0() {
  const std::shared_ptr<Loop> loop = loop_;
  while (!loop->stop) CallUserFunction(*loop, true);
  return 0;
}

void RecurrentThread::CallUserFunction(const Loop& loop, bool unknownToStdout) {
  try {
    loop.userFunction();
  } catch (const Exception& e) {
    std::cerr << "RecurrentThread Execute Func error. e:" + e.ToString() + "\n" << std::flush;
  } catch (const std::exception& e) {
    std::cerr << "RecurrentThread Execute Func error. what:" + std::string(e.what()) + "\n"
              << std::flush;
  } catch (...) {
    if (unknownToStdout) std::cout << "RecurrentThread Execute Func error.\n" << std::flush;
  }
}

}  // namespace common
}  // namespace quorvel
