#include "quorvel/common/time/time_tool.hpp"

#include <cstdio>

#include "quorvel/common/exception.hpp"

namespace quorvel::common {
namespace {

uint64_t ClockNanosecond(clockid_t clock) {
  timespec ts{};
  QV_ASSERT_EQUAL(clock_gettime(clock, &ts), 0);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000000ULL + static_cast<uint64_t>(ts.tv_nsec);
}

tm LocalTime(uint64_t seconds) {
  const time_t t = static_cast<time_t>(seconds);
  tm local{};
  // Reentrant form: log records are stamped from many threads at once.
  localtime_r(&t, &local);
  return local;
}

}  // namespace

void GetCurrentTimeval(timeval& tv) { QV_ASSERT_EQUAL(gettimeofday(&tv, nullptr), 0); }

void GetCurrentTimespec(timespec& ts) { QV_ASSERT_EQUAL(clock_gettime(CLOCK_REALTIME, &ts), 0); }

int64_t GetCurrentTime() {
  timeval tv{};
  GetCurrentTimeval(tv);
  return static_cast<int64_t>(tv.tv_sec);
}

uint64_t GetCurrentTimeNanosecond() { return ClockNanosecond(CLOCK_REALTIME); }

uint64_t GetCurrentTimeMicrosecond() {
  timeval tv{};
  GetCurrentTimeval(tv);
  return TimevalToMicrosecond(tv);
}

uint64_t GetCurrentTimeMillisecond() { return GetCurrentTimeMicrosecond() / 1000; }

uint64_t GetCurrentThreadCpuTimeNanosecond() { return ClockNanosecond(CLOCK_THREAD_CPUTIME_ID); }

uint64_t GetCurrentThreadCpuTimeMicrosecond() { return GetCurrentThreadCpuTimeNanosecond() / 1000; }

uint64_t GetCurrentProcessCpuTimeNanosecond() { return ClockNanosecond(CLOCK_PROCESS_CPUTIME_ID); }

uint64_t GetCurrentProcessCpuTimeMicrosecond() {
  return GetCurrentProcessCpuTimeNanosecond() / 1000;
}

uint64_t GetCurrentMonotonicTimeNanosecond() { return ClockNanosecond(CLOCK_MONOTONIC); }

uint64_t GetCurrentMonotonicTimeMicrosecond() { return GetCurrentMonotonicTimeNanosecond() / 1000; }

uint64_t TimevalToMicrosecond(const timeval& tv) {
  return static_cast<uint64_t>(tv.tv_sec) * 1000000 + static_cast<uint64_t>(tv.tv_usec);
}

uint64_t TimevalToMillisecond(const timeval& tv) {
  return static_cast<uint64_t>(tv.tv_sec) * 1000 + static_cast<uint64_t>(tv.tv_usec) / 1000;
}

uint64_t TimespecToMicrosecond(const timespec& ts) {
  return static_cast<uint64_t>(ts.tv_sec) * 1000000 + static_cast<uint64_t>(ts.tv_nsec) / 1000;
}

uint64_t TimespecToMillisecond(const timespec& ts) {
  return static_cast<uint64_t>(ts.tv_sec) * 1000 + static_cast<uint64_t>(ts.tv_nsec) / 1000000;
}

void MicrosecondToTimeval(uint64_t microseconds, timeval& tv) {
  tv.tv_sec = static_cast<time_t>(microseconds / 1000000);
  tv.tv_usec = static_cast<suseconds_t>(microseconds % 1000000);
}

void MillisecondToTimeval(uint64_t milliseconds, timeval& tv) {
  tv.tv_sec = static_cast<time_t>(milliseconds / 1000);
  tv.tv_usec = static_cast<suseconds_t>(milliseconds % 1000) * 1000;
}

void MicrosecondToTimespec(uint64_t microseconds, timespec& ts) {
  ts.tv_sec = static_cast<time_t>(microseconds / 1000000);
  ts.tv_nsec = static_cast<long>(microseconds % 1000000) * 1000;
}

void MillisecondToTimespec(uint64_t milliseconds, timespec& ts) {
  ts.tv_sec = static_cast<time_t>(milliseconds / 1000);
  ts.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000;
}

std::string TimeFormatString(tm* t, const char* format) {
  char buffer[32] = {0};
  snprintf(buffer, sizeof(buffer), format, t->tm_year + 1900, t->tm_mon + 1, t->tm_mday,
           t->tm_hour, t->tm_min, t->tm_sec);
  return buffer;
}

std::string TimeFormatString(tm* t, uint64_t fraction, const char* format) {
  char buffer[64] = {0};
  snprintf(buffer, sizeof(buffer), format, t->tm_year + 1900, t->tm_mon + 1, t->tm_mday,
           t->tm_hour, t->tm_min, t->tm_sec, static_cast<int>(fraction));
  return buffer;
}

std::string TimeFormatString(uint64_t seconds, const char* format) {
  tm local = LocalTime(seconds);
  return TimeFormatString(&local, format);
}

std::string TimeMicrosecondFormatString(const uint64_t& microseconds, const char* format) {
  tm local = LocalTime(microseconds / 1000000);
  return TimeFormatString(&local, microseconds % 1000000, format);
}

std::string TimeMillisecondFormatString(const uint64_t& milliseconds, const char* format) {
  tm local = LocalTime(milliseconds / 1000);
  return TimeFormatString(&local, milliseconds % 1000, format);
}

std::string GetTimeString() {
  return TimeFormatString(static_cast<uint64_t>(GetCurrentTime()), "%d-%02d-%02d %02d:%02d:%02d");
}

std::string GetTimeMillisecondString() {
  return TimeMillisecondFormatString(GetCurrentTimeMillisecond(),
                                     "%d-%02d-%02d %02d:%02d:%02d.%03d");
}

std::string GetTimeMicrosecondString() {
  return TimeMicrosecondFormatString(GetCurrentTimeMicrosecond(),
                                     "%d-%02d-%02d %02d:%02d:%02d.%06d");
}

Timer::Timer() { Start(); }

void Timer::Start() { startMicrosecond_ = GetCurrentMonotonicTimeMicrosecond(); }

void Timer::Restart() { Start(); }

uint64_t Timer::Stop() { return GetCurrentMonotonicTimeMicrosecond() - startMicrosecond_; }

}  // namespace quorvel::common
