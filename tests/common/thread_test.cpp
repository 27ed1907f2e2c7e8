#include "quorvel/common/thread/thread.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "common/support/common_test_support.hpp"
#include "quorvel/common/os.hpp"

namespace quorvel::common {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string CurrentThreadName() {
  char name[64] = {};
  pthread_getname_np(pthread_self(), name, sizeof(name));
  return name;
}

TEST(ThreadTest, ResultOrFailureOfTheFunctionSettlesTheFuture) {
  struct Case {
    const char* what;
    std::function<std::shared_ptr<Thread>()> start;
    int32_t state;
    std::string fault;
  } cases[] = {
      {"value", [] { return CreateThreadEx("t", -1, [] { return 7; }); }, QV_FUTURE_STATE_READY, ""},
      {"void", [] { return CreateThreadEx("t", -1, [] {}); }, QV_FUTURE_STATE_READY, ""},
      {"library exception",
       [] { return CreateThreadEx("t", -1, []() -> int { QV_THROW(CommonException, "boom"); }); },
       QV_FUTURE_STATE_FAULT, "boom"},
      {"std exception",
       [] { return CreateThreadEx("t", -1, []() -> int { throw std::runtime_error("what"); }); },
       QV_FUTURE_STATE_FAULT, "what"},
      {"anything else", [] { return CreateThreadEx("t", -1, []() -> int { throw 5; }); },
       QV_FUTURE_STATE_FAULT, "unknown exception"},
  };
  for (const auto& c : cases) {
    auto thread = c.start();
    EXPECT_TRUE(thread->Wait(0)) << c.what;
    EXPECT_EQ(thread->GetState(), c.state) << c.what;
    if (c.state == QV_FUTURE_STATE_FAULT) {
      EXPECT_EQ(ToString(thread->GetFaultMessage()), c.fault) << c.what;
      try {
        thread->GetValue(0);
        ADD_FAILURE() << c.what;
      } catch (const FutureFaultException& e) {
        EXPECT_EQ(e.GetMessage(), c.fault) << c.what;
      }
    }
  }
  EXPECT_EQ(AnyCast<int>(cases[0].start()->GetValue(0)), 7);
  EXPECT_TRUE(cases[1].start()->GetValue(0).Empty());
}

struct Adder {
  long Add(int a, long b) const { return base + a + b; }
  long base = 100;
};

TEST(ThreadTest, MemberFunctionsAndArgumentsAreBound) {
  Adder adder;
  auto thread = CreateThreadEx("adder", -1, &Adder::Add, &adder, 2, 3L);
  EXPECT_EQ(AnyCast<long>(thread->GetValue(0)), 105);
  EXPECT_NE(thread->GetThreadId(), 0u);
}

TEST(ThreadTest, NameIsCutTo15BytesAndEmptyKeepsTheInheritedName) {
  const std::string inherited = CurrentThreadName();
  struct Case {
    std::string name;
    std::string seen;
  } cases[] = {
      {"a-very-long-thread-name", "a-very-long-thr"},
      {"exactly-15-byte", "exactly-15-byte"},
      {"rlsnr", "rlsnr"},
      {"", inherited},
  };
  for (const auto& c : cases) {
    Thread thread(c.name, -1, CurrentThreadName);
    EXPECT_EQ(ToString(thread.GetValue(0)), c.seen) << c.name;
  }
}

TEST(ThreadTest, PinnedFunctionRunsOnItsProcessor) {
  cpu_set_t allowed;
  ASSERT_EQ(sched_getaffinity(0, sizeof(allowed), &allowed), 0);
  int cpu = 0;
  while (!CPU_ISSET(cpu, &allowed)) ++cpu;
  auto thread = CreateThreadEx("pinned", cpu, [cpu] {
    cpu_set_t set;
    CPU_ZERO(&set);
    pthread_getaffinity_np(pthread_self(), sizeof(set), &set);
    return CPU_COUNT(&set) == 1 && CPU_ISSET(cpu, &set) && sched_getcpu() == cpu;
  });
  EXPECT_TRUE(AnyCast<bool>(thread->GetValue(0))) << "cpu " << cpu;
}

TEST(ThreadTest, PinningFailureFaultsTheFutureWithoutRunningTheFunction) {
  std::atomic<bool> ran{false};
  auto thread = CreateThreadEx("unpinnable", 1000, [&] { ran = true; });
  EXPECT_TRUE(thread->Wait(0));
  EXPECT_TRUE(thread->IsFault());
  EXPECT_THAT(ToString(thread->GetFaultMessage()),
              StartsWith("invorke pthread_setaffinity_np error. cpuid1000, errno:"));
  EXPECT_FALSE(ran);
}

TEST(ThreadTest, WaitTimesOutWhileTheFunctionRuns) {
  FutureWrapper gate;
  Thread thread("gated", -1, [gate]() mutable { return AnyCast<int>(gate.GetValue(0)) + 1; });
  EXPECT_FALSE(thread.Wait(20000));
  EXPECT_THROW(thread.GetValue(20000), TimeoutException);
  EXPECT_TRUE(thread.IsDeferred());

  thread.SetPriority(0);
  int policy = -1;
  sched_param param{};
  ASSERT_EQ(pthread_getschedparam(static_cast<pthread_t>(thread.GetThreadId()), &policy, &param), 0);
  EXPECT_EQ(policy, SCHED_OTHER);
  try {
    thread.SetPriority(10);
    ASSERT_EQ(pthread_getschedparam(static_cast<pthread_t>(thread.GetThreadId()), &policy, &param), 0);
    EXPECT_EQ(policy, SCHED_FIFO);
    EXPECT_EQ(param.sched_priority, 10);
  } catch (const SystemException& e) {
    // Without the privilege for real-time scheduling the request itself must be FIFO.
    EXPECT_THAT(e.GetMessage(), StartsWith("invorke pthread_setschedparam error. policy:1, errno:"));
  }

  gate.Ready(Any(41));
  EXPECT_TRUE(thread.Wait(0));
  EXPECT_EQ(AnyCast<int>(thread.GetValue(0)), 42);
}

TEST(ThreadTest, UnstartedThreadRefusesPriorityAndASecondRun) {
  Thread thread("once", -1);
  EXPECT_TRUE(thread.IsDeferred());
  EXPECT_EQ(thread.GetThreadId(), 0u);
  // Not started yet: the request must not reach the calling thread instead.
  EXPECT_EQ(test::MessageOf<SystemException>([&] { thread.SetPriority(0); }),
            "Thread SetPriority error. thread not started");
  thread.Run([] { return 1; });
  EXPECT_THROW(thread.Run([] { return 2; }), CommonException);
  EXPECT_THROW(thread.CreateThreadNative(), CommonException);
  EXPECT_EQ(AnyCast<int>(thread.GetValue(0)), 1);
}

TEST(ThreadTest, FutureSettledByACallerKeepsItsValueAndTheProcessGoesOn) {
  FutureWrapper gate;
  FutureWrapper outcome;
  testing::internal::CaptureStderr();
  {
    Thread thread("presettled", -1, [gate]() mutable {
      gate.Wait(0);
      return 2;
    });
    outcome = thread;
    thread.Ready(Any(1));
    gate.Ready(Any());
  }
  EXPECT_THAT(testing::internal::GetCapturedStderr(),
              HasSubstr("Thread settle future error. e:Catch FutureException code:1003, "
                        "message:Future Ready error. state:1\n"));
  EXPECT_EQ(AnyCast<int>(outcome.GetValue(0)), 1);
}

TEST(ThreadTest, ReleasingARunningThreadWaitsForItsFunction) {
  std::atomic<bool> finished{false};
  {
    auto thread = CreateThreadEx("slow", -1, [&finished] {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      finished = true;
      return std::string("a value that outlives the owner's wait");
    });
  }
  EXPECT_TRUE(finished);
}

TEST(ThreadTest, FunctionReleasingItsOwnThreadRunsToItsEnd) {
  std::shared_ptr<Thread> owner;
  FutureWrapper handedOver, done;
  const std::string text = "captured by value";
  owner = CreateThreadEx("self-release", -1, [&owner, handedOver, done, text]() mutable {
    handedOver.Wait(0);
    owner.reset();  // the last pointer: the Thread dies on its own thread
    done.Ready(Any(text + ":" + std::to_string(OsHelper::Instance()->GetTid())));
  });
  handedOver.Ready(Any());
  const std::string reported = ToString(done.GetValue(10000000));
  ASSERT_THAT(reported, StartsWith("captured by value:"));
  EXPECT_TRUE(test::ThreadGone(std::stoi(reported.substr(reported.find(':') + 1))));
}

}  // namespace
}  // namespace quorvel::common
