#include "quorvel/driver/crc32.hpp"

#include <array>

namespace quorvel::driver {
namespace {

constexpr uint32_t POLY = 0x04C11DB7u;

// tables[k][b]: the CRC register after shifting in byte b followed by k zero bytes, so a
// whole word is four independent lookups (slicing by four).
using Tables = std::array<std::array<uint32_t, 256>, 4>;

constexpr Tables MakeTables() {
  Tables tables{};
  for (uint32_t byte = 0; byte < 256; ++byte) {
    uint32_t crc = byte << 24;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x80000000u) ? (crc << 1) ^ POLY : crc << 1;
    }
    tables[0][byte] = crc;
  }
  for (uint32_t byte = 0; byte < 256; ++byte) {
    for (int k = 1; k < 4; ++k) {
      const uint32_t prev = tables[k - 1][byte];
      tables[k][byte] = (prev << 8) ^ tables[0][prev >> 24];
    }
  }
  return tables;
}

constexpr Tables TABLES = MakeTables();

}  // namespace

uint32_t Crc32(const uint32_t* words, uint32_t count) {
  uint32_t crc = 0xFFFFFFFFu;
  for (uint32_t i = 0; i < count; ++i) {
    crc ^= words[i];
    crc = TABLES[3][crc >> 24] ^ TABLES[2][(crc >> 16) & 0xFF] ^ TABLES[1][(crc >> 8) & 0xFF] ^
          TABLES[0][crc & 0xFF];
  }
  return crc;
}

uint32_t Crc32BitByBit(const uint32_t* words, uint32_t count) {
  uint32_t crc = 0xFFFFFFFFu;
  for (uint32_t i = 0; i < count; ++i) {
    for (int bit = 31; bit >= 0; --bit) {
      crc = (crc & 0x80000000u) ? (crc << 1) ^ POLY : crc << 1;
      if ((words[i] >> bit) & 1u) {
        crc ^= POLY;
      }
    }
  }
  return crc;
}

}  // namespace quorvel::driver
