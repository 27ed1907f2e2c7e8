// LowCmd_: the command sample published on "rt/lowcmd".
// Its memory layout equals the generated C structure (checked at build time), so a
// sample goes to the DDS C library as it is.
#pragma once

#include <array>
#include <cstdint>

#include "quorvel_kesh/msg/dds_/MotorCmd_.hpp"
#include "quorvel_kesh/msg/dds_/BmsCmd_.hpp"
#include "ddscxx/topic/topic_traits.hpp"
#include "quorvel_kesh/msg/dds_/LowCmd_.h"

namespace quorvel_kesh::msg::dds_ {

class LowCmd_ {
 public:
  LowCmd_() = default;

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
  const std::array<MotorCmd_, 20>& motor_cmd() const { return motor_cmd_; }
  std::array<MotorCmd_, 20>& motor_cmd() { return motor_cmd_; }
  const BmsCmd_& bms_cmd() const { return bms_cmd_; }
  BmsCmd_& bms_cmd() { return bms_cmd_; }
  const std::array<uint8_t, 40>& wireless_remote() const { return wireless_remote_; }
  std::array<uint8_t, 40>& wireless_remote() { return wireless_remote_; }
  const std::array<uint8_t, 12>& led() const { return led_; }
  std::array<uint8_t, 12>& led() { return led_; }
  const std::array<uint8_t, 2>& fan() const { return fan_; }
  std::array<uint8_t, 2>& fan() { return fan_; }
  const uint8_t& gpio() const { return gpio_; }
  uint8_t& gpio() { return gpio_; }
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
  std::array<MotorCmd_, 20> motor_cmd_{};
  BmsCmd_ bms_cmd_{};
  std::array<uint8_t, 40> wireless_remote_{};
  std::array<uint8_t, 12> led_{};
  std::array<uint8_t, 2> fan_{};
  uint8_t gpio_{};
  uint32_t reserve_{};
  uint32_t crc_{};
};

}  // namespace quorvel_kesh::msg::dds_

template <>
struct dds::topic::TopicTraits<quorvel_kesh::msg::dds_::LowCmd_> {
  static constexpr const char* TypeName() { return "quorvel_kesh::msg::dds_::LowCmd_"; }
  static constexpr bool IsKeyless() { return true; }
  static constexpr bool IsFinal() { return true; }
  static const dds_topic_descriptor_t* Descriptor() { return &quorvel_kesh_msg_dds__LowCmd__desc; }
};
