#include "quorvel/sim/sample_crc.hpp"

#include "quorvel/driver/crc32.hpp"

namespace quorvel::sim {
namespace {

template <typename Sample>
uint32_t ImageCrc(const Sample& sample) {
  static_assert(sizeof(Sample) % 4 == 0, "a CRC image is a whole number of words");
  return driver::Crc32OfImage(&sample, sizeof(Sample) / 4 - 1);
}

}  // namespace

uint32_t CommandCrc(const quorvel_kesh::msg::dds_::LowCmd_& command) { return ImageCrc(command); }

uint32_t StateCrc(const quorvel_kesh::msg::dds_::LowState_& state) { return ImageCrc(state); }

}  // namespace quorvel::sim
