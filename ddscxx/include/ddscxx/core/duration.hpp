// dds::core::Duration: a span of time as whole seconds and nanoseconds, with an
// infinite value; converts to the C library's signed 64-bit nanoseconds.
#pragma once

#include <dds/dds.h>

#include <cstdint>

namespace dds::core {

class Duration {
 public:
  // Zero.
  Duration() = default;
  Duration(int64_t sec, uint32_t nanosec) : sec_(sec), nanosec_(nanosec) {}

  static Duration zero() { return Duration(); }
  // The standard's marker value (0x7fffffff s, 0x7fffffff ns); maps to DDS_INFINITY.
  static Duration infinite() { return Duration(kInfiniteSec, kInfiniteNanosec); }

  int64_t sec() const { return sec_; }
  uint32_t nanosec() const { return nanosec_; }

  // Nanoseconds for the C library: DDS_INFINITY for infinite() and for any span too
  // long for 64 bits; otherwise sec * 10^9 + nanosec.
  dds_duration_t to_native() const {
    if ((sec_ == kInfiniteSec && nanosec_ == kInfiniteNanosec) ||
        sec_ > (INT64_MAX - static_cast<int64_t>(nanosec_)) / kNanosecPerSec) {
      return DDS_INFINITY;
    }
    return sec_ * kNanosecPerSec + nanosec_;
  }

  // The inverse of to_native: DDS_INFINITY, and any negative count, give infinite().
  static Duration from_native(dds_duration_t nanoseconds) {
    if (nanoseconds == DDS_INFINITY || nanoseconds < 0) {
      return infinite();
    }
    return Duration(nanoseconds / kNanosecPerSec,
                    static_cast<uint32_t>(nanoseconds % kNanosecPerSec));
  }

  bool operator==(const Duration& other) const {
    return sec_ == other.sec_ && nanosec_ == other.nanosec_;
  }
  bool operator!=(const Duration& other) const { return !(*this == other); }

 private:
  static constexpr int64_t kInfiniteSec = 0x7fffffff;
  static constexpr uint32_t kInfiniteNanosec = 0x7fffffff;
  static constexpr int64_t kNanosecPerSec = 1000000000;

  int64_t sec_ = 0;
  uint32_t nanosec_ = 0;
};

}  // namespace dds::core
