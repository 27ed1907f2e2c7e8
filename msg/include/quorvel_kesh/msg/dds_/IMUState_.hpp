// IMUState_: inertial measurement inside LowState_.
// Its memory layout equals the generated C structure (checked at build time), so a
// sample goes to the DDS C library as it is.
#pragma once

#include <array>
#include <cstdint>

namespace quorvel_kesh::msg::dds_ {

class IMUState_ {
 public:
  IMUState_() = default;

  const std::array<float, 4>& quaternion() const { return quaternion_; }
  std::array<float, 4>& quaternion() { return quaternion_; }
  const std::array<float, 3>& gyroscope() const { return gyroscope_; }
  std::array<float, 3>& gyroscope() { return gyroscope_; }
  const std::array<float, 3>& accelerometer() const { return accelerometer_; }
  std::array<float, 3>& accelerometer() { return accelerometer_; }
  const std::array<float, 3>& rpy() const { return rpy_; }
  std::array<float, 3>& rpy() { return rpy_; }
  const uint8_t& temperature() const { return temperature_; }
  uint8_t& temperature() { return temperature_; }

 private:
  // Compares this layout with the generated C structure (msg/src/layout_check.cpp).
  friend struct LayoutCheck;

  std::array<float, 4> quaternion_{};
  std::array<float, 3> gyroscope_{};
  std::array<float, 3> accelerometer_{};
  std::array<float, 3> rpy_{};
  uint8_t temperature_{};
};

}  // namespace quorvel_kesh::msg::dds_
