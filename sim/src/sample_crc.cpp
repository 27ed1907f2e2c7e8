#include "quorvel/sim/sample_crc.hpp"

#include <cstring>

#include "quorvel/driver/crc32.hpp"

namespace quorvel::sim {
namespace {

// The image is copied into words, since a sample is not an array of uint32_t.
template <typename Sample>
uint32_t ImageCrc(const Sample& sample) {
  static_assert(sizeof(Sample) % 4 == 0, "a CRC image is a whole number of words");
  constexpr uint32_t count = sizeof(Sample) / 4 - 1;
  uint32_t words[count];
  std::memcpy(words, &sample, sizeof(words));
  return driver::Crc32(words, count);
}

}  // namespace

uint32_t CommandCrc(const quorvel_kesh::msg::dds_::LowCmd_& command) { return ImageCrc(command); }

uint32_t StateCrc(const quorvel_kesh::msg::dds_::LowState_& state) { return ImageCrc(state); }

}  // namespace quorvel::sim
