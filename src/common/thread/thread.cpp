#include "quorvel/common/thread/thread.hpp"

#include <iostream>

#include "quorvel/common/os.hpp"

namespace quorvel {
namespace common {
namespace {

void* __QV_THREAD_INNER_ROUTINE(void* arg) {
  static_cast<Thread*>(arg)->Wrap();
  return nullptr;
}

bool IsCallingThread(uint64_t threadId) {
  return pthread_equal(pthread_self(), static_cast<pthread_t>(threadId)) != 0;
}

}  // namespace

Thread::Thread(const std::string& name, int32_t cpuId) : name_(name), cpuId_(cpuId) {}

// The thread is created joinable and joined here: a detached thread could still be using
// this object (its function, its future) after the owner released it.
Thread::~Thread() {
  if (!started_) return;
  if (IsCallingThread(threadId_)) {
    QV_ASSERT_EQUAL_DEBUG(pthread_detach(static_cast<pthread_t>(threadId_)), 0);
    return;
  }
  QV_ASSERT_EQUAL_DEBUG(pthread_join(static_cast<pthread_t>(threadId_), nullptr), 0);
}

void Thread::CheckNotStarted() const {
  if (started_) QV_THROW(CommonException, "Thread Run error. thread already started");
}

void Thread::CreateThreadNative() {
  // A second thread on this object would overwrite the handle of the first, never joined.
  CheckNotStarted();
  pthread_attr_t attr;
  QV_ASSERT_EQUAL(pthread_attr_init(&attr), 0);
  QV_ASSERT_EQUAL(pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_JOINABLE), 0);
  pthread_t handle;
  const int ret = pthread_create(&handle, &attr, __QV_THREAD_INNER_ROUTINE, this);
  QV_ASSERT_EQUAL(pthread_attr_destroy(&attr), 0);
  if (ret != 0) QV_THROW(SystemException, "Thread pthread_create error. ret:" + std::to_string(ret));
  threadId_ = static_cast<uint64_t>(handle);
  started_ = true;
}

uint64_t Thread::GetThreadId() const { return threadId_; }

void Thread::SetPriority(int32_t priority) {
  // Handle 0 would name the calling thread to the scheduler, not this one.
  if (!started_) QV_THROW(SystemException, "Thread SetPriority error. thread not started");
  if (priority > 0) {
    OsHelper::Instance()->SetScheduler(threadId_, 1, priority);
  } else {
    OsHelper::Instance()->SetScheduler(threadId_, 0, 0);
  }
}

void Thread::SetName() {
  if (!name_.empty()) OsHelper::Instance()->SetThreadName(0, name_);
}

void Thread::SetCpu() {
  if (cpuId_ >= 0) OsHelper::Instance()->CpuSet(0, static_cast<size_t>(cpuId_));
}

void Thread::Wrap() {
  // The owner may release this object as soon as the future is settled; the local copy
  // keeps the future itself alive until the settling call has returned.
  const std::shared_ptr<Future> future = future_;
  Any result;
  Any fault;
  {
    // The thread owns its function: the function may release this object (which, destroyed
    // on its own thread, only lets the thread go) and still run to its end. It is destroyed
    // before the future is settled, so a woken owner never meets its captures being torn down.
    const std::function<Any()> function = std::move(function_);
    try {
      SetName();
      SetCpu();
      result = function();
    } catch (const Exception& e) {
      fault = Any(e.GetMessage());
    } catch (const std::exception& e) {
      fault = Any(std::string(e.what()));
    } catch (...) {
      fault = Any(std::string("unknown exception"));
    }
  }
  // Ready and Fault are public: a caller may have settled the future already. The refusal
  // is reported, never let out of the thread.
  try {
    if (fault.Empty()) {
      future->Ready(result);
    } else {
      future->Fault(fault);
    }
  } catch (const Exception& e) {
    std::cerr << "Thread settle future error. e:" + e.ToString() + "\n" << std::flush;
  }
}

}  // namespace common
}  // namespace quorvel
