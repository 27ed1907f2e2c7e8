#include "quorvel/common/log/log_initor.hpp"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "quorvel/common/exception.hpp"
#include "quorvel/common/os.hpp"
#include "log/support/log_test_support.hpp"

namespace quorvel::common {
namespace {

using testing::TempDir;
using testing::WriteWholeFile;

// A LogInitor of its own per test, fed from a configuration file in a temp dir.
class LogInitorTest : public ::testing::Test {
 protected:
  std::string Conf(const std::string& content) {
    const std::string path = dir_.File("logconf.json");
    WriteWholeFile(path, content);
    return path;
  }

  // The message of the library exception Init throws, or "" when it succeeds.
  std::string InitError(const std::string& path) {
    try {
      initor_.Init(path);
    } catch (const Exception& e) {
      return e.GetMessage();
    }
    return "";
  }

  TempDir dir_;
  LogInitor initor_;
};

const char* const kStdoutStore = R"("Store": { "console": { "Type": "STDOUT" } })";

TEST_F(LogInitorTest, MissingFileFinishesSilentlyAndIsNotReadAgain) {
  const std::string path = dir_.File("absent.json");
  ::testing::internal::CaptureStdout();
  initor_.Init(path);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_TRUE(initor_.IsInitialized());
  EXPECT_EQ(initor_.GetLogger("/quorvel"), nullptr);

  WriteWholeFile(path, std::string(R"({ "Policy": { "/": { "Level": "INFO", "Store": "console" } }, )") +
                           kStdoutStore + "}");
  initor_.Init(path);
  EXPECT_EQ(initor_.GetLogger("/quorvel"), nullptr);
}

TEST_F(LogInitorTest, BadConfigurationsFailWithTheirMessageAndLeaveNoLogger) {
  struct Case {
    std::string content;
    std::string message;
  };
  const Case cases[] = {
      {"{}", "log conf find key Policy error"},
      {R"({ "Policy": {} })", "log conf find key Store error"},
      {R"({ "Policy": { "/a": { "Store": "s" } }, "Store": {} })", "log policy find key Level error"},
      {R"({ "Policy": { "/a": { "Level": "INFO" } }, "Store": {} })", "log policy find key Store error"},
      {R"({ "Policy": { "/a": { "Level": "WARN", "Store": "s" } }, "Store": {} })",
       "unknown log level desc:WARN"},
      {R"({ "Policy": {}, "Store": { "s": { "FileNumber": 3 } } })", "log store find key Type error"},
      {R"({ "Policy": {}, "Store": { "s": { "Type": "SOCKET" } } })",
       "unknown log store type desc:SOCKET"},
  };
  for (const Case& c : cases) {
    LogInitor initor;
    try {
      initor.Init(Conf(c.content));
      ADD_FAILURE() << "no exception for " << c.content;
    } catch (const CommonException& e) {
      EXPECT_EQ(e.GetMessage(), c.message);
    }
    EXPECT_FALSE(initor.IsInitialized()) << c.content;
    EXPECT_EQ(initor.GetLogger("/a"), nullptr) << c.content;
  }
}

TEST_F(LogInitorTest, WrongValueTypesAndMalformedTextAreReported) {
  EXPECT_THROW(initor_.Init(Conf("[1, 2]")), BadCastException);
  EXPECT_THROW(initor_.Init(Conf(R"({ "Policy": { "/a": { "Level": 5, "Store": "s" } }, "Store": {} })")),
               BadCastException);
  EXPECT_THROW(initor_.Init(Conf(R"({ "Policy": )")), JsonException);
  EXPECT_FALSE(initor_.IsInitialized());
}

// A configuration that fails late must not leave its policies behind: repeated attempts
// would grow the lists, and a later success would build every store twice.
TEST_F(LogInitorTest, RepeatedFailuresKeepNoPoliciesAndSuccessBuildsEachOnce) {
  const std::string policies =
      R"("Policy": { "/a": { "Level": "INFO", "Store": "console" }, "/b": { "Level": "ERROR", "Store": "console" } })";
  const std::string path =
      Conf("{" + policies + R"(, "Store": { "console": { "Type": "STDOUT" }, "z": { "Type": "BOGUS" } } })");
  for (int attempt = 0; attempt < 3; ++attempt) {
    EXPECT_EQ(InitError(path), "unknown log store type desc:BOGUS");
    EXPECT_TRUE(initor_.GetPolicies().empty());
    EXPECT_TRUE(initor_.GetStorePolicies().empty());
  }
  Conf("{" + policies + ", " + kStdoutStore + "}");
  EXPECT_EQ(InitError(path), "");
  EXPECT_EQ(initor_.GetPolicies().size(), 2u);
  EXPECT_EQ(initor_.GetStorePolicies().size(), 1u);
  ASSERT_NE(initor_.GetLogger("/a"), nullptr);
  EXPECT_EQ(initor_.GetLogger("/a")->GetStore(), initor_.GetLogger("/b")->GetStore());
}

TEST_F(LogInitorTest, LevelsAreTrimmedAndReadInAnyCase) {
  const std::string path = Conf(std::string(R"({ "Policy": {
      " /a ": { "Level": " info ", "Store": " console " },
      "/b": { "Level": "warning", "Store": "console" },
      "/c": { "Level": "Debug", "Store": "console" },
      "  ": { "Level": "ALL", "Store": "console" } }, )") + kStdoutStore + "}");
  ASSERT_EQ(InitError(path), "");
  const struct {
    const char* name;
    int32_t level;
  } cases[] = {{"/a", QV_LOG_LEVEL_INFO}, {"/b", QV_LOG_LEVEL_WARNING}, {"/c", QV_LOG_LEVEL_DEBUG}};
  for (const auto& c : cases) {
    Logger* logger = initor_.GetLogger(c.name);
    ASSERT_NE(logger, nullptr) << c.name;
    EXPECT_EQ(logger->GetLevel(), c.level) << c.name;
    EXPECT_NE(logger->GetStore(), nullptr) << c.name;
  }
  EXPECT_EQ(initor_.GetPolicies().size(), 3u) << "a key that is blank after trimming is skipped";
}

TEST_F(LogInitorTest, FileNumberAndFileSizeAreBounded) {
  struct Case {
    std::string number;
    int32_t fileNumber;
    std::string size;
    int64_t fileSize;
  };
  const Case cases[] = {
      {"1", 10, "1000", 8388608},         {"0", 10, "8388608", 8388608},
      {"2", 2, "20000000000", 10737418240}, {"5000", 1000, "1.5e7", 15000000},
      {"-4", 10, "4294967295", 4294967295},
      // Beyond the 32- and 64-bit ranges a value clamps; it must not wrap around.
      {"4294967298", 1000, "18446744073709551615", 10737418240},
      {"1.9", 10, "9223372036854775808", 10737418240},
  };
  for (const Case& c : cases) {
    LogInitor initor;
    ::testing::internal::CaptureStdout();
    initor.Init(Conf(R"({ "Policy": { "/a": { "Level": "NONE", "Store": "f" } },
        "Store": { "f": { "Type": "file", "FileNumber": )" + c.number + R"(, "FileSize": )" + c.size +
                     R"(, "CpuId": 3, "FileName": " /x//y/ ", "Directory": "/d//e" } } })"));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "log store is not enabled. name:f\n");
    ASSERT_EQ(initor.GetStorePolicies().size(), 1u);
    const LogStorePolicy& policy = *initor.GetStorePolicies()[0];
    EXPECT_EQ(policy.type, QV_LOG_STORE_FILE);
    EXPECT_EQ(policy.fileNumber, c.fileNumber) << c.number;
    EXPECT_EQ(policy.fileSize, c.fileSize) << c.size;
    EXPECT_EQ(policy.cpuId, 3);
    EXPECT_EQ(policy.fileName, "/x/y");
    EXPECT_EQ(policy.directory, "/d/e");
  }
}

TEST_F(LogInitorTest, StoreOnlyReferencedAtNoneIsNotBuiltAndItsLoggersWriteNothing) {
  ::testing::internal::CaptureStdout();
  initor_.Init(Conf(std::string(R"({ "Policy": { "/a": { "Level": "NONE", "Store": "console" },
      "/b": { "Level": "INFO", "Store": "missing" } }, )") + kStdoutStore + "}"));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "log store is not enabled. name:console\n");
  for (const char* name : {"/a", "/b"}) {
    Logger* logger = initor_.GetLogger(name);
    ASSERT_NE(logger, nullptr) << name;
    EXPECT_EQ(logger->GetStore(), nullptr) << name;
  }
}

TEST_F(LogInitorTest, NamesAreServedByTheirNearestConfiguredAncestor) {
  auto initWith = [&](LogInitor& initor, const std::string& policies) {
    initor.Init(Conf(R"({ "Policy": {)" + policies + "}, " + kStdoutStore + "}"));
  };
  const std::string a = R"("/a": { "Level": "INFO", "Store": "console" })";
  const std::string ab = R"("/a/b": { "Level": "DEBUG", "Store": "console" })";
  const std::string root = R"("/": { "Level": "ERROR", "Store": "console" })";
  initWith(initor_, a + ", " + ab);
  struct Case {
    const char* name;
    int32_t level;  // -1: no logger
  };
  const Case withoutRoot[] = {{"/a/b/c/", QV_LOG_LEVEL_DEBUG}, {" /a//x ", QV_LOG_LEVEL_INFO},
                              {"/a", QV_LOG_LEVEL_INFO},       {"/ab", -1},
                              {"/b", -1},                      {"", -1}};
  for (const Case& c : withoutRoot) {
    Logger* logger = initor_.GetLogger(c.name);
    EXPECT_EQ(logger == nullptr ? -1 : logger->GetLevel(), c.level) << "'" << c.name << "'";
  }
  LogInitor withRoot;
  initWith(withRoot, a + ", " + root);
  const Case fallback[] = {{"/b", QV_LOG_LEVEL_ERROR}, {"relative/name", QV_LOG_LEVEL_ERROR},
                           {"/a/z", QV_LOG_LEVEL_INFO}};
  for (const Case& c : fallback) {
    Logger* logger = withRoot.GetLogger(c.name);
    EXPECT_EQ(logger == nullptr ? -1 : logger->GetLevel(), c.level) << "'" << c.name << "'";
  }
}

// Threads racing into the first initialisation build the loggers once and all see them.
TEST_F(LogInitorTest, ConcurrentFirstCallsInitialiseOnce) {
  const std::string path = Conf(std::string(R"({ "Policy": { "/a": { "Level": "INFO", "Store": "console" } }, )") +
                                kStdoutStore + "}");
  std::vector<Logger*> seen(4, nullptr);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < seen.size(); ++i) {
    threads.emplace_back([&, i] {
      initor_.Init(path);
      seen[i] = initor_.GetLogger("/a/b");
    });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  ASSERT_NE(seen[0], nullptr);
  for (Logger* logger : seen) {
    EXPECT_EQ(logger, seen[0]);
  }
  EXPECT_EQ(initor_.GetPolicies().size(), 1u);
}

// The process-wide entry points read "default_logconf.json" beside the executable. Each
// case runs a copy of this test program from a temp dir of its own (so nothing is written
// beside the real test binary) with QV_LOG_CHILD naming the case.
const char* ChildCase() { return getenv("QV_LOG_CHILD"); }

TEST(LogInitorChild, Run) {
  if (ChildCase() == nullptr) {
    GTEST_SKIP() << "runs only inside a copied test program";
  }
  const std::string which = ChildCase();
  if (which == "stdout") {
    Logger* logger = GetLogger("/quorvel/dds/dds_entity_wrapper");
    ASSERT_NE(logger, nullptr);
    logger->Log(QV_LOG_LEVEL_INFO, "child says ", 7);
    logger->Log(QV_LOG_LEVEL_DEBUG, "hidden");
  } else if (which == "missing") {
    EXPECT_EQ(GetLogger("/quorvel"), nullptr);
    WriteWholeFile(OsHelper::Instance()->GetProcessDirectory(true) + "default_logconf.json",
                   std::string(R"({ "Policy": { "/": { "Level": "ALL", "Store": "console" } }, )") +
                       kStdoutStore + "}");
    EXPECT_EQ(GetLogger("/quorvel"), nullptr);
  } else if (which == "empty") {
    EXPECT_EQ(GetLogger("/quorvel"), nullptr);
    EXPECT_EQ(GetLogger("/quorvel"), nullptr);
    LogFinal();
  }
}

// Runs the copied program for one case; returns its whole output.
std::string RunChild(const TempDir& dir, const std::string& which, const std::string& conf) {
  const std::string program = dir.File("log_child");
  std::filesystem::copy_file("/proc/self/exe", program);
  if (!conf.empty()) {
    WriteWholeFile(dir.File("default_logconf.json"), conf);
  }
  const std::string command = "QV_LOG_CHILD=" + which + " " + program +
                              " --gtest_filter=LogInitorChild.Run 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  char chunk[4096];
  size_t n;
  while ((n = fread(chunk, 1, sizeof(chunk), pipe)) > 0) {
    output.append(chunk, n);
  }
  const int status = pclose(pipe);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
  return output;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1)) {
    ++count;
  }
  return count;
}

TEST(LogInitorProcessTest, FirstGetLoggerReadsTheConfigurationBesideTheExecutable) {
  TempDir dir;
  const std::string output = RunChild(
      dir, "stdout",
      std::string(R"({ "Policy": { "/quorvel": { "Level": "INFO", "Store": "console" } }, )") +
          kStdoutStore + "}");
  EXPECT_EQ(Count(output, "] [INFO] ["), 1u) << output;
  EXPECT_EQ(Count(output, "] child says 7\n"), 1u) << output;
  EXPECT_EQ(Count(output, "hidden"), 0u) << output;
}

TEST(LogInitorProcessTest, MissingConfigurationIsSilentAndNotReadAgain) {
  TempDir dir;
  const std::string output = RunChild(dir, "missing", "");
  EXPECT_EQ(Count(output, "log system"), 0u) << output;
  EXPECT_EQ(Count(output, "[  PASSED  ] 1 test"), 1u) << output;
}

TEST(LogInitorProcessTest, EmptyObjectIsReportedAtEveryCall) {
  TempDir dir;
  const std::string output = RunChild(dir, "empty", "{}");
  EXPECT_EQ(Count(output, "Init log system error. e:Catch CommonException code:1001, "
                          "message:log conf find key Policy error"),
            2u)
      << output;
  EXPECT_EQ(Count(output, "Final log system error"), 0u) << output;
  EXPECT_EQ(Count(output, "[  PASSED  ] 1 test"), 1u) << output;
}

}  // namespace
}  // namespace quorvel::common
