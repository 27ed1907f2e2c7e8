#include "quorvel/common/exception.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>
#include <memory>

namespace quorvel::common {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;

struct ClassCase {
  std::function<std::unique_ptr<Exception>(const std::string&)> make;
  const char* name;
  int32_t code;
};

TEST(ExceptionTest, EachClassCarriesItsNameAndCode) {
  const ClassCase cases[] = {
      {[](auto& m) { return std::make_unique<CommonException>(m); }, "CommonException", 1001},
      {[](auto& m) { return std::make_unique<BadCastException>(m); }, "BadCastException", 1002},
      {[](auto& m) { return std::make_unique<FutureException>(m); }, "FutureException", 1003},
      {[](auto& m) { return std::make_unique<FutureFaultException>(m); }, "FutureFaultException", 1004},
      {[](auto& m) { return std::make_unique<JsonException>(m); }, "JsonException", 1005},
      {[](auto& m) { return std::make_unique<SystemException>(m); }, "SystemException", 1006},
      {[](auto& m) { return std::make_unique<FileException>(m); }, "FileException", 1007},
      {[](auto& m) { return std::make_unique<IOException>(m); }, "IOException", 1009},
      {[](auto& m) { return std::make_unique<LockException>(m); }, "LockException", 1010},
      {[](auto& m) { return std::make_unique<TimeoutException>(m); }, "TimeoutException", 1012},
      {[](auto& m) { return std::make_unique<DdsException>(m); }, "DdsException", 2001},
      {[](auto& m) { return std::make_unique<Exception>(QV_ERR_UNKNOWN, m); }, "Exception", -1},
  };
  for (const auto& c : cases) {
    auto e = c.make("m");
    EXPECT_EQ(e->GetClassName(), c.name);
    EXPECT_EQ(e->GetCode(), c.code);
    EXPECT_STREQ(e->what(), "m");
    EXPECT_EQ(e->ToString(),
              std::string("Catch ") + c.name + " code:" + std::to_string(c.code) + ", message:m\n");
  }
}

TEST(ExceptionTest, OriginLineNeedsFileFunctionAndPositiveLine) {
  struct {
    const char* file;
    const char* function;
    int32_t line;
    bool stamped;
  } cases[] = {
      {"", "f", 10, false}, {"a", "", 10, false}, {"a", "f", 0, false},
      {"a", "f", -3, false}, {"a", "f", 1, true},
  };
  for (const auto& c : cases) {
    CommonException e("x");
    e.Init(c.file, c.function, c.line);
    std::string expected = "Catch CommonException code:1001, message:x\n";
    if (c.stamped) expected += " at __FILE__:a, __LINE__:1, __FUNCTION__:f\n";
    EXPECT_EQ(e.ToString(), expected) << c.file << "|" << c.function << "|" << c.line;
  }
}

TEST(ExceptionTest, ThrowMacroStampsTheSiteAndCatchersSeeOnlyTheirClass) {
  try {
    QV_THROW(TimeoutException, "late");
  } catch (const Exception& e) {
    EXPECT_EQ(e.GetClassName(), "TimeoutException");
    EXPECT_THAT(e.ToString(), HasSubstr("exception_test.cpp, __LINE__:"));
    EXPECT_THAT(e.ToString(), HasSubstr("__FUNCTION__:virtual void quorvel::common::"));
  }
  auto throw_fault = [] { throw FutureFaultException("f"); };
  EXPECT_THROW(
      {
        try {
          throw_fault();
        } catch (const FutureException&) {
          FAIL() << "a FutureException handler caught a FutureFaultException";
        }
      },
      FutureFaultException);
}

TEST(AssertTest, SilentChecksReturnTheirResult) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(AssertEqual(0, 0, false, "f.cpp", "fn", 1), 0);
  EXPECT_EQ(AssertEqual(16, 0, 16, false, "f.cpp", "fn", 1), 16);
  EXPECT_EQ(AssertEqualEx(110, 110, 4, false, "f.cpp", "fn", 1), 110);
  EXPECT_EQ(AssertEqualEx(0, 110, 4, false, "f.cpp", "fn", 1), 0);
  EXPECT_EQ(AssertNotEqual(0, -1, false, "f.cpp", "fn", 1), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(AssertTest, DebugChecksReportOneLineAndReturn) {
  testing::internal::CaptureStdout();
  errno = 0;
  EXPECT_EQ(AssertEqual(5, 0, true, "f.cpp", "int fn()", 12), 5);
  EXPECT_EQ(AssertNotEqual(-1, -1, true, "g.cpp", "g", 3), -1);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_THAT(out, MatchesRegex("\\[[0-9]+\\] \\[[0-9]+\\] QV_ASSERT DEBUG at __FILE__:f.cpp, "
                                "__FUNCTION__:int fn\\(\\), __LINE__:12, r:5, errno:0\n"
                                "\\[[0-9]+\\] \\[[0-9]+\\] QV_ASSERT DEBUG at __FILE__:g.cpp, "
                                "__FUNCTION__:g, __LINE__:3, r:-1, errno:0\n"));
}

TEST(AssertDeathTest, FatalCheckReportsAndAborts) {
  // The report goes to standard output; the death check reads standard error.
  EXPECT_DEATH(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        AssertEqual(5, 0, false, "f.cpp", "fn", 7);
      },
               "QV_ASSERT ABORT at __FILE__:f.cpp, __FUNCTION__:fn, __LINE__:7, r:5");
}

}  // namespace
}  // namespace quorvel::common
