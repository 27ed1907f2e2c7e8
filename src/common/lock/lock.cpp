#include "quorvel/common/lock/lock.hpp"

#include <unistd.h>

#include <cerrno>
#include <limits>

#include "quorvel/common/exception.hpp"
#include "quorvel/common/filesystem/filesystem.hpp"
#include "quorvel/common/string_tool.hpp"
#include "quorvel/common/time/time_tool.hpp"

namespace quorvel::common {
namespace {

bool IsKnownRwlockMode(int32_t mode) { return mode == 0 || mode == 1; }

}  // namespace

Spinlock::Spinlock() { QV_ASSERT_EQUAL(pthread_spin_init(&lock_, PTHREAD_PROCESS_PRIVATE), 0); }

Spinlock::~Spinlock() { QV_ASSERT_EQUAL_DEBUG(pthread_spin_destroy(&lock_), 0); }

void Spinlock::Lock() { QV_ASSERT_EQUAL(pthread_spin_lock(&lock_), 0); }

void Spinlock::Unlock() { QV_ASSERT_EQUAL(pthread_spin_unlock(&lock_), 0); }

bool Spinlock::Trylock() {
  return QV_ASSERT_EQUAL_TOLERATED(pthread_spin_trylock(&lock_), 0, EBUSY) == 0;
}

pthread_spinlock_t* Spinlock::GetNative() { return &lock_; }

void CaspinLock::Lock() {
  while (!Trylock()) {
  }
}

bool CaspinLock::Trylock() {
  int32_t expected = 0;
  return word_.compare_exchange_strong(expected, 1, std::memory_order_acquire,
                                       std::memory_order_relaxed);
}

void CaspinLock::Unlock() { word_.store(0, std::memory_order_release); }

Mutex::Mutex() {
  pthread_mutexattr_t attr;
  QV_ASSERT_EQUAL(pthread_mutexattr_init(&attr), 0);
  QV_ASSERT_EQUAL(pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_NORMAL), 0);
  QV_ASSERT_EQUAL(pthread_mutexattr_setpshared(&attr, PTHREAD_PROCESS_PRIVATE), 0);
  QV_ASSERT_EQUAL(pthread_mutex_init(&mutex_, &attr), 0);
  QV_ASSERT_EQUAL_DEBUG(pthread_mutexattr_destroy(&attr), 0);
}

Mutex::~Mutex() { QV_ASSERT_EQUAL_DEBUG(pthread_mutex_destroy(&mutex_), 0); }

void Mutex::Lock() { QV_ASSERT_EQUAL(pthread_mutex_lock(&mutex_), 0); }

void Mutex::Unlock() { QV_ASSERT_EQUAL(pthread_mutex_unlock(&mutex_), 0); }

bool Mutex::Trylock() {
  return QV_ASSERT_EQUAL_TOLERATED(pthread_mutex_trylock(&mutex_), 0, EBUSY) == 0;
}

pthread_mutex_t* Mutex::GetNative() { return &mutex_; }

Cond::Cond() {
  QV_ASSERT_EQUAL(pthread_condattr_init(&attr_), 0);
  QV_ASSERT_EQUAL(pthread_condattr_setpshared(&attr_, PTHREAD_PROCESS_PRIVATE), 0);
  QV_ASSERT_EQUAL(pthread_condattr_setclock(&attr_, CLOCK_MONOTONIC), 0);
  QV_ASSERT_EQUAL(pthread_cond_init(&cond_, &attr_), 0);
}

Cond::~Cond() {
  QV_ASSERT_EQUAL_DEBUG(pthread_cond_destroy(&cond_), 0);
  QV_ASSERT_EQUAL_DEBUG(pthread_condattr_destroy(&attr_), 0);
}

void Cond::Wait(Mutex& mutex) {
  int ret = 0;
  do {
    ret = pthread_cond_wait(&cond_, mutex.GetNative());
  } while (ret == EINTR);
  QV_ASSERT_EQUAL(ret, 0);
}

bool Cond::Wait(Mutex& mutex, uint64_t timeoutMicrosec) {
  const uint64_t now = GetCurrentMonotonicTimeMicrosecond();
  // A timeout too large to add saturates to "practically never" instead of wrapping
  // into a deadline in the past.
  const uint64_t deadline = timeoutMicrosec > std::numeric_limits<uint64_t>::max() - now
                                ? std::numeric_limits<uint64_t>::max()
                                : now + timeoutMicrosec;
  timespec ts{};
  MicrosecondToTimespec(deadline, ts);
  int ret = 0;
  do {
    ret = pthread_cond_timedwait(&cond_, mutex.GetNative(), &ts);
  } while (ret == EINTR);
  QV_ASSERT_EQUAL_TOLERATED(ret, 0, ETIMEDOUT);
  return ret == 0;
}

void Cond::Notify() { QV_ASSERT_EQUAL(pthread_cond_signal(&cond_), 0); }

