#include "common/support/common_test_support.hpp"
#include "quorvel/common/os.hpp"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "quorvel/common/exception.hpp"

extern char** environ;

namespace quorvel::common {
namespace {

using ::testing::StartsWith;

const char* const kRoleVariable = "QUORVEL_SINGLE_INSTANCE_ROLE";
constexpr int kReportFd = 3;

TEST(OsHelperTest, FactsOfUserAndMachine) {
  OsHelper* os = OsHelper::Instance();
  EXPECT_EQ(os->GetUID(), getuid());
  passwd record{};
  ASSERT_TRUE(os->GetPasswd(os->GetUser(), record));
  EXPECT_EQ(record.pw_uid, os->GetUID());
  EXPECT_EQ(record.pw_gid, os->GetGID());
  uint32_t uid = 99, gid = 99;
  EXPECT_TRUE(os->GetUIDAndGID(os->GetUser(), uid, gid));
  EXPECT_EQ(uid, os->GetUID());
  EXPECT_FALSE(os->GetPasswd("no-such-user-quorvel", record));
  EXPECT_FALSE(os->GetUIDAndGID("no-such-user-quorvel", uid, gid));

  EXPECT_EQ(os->GetPageSize(), getpagesize());
  EXPECT_GE(os->GetProcessorNumber(), 1);
  EXPECT_GE(os->GetProcessorNumberConf(), os->GetProcessorNumber());
  char host[256] = {0};
  gethostname(host, sizeof(host) - 1);
  EXPECT_EQ(os->GetHostname(), host);
  EXPECT_EQ(OsHelper::GetProcessId(), getpid());
  EXPECT_EQ(OsHelper::GetThreadId(), static_cast<uint64_t>(pthread_self()));
  EXPECT_EQ(os->GetTid(), gettid());
}

TEST(OsHelperTest, AlignRoundsUpToWholePages) {
  OsHelper* os = OsHelper::Instance();
  const int64_t page = os->GetPageSize();
  struct {
    int64_t size;
    int64_t aligned;
  } cases[] = {{0, 0}, {1, page}, {page - 1, page}, {page, page}, {page + 1, 2 * page}};
  for (const auto& c : cases) {
    EXPECT_EQ(os->Align(c.size), c.aligned) << c.size;
    EXPECT_EQ(os->IsAligned(c.size), c.size == c.aligned) << c.size;
  }
}

TEST(OsHelperTest, ProcessPathSplitsIntoDirectoryAndName) {
  OsHelper* os = OsHelper::Instance();
  char* real = realpath("/proc/self/exe", nullptr);
  ASSERT_NE(real, nullptr);
  EXPECT_EQ(os->GetProcessFileName(), real);
  free(real);
  EXPECT_EQ(os->GetProcessName(), "common_os_test");
  EXPECT_EQ(os->GetProcessDirectory(true) + os->GetProcessName(), os->GetProcessFileName());
  EXPECT_EQ(os->GetProcessDirectory(false) + "/", os->GetProcessDirectory(true));
}

std::string ThreadName(pthread_t thread) {
  char name[32] = {0};
  pthread_getname_np(thread, name, sizeof(name));
  return name;
}

TEST(OsHelperTest, ThreadNamesAreCutToFifteenBytes) {
  OsHelper* os = OsHelper::Instance();
  std::thread worker([&] {
    os->SetThreadName(0, "worker");
    EXPECT_EQ(ThreadName(pthread_self()), "worker");
    os->SetThreadName(0, "");
    EXPECT_EQ(ThreadName(pthread_self()), "worker");
    os->SetThreadName(0, "abcdefghijklmnopqrst");
    EXPECT_EQ(ThreadName(pthread_self()), "abcdefghijklmno");
  });
  worker.join();

  // Kept alive until named: the kernel refuses names for threads that have ended.
  std::atomic<bool> named_done{false};
  std::thread named([&] {
    while (!named_done) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  os->SetThreadName(static_cast<uint64_t>(named.native_handle()), "by-handle");
  EXPECT_EQ(ThreadName(named.native_handle()), "by-handle");
  named_done = true;
  named.join();
}

TEST(OsHelperTest, AffinityPinsTheCallingThread) {
  OsHelper* os = OsHelper::Instance();
  // A processor this process may use: the test may run restricted to some of them.
  cpu_set_t allowed;
  ASSERT_EQ(sched_getaffinity(0, sizeof(allowed), &allowed), 0);
  size_t cpu = 0;
  while (!CPU_ISSET(cpu, &allowed)) ++cpu;
  std::thread worker([&] {
    os->CpuSet(std::to_string(cpu));
    cpu_set_t mask;
    CPU_ZERO(&mask);
    ASSERT_EQ(sched_getaffinity(0, sizeof(mask), &mask), 0);
    EXPECT_EQ(CPU_COUNT(&mask), 1);
    EXPECT_TRUE(CPU_ISSET(cpu, &mask));
    os->CpuSet(0, cpu);
    EXPECT_THROW(os->CpuSet("x"), std::invalid_argument);
  });
  worker.join();
}

TEST(OsHelperTest, RefusedThreadControlThrowsItsMessage) {
  OsHelper* os = OsHelper::Instance();
  struct {
    std::function<void()> call;
    std::string message;
  } cases[] = {
      {[&] { os->CpuSet(0, 2000); }, "invorke pthread_setaffinity_np error. cpuid2000, errno:22"},
      {[&] { os->CpuSet("5000"); }, "invorke sched_setaffinity error. cpuid5000, errno:22"},
      {[&] { os->SetScheduler(SCHED_OTHER, 5); }, "policy need to 0 when policy is not FIFO or RR"},
      {[&] { os->SetScheduler(uint64_t{0}, SCHED_OTHER, 5); },
       "policy need to 0 when policy is not FIFO or RR"},
      {[&] { os->SetScheduler(SCHED_FIFO, 1000); }, "invorke sched_setscheduler error. errno:22"},
      {[&] { os->SetScheduler(uint64_t{0}, SCHED_FIFO, 1000); },
       "invorke pthread_setschedparam error. policy:1, errno:22"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(test::MessageOf<SystemException>(c.call), c.message);
  }
}

TEST(OsHelperTest, NormalPolicyIsAccepted) {
  OsHelper* os = OsHelper::Instance();
  std::thread worker([&] {
    EXPECT_NO_THROW(os->SetScheduler(SCHED_OTHER, 0));
    // Handle 0 stands for the calling thread here as everywhere else.
    EXPECT_NO_THROW(os->SetScheduler(uint64_t{0}, SCHED_OTHER, 0));
  });
  worker.join();
}

// One process of the copied executable: reports the outcome of SingletonProcessInstance
// on descriptor 3; the "hold" role then keeps the lock until its standard input closes.
[[noreturn]] void RunSingleInstanceRole(const std::string& role) {
  std::string report;
  try {
    OsHelper::Instance()->SingletonProcessInstance();
    report = "locked";
  } catch (const Exception& e) {
    report = e.GetMessage();
  }
  report += "\n";
  (void)!write(kReportFd, report.data(), report.size());
  if (role == "hold") {
    char c;
    while (read(STDIN_FILENO, &c, 1) > 0) {
    }
  }
  _exit(0);
}

class SingleInstanceTest : public ::testing::Test {
 protected:
  struct Child {
    pid_t pid = -1;
    int report = -1;  // read end of the report pipe
    int hold = -1;    // write end of the child's standard input
  };

  void SetUp() override {
    // A child process only plays its role and exits: it must not make a directory of its own.
    if (getenv(kRoleVariable) != nullptr) return;
    char pattern[] = "/tmp/quorvel_os_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    probe_ = dir_ + "/probe";
    std::ifstream in("/proc/self/exe", std::ios::binary);
    std::ofstream out(probe_, std::ios::binary);
    out << in.rdbuf();
    out.close();
    ASSERT_EQ(chmod(probe_.c_str(), 0755), 0);
  }

  void TearDown() override {
    unlink((probe_ + ".lock").c_str());
    unlink(probe_.c_str());
    rmdir(dir_.c_str());
  }

  Child Spawn(const std::string& role) {
    int report[2], hold[2];
    EXPECT_EQ(pipe2(report, O_CLOEXEC), 0);
    EXPECT_EQ(pipe2(hold, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, hold[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, report[1], kReportFd);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);

    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
      env.emplace_back(*e);
    }
    env.push_back(std::string(kRoleVariable) + "=" + role);
    std::vector<char*> envp;
    for (auto& e : env) {
      envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    std::string filter = "--gtest_filter=SingleInstanceTest.SecondProcessIsRefusedWithTheFirstPid";
    char* argv[] = {probe_.data(), filter.data(), nullptr};

    Child child;
    EXPECT_EQ(posix_spawn(&child.pid, probe_.c_str(), &actions, nullptr, argv, envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(report[1]);
    close(hold[0]);
    child.report = report[0];
    child.hold = hold[1];
    return child;
  }

  static std::string ReadLine(int fd) {
    std::string line;
    char c;
    while (read(fd, &c, 1) == 1 && c != '\n') {
      line += c;
    }
    return line;
  }

  static void Finish(Child& child) {
    close(child.hold);
    close(child.report);
    int status = 0;
    waitpid(child.pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  std::string dir_;
  std::string probe_;
};

TEST_F(SingleInstanceTest, SecondProcessIsRefusedWithTheFirstPid) {
  if (const char* role = getenv(kRoleVariable)) {
    RunSingleInstanceRole(role);
  }
  Child first = Spawn("hold");
  ASSERT_EQ(ReadLine(first.report), "locked");
  std::ifstream lockFile(probe_ + ".lock");
  std::stringstream content;
  content << lockFile.rdbuf();
  EXPECT_EQ(content.str(), std::to_string(first.pid));

  Child second = Spawn("try");
  EXPECT_EQ(ReadLine(second.report),
            "an instance of process is already running. pid:" + std::to_string(first.pid));
  Finish(second);

  Finish(first);
  Child third = Spawn("try");
  EXPECT_EQ(ReadLine(third.report), "locked");
  Finish(third);
}

TEST_F(SingleInstanceTest, FailedClaimLeavesTheLockFree) {
  if (const char* role = getenv(kRoleVariable)) {
    RunSingleInstanceRole(role);
  }
  // A lock file that cannot be truncated: the claim fails after the lock was granted.
  ASSERT_EQ(mkfifo((probe_ + ".lock").c_str(), 0600), 0);
  Child first = Spawn("hold");
  EXPECT_THAT(ReadLine(first.report), StartsWith("ftruncate error. fd:"));
  Child second = Spawn("try");
  EXPECT_THAT(ReadLine(second.report), StartsWith("ftruncate error. fd:"));
  Finish(second);
  Finish(first);
}

}  // namespace
}  // namespace quorvel::common
