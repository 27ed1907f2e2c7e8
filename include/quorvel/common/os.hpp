// OsHelper: the process-wide source of facts about the running process and the machine
// (user, processors, page size, host name, executable path), read once on first use, and
// the place where threads are named, pinned to processors and scheduled. Used by the
// threads, the log system and the DDS parameter loader. Also guards single instances.
#pragma once

#include <pwd.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "quorvel/common/lock/lock.hpp"

namespace quorvel::common {

class OsHelper {
 public:
  // The single instance, created on the first call (thread-safe). A failing creation
  // throws SystemException ("getpwuid error. uid:<uid>", "readlink error",
  // "get hostname error") and the next call tries again.
  static OsHelper* Instance();

  OsHelper(const OsHelper&) = delete;
  OsHelper& operator=(const OsHelper&) = delete;

  uint32_t GetUID() const;
  // The primary group of the user record.
  uint32_t GetGID() const;
  std::string GetUser() const;
  const passwd& GetPasswd() const;
  // Looks a user up by name; false when there is none. `out` points into storage that
  // stays valid until the next lookup on the same thread.
  bool GetPasswd(const std::string& name, passwd& out) const;
  bool GetUIDAndGID(const std::string& name, uint32_t& uid, uint32_t& gid) const;

  int32_t GetProcessorNumber() const;      // online
  int32_t GetProcessorNumberConf() const;  // configured
  int32_t GetPageSize() const;
  // `size` raised to the next multiple of the page size.
  int64_t Align(int64_t size) const;
  bool IsAligned(int64_t size) const;

  const std::string& GetHostname() const;
  static int32_t GetProcessId();
  // The calling thread's POSIX handle.
  static uint64_t GetThreadId();
  // The calling thread's kernel thread id.
  int32_t GetTid() const;

  // Full path of the running executable.
  const std::string& GetProcessFileName() const;
  // After the last "/" of the executable's path; empty when there is none.
  std::string GetProcessName() const;
  // Before the last "/" (with it when withEndSlash); empty when there is none.
  std::string GetProcessDirectory(bool withEndSlash) const;

  // Restricts the calling thread to the processors of a list such as "0,2,3", applying the
  // mask after each item. An item that is not a number throws std::invalid_argument; a
  // refused mask SystemException "invorke sched_setaffinity error. cpuid<id>, errno:<e>".
  void CpuSet(const std::string& cpuIds);
  // Restricts one thread (0: the calling one) to processor `cpuId` (0..1023). Throws
  // SystemException "invorke pthread_setaffinity_np error. cpuid<id>, errno:<e>".
  void CpuSet(uint64_t threadId, size_t cpuId);
  // Names a thread (0: the calling one) with the first 15 bytes of `name`; an empty name
  // does nothing. Throws SystemException "invorke pthread_setname_np error. name:...".
  void SetThreadName(uint64_t threadId, const std::string& name);
  // Scheduling policy and priority of the calling thread. A non-zero priority needs FIFO
  // (1) or RR (2), else SystemException "policy need to 0 when policy is not FIFO or RR";
  // a refused call throws "invorke sched_setscheduler error. errno:<e>".
  void SetScheduler(int32_t policy, int32_t priority);
  // The same for one thread (0: the calling one); a refused call throws
  // "invorke pthread_setschedparam error. policy:<policy>, errno:<e>".
  void SetScheduler(uint64_t threadId, int32_t policy, int32_t priority);

  // Makes sure only one process of this executable runs: write-locks the file
  // "<executable path>.lock" and writes the process id into it; the lock is held until the
  // process ends. When another process holds it, throws SystemException
  // "an instance of process is already running. pid:<the file's content>". Opening,
  // truncating or writing the file may throw FileException or IOException; the lock is then
  // released. Calling it again in a process that holds the lock does nothing.
  void SingletonProcessInstance();

 private:
  OsHelper();

  uint32_t uid_ = 0;
  passwd passwd_{};
  std::vector<char> passwdStorage_;
  int32_t processorNumber_ = 0;
  int32_t processorNumberConf_ = 0;
  int32_t pageSize_ = 0;
  std::string hostname_;
  std::string processFileName_;
  std::shared_ptr<Filelock> filelock_;
  Mutex singletonMutex_;
};

}  // namespace quorvel::common
