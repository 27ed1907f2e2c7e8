// Where every member of the two topic types lies, in memory and in both serialised forms,
// with helpers that give each member a value of its own and build big-endian twins of samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace msg_test {

// One member (an array counted as `count` elements of `width` bytes). The serialised
// offsets count from the start of the payload, after the 4-byte encapsulation header.
struct WireField {
  std::string name;
  size_t memory_offset;
  size_t plain_offset;
  size_t xcdr2_offset;
  size_t width;
  size_t count;
};

struct WireLayout {
  std::vector<WireField> fields;
  size_t plain_size;       // payload bytes in plain CDR
  size_t xcdr2_size;       // payload bytes in XCDR2
  size_t dheader_offset;   // XCDR2 offset of the record array's length word
  uint32_t dheader_value;  // its value, the record array's length in bytes
};

const WireLayout& LowCmdWire();
const WireLayout& LowStateWire();

// Gives every element of every field a value no other element has, with no zero byte;
// 4-byte values are normal floats, so they survive any float handling.
void FillDistinct(const WireLayout& layout, void* sample);

// The big-endian twin of a little-endian serialised sample (header included).
std::vector<uint8_t> ToBigEndian(const WireLayout& layout, const std::vector<uint8_t>& little,
                                 bool xcdr2);

}  // namespace msg_test
