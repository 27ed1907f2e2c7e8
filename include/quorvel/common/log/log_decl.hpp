// Log levels, store types and the Logger that formats one record per call. Components ask
// GetLogger once for their "/"-separated name, keep the pointer (which may be null) and test
// it before each log statement; the store behind the logger decides where records go.
#pragma once

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <type_traits>

namespace quorvel::common {

// A logger passes a message whose level is less than or equal to its own level.
const int32_t QV_LOG_LEVEL_NONE = 0;
const int32_t QV_LOG_LEVEL_CRIT = 1;
const int32_t QV_LOG_LEVEL_FATAL = 2;
const int32_t QV_LOG_LEVEL_ERROR = 3;
const int32_t QV_LOG_LEVEL_WARNING = 4;
const int32_t QV_LOG_LEVEL_INFO = 5;
const int32_t QV_LOG_LEVEL_DEBUG = 6;
const int32_t QV_LOG_LEVEL_ALL = 7;

const int32_t QV_LOG_STORE_FILEASYNC = 0;
const int32_t QV_LOG_STORE_FILE = 1;
const int32_t QV_LOG_STORE_STDOUT = 2;
const int32_t QV_LOG_STORE_STDERR = 3;

// The level whose text equals `text` exactly ("NONE" ... "ALL"); callers upper-case first.
// Throws CommonException "unknown log level desc:<text>".
int32_t GetLogLevel(const std::string& text);
// The text of a level 0..7; throws CommonException "unknown log level" for other values.
const char* GetLogLevelDesc(int32_t level);
// The store type whose text equals `text` exactly ("FILEASYNC", "FILE", "STDOUT", "STDERR");
// throws CommonException "unknown log store type desc:<text>".
int32_t GetLogStoreType(const std::string& text);

class LogStore;

// The string stream a record is built in: the calling thread's reusable one, or a fresh
// one when a record is built while another is in progress on the same thread (an argument
// whose stream operator logs). Reuse spares a stream construction per record.
class RecordStream {
 public:
  RecordStream();
  ~RecordStream();
  RecordStream(const RecordStream&) = delete;
  RecordStream& operator=(const RecordStream&) = delete;

  std::ostringstream& Get() { return *stream_; }

 private:
  std::ostringstream* stream_;
  std::unique_ptr<std::ostringstream> own_;
};

// Formats records and hands each, whole, to its store. Stateless apart from level and store,
// so any thread may call Log concurrently; the store's writer keeps records apart.
class Logger {
 public:
  Logger(int32_t level, std::shared_ptr<LogStore> store);

  // One record "[time] [LEVEL] [pid] [tid] <args...>\n" when `level` passes and a store is
  // set; otherwise returns without formatting any argument. Floating-point arguments appear
  // fixed with 6 decimals. A passing level outside 0..7 throws CommonException
  // "unknown log level".
  template <typename... Args>
  void Log(int32_t level, const Args&... args) {
    if (level > level_ || !store_) {
      return;
    }
    RecordStream stream;
    LogBegin(stream.Get(), level);
    LogPend(stream.Get(), args...);
    LogEnd(stream.Get());
    Append(stream.Get().str());
  }

  // Writes "[time] [LEVEL] [pid] [tid]" and sets fixed notation with precision 6.
  void LogBegin(std::ostringstream& os, int32_t level);

  // Writes one space, then every argument with its stream operator, nothing in between.
  // Numbers under the record's own format settings take a faster path with the same text.
  template <typename... Args>
  void LogPend(std::ostringstream& os, const Args&... args) {
    os << ' ';
    (Put(os, args), ...);
  }

  // Writes the line end, also after an argument that failed the stream.
  void LogEnd(std::ostringstream& os);

  int32_t GetLevel() const { return level_; }
  const std::shared_ptr<LogStore>& GetStore() const { return store_; }

 private:
  template <typename T>
  static void Put(std::ostringstream& os, const T& value) {
    if constexpr (std::is_same_v<T, const char*> || std::is_same_v<T, char*>) {
      // The stream operator must not see a null C string.
      os << (value != nullptr ? value : "(null)");
    } else if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, char> ||
                  std::is_same_v<T, signed char> || std::is_same_v<T, unsigned char> ||
                  std::is_same_v<T, long double> || !std::is_arithmetic_v<T>) {
      os << value;
    } else if (!HasRecordFormat(os)) {
      os << value;
    } else if constexpr (std::is_floating_point_v<T>) {
      PutNumber(os, static_cast<double>(value));
    } else if constexpr (std::is_signed_v<T>) {
      PutNumber(os, static_cast<long long>(value));
    } else {
      PutNumber(os, static_cast<unsigned long long>(value));
    }
  }
  // Numbers take std::to_chars only while the stream holds the record's own settings
  // (decimal, fixed, no width): manipulators among the arguments keep their effect.
  static bool HasRecordFormat(const std::ostringstream& os) {
    return os.flags() == (std::ios_base::skipws | std::ios_base::dec | std::ios_base::fixed) &&
           os.width() == 0;
  }
  static void PutNumber(std::ostringstream& os, long long value);
  static void PutNumber(std::ostringstream& os, unsigned long long value);
  static void PutNumber(std::ostringstream& os, double value);

  void Append(const std::string& record);

  int32_t level_;
  std::shared_ptr<LogStore> store_;
};

// Initialises the log system from `confFile` (empty: "default_logconf.json" beside the
// executable) once per process. Configuration errors are printed to standard output as
// "Init log system error. e:" and the exception text; only non-library exceptions escape.
void LogInit(const std::string& confFile);
// Never throws a library exception ("Final log system error. e:" is printed instead).
void LogFinal();
// LogInit("") then the logger of the nearest configured ancestor of `name`, or null.
// Any thread; the returned logger lives until process exit.
Logger* GetLogger(const std::string& name);

}  // namespace quorvel::common
