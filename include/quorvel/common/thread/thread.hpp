// Thread: runs one function on a new operating-system thread, optionally named and pinned
// to one processor, and reports the function's result or failure through the future it
// is (FutureWrapper). Used by the DDS reader queue and, through RecurrentThread, the log.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "quorvel/common/thread/future.hpp"

namespace quorvel {
namespace common {

class Thread : public FutureWrapper {
 public:
  // Stores the name (cut to 15 bytes when applied; empty: unnamed) and the processor to pin
  // the thread to (negative: no pinning). No thread runs yet.
  Thread(const std::string& name, int32_t cpuId);

  // The two-argument construction followed by Run(f, args...): running on return.
  template <typename Func, typename... Args>
  Thread(const std::string& name, int32_t cpuId, Func&& f, Args&&... args)
      : Thread(name, cpuId) {
    Run(std::forward<Func>(f), std::forward<Args>(args)...);
  }

  // Waits until the thread has ended (joins it), so that it never outlives this object.
  // On the thread itself it only lets the thread go.
  ~Thread() override;

  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Binds f with args (a member function takes the object pointer first) and starts the
  // thread, which names and pins itself, calls the function and settles the future: ready
  // with the result as Any (empty for void), or fault with the message of an exception
  // thrown by the naming, the pinning or the function. Throws SystemException
  // "Thread pthread_create error. ret:<errno>" when no thread could be created (the future
  // stays deferred), CommonException "Thread Run error. thread already started" on a
  // second call.
  template <typename Func, typename... Args>
  void Run(Func&& f, Args&&... args) {
    auto bound = std::bind(std::forward<Func>(f), std::forward<Args>(args)...);
    CheckNotStarted();
    function_ = [bound]() mutable -> Any {
      if constexpr (std::is_void_v<std::invoke_result_t<decltype(bound)&>>) {
        bound();
        return Any();
      } else {
        return Any(bound());
      }
    };
    CreateThreadNative();
  }

  // Creates the operating-system thread that runs Wrap; CommonException
  // "Thread Run error. thread already started" when there is one already.
  void CreateThreadNative();

  // The POSIX handle of the thread, 0 before it was created.
  uint64_t GetThreadId() const;

  // priority > 0: FIFO scheduling with that priority; otherwise the normal policy.
  // Throws the SystemException of OsHelper::SetScheduler, and SystemException
  // "Thread SetPriority error. thread not started" before Run. Call while the object lives.
  void SetPriority(int32_t priority);

  // Apply the stored name and processor to the calling thread; throw SystemException on
  // failure (OsHelper). Called on the new thread.
  void SetName();
  void SetCpu();

  // Runs on the new thread: names and pins it, calls the function, settles the future (a
  // future settled already by a caller keeps its value; the refusal goes to standard error).
  void Wrap();

 private:
  void CheckNotStarted() const;

  uint64_t threadId_ = 0;
  bool started_ = false;
  std::string name_;
  int32_t cpuId_;
  std::function<Any()> function_;
};

// A new running Thread calling f(args...).
template <typename Func, typename... Args>
std::shared_ptr<Thread> CreateThreadEx(const std::string& name, int32_t cpuId, Func&& f,
                                       Args&&... args) {
  return std::make_shared<Thread>(name, cpuId, std::forward<Func>(f), std::forward<Args>(args)...);
}

}  // namespace common
}  // namespace quorvel
