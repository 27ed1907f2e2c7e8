// Error codes, the exception hierarchy and the assertion functions of the common library.
// Every layer reports failure by throwing a subclass of Exception stamped with its throw
// site (use QV_THROW), and guards system calls that must not fail with QV_ASSERT_*.
#pragma once

#include <cstdint>
#include <exception>
#include <sstream>
#include <string>

namespace quorvel {

const int32_t QV_OK = 0;
const int32_t QV_ERR_COMMON = 1001;
const int32_t QV_ERR_BADCAST = 1002;
const int32_t QV_ERR_FUTURE = 1003;
const int32_t QV_ERR_FUTURE_FAULT = 1004;
const int32_t QV_ERR_JSON = 1005;
const int32_t QV_ERR_SYSTEM = 1006;
const int32_t QV_ERR_FILE = 1007;
const int32_t QV_ERR_SOCKET = 1008;
const int32_t QV_ERR_IO = 1009;
const int32_t QV_ERR_LOCK = 1010;
const int32_t QV_ERR_NETWORK = 1011;
const int32_t QV_ERR_TIMEOUT = 1012;
const int32_t QV_ERR_UNKNOWN = -1;

const std::string QV_OK_DESC = "Success";
const std::string QV_ERR_COMMON_DESC = "common error";
const std::string QV_ERR_BADCAST_DESC = "Bad cast error";
const std::string QV_ERR_FUTURE_DESC = "Future error";
const std::string QV_ERR_FUTURE_FAULT_DESC = "Future fault error";
const std::string QV_ERR_JSON_DESC = "Json data error";
const std::string QV_ERR_SYSTEM_DESC = "System error";
const std::string QV_ERR_FILE_DESC = "File operation error";
const std::string QV_ERR_SOCKET_DESC = "Socket operaton error";
const std::string QV_ERR_IO_DESC = "IO operaton error";
const std::string QV_ERR_LOCK_DESC = "Lock operation error";
const std::string QV_ERR_NETWORK_DESC = "Network error";
const std::string QV_ERR_TIMEOUT_DESC = "Timeout error";
const std::string QV_ERR_UNKNOWN_DESC = "Unknown error";

// Handed out by functions returning const std::string& when they have nothing to return.
const std::string QV_EMPTY_STR;

namespace common {

const int32_t QV_ERR_DDS = 2001;
const std::string QV_ERR_DDS_DESC = "dds error";

// The root of every exception the library throws: a code, a message and, once stamped
// by Init, the throw site. what() is the bare message; ToString() the full report.
class Exception : public std::exception {
 public:
  Exception(int32_t code, const std::string& message);
  ~Exception() override;

  const char* what() const noexcept override;
  virtual std::string GetClassName() const;

  int32_t GetCode() const { return code_; }
  const std::string& GetMessage() const;

  // Stamps the throw site; the origin line of ToString appears only when file and
  // function are non-empty and line is greater than 0.
  void Init(const char* file, const char* function, int32_t line);

  // "Catch <class> code:<code>, message:<message>\n", then, when stamped,
  // " at __FILE__:<file>, __LINE__:<line>, __FUNCTION__:<function>\n".
  std::string ToString() const;
  void AddDetail(std::ostringstream& os) const;

 private:
  int32_t code_;
  std::string message_;
  std::string file_;
  std::string function_;
  int32_t line_ = 0;
};

#define QV_DECLARE_EXCEPTION(Name)                       \
  class Name : public Exception {                        \
   public:                                               \
    explicit Name(const std::string& message);           \
    ~Name() override;                                    \
    std::string GetClassName() const override;           \
  }

QV_DECLARE_EXCEPTION(CommonException);
QV_DECLARE_EXCEPTION(BadCastException);
QV_DECLARE_EXCEPTION(FutureException);
QV_DECLARE_EXCEPTION(FutureFaultException);
QV_DECLARE_EXCEPTION(JsonException);
QV_DECLARE_EXCEPTION(SystemException);
QV_DECLARE_EXCEPTION(FileException);
QV_DECLARE_EXCEPTION(IOException);
QV_DECLARE_EXCEPTION(LockException);
QV_DECLARE_EXCEPTION(TimeoutException);
QV_DECLARE_EXCEPTION(DdsException);

#undef QV_DECLARE_EXCEPTION

// Each assertion returns `result` unchanged. When the check fails it writes one
// "QV_ASSERT" line to standard output; with debugOnly false it then aborts the process.
// Reports when result != expected.
int32_t AssertEqual(int32_t result, int32_t expected, bool debugOnly, const char* file,
                    const char* function, int32_t line);
// Reports when result != expected and result != tolerated.
int32_t AssertEqual(int32_t result, int32_t expected, int32_t tolerated, bool debugOnly,
                    const char* file, const char* function, int32_t line);
// Reports when result is none of 0, expected and tolerated.
int32_t AssertEqualEx(int32_t result, int32_t expected, int32_t tolerated, bool debugOnly,
                      const char* file, const char* function, int32_t line);
// Reports when result == forbidden.
int32_t AssertNotEqual(int32_t result, int32_t forbidden, bool debugOnly, const char* file,
                       const char* function, int32_t line);

}  // namespace common
}  // namespace quorvel

// Throws a copy of an ExceptionClass built from `message`, stamped with this site.
#define QV_THROW(ExceptionClass, message)                            \
  do {                                                               \
    ExceptionClass qv_exception_(message);                           \
    qv_exception_.Init(__FILE__, __PRETTY_FUNCTION__, __LINE__);     \
    throw qv_exception_;                                             \
  } while (0)

// The usual guards of system calls: fatal ones abort, the _DEBUG ones only report.
#define QV_ASSERT_EQUAL(result, expected) \
  ::quorvel::common::AssertEqual((result), (expected), false, __FILE__, __PRETTY_FUNCTION__, __LINE__)
#define QV_ASSERT_EQUAL_DEBUG(result, expected) \
  ::quorvel::common::AssertEqual((result), (expected), true, __FILE__, __PRETTY_FUNCTION__, __LINE__)
#define QV_ASSERT_EQUAL_TOLERATED(result, expected, tolerated)                               \
  ::quorvel::common::AssertEqual((result), (expected), (tolerated), false, __FILE__, \
                                 __PRETTY_FUNCTION__, __LINE__)
#define QV_ASSERT_EQUAL_EX(result, expected, tolerated)                                        \
  ::quorvel::common::AssertEqualEx((result), (expected), (tolerated), false, __FILE__, \
                                   __PRETTY_FUNCTION__, __LINE__)
#define QV_ASSERT_NOT_EQUAL(result, forbidden) \
  ::quorvel::common::AssertNotEqual((result), (forbidden), false, __FILE__, __PRETTY_FUNCTION__, __LINE__)
#define QV_ASSERT_NOT_EQUAL_DEBUG(result, forbidden) \
  ::quorvel::common::AssertNotEqual((result), (forbidden), true, __FILE__, __PRETTY_FUNCTION__, __LINE__)
