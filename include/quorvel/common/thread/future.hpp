// Futures: one-shot result slots that a producer settles once, as ready with a value or as
// faulted with a fault value (both Any), and a consumer waits for with a timeout. Every
// Thread is a FutureWrapper that its start routine settles when the function ends.
#pragma once

#include <cstdint>
#include <memory>

#include "quorvel/common/any.hpp"
#include "quorvel/common/lock/lock.hpp"

namespace quorvel {
namespace common {

// Future states: deferred until settled, then ready or fault for good.
const int32_t QV_FUTURE_STATE_DEFER = 0;
const int32_t QV_FUTURE_STATE_READY = 1;
const int32_t QV_FUTURE_STATE_FAULT = 2;

// Any thread may call any operation; each is atomic with respect to the others.
// Timeouts are in microseconds; 0 or less waits without limit.
class Future {
 public:
  virtual ~Future() = default;

  virtual int32_t GetState() = 0;
  // True once settled (at once if it already is), false when the time ran out first.
  virtual bool Wait(int64_t timeoutMicrosec) = 0;
  // Waits like Wait, then returns the value (valid while the future lives). Throws
  // TimeoutException "Future GetValue timeout error" when the time ran out, and for a
  // fault FutureFaultException whose message is the fault value's text (BadCastException
  // when the fault value is neither empty nor a std::string).
  virtual const Any& GetValue(int64_t timeoutMicrosec) = 0;
  // The fault value; FutureException "Future state is not fault. state:<state>" otherwise.
  virtual const Any& GetFaultMessage() = 0;
  // Settle; a settled future throws FutureException "Future Ready error. state:<state>"
  // (or "Future Fault error. state:<state>") and keeps its value.
  virtual void Ready(const Any& value) = 0;
  virtual void Fault(const Any& value) = 0;

  bool IsDeferred() { return GetState() == QV_FUTURE_STATE_DEFER; }
  bool IsReady() { return GetState() == QV_FUTURE_STATE_READY; }
  bool IsFault() { return GetState() == QV_FUTURE_STATE_FAULT; }
};

class FutureImpl : public Future {
 public:
  FutureImpl() = default;
  FutureImpl(const FutureImpl&) = delete;
  FutureImpl& operator=(const FutureImpl&) = delete;

  int32_t GetState() override;
  bool Wait(int64_t timeoutMicrosec) override;
  const Any& GetValue(int64_t timeoutMicrosec) override;
  const Any& GetFaultMessage() override;
  void Ready(const Any& value) override;
  void Fault(const Any& value) override;

 protected:
  // Both are called with the lock held. __Notify wakes every waiter; __Wait waits until
  // the future is settled (true) or the time ran out (false), spurious wake-ups aside.
  virtual void __Notify();
  virtual bool __Wait(int64_t timeoutMicrosec);

 private:
  void Settle(int32_t state, const Any& value, const char* error);

  int32_t state_ = QV_FUTURE_STATE_DEFER;
  Any value_;
  MutexCond mutexCond_;
};

// Shares one FutureImpl between its copies and forwards every operation to it.
class FutureWrapper : public Future {
 public:
  FutureWrapper();

  int32_t GetState() override;
  bool Wait(int64_t timeoutMicrosec) override;
  const Any& GetValue(int64_t timeoutMicrosec) override;
  const Any& GetFaultMessage() override;
  void Ready(const Any& value) override;
  void Fault(const Any& value) override;

 protected:
  std::shared_ptr<Future> future_;
};

}  // namespace common
}  // namespace quorvel
