// BmsCmd_: battery-management command inside LowCmd_.
// Its memory layout equals the generated C structure (checked at build time), so a
// sample goes to the DDS C library as it is.
#pragma once

#include <array>
#include <cstdint>

namespace quorvel_kesh::msg::dds_ {

class BmsCmd_ {
 public:
  BmsCmd_() = default;

  const uint8_t& off() const { return off_; }
  uint8_t& off() { return off_; }
  const std::array<uint8_t, 3>& reserve() const { return reserve_; }
  std::array<uint8_t, 3>& reserve() { return reserve_; }

 private:
  // Compares this layout with the generated C structure (msg/src/layout_check.cpp).
  friend struct LayoutCheck;

  uint8_t off_{};
  std::array<uint8_t, 3> reserve_{};
};

}  // namespace quorvel_kesh::msg::dds_
