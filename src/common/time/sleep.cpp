#include "quorvel/common/time/sleep.hpp"

#include <cerrno>
#include <ctime>

namespace quorvel::common {

void MicroSleep(uint64_t microseconds) {
  timespec remaining{};
  remaining.tv_sec = static_cast<time_t>(microseconds / 1000000);
  remaining.tv_nsec = static_cast<long>(microseconds % 1000000) * 1000;
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

void MilliSleep(uint64_t milliseconds) { MicroSleep(milliseconds * 1000); }

void Sleep(uint64_t seconds) { MicroSleep(seconds * 1000000); }

}  // namespace quorvel::common
