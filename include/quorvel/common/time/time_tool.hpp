// Clock readings (wall, monotonic, CPU time) in several units, conversions between
// timeval, timespec and integer counts, local-time stamps (the log records' time stamps)
// and a stopwatch. All functions may be called from any thread; a failing clock call is
// fatal (QV_ASSERT report, then abort).
#pragma once

#include <sys/time.h>

#include <cstdint>
#include <ctime>
#include <string>

namespace quorvel::common {

void GetCurrentTimeval(timeval& tv);    // wall clock, gettimeofday
void GetCurrentTimespec(timespec& ts);  // CLOCK_REALTIME

int64_t GetCurrentTime();  // seconds since the epoch
uint64_t GetCurrentTimeNanosecond();   // CLOCK_REALTIME
uint64_t GetCurrentTimeMicrosecond();  // gettimeofday
uint64_t GetCurrentTimeMillisecond();  // GetCurrentTimeMicrosecond() / 1000

uint64_t GetCurrentThreadCpuTimeNanosecond();
uint64_t GetCurrentThreadCpuTimeMicrosecond();
uint64_t GetCurrentProcessCpuTimeNanosecond();
uint64_t GetCurrentProcessCpuTimeMicrosecond();
uint64_t GetCurrentMonotonicTimeNanosecond();
uint64_t GetCurrentMonotonicTimeMicrosecond();

// Truncating conversions.
uint64_t TimevalToMicrosecond(const timeval& tv);
uint64_t TimevalToMillisecond(const timeval& tv);
uint64_t TimespecToMicrosecond(const timespec& ts);
uint64_t TimespecToMillisecond(const timespec& ts);
void MicrosecondToTimeval(uint64_t microseconds, timeval& tv);
void MillisecondToTimeval(uint64_t milliseconds, timeval& tv);
void MicrosecondToTimespec(uint64_t microseconds, timespec& ts);
void MillisecondToTimespec(uint64_t milliseconds, timespec& ts);

// Formats year (tm_year + 1900), month (1-12), day, hour, minute and second of `t` with the
// printf-style `format`; at most 31 characters.
std::string TimeFormatString(tm* t, const char* format);
// The same with `fraction` (as int) as a seventh value; at most 63 characters.
std::string TimeFormatString(tm* t, uint64_t fraction, const char* format);
// Local time of `seconds` since the epoch, formatted as above.
std::string TimeFormatString(uint64_t seconds, const char* format);
// Local time of microseconds / 1000000 with fraction microseconds % 1000000.
std::string TimeMicrosecondFormatString(const uint64_t& microseconds, const char* format);
// Local time of milliseconds / 1000 with fraction milliseconds % 1000.
std::string TimeMillisecondFormatString(const uint64_t& milliseconds, const char* format);

std::string GetTimeString();             // "2024-03-05 14:07:09"
std::string GetTimeMillisecondString();  // "2024-03-05 14:07:09.042"
std::string GetTimeMicrosecondString();  // "2024-03-05 14:07:09.042117"

// Stopwatch on the monotonic clock, started on construction.
class Timer {
 public:
  Timer();

  void Start();
  void Restart();
  // Microseconds since the last start; the timer keeps running.
  uint64_t Stop();

 private:
  uint64_t startMicrosecond_ = 0;
};

}  // namespace quorvel::common
