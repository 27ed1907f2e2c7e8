// RecurrentThread: a Thread that calls a user function again and again until Wait is
// called, paced by a monotonic timer with a fixed interval or back to back (interval 0).
// The log system's "log.writer" and "log.keeper" threads are recurrent threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "quorvel/common/thread/thread.hpp"

namespace quorvel {
namespace common {

class RecurrentThread : public Thread {
 public:
  // Starts the loop at once. With an interval (microseconds) the user function f(args...)
  // runs now and then at every tick of a fixed grid of that period (a call that overruns
  // is followed at once by the next, missed ticks are not caught up); with interval 0 it
  // runs back to back and must block by itself. Exceptions of the user function are
  // printed ("RecurrentThread Execute Func error. ...") and the loop goes on.
  template <typename Func, typename... Args>
  RecurrentThread(const std::string& name, int32_t cpuId, uint64_t intervalMicrosec, Func&& f,
                  Args&&... args)
      : Thread(name, cpuId),
        loop_(std::make_shared<Loop>(
            intervalMicrosec, std::bind(std::forward<Func>(f), std::forward<Args>(args)...))) {
    if (intervalMicrosec != 0) {
      Run(&RecurrentThread::ThreadFunc, this);
    } else {
      Run(&RecurrentThread::ThreadFunc_0, this);
    }
  }

  // Stops the loop and waits for it, as Wait(0) does. Called by the loop's own thread (its
  // user function released the last pointer), it only asks the loop to stop: the loop ends
  // after the running call without touching this object again.
  ~RecurrentThread() override;

  // Asks the loop to stop (it sees the request before its next call, so a paced loop ends
  // at most one interval plus the running call later), then waits like Thread::Wait: true
  // once the loop has ended, false when the time ran out. No call starts after a true.
  // Called by the user function itself, it only asks the loop to stop and returns false.
  bool Wait(int64_t timeoutMicrosec) override;

  // The paced and the unpaced loop; both return 0 when stopped.
  int32_t ThreadFunc();
  int32_t ThreadFunc_0();

 private:
  // What the loop uses, shared with it: the loop holds its own reference, so this object
  // may be destroyed by the loop's own user function while the loop still runs.
  struct Loop {
    Loop(uint64_t interval, std::function<void()> function)
        : intervalMicrosec(interval), userFunction(std::move(function)) {}
    std::atomic<bool> stop{false};
    const uint64_t intervalMicrosec;
    const std::function<void()> userFunction;
  };

  // One call of the user function with its errors printed; `unknownToStdout` picks where a
  // throw that is no std::exception is reported.
  static void CallUserFunction(const Loop& loop, bool unknownToStdout);

  const std::shared_ptr<Loop> loop_;
};

// A new running RecurrentThread calling f(args...); a member function is passed as a
// pointer to member followed by the object pointer.
template <typename Func, typename... Args>
std::shared_ptr<Thread> CreateRecurrentThreadEx(const std::string& name, int32_t cpuId,
                                                uint64_t intervalMicrosec, Func&& f,
                                                Args&&... args) {
  return std::make_shared<RecurrentThread>(name, cpuId, intervalMicrosec, std::forward<Func>(f),
                                           std::forward<Args>(args)...);
}

}  // namespace common
}  // namespace quorvel
