// The command sample: start values, one cycle's copy of a command, and the CRC over its image.
#include "quorvel/driver/command_sample.hpp"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using quorvel::containers::MotorCommand;
using quorvel::driver::CommandSampleCrc;
using quorvel::driver::InitCommandSample;
using quorvel::driver::WriteCommandSample;
using quorvel_kesh::msg::dds_::LowCmd_;

void ExpectStopRecord(const LowCmd_& sample, int record) {
  const auto& motor = sample.motor_cmd()[record];
  EXPECT_EQ(motor.mode(), 1) << record;
  EXPECT_EQ(motor.q(), 2.146e9f) << record;
  EXPECT_EQ(motor.dq(), 16000.0f) << record;
  EXPECT_EQ(motor.kp(), 0.0f) << record;
  EXPECT_EQ(motor.kd(), 0.0f) << record;
  EXPECT_EQ(motor.tau(), 0.0f) << record;
}

TEST(CommandSampleTest, ZeroImageHasItsCrc) {
  const LowCmd_ sample{};
  EXPECT_EQ(CommandSampleCrc(sample), 0x4B5A4880u);
}

TEST(CommandSampleTest, StartValuesOverwriteEveryEarlierByte) {
  LowCmd_ sample;
  std::memset(static_cast<void*>(&sample), 0xA5, sizeof(sample));

  InitCommandSample(sample);

  EXPECT_EQ(sample.head()[0], 0xFE);
  EXPECT_EQ(sample.head()[1], 0xEF);
  EXPECT_EQ(sample.level_flag(), 0xFF);
  EXPECT_EQ(sample.gpio(), 0);
  for (int record = 0; record < 20; ++record) {
    ExpectStopRecord(sample, record);
  }
  // Every other field and every padding byte is zero again, so the CRC is the known one.
  EXPECT_EQ(CommandSampleCrc(sample), 0x06E577CDu);
  EXPECT_EQ(sample.crc(), 0u);
}

TEST(CommandSampleTest, DefaultCommandGivesTheFirstSampleOfAFreshDriver) {
  LowCmd_ sample;
  InitCommandSample(sample);

  WriteCommandSample(MotorCommand{}, sample);

  EXPECT_EQ(sample.crc(), 0x76FB9DDBu);
  EXPECT_EQ(sample.motor_cmd()[4].q(), 0.9f);
  EXPECT_EQ(sample.motor_cmd()[11].q(), -1.8f);
}

TEST(CommandSampleTest, CopiesJointsIntoTheirRecordsAndLeavesTheRestAtStopValues) {
  MotorCommand command;
  for (int joint = 0; joint < 12; ++joint) {
    command.q_setpoint[joint] = 0.1f * joint;
    command.qd_setpoint[joint] = 1.0f + joint;
    command.torque_feedforward[joint] = 2.0f + joint;
    command.stiffness[joint] = 3.0f + joint;
    command.damping[joint] = 4.0f + joint;
  }
  LowCmd_ sample;
  InitCommandSample(sample);

  WriteCommandSample(command, sample);

  for (int joint = 0; joint < 12; ++joint) {
    const auto& motor = sample.motor_cmd()[joint];
    EXPECT_EQ(motor.mode(), 1);
    EXPECT_EQ(motor.q(), command.q_setpoint[joint]);
    EXPECT_EQ(motor.dq(), command.qd_setpoint[joint]);
    EXPECT_EQ(motor.tau(), command.torque_feedforward[joint]);
    EXPECT_EQ(motor.kp(), command.stiffness[joint]);
    EXPECT_EQ(motor.kd(), command.damping[joint]);
  }
  for (int record = 12; record < 20; ++record) {
    ExpectStopRecord(sample, record);
  }
  EXPECT_EQ(sample.crc(), CommandSampleCrc(sample));
  EXPECT_NE(sample.crc(), 0x76FB9DDBu);
}

}  // namespace
