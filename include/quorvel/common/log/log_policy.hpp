// The two records the log configuration produces: LogPolicy (which logger name logs at which
// level into which store) and LogStorePolicy (one store: type, file rolling limits, path).
// Read by LogInitor, which builds loggers and stores from them, and by LogKeeper.
#pragma once

#include <cstdint>
#include <string>

namespace quorvel::common {

const int32_t QV_LOG_DEFAULT_FILE_NUMBER = 10;
const int64_t QV_LOG_DEFAULT_FILE_SIZE = 104857600;

struct LogPolicy {
  LogPolicy() = default;
  LogPolicy(const std::string& tag, int32_t level, const std::string& store);

  // Prints "LogPolicy: { Tag:<tag>, Level:<level>, Store:<store> }" and a line end.
  void Dump() const;

  std::string tag;
  int32_t level = 0;
  std::string store;
};

// Bounds on file number and size are applied by the configuration reader, not here.
struct LogStorePolicy {
  LogStorePolicy() = default;
  LogStorePolicy(const std::string& name, int32_t type, int32_t fileNumber, int64_t fileSize,
                 int32_t cpuId, const std::string& fileName, const std::string& directory);

  // Prints "LogStorePolicy: { Name:..., Type:..., MaxFileNumber:..., MaxFileSize:...,
  // CpuId:..., FileName:..., Directory:...}" and a line end.
  void Dump() const;

  std::string name;
  int32_t type = 0;
  // Files kept, the live one included.
  int32_t fileNumber = QV_LOG_DEFAULT_FILE_NUMBER;
  // Bytes at which the live file is rolled.
  int64_t fileSize = QV_LOG_DEFAULT_FILE_SIZE;
  // Carried and printed; no thread is bound by it.
  int32_t cpuId = -1;
  std::string fileName;
  std::string directory;
};

}  // namespace quorvel::common
