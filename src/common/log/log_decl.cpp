#include "quorvel/common/log/log_decl.hpp"

#include <pthread.h>

#include <atomic>
#include <cstdint>
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

namespace {

thread_local std::ostringstream threadStream;
thread_local bool threadStreamBusy = false;

// The text of GetTimeMillisecondString(), with the local-time conversion done once per
// second and thread instead of once per record.
void WriteTimeMillisecond(std::ostringstream& os) {
  thread_local uint64_t cachedSecond = UINT64_MAX;
  thread_local std::string cachedText;
  const uint64_t millisecond = GetCurrentTimeMillisecond();
  const uint64_t second = millisecond / 1000;
  if (second != cachedSecond) {
    cachedText = TimeFormatString(second, "%d-%02d-%02d %02d:%02d:%02d");
    cachedSecond = second;
  }
  const unsigned fraction = static_cast<unsigned>(millisecond % 1000);
  const char digits[] = {'.', static_cast<char>('0' + fraction / 100),
                         static_cast<char>('0' + fraction / 10 % 10),
                         static_cast<char>('0' + fraction % 10)};
  os << cachedText;
  os.write(digits, sizeof(digits));
}

std::atomic<int32_t> cachedProcessId{0};

// The process id, asked once and again after a fork (a syscall per record otherwise).
int32_t ProcessId() {
  static const int registered = pthread_atfork(nullptr, nullptr, [] { cachedProcessId = 0; });
  (void)registered;
  int32_t pid = cachedProcessId.load(std::memory_order_relaxed);
  if (pid == 0) {
    pid = OsHelper::GetProcessId();
    cachedProcessId.store(pid, std::memory_order_relaxed);
  }
  return pid;
}

int32_t ThreadTid() {
  thread_local const int32_t tid = OsHelper::Instance()->GetTid();
  return tid;
}

}  // namespace

RecordStream::RecordStream() {
  if (threadStreamBusy) {
    own_ = std::make_unique<std::ostringstream>();
    stream_ = own_.get();
    return;
  }
  threadStreamBusy = true;
  stream_ = &threadStream;
  stream_->str(std::string());
  stream_->clear();
  // A previous record's arguments may have left manipulators (std::hex, fill) behind.
  stream_->flags(std::ios_base::skipws | std::ios_base::dec);
  stream_->fill(' ');
  stream_->width(0);
}

RecordStream::~RecordStream() {
  if (!own_) {
    threadStreamBusy = false;
  }
}

void Logger::LogBegin(std::ostringstream& os, int32_t level) {
  const char* levelDesc = GetLogLevelDesc(level);
  os << '[';
  WriteTimeMillisecond(os);
  os << "] [" << levelDesc << "] [" << ProcessId() << "] [" << ThreadTid() << ']';
  os << std::fixed << std::setprecision(6);
}

void Logger::LogEnd(std::ostringstream& os) { os << '\n'; }

void Logger::Append(const std::string& record) { store_->Append(record); }

}  // namespace quorvel::common
