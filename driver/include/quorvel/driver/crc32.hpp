// The CRC-32 that closes every command sample: CRC-32/MPEG-2 (polynomial 0x04C11DB7,
// initial value 0xFFFFFFFF, no reflection, no final XOR) over 32-bit words taken most
// significant byte first. QuorvelDriver stamps it over the first 202 words of a LowCmd_.
#pragma once

#include <cstdint>

namespace quorvel::driver {

// Table-driven; the CRC of `count` words starting at `words`. Any thread.
uint32_t Crc32(const uint32_t* words, uint32_t count);

// The same over the first `count` little-endian 32-bit words of a memory image, which
// need not be aligned or be an array of words (a message sample).
uint32_t Crc32OfImage(const void* image, uint32_t count);

// The same CRC computed bit by bit: the reference that tests and benchmarks check against.
uint32_t Crc32BitByBit(const uint32_t* words, uint32_t count);

}  // namespace quorvel::driver
