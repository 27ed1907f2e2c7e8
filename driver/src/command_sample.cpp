#include "quorvel/driver/command_sample.hpp"

#include <cstring>
#include <type_traits>

#include "quorvel/driver/crc32.hpp"

namespace quorvel::driver {

using quorvel_kesh::msg::dds_::LowCmd_;

static_assert(std::is_trivially_copyable_v<LowCmd_>, "the CRC reads the sample's memory image");
static_assert(sizeof(LowCmd_) == (CRC_WORDS + 1) * sizeof(uint32_t), "crc closes the image");
static_assert(alignof(LowCmd_) >= alignof(uint32_t), "the image is read as 32-bit words");

void InitCommandSample(LowCmd_& sample) {
  // Zero every byte, padding included: the CRC covers the padding too.
  std::memset(static_cast<void*>(&sample), 0, sizeof(sample));
  sample.head() = {0xFE, 0xEF};
  sample.level_flag() = 0xFF;
  sample.gpio() = 0;
  for (auto& record : sample.motor_cmd()) {
    record.mode() = 1;
    record.q() = static_cast<float>(START_Q);
    record.dq() = static_cast<float>(START_DQ);
    record.kp() = 0;
    record.kd() = 0;
    record.tau() = 0;
  }
}

void WriteCommandSample(const containers::MotorCommand& command, LowCmd_& sample) {
  for (uint8_t joint = 0; joint < containers::num_motors; ++joint) {
    auto& record = sample.motor_cmd()[joint];
    record.q() = command.q_setpoint[joint];
    record.dq() = command.qd_setpoint[joint];
    record.kp() = command.stiffness[joint];
    record.kd() = command.damping[joint];
    record.tau() = command.torque_feedforward[joint];
  }
  sample.crc() = CommandSampleCrc(sample);
}

uint32_t CommandSampleCrc(const LowCmd_& sample) { return Crc32OfImage(&sample, CRC_WORDS); }

}  // namespace quorvel::driver
