#include "quorvel/common/log/log_writer.hpp"

#include <iostream>

#include "quorvel/common/exception.hpp"
#include "quorvel/common/filesystem/filesystem.hpp"
#include "quorvel/common/thread/recurrent_thread.hpp"

namespace quorvel::common {

LogWriter::~LogWriter() = default;

void LogWriter::SetFd(int32_t fd) { fd_ = fd; }

void LogWriter::Flush() {}

bool LogWriter::WriteToFd(const std::string& text) {
  try {
    FileSystemHelper::Instance()->Write(fd_, text);
    return true;
  } catch (const Exception& e) {
    std::cerr << e.ToString() << std::endl;
  } catch (const std::exception& e) {
    std::cerr << e.what() << std::endl;
  }
  return false;
}

LogDirectWriter::LogDirectWriter(int32_t fd) { fd_ = fd; }

LogDirectWriter::~LogDirectWriter() = default;

void LogDirectWriter::SetFd(int32_t fd) {
  LockGuard<Mutex> guard(mutex_);
  LogWriter::SetFd(fd);
}

void LogDirectWriter::Write(const std::string& text) {
  LockGuard<Mutex> guard(mutex_);
  WriteToFd(text);
}

LogStdoutWriter::LogStdoutWriter() : LogDirectWriter(1) {}

LogStdoutWriter::~LogStdoutWriter() = default;

LogStderrWriter::LogStderrWriter() : LogDirectWriter(2) {}

LogStderrWriter::~LogStderrWriter() = default;

LogBufferWriter::LogBufferWriter() : buffer_(std::make_shared<LogBuffer>()) {}

LogBufferWriter::~LogBufferWriter() = default;

void LogBufferWriter::SetFd(int32_t fd) {
  LockGuard<Mutex> guard(mutex_);
  LogWriter::SetFd(fd);
}

// A record that cannot be written now is kept behind the older ones (never dropped while
// the buffer has room), so the file receives every record in order once it can.
void LogBufferWriter::Write(const std::string& text) {
  LockGuard<Mutex> guard(mutex_);
  if (fd_ < 0) {
    buffer_->Append(text);
    return;
  }
  if (!buffer_->Empty()) {
    if (!WriteToFd(buffer_->Get())) {
      buffer_->Append(text);
      return;
    }
    buffer_->Clear();
  }
  if (!text.empty() && !WriteToFd(text)) {
    buffer_->Append(text);
  }
}

// An empty record writes the kept ones and nothing else.
void LogBufferWriter::Flush() { Write(std::string()); }

LogAsyncBufferWriter::LogAsyncBufferWriter(uint64_t intervalMicrosec)
    : blockBuffer_(std::make_shared<LogBlockBuffer>()) {
  thread_ = CreateRecurrentThreadEx("log.writer", -1, intervalMicrosec,
                                    &LogAsyncBufferWriter::DoWrite, this);
}

LogAsyncBufferWriter::~LogAsyncBufferWriter() { thread_->Wait(0); }

void LogAsyncBufferWriter::SetFd(int32_t fd) {
  LockGuard<Mutex> guard(mutex_);
  LogWriter::SetFd(fd);
}

void LogAsyncBufferWriter::Write(const std::string& text) { blockBuffer_->Append(text); }

// The whole pass holds the writer's mutex, so SetFd(-1) waits for a write in progress and a
// Flush from another thread never meets the writer thread on the output half.
void LogAsyncBufferWriter::DoWrite() {
  LockGuard<Mutex> guard(mutex_);
  WriteOutput();
}

void LogAsyncBufferWriter::Flush() {
  LockGuard<Mutex> guard(mutex_);
  if (WriteOutput()) {
    WriteOutput();
  }
}

bool LogAsyncBufferWriter::WriteOutput() {
  std::string& data = blockBuffer_->Get();
  if (!data.empty()) {
    if (fd_ < 0 || !WriteToFd(data)) {
      return false;
    }
    blockBuffer_->Clear(false);
  }
  blockBuffer_->Exchange();
  return true;
}

}  // namespace quorvel::common