void Cond::NotifyAll() { QV_ASSERT_EQUAL(pthread_cond_broadcast(&cond_), 0); }

clockid_t Cond::GetClock() const {
  clockid_t clock = CLOCK_REALTIME;
  QV_ASSERT_EQUAL(pthread_condattr_getclock(&attr_, &clock), 0);
  return clock;
}

void MutexCond::Lock() { mutex_.Lock(); }

void MutexCond::Unlock() { mutex_.Unlock(); }

bool MutexCond::Wait(int64_t timeoutMicrosec) {
  if (timeoutMicrosec > 0) {
    return cond_.Wait(mutex_, static_cast<uint64_t>(timeoutMicrosec));
  }
  cond_.Wait(mutex_);
  return true;
}

void MutexCond::Notify() { cond_.Notify(); }

void MutexCond::NotifyAll() { cond_.NotifyAll(); }

Rwlock::Rwlock() {
  pthread_rwlockattr_t attr;
  QV_ASSERT_EQUAL(pthread_rwlockattr_init(&attr), 0);
  QV_ASSERT_EQUAL(pthread_rwlockattr_setpshared(&attr, PTHREAD_PROCESS_PRIVATE), 0);
  QV_ASSERT_EQUAL(pthread_rwlock_init(&lock_, &attr), 0);
  QV_ASSERT_EQUAL_DEBUG(pthread_rwlockattr_destroy(&attr), 0);
}

Rwlock::~Rwlock() { QV_ASSERT_EQUAL_DEBUG(pthread_rwlock_destroy(&lock_), 0); }

void Rwlock::Lock(int32_t mode) {
  if (!IsKnownRwlockMode(mode)) {
    QV_THROW(SystemException, "Unknown rwlock mode:" + ToString(mode));
  }
  QV_ASSERT_EQUAL(mode == 0 ? pthread_rwlock_rdlock(&lock_) : pthread_rwlock_wrlock(&lock_), 0);
}

bool Rwlock::Trylock(int32_t mode) {
  if (!IsKnownRwlockMode(mode)) {
    QV_THROW(SystemException, "Unknown rwlock mode:" + ToString(mode));
  }
  const int ret = mode == 0 ? pthread_rwlock_tryrdlock(&lock_) : pthread_rwlock_trywrlock(&lock_);
  return QV_ASSERT_EQUAL_TOLERATED(ret, 0, EBUSY) == 0;
}

void Rwlock::Unlock() { QV_ASSERT_EQUAL(pthread_rwlock_unlock(&lock_), 0); }

pthread_rwlock_t* Rwlock::GetNative() { return &lock_; }

Filelock::Filelock(const std::string& fileName)
    : fd_(FileSystemHelper::Instance()->Open(fileName, O_RDWR | O_CREAT | O_SYNC, 0666)),
      ownsFd_(true) {}

Filelock::Filelock(int32_t fd) : fd_(fd), ownsFd_(false) {}

Filelock::~Filelock() {
  // Descriptor 0 is a valid descriptor when standard input was closed.
  if (ownsFd_ && fd_ >= 0) {
    FileSystemHelper::Instance()->Close(fd_);
  }
}

void Filelock::Lock(int32_t mode, int64_t start, int64_t len) {
  SetLockMember(mode, start, len);
  int ret = 0;
  do {
    ret = fcntl(fd_, F_SETLKW, &lock_);
  } while (ret != 0 && errno == EINTR);
  const int error = errno;
  if (QV_ASSERT_EQUAL_DEBUG(ret, 0) != 0) {
    QV_THROW(LockException,
             "fcntl file lock error. fd:" + ToString(fd_) + ", errno:" + ToString(error));
  }
}

bool Filelock::Trylock(int32_t mode, int64_t start, int64_t len) {
  SetLockMember(mode, start, len);
  return QV_ASSERT_EQUAL_DEBUG(fcntl(fd_, F_SETLK, &lock_), 0) == 0;
}

void Filelock::Unlock() {
  lock_.l_type = F_UNLCK;
  QV_ASSERT_EQUAL_DEBUG(fcntl(fd_, F_SETLK, &lock_), 0);
}

void Filelock::SetLockMember(int32_t mode, int64_t start, int64_t len) {
  lock_ = {};
  lock_.l_whence = SEEK_SET;
  lock_.l_start = static_cast<off_t>(start);
  lock_.l_len = static_cast<off_t>(len);
  lock_.l_pid = getpid();
  SetLockMode(mode);
}

void Filelock::SetLockMode(int32_t mode) {
  switch (mode) {
    case 0:
      lock_.l_type = F_RDLCK;
      break;
    case 1:
      lock_.l_type = F_WRLCK;
      break;
    case 2:
      lock_.l_type = F_UNLCK;
      break;
    default:
      QV_THROW(SystemException, "Unknown rwlock mode:" + ToString(mode));
  }
}

}  // namespace quorvel::common
