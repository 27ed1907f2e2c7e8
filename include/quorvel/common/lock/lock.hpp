// Thin wrappers over the POSIX locking primitives with one interface (Lock, Unlock,
// Trylock): spin locks, mutex, condition, monitor pair, reader-writer lock, advisory file
// lock and a scope guard. Used by the threads, futures, log system, DDS listener queue and
// channel factory. A system call that must not fail ends the process (QV_ASSERT report).
#pragma once

#include <fcntl.h>
#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <ctime>
#include <string>

namespace quorvel::common {

// Process-private POSIX spin lock.
class Spinlock {
 public:
  Spinlock();
  ~Spinlock();
  Spinlock(const Spinlock&) = delete;
  Spinlock& operator=(const Spinlock&) = delete;

  void Lock();
  void Unlock();
  // False when the lock is busy.
  bool Trylock();
  pthread_spinlock_t* GetNative();

 private:
  pthread_spinlock_t lock_;
};

// Spin lock on one compare-and-swap word (0 free, 1 held), without any system call.
// Waiters spin at full speed: only for very short critical sections.
class CaspinLock {
 public:
  CaspinLock() = default;
  CaspinLock(const CaspinLock&) = delete;
  CaspinLock& operator=(const CaspinLock&) = delete;

  void Lock();
  // One compare-and-swap attempt; true when it took the lock.
  bool Trylock();
  void Unlock();

 private:
  std::atomic<int32_t> word_{0};
};

// Process-private, normal (non-recursive, no error checking) POSIX mutex.
class Mutex {
 public:
  Mutex();
  ~Mutex();
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;

  void Lock();
  void Unlock();
  // False when another holder has it.
  bool Trylock();
  pthread_mutex_t* GetNative();

 private:
  pthread_mutex_t mutex_;
};

// Process-private POSIX condition variable whose timed waits run on the monotonic clock,
// so a step of the wall clock neither stretches nor cuts a wait.
class Cond {
 public:
  Cond();
  ~Cond();
  Cond(const Cond&) = delete;
  Cond& operator=(const Cond&) = delete;

  // Waits with `mutex` held by the caller until woken (spurious wake-ups included).
  void Wait(Mutex& mutex);
  // The same, at most `timeoutMicrosec`; true when woken, false when the deadline passed.
  bool Wait(Mutex& mutex, uint64_t timeoutMicrosec);
  void Notify();
  void NotifyAll();
  // The clock the condition measures its deadlines on (CLOCK_MONOTONIC).
  clockid_t GetClock() const;

 private:
  pthread_condattr_t attr_;
  pthread_cond_t cond_;
};

// A mutex with its condition: the usual monitor pair. Hold the lock around Wait.
class MutexCond {
 public:
  MutexCond() = default;
  MutexCond(const MutexCond&) = delete;
  MutexCond& operator=(const MutexCond&) = delete;

  void Lock();
  void Unlock();
  // timeoutMicrosec > 0: the timed wait and its result; otherwise waits until woken, true.
  bool Wait(int64_t timeoutMicrosec);
  void Notify();
  void NotifyAll();

 private:
  Mutex mutex_;
  Cond cond_;
};

// Process-private POSIX reader-writer lock. Modes: 0 read (shared), 1 write (exclusive);
// any other mode throws SystemException "Unknown rwlock mode:<mode>".
class Rwlock {
 public:
  Rwlock();
  ~Rwlock();
  Rwlock(const Rwlock&) = delete;
  Rwlock& operator=(const Rwlock&) = delete;

  void Lock(int32_t mode);
  // False when the lock is busy for that mode.
  bool Trylock(int32_t mode);
  void Unlock();
  pthread_rwlock_t* GetNative();

 private:
  pthread_rwlock_t lock_;
};

// Advisory fcntl record lock. Modes: 0 read, 1 write, 2 unlock. Record locks belong to the
// process: they exclude other processes only, and closing any descriptor of the file
// releases them.
class Filelock {
 public:
  // Opens (creating it) `fileName` with O_RDWR | O_CREAT | O_SYNC, 0666, and owns the
  // descriptor. Throws FileException "open error. filename:..." when it cannot.
  explicit Filelock(const std::string& fileName);
  // Uses `fd` without owning it.
  explicit Filelock(int32_t fd);
  // Closes the descriptor when owned.
  ~Filelock();
  Filelock(const Filelock&) = delete;
  Filelock& operator=(const Filelock&) = delete;

  // Waits until the range [start, start + len) is granted (len 0: to the end of the file).
  // Throws LockException "fcntl file lock error. fd:<fd>, errno:<errno>" on failure.
  void Lock(int32_t mode, int64_t start, int64_t len);
  // The same without waiting; false (after one DEBUG QV_ASSERT line) when refused.
  bool Trylock(int32_t mode, int64_t start, int64_t len);
  // Releases the range of the last Lock or Trylock; a failure prints a DEBUG line only.
  void Unlock();
  // Resets the description: whence start of file, `start`, `len`, own pid, then the mode.
  void SetLockMember(int32_t mode, int64_t start, int64_t len);
  // Throws SystemException "Unknown rwlock mode:<mode>" for a mode other than 0, 1, 2.
  void SetLockMode(int32_t mode);

 private:
  int32_t fd_;
  bool ownsFd_;
  struct flock lock_{};
};

// Locks in the constructor, unlocks in the destructor (Mutex, MutexCond, Spinlock...).
template <typename T>
class LockGuard {
 public:
  explicit LockGuard(T& lock) : lock_(lock) { lock_.Lock(); }
  ~LockGuard() { lock_.Unlock(); }
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;

 private:
  T& lock_;
};

}  // namespace quorvel::common
