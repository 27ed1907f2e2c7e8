#include "quorvel/common/os.hpp"

#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "quorvel/common/exception.hpp"
#include "quorvel/common/filesystem/file.hpp"
#include "quorvel/common/filesystem/filesystem.hpp"
#include "quorvel/common/string_tool.hpp"

namespace quorvel::common {
namespace {

constexpr size_t kMaxCpu = 1024;

size_t PasswdBufferSize() {
  const long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  return size > 0 ? static_cast<size_t>(size) : 16384;
}

pthread_t ThreadOrSelf(uint64_t threadId) {
  return threadId == 0 ? pthread_self() : static_cast<pthread_t>(threadId);
}

void CheckPriority(int32_t policy, int32_t priority) {
  if (priority != 0 && policy != SCHED_FIFO && policy != SCHED_RR) {
    QV_THROW(SystemException, "policy need to 0 when policy is not FIFO or RR");
  }
}

}  // namespace

OsHelper* OsHelper::Instance() {
  static OsHelper instance;
  return &instance;
}

OsHelper::OsHelper() : passwdStorage_(PasswdBufferSize()) {
  uid_ = getuid();
  passwd* found = nullptr;
  getpwuid_r(uid_, &passwd_, passwdStorage_.data(), passwdStorage_.size(), &found);
  if (found == nullptr) {
    QV_THROW(SystemException, "getpwuid error. uid:" + ToString(uid_));
  }

  processorNumber_ = static_cast<int32_t>(sysconf(_SC_NPROCESSORS_ONLN));
  processorNumberConf_ = static_cast<int32_t>(sysconf(_SC_NPROCESSORS_CONF));
  pageSize_ = getpagesize();

  char path[1024];
  const std::string exe = "/proc/" + ToString(GetProcessId()) + "/exe";
  const ssize_t length = readlink(exe.c_str(), path, sizeof(path));
  if (length < 0) {
    QV_THROW(SystemException, "readlink error");
  }
  processFileName_.assign(path, static_cast<size_t>(length));

  char host[129] = {0};
  if (gethostname(host, 128) != 0) {
    throw SystemException("get hostname error");
  }
  hostname_ = host;
}

uint32_t OsHelper::GetUID() const { return uid_; }

uint32_t OsHelper::GetGID() const { return passwd_.pw_gid; }

std::string OsHelper::GetUser() const { return passwd_.pw_name; }

const passwd& OsHelper::GetPasswd() const { return passwd_; }

bool OsHelper::GetPasswd(const std::string& name, passwd& out) const {
  // The record's strings must outlive this call, so they live in per-thread storage.
  thread_local std::vector<char> storage(PasswdBufferSize());
  passwd* found = nullptr;
  getpwnam_r(name.c_str(), &out, storage.data(), storage.size(), &found);
  return found != nullptr;
}

bool OsHelper::GetUIDAndGID(const std::string& name, uint32_t& uid, uint32_t& gid) const {
  passwd record{};
  if (!GetPasswd(name, record)) {
    return false;
  }
  uid = record.pw_uid;
  gid = record.pw_gid;
  return true;
}

int32_t OsHelper::GetProcessorNumber() const { return processorNumber_; }

int32_t OsHelper::GetProcessorNumberConf() const { return processorNumberConf_; }

int32_t OsHelper::GetPageSize() const { return pageSize_; }

int64_t OsHelper::Align(int64_t size) const {
  return ((size + pageSize_ - 1) / pageSize_) * pageSize_;
}

bool OsHelper::IsAligned(int64_t size) const { return size % pageSize_ == 0; }

const std::string& OsHelper::GetHostname() const { return hostname_; }

int32_t OsHelper::GetProcessId() { return static_cast<int32_t>(getpid()); }

uint64_t OsHelper::GetThreadId() { return static_cast<uint64_t>(pthread_self()); }

int32_t OsHelper::GetTid() const { return static_cast<int32_t>(syscall(SYS_gettid)); }

const std::string& OsHelper::GetProcessFileName() const { return processFileName_; }

std::string OsHelper::GetProcessName() const {
  const size_t slash = processFileName_.rfind('/');
  return slash == std::string::npos ? std::string() : processFileName_.substr(slash + 1);
}

std::string OsHelper::GetProcessDirectory(bool withEndSlash) const {
  const size_t slash = processFileName_.rfind('/');
  if (slash == std::string::npos) {
    return std::string();
  }
  return processFileName_.substr(0, withEndSlash ? slash + 1 : slash);
}

void OsHelper::CpuSet(const std::string& cpuIds) {
  std::vector<std::string> items;
  Split(cpuIds, items, ",");
  cpu_set_t mask;
  CPU_ZERO(&mask);
  for (const auto& item : items) {
    const uint64_t cpuId = StringTo<uint64_t>(item);
    if (cpuId < kMaxCpu) {
      CPU_SET(cpuId, &mask);
    }
    if (sched_setaffinity(0, sizeof(mask), &mask) != 0) {
      QV_THROW(SystemException, "invorke sched_setaffinity error. cpuid" + ToString(cpuId) +
                                    ", errno:" + ToString(errno));
    }
  }
}

void OsHelper::CpuSet(uint64_t threadId, size_t cpuId) {
  cpu_set_t mask;
  CPU_ZERO(&mask);
  if (cpuId < kMaxCpu) {
    CPU_SET(cpuId, &mask);
  }
  const int ret = pthread_setaffinity_np(ThreadOrSelf(threadId), sizeof(mask), &mask);
  if (ret != 0) {
    QV_THROW(SystemException, "invorke pthread_setaffinity_np error. cpuid" + ToString(cpuId) +
                                  ", errno:" + ToString(ret));
  }
}

void OsHelper::SetThreadName(uint64_t threadId, const std::string& name) {
  if (name.empty()) {
    return;
  }
  // The kernel keeps at most 15 bytes and a terminator; longer names are refused.
  const int ret = pthread_setname_np(ThreadOrSelf(threadId), name.substr(0, 15).c_str());
  if (ret != 0) {
    QV_THROW(SystemException,
             "invorke pthread_setname_np error. name:" + name + ", errno:" + ToString(ret));
  }
}

void OsHelper::SetScheduler(int32_t policy, int32_t priority) {
  CheckPriority(policy, priority);
  sched_param param{};
  param.sched_priority = priority;
  if (sched_setscheduler(0, policy, &param) != 0) {
    QV_THROW(SystemException, "invorke sched_setscheduler error. errno:" + ToString(errno));
  }
}

void OsHelper::SetScheduler(uint64_t threadId, int32_t policy, int32_t priority) {
  CheckPriority(policy, priority);
  sched_param param{};
  param.sched_priority = priority;
  // Handle 0 means the calling thread here too; passed on, it would crash the process.
  const int ret = pthread_setschedparam(ThreadOrSelf(threadId), policy, &param);
  if (ret != 0) {
    QV_THROW(SystemException, "invorke pthread_setschedparam error. policy:" + ToString(policy) +
                                  ", errno:" + ToString(ret));
  }
}

void OsHelper::SingletonProcessInstance() {
  LockGuard<Mutex> guard(singletonMutex_);
  if (filelock_) {
    return;
  }
  FileSystemHelper* fs = FileSystemHelper::Instance();
  const std::string lockName = GetProcessDirectory(true) + GetProcessName() + ".lock";
  const int32_t fd = fs->Open(lockName, O_RDWR | O_CREAT | O_SYNC, 0666);
  auto filelock = std::make_shared<Filelock>(fd);
  if (!filelock->Trylock(1, 0, 0)) {
    filelock.reset();
    // We hold no lock on this descriptor, so closing it releases nothing.
    fs->Close(fd);
    QV_THROW(SystemException,
             "an instance of process is already running. pid:" + LoadFileEx(lockName));
  }
  try {
    fs->Truncate(fd, 0);
    fs->Write(fd, ToString(GetProcessId()));
  } catch (const Exception&) {
    // Not recorded as the instance: give the descriptor back, and with it the lock.
    fs->Close(fd);
    throw;
  }
  filelock_ = filelock;
}

}  // namespace quorvel::common
