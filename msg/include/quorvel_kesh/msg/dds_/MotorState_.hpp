// MotorState_: one motor's state; twenty of them make up LowState_::motor_state.
// Its memory layout equals the generated C structure (checked at build time), so a
// sample goes to the DDS C library as it is.
#pragma once

#include <array>
#include <cstdint>

namespace quorvel_kesh::msg::dds_ {

class MotorState_ {
 public:
  MotorState_() = default;

  const uint8_t& mode() const { return mode_; }
  uint8_t& mode() { return mode_; }
  const float& q() const { return q_; }
  float& q() { return q_; }
  const float& dq() const { return dq_; }
  float& dq() { return dq_; }
  const float& ddq() const { return ddq_; }
  float& ddq() { return ddq_; }
  const float& tau_est() const { return tau_est_; }
  float& tau_est() { return tau_est_; }
  const float& q_raw() const { return q_raw_; }
  float& q_raw() { return q_raw_; }
  const float& dq_raw() const { return dq_raw_; }
  float& dq_raw() { return dq_raw_; }
  const float& ddq_raw() const { return ddq_raw_; }
  float& ddq_raw() { return ddq_raw_; }
  const uint8_t& temperature() const { return temperature_; }
  uint8_t& temperature() { return temperature_; }
  const uint32_t& lost() const { return lost_; }
  uint32_t& lost() { return lost_; }
  const std::array<uint32_t, 2>& reserve() const { return reserve_; }
  std::array<uint32_t, 2>& reserve() { return reserve_; }

 private:
  // Compares this layout with the generated C structure (msg/src/layout_check.cpp).
  friend struct LayoutCheck;

  uint8_t mode_{};
  float q_{};
  float dq_{};
  float ddq_{};
  float tau_est_{};
  float q_raw_{};
  float dq_raw_{};
  float ddq_raw_{};
  uint8_t temperature_{};
  uint32_t lost_{};
  std::array<uint32_t, 2> reserve_{};
};

}  // namespace quorvel_kesh::msg::dds_
