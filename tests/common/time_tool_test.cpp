#include "quorvel/common/time/time_tool.hpp"

#include <gtest/gtest.h>

#include <regex>

#include "quorvel/common/time/sleep.hpp"

namespace quorvel::common {
namespace {

TEST(TimeToolTest, ConversionsSplitAndJoinUnits) {
  timespec ts{};
  MillisecondToTimespec(1500, ts);
  EXPECT_EQ(ts.tv_sec, 1);
  EXPECT_EQ(ts.tv_nsec, 500000000);
  EXPECT_EQ(TimespecToMillisecond(ts), 1500u);
  MicrosecondToTimespec(2000001, ts);
  EXPECT_EQ(ts.tv_sec, 2);
  EXPECT_EQ(ts.tv_nsec, 1000);
  EXPECT_EQ(TimespecToMicrosecond(ts), 2000001u);

  timeval tv{};
  MillisecondToTimeval(3999, tv);
  EXPECT_EQ(tv.tv_sec, 3);
  EXPECT_EQ(tv.tv_usec, 999000);
  MicrosecondToTimeval(3999999, tv);
  EXPECT_EQ(tv.tv_usec, 999999);
  EXPECT_EQ(TimevalToMicrosecond(tv), 3999999u);
  EXPECT_EQ(TimevalToMillisecond(tv), 3999u);  // truncates
}

TEST(TimeToolTest, FormatsLocalTimeWithFraction) {
  const uint64_t t = 1709647629;
  const time_t tt = static_cast<time_t>(t);
  tm local{};
  localtime_r(&tt, &local);
  char expected[64];
  snprintf(expected, sizeof(expected), "%d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
           local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  const char* format = "%d-%02d-%02d %02d:%02d:%02d";
  EXPECT_EQ(TimeFormatString(t, format), expected);
  EXPECT_EQ(TimeMillisecondFormatString(1000 * t + 7, "%d-%02d-%02d %02d:%02d:%02d.%03d"),
            std::string(expected) + ".007");
  EXPECT_EQ(TimeMicrosecondFormatString(1000000 * t + 42117, "%d-%02d-%02d %02d:%02d:%02d.%06d"),
            std::string(expected) + ".042117");
}

TEST(TimeToolTest, CurrentTimeStringsHaveTheirLayout) {
  const std::regex date(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})");
  EXPECT_TRUE(std::regex_match(GetTimeString(), date));
  EXPECT_TRUE(std::regex_match(GetTimeMillisecondString(),
                               std::regex(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3})")));
  EXPECT_TRUE(std::regex_match(GetTimeMicrosecondString(),
                               std::regex(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{6})")));
}

TEST(TimeToolTest, ClocksAgreeInTheirUnits) {
  const uint64_t micro = GetCurrentTimeMicrosecond();
  const uint64_t nano = GetCurrentTimeNanosecond();
  EXPECT_NEAR(static_cast<double>(nano / 1000), static_cast<double>(micro), 5e6);
  EXPECT_NEAR(static_cast<double>(GetCurrentTime()), static_cast<double>(micro / 1000000), 5);
  const uint64_t mono1 = GetCurrentMonotonicTimeNanosecond();
  const uint64_t mono2 = GetCurrentMonotonicTimeNanosecond();
  EXPECT_LE(mono1, mono2);
  EXPECT_GT(GetCurrentProcessCpuTimeNanosecond(), 0u);
  EXPECT_GT(GetCurrentThreadCpuTimeNanosecond(), 0u);
}

TEST(TimeToolTest, TimerMeasuresAtLeastTheSleep) {
  Timer timer;
  MilliSleep(10);
  EXPECT_GE(timer.Stop(), 10000u);
  timer.Restart();
  EXPECT_LT(timer.Stop(), 10000000u);
  MicroSleep(2000);
  EXPECT_GE(timer.Stop(), 2000u);
}

}  // namespace
}  // namespace quorvel::common
