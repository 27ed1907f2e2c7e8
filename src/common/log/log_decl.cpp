#include "quorvel/common/log/log_decl.hpp"

#include <pthread.h>

#include <atomic>
#include <charconv>
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

// "[pid] [tid]" of the calling thread, built once per thread (and again after a fork).
const std::string& ProcessAndThreadIds() {
  thread_local int32_t builtFor = 0;
  thread_local std::string text;
  const int32_t pid = ProcessId();
  if (pid != builtFor) {
    text = "[" + std::to_string(pid) + "] [" + std::to_string(OsHelper::Instance()->GetTid()) + "]";
    builtFor = pid;
  }
  return text;
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
  os << "] [" << levelDesc << "] " << ProcessAndThreadIds();
  os << std::fixed << std::setprecision(6);
}

namespace {

template <typename Number, typename... Format>
void PutChars(std::ostringstream& os, Number value, Format... format) {
  // Fixed notation of a double needs at most 309 integer digits, sign, point and decimals.
  char text[400];
  const auto result = std::to_chars(text, text + sizeof(text), value, format...);
  if (result.ec != std::errc()) {
    os << value;
    return;
  }
  os.rdbuf()->sputn(text, result.ptr - text);
}

}  // namespace

void Logger::PutNumber(std::ostringstream& os, long long value) { PutChars(os, value); }

void Logger::PutNumber(std::ostringstream& os, unsigned long long value) { PutChars(os, value); }

void Logger::PutNumber(std::ostringstream& os, double value) {
  if (os.precision() > 100) {
    os << value;
    return;
  }
  PutChars(os, value, std::chars_format::fixed, static_cast<int>(os.precision()));
}

void Logger::LogEnd(std::ostringstream& os) {
  os.clear();
  os << '\n';
}

void Logger::Append(const std::string& record) { store_->Append(record); }

}  // namespace quorvel::common
