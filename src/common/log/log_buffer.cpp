#include "quorvel/common/log/log_buffer.hpp"

#include <algorithm>
#include <iostream>

namespace quorvel::common {

LogBuffer::LogBuffer() { data_.reserve(QV_LOG_BUFFER_RESERVE_SIZE); }

bool LogBuffer::Append(const std::string& text) {
  const int64_t needed = static_cast<int64_t>(data_.size() + text.size());
  if (needed > QV_LOG_BUFFER_MAX_SIZE) {
    std::cerr << "log data cache reached max buffer size:" << QV_LOG_BUFFER_MAX_SIZE << std::endl;
    return false;
  }
  // Grow by doubling but never past the limit, so a full buffer holds at most 8 MiB.
  if (needed > static_cast<int64_t>(data_.capacity())) {
    const int64_t doubled = static_cast<int64_t>(data_.capacity()) * 2;
    data_.reserve(static_cast<size_t>(std::min(std::max(doubled, needed), QV_LOG_BUFFER_MAX_SIZE)));
  }
  data_.append(text);
  return true;
}

// Keeps the grown capacity: a cleared buffer refills without reallocating under the lock.
void LogBuffer::Clear() {
  data_.clear();
  if (data_.capacity() < static_cast<size_t>(QV_LOG_BUFFER_RESERVE_SIZE)) {
    data_.reserve(QV_LOG_BUFFER_RESERVE_SIZE);
  }
}

LogBlockBuffer::LogBlockBuffer()
    : buffers_{std::make_shared<LogBuffer>(), std::make_shared<LogBuffer>()} {}

bool LogBlockBuffer::Append(const std::string& text) {
  LockGuard<Mutex> guard(mutex_);
  return buffers_[index_]->Append(text);
}

std::string& LogBlockBuffer::Get() { return buffers_[index_ ^ 1]->Get(); }

void LogBlockBuffer::Get(std::string& out) {
  LockGuard<Mutex> guard(mutex_);
  buffers_[index_ ^ 1]->Get(out);
}

void LogBlockBuffer::Clear(bool lock) {
  if (lock) {
    LockGuard<Mutex> guard(mutex_);
    buffers_[index_ ^ 1]->Clear();
  } else {
    buffers_[index_ ^ 1]->Clear();
  }
}

void LogBlockBuffer::Exchange() {
  LockGuard<Mutex> guard(mutex_);
  if (!buffers_[index_]->Empty()) {
    index_ ^= 1;
  }
}

}  // namespace quorvel::common
