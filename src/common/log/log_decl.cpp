#include "quorvel/common/log/log_decl.hpp"

#include <iomanip>

#include "quorvel/common/exception.hpp"
#include "quorvel/common/log/log_store.hpp"
#include "quorvel/common/os.hpp"
#include "quorvel/common/time/time_tool.hpp"

namespace quorvel::common {

namespace {

const char* const QV_LOG_LEVEL_DESC[] = {"NONE", "CRIT", "FATAL", "ERROR",
                                         "WARNING", "INFO", "DEBUG", "ALL"};
const char* const QV_LOG_STORE_DESC[] = {"FILEASYNC", "FILE", "STDOUT", "STDERR"};

}  // namespace

int32_t GetLogLevel(const std::string& text) {
  for (int32_t level = QV_LOG_LEVEL_NONE; level <= QV_LOG_LEVEL_ALL; ++level) {
    if (text == QV_LOG_LEVEL_DESC[level]) {
      return level;
    }
  }
  QV_THROW(CommonException, "unknown log level desc:" + text);
}

const char* GetLogLevelDesc(int32_t level) {
  if (level < QV_LOG_LEVEL_NONE || level > QV_LOG_LEVEL_ALL) {
    QV_THROW(CommonException, "unknown log level");
  }
  return QV_LOG_LEVEL_DESC[level];
}

int32_t GetLogStoreType(const std::string& text) {
  for (int32_t type = QV_LOG_STORE_FILEASYNC; type <= QV_LOG_STORE_STDERR; ++type) {
    if (text == QV_LOG_STORE_DESC[type]) {
      return type;
    }
  }
  QV_THROW(CommonException, "unknown log store type desc:" + text);
}

Logger::Logger(int32_t level, std::shared_ptr<LogStore> store)
    : level_(level), store_(std::move(store)) {}

void Logger::LogBegin(std::ostringstream& os, int32_t level) {
  const char* levelDesc = GetLogLevelDesc(level);
  os << '[' << GetTimeMillisecondString() << "] [" << levelDesc << "] ["
     << OsHelper::GetProcessId() << "] [" << OsHelper::Instance()->GetTid() << ']';
  os << std::fixed << std::setprecision(6);
}

void Logger::LogEnd(std::ostringstream& os) { os << '\n'; }

void Logger::Append(const std::string& record) { store_->Append(record); }

}  // namespace quorvel::common
