// LogKeeper owns the log file of a file store: it chooses the path, opens the file, counts
// the bytes appended and, on its "log.keeper" thread, closes, rolls ("NAME" to "NAME.1", ...,
// keeping file number - 1 old copies) and reopens it once it reaches the configured size.
// Built by LogInitor for each file store; the store reports record sizes to it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "quorvel/common/filesystem/file.hpp"
#include "quorvel/common/lock/lock.hpp"
#include "quorvel/common/log/log_policy.hpp"
#include "quorvel/common/log/log_writer.hpp"
#include "quorvel/common/thread/thread.hpp"

namespace quorvel::common {

class LogKeeper {
 public:
  // Derives the file path from the policy, creates its directory when missing (a failure is
  // printed, "create directory error. directory:<dir>") and starts the "log.keeper" thread,
  // which opens the file at once. Throws SystemException when the thread cannot start.
  explicit LogKeeper(std::shared_ptr<LogStorePolicy> policy);
  // Stops the thread, opens the file if it is not open yet, writes what the writer still
  // holds, withdraws the descriptor from the writer, then closes the file.
  ~LogKeeper();
  LogKeeper(const LogKeeper&) = delete;
  LogKeeper& operator=(const LogKeeper&) = delete;

  // The writer whose descriptor follows the live file.
  void SetWriter(std::shared_ptr<LogWriter> writer);

  // Any thread, after each record: counts `size` bytes and wakes the keeper when the file
  // reached its size or is not open. Does not wait for a roll in progress.
  void AppendDataSize(int64_t size);
  // True when no file is open (nothing counted); otherwise counts `size` and answers whether
  // the file reached the policy's size.
  bool IsNeedToRolling(int64_t size);

  const std::string& GetFileName() const { return fileName_; }
  const std::string& GetDirectory() const { return directory_; }

  // The steps of the keeper thread; each pass waits up to one second for a wake-up.
  void ThreadRolling();
  void CheckRolling();
  bool CheckFile();
  void OpenFile();
  void CloseFile();
  void Rolling();
  // The full-match pattern of the rolled copies: the file's base name, ".", then 1 to 9999.
  std::string MakeRegexExpress();

 private:
  // CheckRolling with its failure printed to standard error; the caller holds the lock.
  void CheckRollingReported();

  std::atomic<int64_t> currentSize_{0};
  std::atomic<bool> fileOpen_{false};
  // Set by the logger that asks for a roll, cleared by the keeper once the file is usable,
  // so that only one logging thread per roll takes the keeper's lock.
  std::atomic<bool> rollRequested_{false};
  std::atomic<bool> stopping_{false};
  bool firstPass_ = true;
  std::string fileName_;
  std::string directory_;
  std::shared_ptr<File> file_;
  std::shared_ptr<LogStorePolicy> policy_;
  std::shared_ptr<LogWriter> writer_;
  MutexCond mutexCond_;
  std::shared_ptr<Thread> thread_;
};

}  // namespace quorvel::common
