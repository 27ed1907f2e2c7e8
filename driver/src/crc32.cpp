#include "quorvel/driver/crc32.hpp"

#include <array>
#include <cstring>

namespace quorvel::driver {
namespace {

constexpr uint32_t POLY = 0x04C11DB7u;

// tables[k][b]: the CRC register after shifting in byte b followed by k zero bytes. Sixteen
// bytes (four words) then become sixteen independent lookups (slicing by sixteen), which
// keeps the chain of dependent loads short.
using Tables = std::array<std::array<uint32_t, 256>, 16>;

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
    for (size_t k = 1; k < tables.size(); ++k) {
      const uint32_t prev = tables[k - 1][byte];
      tables[k][byte] = (prev << 8) ^ tables[0][prev >> 24];
    }
  }
  return tables;
}

constexpr Tables TABLES = MakeTables();

uint32_t Slice(const std::array<uint32_t, 256>& high, const std::array<uint32_t, 256>& upper,
               const std::array<uint32_t, 256>& lower, const std::array<uint32_t, 256>& low,
               uint32_t word) {
  return high[word >> 24] ^ upper[(word >> 16) & 0xFF] ^ lower[(word >> 8) & 0xFF] ^
         low[word & 0xFF];
}

uint32_t FourWords(uint32_t crc, const uint32_t (&words)[4]) {
  return Slice(TABLES[15], TABLES[14], TABLES[13], TABLES[12], crc ^ words[0]) ^
         Slice(TABLES[11], TABLES[10], TABLES[9], TABLES[8], words[1]) ^
         Slice(TABLES[7], TABLES[6], TABLES[5], TABLES[4], words[2]) ^
         Slice(TABLES[3], TABLES[2], TABLES[1], TABLES[0], words[3]);
}

uint32_t OneWord(uint32_t crc, uint32_t word) {
  return Slice(TABLES[3], TABLES[2], TABLES[1], TABLES[0], crc ^ word);
}

uint32_t LoadWord(const unsigned char* bytes) {
  uint32_t word;
  std::memcpy(&word, bytes, sizeof(word));
  return word;
}

}  // namespace

uint32_t Crc32(const uint32_t* words, uint32_t count) {
  return Crc32OfImage(words, count);
}

uint32_t Crc32OfImage(const void* image, uint32_t count) {
  const auto* bytes = static_cast<const unsigned char*>(image);
  uint32_t crc = 0xFFFFFFFFu;
  uint32_t i = 0;
  for (; i + 4 <= count; i += 4) {
    uint32_t words[4];
    std::memcpy(words, bytes + 4 * i, sizeof(words));
    crc = FourWords(crc, words);
  }
  for (; i < count; ++i) {
    crc = OneWord(crc, LoadWord(bytes + 4 * i));
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
