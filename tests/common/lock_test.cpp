#include "quorvel/common/lock/lock.hpp"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "common/support/common_test_support.hpp"
#include "quorvel/common/exception.hpp"

namespace quorvel::common {
namespace {

using Clock = std::chrono::steady_clock;
using ::testing::HasSubstr;

// Runs `body` while another thread holds a lock: taken by `lock`, given back by `unlock`
// once the body has returned.
void WhileHeldElsewhere(const std::function<void()>& lock, const std::function<void()>& unlock,
                        const std::function<void()>& body) {
  std::atomic<bool> held{false};
  std::atomic<bool> release{false};
  std::thread holder([&] {
    lock();
    held = true;
    while (!release) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    unlock();
  });
  while (!held) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  body();
  release = true;
  holder.join();
}

template <typename L>
class ExclusiveLockTest : public ::testing::Test {};
using ExclusiveLocks = ::testing::Types<Mutex, Spinlock, CaspinLock>;
TYPED_TEST_SUITE(ExclusiveLockTest, ExclusiveLocks);

TYPED_TEST(ExclusiveLockTest, TrylockFailsSilentlyWhileAnotherThreadHoldsIt) {
  TypeParam lock;
  testing::internal::CaptureStdout();
  WhileHeldElsewhere([&] { lock.Lock(); }, [&] { lock.Unlock(); },
                     [&] { EXPECT_FALSE(lock.Trylock()); });
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  ASSERT_TRUE(lock.Trylock());
  lock.Unlock();
}

TYPED_TEST(ExclusiveLockTest, GuardedIncrementsFromTwoThreadsAreNotLost) {
  TypeParam lock;
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 100000; ++i) {
      LockGuard<TypeParam> guard(lock);
      counter = counter + 1;
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_EQ(counter, 200000);
}

TEST(RwlockTest, ReadersShareAndWritersExclude) {
  struct {
    int32_t heldMode;
    int32_t triedMode;
    bool granted;
  } cases[] = {{0, 0, true}, {0, 1, false}, {1, 0, false}, {1, 1, false}};
  for (const auto& c : cases) {
    Rwlock rwlock;
    WhileHeldElsewhere([&] { rwlock.Lock(c.heldMode); }, [&] { rwlock.Unlock(); }, [&] {
      const bool granted = rwlock.Trylock(c.triedMode);
      EXPECT_EQ(granted, c.granted) << c.heldMode << " then " << c.triedMode;
      if (granted) {
        rwlock.Unlock();
      }
    });
  }
}

TEST(RwlockTest, UnknownModeThrows) {
  Rwlock rwlock;
  for (int32_t mode : {2, -1}) {
    const std::string expected = "Unknown rwlock mode:" + std::to_string(mode);
    try {
      rwlock.Lock(mode);
      FAIL() << "Lock accepted mode " << mode;
    } catch (const SystemException& e) {
      EXPECT_EQ(e.GetMessage(), expected);
    }
    try {
      rwlock.Trylock(mode);
      FAIL() << "Trylock accepted mode " << mode;
    } catch (const SystemException& e) {
      EXPECT_EQ(e.GetMessage(), expected);
    }
  }
  EXPECT_TRUE(rwlock.Trylock(1));  // the failed calls left it free
  rwlock.Unlock();
}

TEST(CondTest, TimedWaitsRunOnTheMonotonicClock) {
  Cond cond;
  EXPECT_EQ(cond.GetClock(), CLOCK_MONOTONIC);
  Mutex mutex;
  LockGuard<Mutex> guard(mutex);
  const auto start = Clock::now();
  EXPECT_FALSE(cond.Wait(mutex, 100000));
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(95));
  EXPECT_LT(waited, std::chrono::seconds(3));
}

TEST(CondTest, NotifiedTimedWaitReturnsTrueBeforeTheDeadline) {
  MutexCond monitor;
  bool ready = false;
  std::thread notifier([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    LockGuard<MutexCond> guard(monitor);
    ready = true;
    monitor.Notify();
  });
  const auto start = Clock::now();
  {
    LockGuard<MutexCond> guard(monitor);
    while (!ready) {
      ASSERT_TRUE(monitor.Wait(30000000));
    }
  }
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
  notifier.join();
}

TEST(CondTest, UntimedWaitBlocksUntilNotified) {
  MutexCond monitor;
  std::atomic<int> woken{0};
  bool go = false;
  auto waiter = [&] {
    LockGuard<MutexCond> guard(monitor);
    while (!go) {
      EXPECT_TRUE(monitor.Wait(0));
    }
    ++woken;
  };
  std::thread a(waiter), b(waiter);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(woken, 0);
  {
    LockGuard<MutexCond> guard(monitor);
    go = true;
    monitor.NotifyAll();
  }
  a.join();
  b.join();
  EXPECT_EQ(woken, 2);
}

class FilelockTest : public test::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    path_ = dir_ + "/instance.lock";
  }

  // Runs Trylock(1, 0, 0) in a child process; returns its result and stdout.
  bool TrylockInChild(std::string& output) {
    const std::string outPath = dir_ + "/child.out";
    std::cout.flush();
    const pid_t pid = fork();
    if (pid == 0) {
      const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, STDOUT_FILENO);
      bool granted = false;
      {
        Filelock lock(path_);
        granted = lock.Trylock(1, 0, 0);
      }
      std::cout.flush();
      _exit(granted ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    std::ifstream in(outPath);
    std::stringstream text;
    text << in.rdbuf();
    output = text.str();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  std::string path_;
};

TEST_F(FilelockTest, WriteLockExcludesAnotherProcessUntilUnlocked) {
  Filelock lock(path_);
  lock.Lock(1, 0, 0);
  std::string output;
  EXPECT_FALSE(TrylockInChild(output));
  EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
  EXPECT_THAT(output, HasSubstr("QV_ASSERT DEBUG at __FILE__:"));
  lock.Unlock();
  EXPECT_TRUE(TrylockInChild(output));
  EXPECT_EQ(output, "");
}

TEST_F(FilelockTest, BorrowedDescriptorStaysOpen) {
  const int fd = open(path_.c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  {
    Filelock lock(fd);
    EXPECT_TRUE(lock.Trylock(0, 0, 10));
    lock.Unlock();
  }
  EXPECT_NE(fcntl(fd, F_GETFD), -1);
  close(fd);
}

TEST_F(FilelockTest, BadModeAndUnopenableFileThrow) {
  Filelock lock(path_);
  try {
    lock.SetLockMode(3);
    FAIL();
  } catch (const SystemException& e) {
    EXPECT_EQ(e.GetMessage(), "Unknown rwlock mode:3");
  }
  try {
    Filelock missing(dir_ + "/no/such/dir/f.lock");
    FAIL();
  } catch (const FileException& e) {
    EXPECT_EQ(e.GetMessage(), "open error. filename:" + dir_ + "/no/such/dir/f.lock, error:2");
  }
}

TEST_F(FilelockTest, LockOnBadDescriptorThrowsLockException) {
  Filelock lock(-1);
  testing::internal::CaptureStdout();
  try {
    lock.Lock(1, 0, 0);
    FAIL();
  } catch (const LockException& e) {
    EXPECT_EQ(e.GetMessage(), "fcntl file lock error. fd:-1, errno:9");
  }
  EXPECT_FALSE(lock.Trylock(1, 0, 0));
  EXPECT_THAT(testing::internal::GetCapturedStdout(), HasSubstr("QV_ASSERT DEBUG"));
}

}  // namespace
}  // namespace quorvel::common
