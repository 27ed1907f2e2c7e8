#include "quorvel/common/log/log_decl.hpp"

#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <iomanip>
#include <limits>
#include <tuple>
#include <typeinfo>
#include <regex>

#include "quorvel/common/exception.hpp"
#include "log/support/log_test_support.hpp"

namespace quorvel::common {
namespace {

using testing::CapturingStore;

TEST(LogLevelTest, TextsAndValuesMapBothWays) {
  const char* const texts[] = {"NONE", "CRIT", "FATAL", "ERROR", "WARNING", "INFO", "DEBUG", "ALL"};
  for (int32_t level = 0; level < 8; ++level) {
    EXPECT_EQ(GetLogLevel(texts[level]), level);
    EXPECT_STREQ(GetLogLevelDesc(level), texts[level]);
  }
  const char* const types[] = {"FILEASYNC", "FILE", "STDOUT", "STDERR"};
  for (int32_t type = 0; type < 4; ++type) {
    EXPECT_EQ(GetLogStoreType(types[type]), type);
  }
}

TEST(LogLevelTest, UnknownTextsAndValuesThrowWithTheirText) {
  struct Case {
    std::function<void()> call;
    std::string message;
  };
  const Case cases[] = {
      {[] { GetLogLevel("WARN"); }, "unknown log level desc:WARN"},
      {[] { GetLogLevel("info"); }, "unknown log level desc:info"},
      {[] { GetLogLevelDesc(8); }, "unknown log level"},
      {[] { GetLogLevelDesc(-1); }, "unknown log level"},
      {[] { GetLogStoreType("FILES"); }, "unknown log store type desc:FILES"},
  };
  for (const Case& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << "no exception for " << c.message;
    } catch (const CommonException& e) {
      EXPECT_EQ(e.GetMessage(), c.message);
    }
  }
}

// Counts how often it is formatted: a dropped message must cost no formatting.
struct Counted {
  mutable int* count;
};
std::ostream& operator<<(std::ostream& os, const Counted& counted) {
  ++*counted.count;
  return os << "counted";
}

TEST(LoggerTest, RecordHasTimeLevelProcessAndThreadThenTheArguments) {
  auto store = std::make_shared<CapturingStore>();
  Logger logger(QV_LOG_LEVEL_INFO, store);
  logger.Log(QV_LOG_LEVEL_INFO, "value:", 0.5, " n:", 42, " f:", 1.25f);
  const auto records = store->Records();
  ASSERT_EQ(records.size(), 1u);
  const std::string ids = "\\[" + std::to_string(getpid()) + "\\] \\[" +
                          std::to_string(syscall(SYS_gettid)) + "\\]";
  const std::regex layout(
      "\\[\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3}\\] \\[INFO\\] " + ids +
      " value:0\\.500000 n:42 f:1\\.250000\n");
  EXPECT_TRUE(std::regex_match(records[0], layout)) << records[0];
}

TEST(LoggerTest, LevelDecidesWithoutFormattingDroppedMessages) {
  struct Case {
    int32_t level;
    bool passes;
  };
  const Case cases[] = {{QV_LOG_LEVEL_DEBUG, false}, {QV_LOG_LEVEL_INFO, false},
                        {QV_LOG_LEVEL_WARNING, true}, {QV_LOG_LEVEL_ERROR, true},
                        {QV_LOG_LEVEL_CRIT, true}};
  for (const Case& c : cases) {
    auto store = std::make_shared<CapturingStore>();
    Logger logger(QV_LOG_LEVEL_WARNING, store);
    int formatted = 0;
    logger.Log(c.level, "x:", Counted{&formatted});
    EXPECT_EQ(formatted, c.passes ? 1 : 0) << "level " << c.level;
    ASSERT_EQ(store->Records().size(), c.passes ? 1u : 0u) << "level " << c.level;
    if (c.passes) {
      EXPECT_NE(store->Records()[0].find(std::string("[") + GetLogLevelDesc(c.level) + "]"),
                std::string::npos);
    }
  }
}

// Records are built in a stream reused per thread: neither a record logged from inside an
// argument's stream operator nor a manipulator of an earlier record may leak into another.
struct LogsWhileFormatted {
  Logger* logger;
};
std::ostream& operator<<(std::ostream& os, const LogsWhileFormatted& value) {
  value.logger->Log(QV_LOG_LEVEL_INFO, "inner");
  return os << "outer";
}

TEST(LoggerTest, RecordsStayApartWhenBuiltInsideAnotherOrAfterManipulators) {
  auto store = std::make_shared<CapturingStore>();
  Logger logger(QV_LOG_LEVEL_INFO, store);
  logger.Log(QV_LOG_LEVEL_INFO, "a:", LogsWhileFormatted{&logger});
  logger.Log(QV_LOG_LEVEL_INFO, std::hex, std::setfill('*'), std::setw(4), 255);
  logger.Log(QV_LOG_LEVEL_INFO, 255, " ", std::setw(4), 7);
  const auto records = store->Records();
  ASSERT_EQ(records.size(), 4u);
  const std::string expected[] = {"] inner\n", "] a:outer\n", "] **ff\n", "] 255    7\n"};
  for (size_t i = 0; i < 4; ++i) {
    const std::string tail = records[i].substr(records[i].rfind(']'));
    EXPECT_EQ(tail, expected[i]);
  }
}

template <typename T>
void ExpectStreamText(Logger& logger, CapturingStore& store, const T& value) {
  std::ostringstream expected;
  expected << std::fixed << std::setprecision(6) << value << '\n';
  logger.Log(QV_LOG_LEVEL_INFO, value);
  const std::string record = store.Records().back();
  EXPECT_EQ(record.substr(record.rfind("] ") + 2), expected.str()) << typeid(T).name();
}

// Numbers must read exactly as the stream operator writes them in fixed notation.
TEST(LoggerTest, NumbersMatchTheStreamOperatorText) {
  auto store = std::make_shared<CapturingStore>();
  Logger logger(QV_LOG_LEVEL_INFO, store);
  const std::tuple values{
      0, -1, INT32_MIN, INT64_MAX, static_cast<short>(-7), static_cast<unsigned short>(65535),
      UINT64_MAX, 0.5, -0.0000005, 2.5e-7, 1e300, -123456.7890125, 0.1f, 3.4e38f,
      std::numeric_limits<double>::infinity(), static_cast<long double>(1.25)};
  std::apply([&](const auto&... value) { (ExpectStreamText(logger, *store, value), ...); }, values);

  logger.Log(QV_LOG_LEVEL_INFO, std::setprecision(2), 3.14159, " ", std::hex,
             static_cast<short>(-1));
  const std::string last = store->Records().back();
  EXPECT_EQ(last.substr(last.rfind("] ") + 2), "3.14 ffff\n");
}

// An argument that fails the stream must not cost the record its line end (the next
// record would run into it); a null C string is shown, not handed to the stream.
struct FailsTheStream {};
std::ostream& operator<<(std::ostream& os, const FailsTheStream&) {
  os.setstate(std::ios_base::failbit);
  return os;
}

TEST(LoggerTest, RecordsEndWithTheirLineEndWhateverTheArguments) {
  auto store = std::make_shared<CapturingStore>();
  Logger logger(QV_LOG_LEVEL_INFO, store);
  const char* const nothing = nullptr;
  logger.Log(QV_LOG_LEVEL_INFO, "a:", nothing, " b");
  logger.Log(QV_LOG_LEVEL_INFO, "c:", FailsTheStream{});
  logger.Log(QV_LOG_LEVEL_INFO, "d");
  const auto records = store->Records();
  ASSERT_EQ(records.size(), 3u);
  const std::string expected[] = {"] a:(null) b\n", "] c:", "] d\n"};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(records[i].substr(records[i].rfind(']')).substr(0, expected[i].size()), expected[i]);
    EXPECT_EQ(records[i].back(), '\n') << records[i];
  }
}

TEST(LoggerTest, NullStoreFormatsNothing) {
  Logger logger(QV_LOG_LEVEL_ALL, nullptr);
  int formatted = 0;
  logger.Log(QV_LOG_LEVEL_CRIT, Counted{&formatted});
  EXPECT_EQ(formatted, 0);
}

TEST(LoggerTest, NegativeLevelThatPassesThrowsUnknownLevel) {
  auto store = std::make_shared<CapturingStore>();
  Logger logger(QV_LOG_LEVEL_INFO, store);
  try {
    logger.Log(-1, "x");
    FAIL() << "no exception";
  } catch (const CommonException& e) {
    EXPECT_EQ(e.GetMessage(), "unknown log level");
  }
  EXPECT_TRUE(store->Records().empty());
}

}  // namespace
}  // namespace quorvel::common
