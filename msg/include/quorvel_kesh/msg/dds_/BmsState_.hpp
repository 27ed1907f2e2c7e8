// BmsState_: battery-management state inside LowState_.
// Its memory layout equals the generated C structure (checked at build time), so a
// sample goes to the DDS C library as it is.
#pragma once

#include <array>
#include <cstdint>

namespace quorvel_kesh::msg::dds_ {

class BmsState_ {
 public:
  BmsState_() = default;

  const uint8_t& version_high() const { return version_high_; }
  uint8_t& version_high() { return version_high_; }
  const uint8_t& version_low() const { return version_low_; }
  uint8_t& version_low() { return version_low_; }
  const uint8_t& status() const { return status_; }
  uint8_t& status() { return status_; }
  const uint8_t& soc() const { return soc_; }
  uint8_t& soc() { return soc_; }
  const int32_t& current() const { return current_; }
  int32_t& current() { return current_; }
  const uint16_t& cycle() const { return cycle_; }
  uint16_t& cycle() { return cycle_; }
  const std::array<uint8_t, 2>& bq_ntc() const { return bq_ntc_; }
  std::array<uint8_t, 2>& bq_ntc() { return bq_ntc_; }
  const std::array<uint8_t, 2>& mcu_ntc() const { return mcu_ntc_; }
  std::array<uint8_t, 2>& mcu_ntc() { return mcu_ntc_; }
  const std::array<uint16_t, 15>& cell_vol() const { return cell_vol_; }
  std::array<uint16_t, 15>& cell_vol() { return cell_vol_; }

 private:
  // Compares this layout with the generated C structure (msg/src/layout_check.cpp).
  friend struct LayoutCheck;

  uint8_t version_high_{};
  uint8_t version_low_{};
  uint8_t status_{};
  uint8_t soc_{};
  int32_t current_{};
  uint16_t cycle_{};
  std::array<uint8_t, 2> bq_ntc_{};
  std::array<uint8_t, 2> mcu_ntc_{};
  std::array<uint16_t, 15> cell_vol_{};
};

}  // namespace quorvel_kesh::msg::dds_
