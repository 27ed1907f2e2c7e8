// Memory buffers of the log writers: LogBuffer holds records while no file can take them,
// LogBlockBuffer is the double buffer of the asynchronous writer (producers append to one
// half while the "log.writer" thread writes out the other).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "quorvel/common/lock/lock.hpp"

namespace quorvel::common {

const int64_t QV_LOG_BUFFER_MAX_SIZE = 8388608;
const int64_t QV_LOG_BUFFER_RESERVE_SIZE = 65535;

// Not synchronised: its owner serialises access.
class LogBuffer {
 public:
  LogBuffer();

  // Appends `text` when the data stays within 8388608 bytes; otherwise keeps nothing of it
  // and writes "log data cache reached max buffer size:8388608" to standard error.
  // Returns whether the text was kept.
  bool Append(const std::string& text);

  std::string& Get() { return data_; }
  void Get(std::string& out) const { out = data_; }

  void Clear();
  bool Empty() const { return data_.empty(); }

 private:
  std::string data_;
};

class LogBlockBuffer {
 public:
  LogBlockBuffer();

  // Any thread: appends to the current half under the mutex.
  bool Append(const std::string& text);

  // Writer thread only: the output half, without locking.
  std::string& Get();
  // Copies the output half under the mutex.
  void Get(std::string& out);
  // Writer thread: empties the output half (under the mutex when `lock`).
  void Clear(bool lock);
  // Swaps the halves when the current one holds data; otherwise changes nothing.
  void Exchange();

 private:
  int32_t index_ = 0;
  std::vector<std::shared_ptr<LogBuffer>> buffers_;
  Mutex mutex_;
};

}  // namespace quorvel::common
