#include "quorvel/common/log/log_policy.hpp"

#include <iostream>

namespace quorvel::common {

LogPolicy::LogPolicy(const std::string& tag, int32_t level, const std::string& store)
    : tag(tag), level(level), store(store) {}

void LogPolicy::Dump() const {
  std::cout << "LogPolicy: { Tag:" << tag << ", Level:" << level << ", Store:" << store << " }"
            << std::endl;
}

LogStorePolicy::LogStorePolicy(const std::string& name, int32_t type, int32_t fileNumber,
                               int64_t fileSize, int32_t cpuId, const std::string& fileName,
                               const std::string& directory)
    : name(name),
      type(type),
      fileNumber(fileNumber),
      fileSize(fileSize),
      cpuId(cpuId),
      fileName(fileName),
      directory(directory) {}

void LogStorePolicy::Dump() const {
  std::cout << "LogStorePolicy: { Name:" << name << ", Type:" << type
            << ", MaxFileNumber:" << fileNumber << ", MaxFileSize:" << fileSize
            << ", CpuId:" << cpuId << ", FileName:" << fileName << ", Directory:" << directory
            << "}" << std::endl;
}

}  // namespace quorvel::common
