// The simulator checks commands over exactly the driver's CRC image: bytes 0 to 807.
#include "quorvel/sim/sample_crc.hpp"

#include <gtest/gtest.h>

namespace quorvel::sim {
namespace {

using quorvel_kesh::msg::dds_::LowCmd_;
using quorvel_kesh::msg::dds_::LowState_;

TEST(SampleCrcTest, CommandCrcMatchesTheDriversCheckValuesAndSkipsTheCrcMember) {
  LowCmd_ command{};
  EXPECT_EQ(CommandCrc(command), 0x4B5A4880u) << "202 zero words";
  command.head() = {0xFE, 0xEF};
  command.level_flag() = 0xFF;
  for (auto& motor : command.motor_cmd()) {
    motor.mode() = 1;
    motor.q() = 2.146e9f;
    motor.dq() = 16000.0f;
  }
  EXPECT_EQ(CommandCrc(command), 0x06E577CDu) << "the driver's start values";
  command.crc() = 0x12345678u;
  EXPECT_EQ(CommandCrc(command), 0x06E577CDu) << "the crc member is not part of its image";
}

TEST(SampleCrcTest, StateCrcCoversTheLastFieldBeforeTheCrc) {
  LowState_ state{};
  const uint32_t zero = StateCrc(state);
  state.reserve() = 1;
  EXPECT_NE(StateCrc(state), zero);
  state.reserve() = 0;
  state.crc() = 7;
  EXPECT_EQ(StateCrc(state), zero);
}

}  // namespace
}  // namespace quorvel::sim
