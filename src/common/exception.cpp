#include "quorvel/common/exception.hpp"

#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <iostream>

namespace quorvel::common {

Exception::Exception(int32_t code, const std::string& message) : code_(code), message_(message) {}

Exception::~Exception() = default;

const char* Exception::what() const noexcept { return message_.c_str(); }

std::string Exception::GetClassName() const { return "Exception"; }

const std::string& Exception::GetMessage() const { return message_; }

void Exception::Init(const char* file, const char* function, int32_t line) {
  file_ = file;
  function_ = function;
  line_ = line;
}

std::string Exception::ToString() const {
  std::ostringstream os;
  AddDetail(os);
  return os.str();
}

void Exception::AddDetail(std::ostringstream& os) const {
  os << "Catch " << GetClassName() << " code:" << code_ << ", message:" << message_ << '\n';
  if (!file_.empty() && !function_.empty() && line_ > 0) {
    os << " at __FILE__:" << file_ << ", __LINE__:" << line_ << ", __FUNCTION__:" << function_
       << '\n';
  }
}

#define QV_DEFINE_EXCEPTION(Name, code)                                     \
  Name::Name(const std::string& message) : Exception(code, message) {}      \
  Name::~Name() = default;                                                  \
  std::string Name::GetClassName() const { return #Name; }

QV_DEFINE_EXCEPTION(CommonException, QV_ERR_COMMON)
QV_DEFINE_EXCEPTION(BadCastException, QV_ERR_BADCAST)
QV_DEFINE_EXCEPTION(FutureException, QV_ERR_FUTURE)
QV_DEFINE_EXCEPTION(FutureFaultException, QV_ERR_FUTURE_FAULT)
QV_DEFINE_EXCEPTION(JsonException, QV_ERR_JSON)
QV_DEFINE_EXCEPTION(SystemException, QV_ERR_SYSTEM)
QV_DEFINE_EXCEPTION(FileException, QV_ERR_FILE)
QV_DEFINE_EXCEPTION(IOException, QV_ERR_IO)
QV_DEFINE_EXCEPTION(LockException, QV_ERR_LOCK)
QV_DEFINE_EXCEPTION(TimeoutException, QV_ERR_TIMEOUT)
QV_DEFINE_EXCEPTION(DdsException, QV_ERR_DDS)

namespace {

// Reads errno before anything else can change it, then writes the one-line report and,
// for a fatal check, ends the process.
int32_t Report(int32_t result, bool debugOnly, const char* file, const char* function,
               int32_t line) {
  const int saved_errno = errno;
  std::cout << "[" << std::time(nullptr) << "] [" << syscall(SYS_gettid) << "] QV_ASSERT "
            << (debugOnly ? "DEBUG" : "ABORT") << " at __FILE__:" << file
            << ", __FUNCTION__:" << function << ", __LINE__:" << line << ", r:" << result
            << ", errno:" << saved_errno << std::endl;
  if (!debugOnly) {
    std::abort();
  }
  return result;
}

}  // namespace

int32_t AssertEqual(int32_t result, int32_t expected, bool debugOnly, const char* file,
                    const char* function, int32_t line) {
  return result != expected ? Report(result, debugOnly, file, function, line) : result;
}

int32_t AssertEqual(int32_t result, int32_t expected, int32_t tolerated, bool debugOnly,
                    const char* file, const char* function, int32_t line) {
  return result != expected && result != tolerated
             ? Report(result, debugOnly, file, function, line)
             : result;
}

int32_t AssertEqualEx(int32_t result, int32_t expected, int32_t tolerated, bool debugOnly,
                      const char* file, const char* function, int32_t line) {
  return result != 0 && result != expected && result != tolerated
             ? Report(result, debugOnly, file, function, line)
             : result;
}

int32_t AssertNotEqual(int32_t result, int32_t forbidden, bool debugOnly, const char* file,
                       const char* function, int32_t line) {
  return result == forbidden ? Report(result, debugOnly, file, function, line) : result;
}

}  // namespace quorvel::common
