// CRC-32/MPEG-2 over a sample's memory image, read as little-endian 32-bit words: the
// check that the robot applies to every command and stamps into every state sample.
// Used by the simulated robot to accept commands and to close its state samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quorvel::sim {

// Polynomial 0x04C11DB7, initial value 0xFFFFFFFF, no reflection, no final XOR, over
// `count` words. Any thread may call it.
uint32_t Crc32Words(const uint32_t* words, uint32_t count);

// The CRC of every byte of `sample` before its trailing 32-bit `crc` member.
template <typename Sample>
uint32_t SampleCrc(const Sample& sample) {
  static_assert(sizeof(Sample) % 4 == 0, "a CRC image is a whole number of words");
  constexpr uint32_t count = sizeof(Sample) / 4 - 1;
  uint32_t words[count];
  std::memcpy(words, &sample, sizeof(words));
  return Crc32Words(words, count);
}

}  // namespace quorvel::sim
