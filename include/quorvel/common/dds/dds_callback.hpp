// The reader's message handler holder and the bounded blocking queue that hands samples
// from the DDS library's thread to a reader's consumer thread. Used by the reader
// listener (dds_entity.hpp) and the factory model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>

#include "quorvel/common/lock/lock.hpp"

namespace quorvel::common {

using DdsMessageHandler = std::function<void(const void*)>;

// Holds the handler a reader calls with a pointer to one sample of its message type.
class DdsReaderCallback {
 public:
  DdsReaderCallback();
  explicit DdsReaderCallback(const DdsMessageHandler& handler);
  DdsReaderCallback(const DdsReaderCallback& other);
  DdsReaderCallback& operator=(const DdsReaderCallback& other);
  ~DdsReaderCallback();

  bool HasMessageHandler() const;
  // Calls the handler with `message` when one is set; otherwise does nothing.
  void OnDataAvailable(const void* message);

 private:
  DdsMessageHandler handler_;
};

// A bounded queue with a blocking Get. Producers never wait: a full queue either
// refuses the element or drops its oldest one. Any thread may call any operation.
template <typename T>
class BlockQueue {
 public:
  // A capacity of 0 means 2147483647 elements.
  explicit BlockQueue(size_t capacity) : capacity_(capacity == 0 ? kUnbounded : capacity) {}
  BlockQueue(const BlockQueue&) = delete;
  BlockQueue& operator=(const BlockQueue&) = delete;

  // Inserts `element` at the back (at the front with putFront) and wakes one getter.
  // Returns true when there was room. On a full queue: with replace false returns false
  // and changes nothing; with replace true drops the oldest element, inserts, returns false.
  bool Put(const T& element, bool replace, bool putFront) {
    bool hadRoom = true;
    {
      LockGuard<MutexCond> guard(lock_);
      if (count_ >= capacity_) {
        if (!replace) {
          return false;
        }
        elements_.pop_front();
        --count_;
        hadRoom = false;
      }
      if (putFront) {
        elements_.push_front(element);
      } else {
        elements_.push_back(element);
      }
      ++count_;
    }
    // Woken after the unlock, the getter does not block again at once on our mutex.
    lock_.Notify();
    return hadRoom;
  }

  // Moves the oldest element into `element` and returns true. On an empty queue waits
  // once, at most timeoutMicrosec (0: without limit); returns false, leaving `element`
  // untouched, when the wait timed out, was interrupted, or the queue is closed.
  bool Get(T& element, uint64_t timeoutMicrosec) {
    LockGuard<MutexCond> guard(lock_);
    return GetTimeout(element, timeoutMicrosec);
  }

  // Wakes every waiting getter when `all`, otherwise one; the woken Get returns false.
  void Interrupt(bool all) {
    LockGuard<MutexCond> guard(lock_);
    if (all) {
      lock_.NotifyAll();
    } else {
      lock_.Notify();
    }
  }

  // From now on every Get returns false at once, also one that is waiting. A consumer
  // that tests its own stop flag between Gets therefore cannot miss a stop that is
  // followed by Close, whatever the timing.
  void Close() {
    LockGuard<MutexCond> guard(lock_);
    closed_ = true;
    lock_.NotifyAll();
  }

  size_t Size() {
    LockGuard<MutexCond> guard(lock_);
    return count_;
  }

 private:
  static constexpr size_t kUnbounded = 2147483647;

  // The caller holds lock_.
  bool GetTimeout(T& element, uint64_t timeoutMicrosec) {
    if (closed_) {
      return false;
    }
    if (elements_.empty()) {
      if (!lock_.Wait(static_cast<int64_t>(timeoutMicrosec)) || closed_ || elements_.empty()) {
        return false;
      }
    }
    element = std::move(elements_.front());
    elements_.pop_front();
    --count_;
    return true;
  }

  size_t capacity_;
  size_t count_ = 0;
  bool closed_ = false;
  std::list<T> elements_;
  MutexCond lock_;
};

}  // namespace quorvel::common
