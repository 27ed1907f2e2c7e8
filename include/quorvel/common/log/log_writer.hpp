// Writers carry finished log records to a file descriptor: standard output or error, or the
// log file whose descriptor the LogKeeper sets and withdraws as files roll. Used by the log
// stores. No writer throws to the logging caller: write errors go to standard error.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "quorvel/common/lock/lock.hpp"
#include "quorvel/common/log/log_buffer.hpp"
#include "quorvel/common/thread/thread.hpp"

namespace quorvel::common {

// Holds the target descriptor (-1: none); the descriptor is never owned by the writer.
class LogWriter {
 public:
  LogWriter() = default;
  LogWriter(const LogWriter&) = delete;
  LogWriter& operator=(const LogWriter&) = delete;
  virtual ~LogWriter();

  virtual void SetFd(int32_t fd);
  virtual int32_t GetFd() const { return fd_.load(); }
  // Any thread; never throws a library exception.
  virtual void Write(const std::string& text) = 0;
  // Writes what the writer still holds to the descriptor, if one is set; the log keeper
  // calls it before it closes the file for good. Does nothing for writers that hold nothing.
  virtual void Flush();

 protected:
  // Writes `text` to the descriptor; prints the failure to standard error and returns false.
  bool WriteToFd(const std::string& text);

  std::atomic<int32_t> fd_{-1};
};

// Writes each record at once under its mutex; a failed record is printed and lost.
class LogDirectWriter : public LogWriter {
 public:
  LogDirectWriter() = default;
  explicit LogDirectWriter(int32_t fd);
  ~LogDirectWriter() override;

  void SetFd(int32_t fd) override;
  void Write(const std::string& text) override;

 private:
  Mutex mutex_;
};

class LogStdoutWriter : public LogDirectWriter {
 public:
  LogStdoutWriter();
  ~LogStdoutWriter() override;
};

class LogStderrWriter : public LogDirectWriter {
 public:
  LogStderrWriter();
  ~LogStderrWriter() override;
};

// Writes at once; while no descriptor is set or a write fails, keeps records (up to 8 MiB)
// and writes them, in order, before the next record.
class LogBufferWriter : public LogWriter {
 public:
  LogBufferWriter();
  ~LogBufferWriter() override;

  void SetFd(int32_t fd) override;
  void Write(const std::string& text) override;
  void Flush() override;

 private:
  std::shared_ptr<LogBuffer> buffer_;
  Mutex mutex_;
};

// Write only appends to memory; the "log.writer" thread writes what gathered every interval,
// so a record reaches the descriptor one to two intervals after it was logged. While no
// descriptor is set, records are kept until the current half reaches 8 MiB.
class LogAsyncBufferWriter : public LogWriter {
 public:
  explicit LogAsyncBufferWriter(uint64_t intervalMicrosec);
  // Stops the thread (within about one interval); records still buffered are not written
  // unless Flush was called.
  ~LogAsyncBufferWriter() override;

  // Returns only after a write in progress has finished, so the old descriptor may be closed.
  void SetFd(int32_t fd) override;
  void Write(const std::string& text) override;
  // Writes both halves as they are at the call.
  void Flush() override;

  // One pass of the "log.writer" thread.
  void DoWrite();

 private:
  // Under mutex_: writes the output half, then hands the current half over; false when
  // there is no descriptor or the write failed (both halves then stay as they are).
  bool WriteOutput();

  std::shared_ptr<LogBlockBuffer> blockBuffer_;
  Mutex mutex_;
  std::shared_ptr<Thread> thread_;
};

}  // namespace quorvel::common
