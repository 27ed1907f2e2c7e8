// Sleeps of the calling thread in three units, used by the library's threads and tests.
// Each sleeps at least the given time, resuming after signal interruptions.
#pragma once

#include <cstdint>

namespace quorvel::common {

void MicroSleep(uint64_t microseconds);
void MilliSleep(uint64_t milliseconds);
void Sleep(uint64_t seconds);

}  // namespace quorvel::common
