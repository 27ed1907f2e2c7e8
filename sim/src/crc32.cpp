#include "quorvel/sim/crc32.hpp"

#include <array>

namespace quorvel::sim {
namespace {

constexpr uint32_t kPolynomial = 0x04C11DB7u;

constexpr std::array<uint32_t, 256> MakeTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t byte = 0; byte < 256; ++byte) {
    uint32_t crc = byte << 24;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x80000000u) ? (crc << 1) ^ kPolynomial : crc << 1;
    }
    table[byte] = crc;
  }
  return table;
}

constexpr std::array<uint32_t, 256> kTable = MakeTable();

}  // namespace

uint32_t Crc32Words(const uint32_t* words, uint32_t count) {
  uint32_t crc = 0xFFFFFFFFu;
  for (uint32_t i = 0; i < count; ++i) {
    // Each word enters most significant byte first, whatever its order in memory.
    for (int shift = 24; shift >= 0; shift -= 8) {
      const uint32_t byte = (words[i] >> shift) & 0xFFu;
      crc = (crc << 8) ^ kTable[((crc >> 24) ^ byte) & 0xFFu];
    }
  }
  return crc;
}

}  // namespace quorvel::sim
