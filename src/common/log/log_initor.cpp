#include "quorvel/common/log/log_initor.hpp"

#include <cmath>
#include <iostream>

#include "quorvel/common/exception.hpp"
#include "quorvel/common/filesystem/file.hpp"
#include "quorvel/common/filesystem/filesystem.hpp"
#include "quorvel/common/json/json.hpp"
#include "quorvel/common/os.hpp"
#include "quorvel/common/string_tool.hpp"

namespace quorvel::common {

namespace {

const char* const QV_LOG_CONF_FILE_NAME = "default_logconf.json";
const int32_t QV_LOG_MIN_FILE_NUMBER = 1;
const int32_t QV_LOG_MAX_FILE_NUMBER = 1000;
const int64_t QV_LOG_MIN_FILE_SIZE = 8388608;
const int64_t QV_LOG_MAX_FILE_SIZE = 10737418240;

const Any& FindKey(const JsonMap& map, const std::string& key, const char* errorMessage) {
  const auto it = map.find(key);
  if (it == map.end()) {
    QV_THROW(CommonException, errorMessage);
  }
  return it->second;
}

// Trimmed (and, for enumerations, upper-cased) text of a configuration value.
std::string ReadText(const Any& value, bool upper) {
  std::string text = AnyCast<std::string>(value);
  Trim(text, QV_TRIM_DELIM_STR);
  return upper ? ToUpper(text) : text;
}

// Both limits are read wide and bounded before they are narrowed, so that a huge value
// clamps instead of wrapping around; a fraction is cut off as a narrowing cast would.
int32_t BoundFileNumber(const Any& value) {
  const double number = std::trunc(AnyNumberCast<double>(value));
  if (number <= QV_LOG_MIN_FILE_NUMBER) {
    return QV_LOG_DEFAULT_FILE_NUMBER;
  }
  return number > QV_LOG_MAX_FILE_NUMBER ? QV_LOG_MAX_FILE_NUMBER : static_cast<int32_t>(number);
}

int64_t BoundFileSize(const Any& value) {
  const double size = std::trunc(AnyNumberCast<double>(value));
  if (size < QV_LOG_MIN_FILE_SIZE) {
    return QV_LOG_MIN_FILE_SIZE;
  }
  return size > QV_LOG_MAX_FILE_SIZE ? QV_LOG_MAX_FILE_SIZE : static_cast<int64_t>(size);
}

std::shared_ptr<LogStorePolicy> ReadStorePolicy(const std::string& name, const JsonMap& item) {
  auto policy = std::make_shared<LogStorePolicy>();
  policy->name = name;
  policy->type = GetLogStoreType(ReadText(FindKey(item, "Type", "log store find key Type error"), true));
  for (const auto& [key, value] : item) {
    if (key == "FileNumber") {
      policy->fileNumber = BoundFileNumber(value);
    } else if (key == "FileSize") {
      policy->fileSize = BoundFileSize(value);
    } else if (key == "CpuId") {
      policy->cpuId = AnyNumberCast<int>(value);
    } else if (key == "FileName") {
      policy->fileName = NormalizePath(AnyCast<std::string>(value), false);
    } else if (key == "Directory") {
      policy->directory = NormalizePath(AnyCast<std::string>(value), false);
    }
  }
  return policy;
}

std::shared_ptr<LogStore> MakeStore(const std::shared_ptr<LogStorePolicy>& policy) {
  switch (policy->type) {
    case QV_LOG_STORE_FILEASYNC:
      return std::make_shared<LogFileAsyncStore>(std::make_shared<LogKeeper>(policy));
    case QV_LOG_STORE_FILE:
      return std::make_shared<LogFileStore>(std::make_shared<LogKeeper>(policy));
    case QV_LOG_STORE_STDOUT:
      return std::make_shared<LogStdoutStore>();
    default:
      return std::make_shared<LogStderrStore>();
  }
}

}  // namespace

LogInitor* LogInitor::Instance() {
  static LogInitor* instance = [] {
    // The helpers the stores use while they shut down must outlive the instance, so they
    // are created first (and thus destroyed after it at exit).
    try {
      OsHelper::Instance();
      FileSystemHelper::Instance();
    } catch (const Exception&) {
    }
    static LogInitor initor;
    return &initor;
  }();
  return instance;
}

void LogInitor::Init(const std::string& confFile) {
  if (IsInitialized()) {
    return;
  }
  LockGuard<Mutex> guard(mutex_);
  if (IsInitialized()) {
    return;
  }
  const std::string path = confFile.empty()
                               ? OsHelper::Instance()->GetProcessDirectory(true) + QV_LOG_CONF_FILE_NAME
                               : confFile;
  std::string content;
  try {
    content = LoadFile(path);
  } catch (const Exception&) {
  }
  if (!content.empty()) {
    // Each attempt starts from empty lists and keeps them only when it succeeds as a whole.
    ClearPolicies();
    try {
      ParseConf(FromJsonString(content));
      InitLogger();
    } catch (...) {
      ClearPolicies();
      throw;
    }
  }
  initialized_.store(true, std::memory_order_release);
}

// Loggers and stores stay until process exit: callers may still hold logger pointers.
void LogInitor::Final() { LockGuard<Mutex> guard(mutex_); }

Logger* LogInitor::GetLogger(const std::string& name) {
  // The map is complete only once the flag is set; a failed or running Init may touch it.
  if (!IsInitialized()) {
    return nullptr;
  }
  std::string tag = NormalizePath(name, false);
  while (!tag.empty() && loggers_.count(tag) == 0) {
    tag = GetFatherDirectory(tag, false);
  }
  if (tag.empty()) {
    tag = "/";
  }
  const auto it = loggers_.find(tag);
  return it == loggers_.end() ? nullptr : it->second.get();
}

void LogInitor::ParseConf(const Any& conf) {
  if (conf.Empty()) {
    return;
  }
  const JsonMap& top = AnyCast<JsonMap>(conf);
  const Any& policies = FindKey(top, "Policy", "log conf find key Policy error");
  for (const auto& [key, value] : AnyCast<JsonMap>(policies)) {
    std::string tag = key;
    Trim(tag, QV_TRIM_DELIM_STR);
    if (tag.empty()) {
      continue;
    }
    const JsonMap& item = AnyCast<JsonMap>(value);
    const int32_t level =
        GetLogLevel(ReadText(FindKey(item, "Level", "log policy find key Level error"), true));
    const std::string store = ReadText(FindKey(item, "Store", "log policy find key Store error"), false);
    policies_.push_back(std::make_shared<LogPolicy>(tag, level, store));
    if (level != QV_LOG_LEVEL_NONE) {
      enabledStores_.insert(store);
    }
  }
  const Any& stores = FindKey(top, "Store", "log conf find key Store error");
  for (const auto& [name, value] : AnyCast<JsonMap>(stores)) {
    storePolicies_.push_back(ReadStorePolicy(name, AnyCast<JsonMap>(value)));
  }
}

void LogInitor::InitLogger() {
  std::map<std::string, std::shared_ptr<LogStore>> stores;
  for (const auto& policy : storePolicies_) {
    if (enabledStores_.count(policy->name) == 0) {
      std::cout << "log store is not enabled. name:" << policy->name << std::endl;
      continue;
    }
    stores[policy->name] = MakeStore(policy);
  }
  std::map<std::string, std::shared_ptr<Logger>> loggers;
  for (const auto& policy : policies_) {
    const auto it = stores.find(policy->store);
    std::shared_ptr<LogStore> store = it == stores.end() ? nullptr : it->second;
    loggers[policy->tag] = std::make_shared<Logger>(policy->level, store);
  }
  loggers_.swap(loggers);
}

void LogInitor::ClearPolicies() {
  enabledStores_.clear();
  policies_.clear();
  storePolicies_.clear();
}

void LogInit(const std::string& confFile) {
  try {
    LogInitor::Instance()->Init(confFile);
  } catch (const Exception& e) {
    std::cout << "Init log system error. e:" << e.ToString() << std::endl;
  }
}

void LogFinal() {
  try {
    LogInitor::Instance()->Final();
  } catch (const Exception& e) {
    std::cout << "Final log system error. e:" << e.ToString() << std::endl;
  }
}

Logger* GetLogger(const std::string& name) {
  LogInit("");
  return LogInitor::Instance()->GetLogger(name);
}

}  // namespace quorvel::common
