// MotorCmd_: one motor's command; twenty of them make up LowCmd_::motor_cmd.
// Its memory layout equals the generated C structure (checked at build time), so a
// sample goes to the DDS C library as it is.
#pragma once

#include <array>
#include <cstdint>

namespace quorvel_kesh::msg::dds_ {

class MotorCmd_ {
 public:
  MotorCmd_() = default;

  const uint8_t& mode() const { return mode_; }
  uint8_t& mode() { return mode_; }
  const float& q() const { return q_; }
  float& q() { return q_; }
  const float& dq() const { return dq_; }
  float& dq() { return dq_; }
  const float& tau() const { return tau_; }
  float& tau() { return tau_; }
  const float& kp() const { return kp_; }
  float& kp() { return kp_; }
  const float& kd() const { return kd_; }
  float& kd() { return kd_; }
  const std::array<uint32_t, 3>& reserve() const { return reserve_; }
  std::array<uint32_t, 3>& reserve() { return reserve_; }

 private:
  // Compares this layout with the generated C structure (msg/src/layout_check.cpp).
  friend struct LayoutCheck;

  uint8_t mode_{};
  float q_{};
  float dq_{};
  float tau_{};
  float kp_{};
  float kd_{};
  std::array<uint32_t, 3> reserve_{};
};

}  // namespace quorvel_kesh::msg::dds_
