// Clamping of motor commands to the joint limits, and the joint map it walks.
#include "quorvel/driver/joint_limits.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace {

using quorvel::containers::JointArray;
using quorvel::containers::MotorCommand;
using quorvel::containers::MotorID;
using quorvel::driver::ClampCommand;
using quorvel::driver::JointLimits;

constexpr float INF = std::numeric_limits<float>::infinity();
constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

TEST(MotorIdTest, MapsEachNameToItsJointIndex) {
  const std::map<std::string, uint8_t> expected = {
      {"Front_Right_Abduction", 0}, {"Front_Right_Hip", 1}, {"Front_Right_Knee", 2},
      {"Front_Left_Abduction", 3},  {"Front_Left_Hip", 4},  {"Front_Left_Knee", 5},
      {"Hind_Right_Abduction", 6},  {"Hind_Right_Hip", 7},  {"Hind_Right_Knee", 8},
      {"Hind_Left_Abduction", 9},   {"Hind_Left_Hip", 10},  {"Hind_Left_Knee", 11}};
  EXPECT_EQ(MotorID, expected);
  EXPECT_EQ(quorvel::containers::JointName(7), "Hind_Right_Hip");
  EXPECT_THROW(quorvel::containers::JointName(12), std::out_of_range);
}

TEST(MotorCommandTest, DefaultStandsTheRobotUp) {
  const MotorCommand command;
  for (int leg = 0; leg < 4; ++leg) {
    EXPECT_EQ(command.q_setpoint[3 * leg], 0.0f);
    EXPECT_EQ(command.q_setpoint[3 * leg + 1], 0.9f);
    EXPECT_EQ(command.q_setpoint[3 * leg + 2], -1.8f);
  }
  const JointArray zeros{};
  EXPECT_EQ(command.qd_setpoint, zeros);
  EXPECT_EQ(command.torque_feedforward, zeros);
  EXPECT_EQ(command.stiffness, zeros);
  EXPECT_EQ(command.damping, zeros);
}

struct ClampCase {
  const char* what;
  JointArray MotorCommand::*array;
  int joint;
  float given;
  float stored;
};

class ClampCommandTest : public testing::TestWithParam<ClampCase> {};

TEST_P(ClampCommandTest, StoresTheValueClampedToItsJointsBounds) {
  const ClampCase& c = GetParam();
  MotorCommand command;
  (command.*c.array)[c.joint] = c.given;
  const MotorCommand given = command;

  const MotorCommand clamped = ClampCommand(command, JointLimits{});

  EXPECT_EQ((clamped.*c.array)[c.joint], c.stored) << c.what;
  EXPECT_EQ((command.*c.array)[c.joint], (given.*c.array)[c.joint]) << "argument changed";
}

INSTANTIATE_TEST_SUITE_P(
    Table, ClampCommandTest,
    testing::Values(
        ClampCase{"front hip above q_max", &MotorCommand::q_setpoint, 1, 5.0f, 3.4907f},
        ClampCase{"hind hip below q_min", &MotorCommand::q_setpoint, 7, -5.0f, -0.5236f},
        ClampCase{"knee range lies below zero", &MotorCommand::q_setpoint, 2, 0.0f, -0.83776f},
        ClampCase{"knee below q_min", &MotorCommand::q_setpoint, 11, -3.0f, -2.7227f},
        ClampCase{"abduction within range", &MotorCommand::q_setpoint, 9, 0.5f, 0.5f},
        ClampCase{"hind hip upper bound", &MotorCommand::q_setpoint, 10, 4.6f, 4.5379f},
        ClampCase{"abduction +inf", &MotorCommand::q_setpoint, 0, INF, 1.0472f},
        ClampCase{"abduction -inf", &MotorCommand::q_setpoint, 3, -INF, -1.0472f},
        ClampCase{"velocity above", &MotorCommand::qd_setpoint, 4, 11.0f, 10.0f},
        ClampCase{"velocity -inf", &MotorCommand::qd_setpoint, 5, -INF, -10.0f},
        ClampCase{"knee torque", &MotorCommand::torque_feedforward, 2, 50.0f, 45.3f},
        ClampCase{"hip torque", &MotorCommand::torque_feedforward, 1, 50.0f, 23.7f},
        ClampCase{"knee torque -inf", &MotorCommand::torque_feedforward, 8, -INF, -45.3f},
        ClampCase{"negative stiffness", &MotorCommand::stiffness, 6, -1.0f, 0.0f},
        ClampCase{"stiffness +inf", &MotorCommand::stiffness, 6, INF, 100.0f},
        ClampCase{"stiffness within", &MotorCommand::stiffness, 6, 42.5f, 42.5f},
        ClampCase{"damping above", &MotorCommand::damping, 11, 150.0f, 100.0f},
        ClampCase{"damping -inf", &MotorCommand::damping, 0, -INF, 0.0f}));

struct NaNCase {
  JointArray MotorCommand::*array;
  int joint;
  const char* message_part;
};

class ClampCommandNaNTest : public testing::TestWithParam<NaNCase> {};

TEST_P(ClampCommandNaNTest, RefusesNaNNamingArrayAndJoint) {
  const NaNCase& c = GetParam();
  MotorCommand command;
  (command.*c.array)[c.joint] = NaN;
  try {
    ClampCommand(command, JointLimits{});
    FAIL() << "a NaN passed: " << c.message_part;
  } catch (const std::invalid_argument& error) {
    EXPECT_THAT(error.what(), testing::HasSubstr(c.message_part));
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryArray, ClampCommandNaNTest,
    testing::Values(NaNCase{&MotorCommand::q_setpoint, 0, "q_setpoint[0] (Front_Right_Abduction)"},
                    NaNCase{&MotorCommand::qd_setpoint, 11, "qd_setpoint[11] (Hind_Left_Knee)"},
                    NaNCase{&MotorCommand::torque_feedforward, 5,
                            "torque_feedforward[5] (Front_Left_Knee)"},
                    NaNCase{&MotorCommand::stiffness, 7, "stiffness[7] (Hind_Right_Hip)"},
                    NaNCase{&MotorCommand::damping, 2, "damping[2] (Front_Right_Knee)"}));

}  // namespace
