// LowState_: the state sample received on "rt/lowstate".
// Its memory layout equals the generated C structure (checked at build time), so a
// sample goes to the DDS C library as it is.
#pragma once

#include <array>
#include <cstdint>

#include "quorvel_kesh/msg/dds_/IMUState_.hpp"
#include "quorvel_kesh/msg/dds_/MotorState_.hpp"
#include "quorvel_kesh/msg/dds_/BmsState_.hpp"
#include "ddscxx/topic/topic_traits.hpp"
#include "quorvel_kesh/msg/dds_/LowState_.h"

namespace quorvel_kesh::msg::dds_ {

class LowState_ {
 public:
  LowState_() = default;

  const std::array<uint8_t, 2>& head() const { return head_; }
  std::array<uint8_t, 2>& head() { return head_; }
  const uint8_t& level_flag() const { return level_flag_; }
  uint8_t& level_flag() { return level_flag_; }
  const uint8_t& frame_reserve() const { return frame_reserve_; }
  uint8_t& frame_reserve() { return frame_reserve_; }
  const std::array<uint32_t, 2>& sn() const { return sn_; }
  std::array<uint32_t, 2>& sn() { return sn_; }
  const std::array<uint32_t, 2>& version() const { return version_; }
  std::array<uint32_t, 2>& version() { return version_; }
  const uint16_t& bandwidth() const { return bandwidth_; }
  uint16_t& bandwidth() { return bandwidth_; }
  const IMUState_& imu_state() const { return imu_state_; }
  IMUState_& imu_state() { return imu_state_; }
  const std::array<MotorState_, 20>& motor_state() const { return motor_state_; }
  std::array<MotorState_, 20>& motor_state() { return motor_state_; }
  const BmsState_& bms_state() const { return bms_state_; }
  BmsState_& bms_state() { return bms_state_; }
  const std::array<int16_t, 4>& foot_force() const { return foot_force_; }
  std::array<int16_t, 4>& foot_force() { return foot_force_; }
  const std::array<int16_t, 4>& foot_force_est() const { return foot_force_est_; }
  std::array<int16_t, 4>& foot_force_est() { return foot_force_est_; }
  const uint32_t& tick() const { return tick_; }
  uint32_t& tick() { return tick_; }
  const std::array<uint8_t, 40>& wireless_remote() const { return wireless_remote_; }
  std::array<uint8_t, 40>& wireless_remote() { return wireless_remote_; }
  const uint8_t& bit_flag() const { return bit_flag_; }
  uint8_t& bit_flag() { return bit_flag_; }
  const float& adc_reel() const { return adc_reel_; }
  float& adc_reel() { return adc_reel_; }
  const uint8_t& temperature_ntc1() const { return temperature_ntc1_; }
  uint8_t& temperature_ntc1() { return temperature_ntc1_; }
  const uint8_t& temperature_ntc2() const { return temperature_ntc2_; }
  uint8_t& temperature_ntc2() { return temperature_ntc2_; }
  const float& power_v() const { return power_v_; }
  float& power_v() { return power_v_; }
  const float& power_a() const { return power_a_; }
  float& power_a() { return power_a_; }
  const std::array<uint16_t, 4>& fan_frequency() const { return fan_frequency_; }
  std::array<uint16_t, 4>& fan_frequency() { return fan_frequency_; }
  const uint32_t& reserve() const { return reserve_; }
  uint32_t& reserve() { return reserve_; }
  const uint32_t& crc() const { return crc_; }
  uint32_t& crc() { return crc_; }

 private:
  // Compares this layout with the generated C structure (msg/src/layout_check.cpp).
  friend struct LayoutCheck;

  std::array<uint8_t, 2> head_{};
  uint8_t level_flag_{};
  uint8_t frame_reserve_{};
  std::array<uint32_t, 2> sn_{};
  std::array<uint32_t, 2> version_{};
  uint16_t bandwidth_{};
  IMUState_ imu_state_{};
  std::array<MotorState_, 20> motor_state_{};
  BmsState_ bms_state_{};
  std::array<int16_t, 4> foot_force_{};
  std::array<int16_t, 4> foot_force_est_{};
  uint32_t tick_{};
  std::array<uint8_t, 40> wireless_remote_{};
  uint8_t bit_flag_{};
  float adc_reel_{};
  uint8_t temperature_ntc1_{};
  uint8_t temperature_ntc2_{};
  float power_v_{};
  float power_a_{};
  std::array<uint16_t, 4> fan_frequency_{};
  uint32_t reserve_{};
  uint32_t crc_{};
};

}  // namespace quorvel_kesh::msg::dds_

template <>
struct dds::topic::TopicTraits<quorvel_kesh::msg::dds_::LowState_> {
  static constexpr const char* TypeName() { return "quorvel_kesh::msg::dds_::LowState_"; }
  static constexpr bool IsKeyless() { return true; }
  static constexpr bool IsFinal() { return true; }
  static const dds_topic_descriptor_t* Descriptor() { return &quorvel_kesh_msg_dds__LowState__desc; }
};
