#include "quorvel/common/thread/future.hpp"

#include <string>

#include "quorvel/common/time/time_tool.hpp"

namespace quorvel {
namespace common {

int32_t FutureImpl::GetState() {
  LockGuard<MutexCond> guard(mutexCond_);
  return state_;
}

bool FutureImpl::Wait(int64_t timeoutMicrosec) {
  LockGuard<MutexCond> guard(mutexCond_);
  return state_ != QV_FUTURE_STATE_DEFER || __Wait(timeoutMicrosec);
}

const Any& FutureImpl::GetValue(int64_t timeoutMicrosec) {
  LockGuard<MutexCond> guard(mutexCond_);
  if (state_ == QV_FUTURE_STATE_DEFER && !__Wait(timeoutMicrosec)) {
    QV_THROW(TimeoutException, "Future GetValue timeout error");
  }
  if (state_ == QV_FUTURE_STATE_FAULT) QV_THROW(FutureFaultException, ToString(value_));
  return value_;
}

const Any& FutureImpl::GetFaultMessage() {
  LockGuard<MutexCond> guard(mutexCond_);
  if (state_ != QV_FUTURE_STATE_FAULT) {
    QV_THROW(FutureException, "Future state is not fault. state:" + std::to_string(state_));
  }
  return value_;
}

void FutureImpl::Ready(const Any& value) {
  Settle(QV_FUTURE_STATE_READY, value, "Future Ready error. state:");
}

void FutureImpl::Fault(const Any& value) {
  Settle(QV_FUTURE_STATE_FAULT, value, "Future Fault error. state:");
}

void FutureImpl::Settle(int32_t state, const Any& value, const char* error) {
  LockGuard<MutexCond> guard(mutexCond_);
  if (state_ != QV_FUTURE_STATE_DEFER) QV_THROW(FutureException, error + std::to_string(state_));
  value_ = value;
  state_ = state;
  __Notify();
}

// Every waiter is woken: a second consumer waiting without limit would otherwise sleep on.
void FutureImpl::__Notify() { mutexCond_.NotifyAll(); }

// Waits in a loop against one deadline: a spurious wake-up must neither report a future
// as settled nor restart the full timeout.
bool FutureImpl::__Wait(int64_t timeoutMicrosec) {
  if (timeoutMicrosec <= 0) {
    while (state_ == QV_FUTURE_STATE_DEFER) mutexCond_.Wait(0);
    return true;
  }
  const uint64_t deadline =
      GetCurrentMonotonicTimeMicrosecond() + static_cast<uint64_t>(timeoutMicrosec);
  while (state_ == QV_FUTURE_STATE_DEFER) {
    const uint64_t now = GetCurrentMonotonicTimeMicrosecond();
    if (now >= deadline) return false;
    mutexCond_.Wait(static_cast<int64_t>(deadline - now));
  }
  return true;
}

FutureWrapper::FutureWrapper() : future_(std::make_shared<FutureImpl>()) {}

int32_t FutureWrapper::GetState() { return future_->GetState(); }

bool FutureWrapper::Wait(int64_t timeoutMicrosec) { return future_->Wait(timeoutMicrosec); }

const Any& FutureWrapper::GetValue(int64_t timeoutMicrosec) {
  return future_->GetValue(timeoutMicrosec);
}

const Any& FutureWrapper::GetFaultMessage() { return future_->GetFaultMessage(); }

void FutureWrapper::Ready(const Any& value) { future_->Ready(value); }

void FutureWrapper::Fault(const Any& value) { future_->Fault(value); }

}  // namespace common
}  // namespace quorvel
