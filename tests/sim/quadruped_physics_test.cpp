// The robot model and the motor law, without DDS: the model stands under a PD hold, is
// limp without one, clamps torques to its motor limits and survives bad numbers.
#include "quorvel/sim/quadruped_physics.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "quorvel/common/exception.hpp"
#include "quorvel/sim/sample_crc.hpp"

namespace quorvel::sim {
namespace {

using quorvel_kesh::msg::dds_::LowState_;

constexpr double kLyingKnee = -2.6;

JointTargets PoseTargets(const std::array<double, 3>& leg, double kp, double kd) {
  JointTargets targets{};
  for (int joint = 0; joint < kJointCount; ++joint) {
    targets[joint] = {leg[joint % 3], 0.0, kp, kd, 0.0};
  }
  return targets;
}

void Simulate(QuadrupedPhysics& physics, double seconds) {
  const int steps = static_cast<int>(seconds / physics.TimeStep());
  for (int i = 0; i < steps; ++i) {
    physics.Step();
  }
}

// Ramps every joint from its current position to `leg` over `seconds`, as a stand-up
// controller does, then holds.
void RampTo(QuadrupedPhysics& physics, const std::array<double, 3>& leg, double seconds) {
  std::array<double, kJointCount> start{};
  for (int joint = 0; joint < kJointCount; ++joint) start[joint] = physics.JointPosition(joint);
  const int steps = static_cast<int>(seconds / physics.TimeStep());
  for (int i = 1; i <= steps; ++i) {
    const double s = static_cast<double>(i) / steps;
    JointTargets targets = PoseTargets(leg, 60.0, 3.0);
    for (int joint = 0; joint < kJointCount; ++joint) {
      targets[joint].q = start[joint] + s * (leg[joint % 3] - start[joint]);
    }
    physics.Hold(targets);
    physics.Step();
  }
}

class QuadrupedPhysicsTest : public ::testing::Test {
 protected:
  QuadrupedPhysics physics{QUORVEL_SIM_MODEL};
};

TEST_F(QuadrupedPhysicsTest, StandsUpFromLyingUnderModerateGains) {
  Simulate(physics, 0.5);
  const auto band = physics.StandingHeightBand();
  ASSERT_LT(physics.TrunkHeight(), band[0]) << "the robot starts lying";

  RampTo(physics, {0.0, 1.2, kLyingKnee}, 1.0);
  RampTo(physics, physics.StandingLegPose(), 2.0);
  Simulate(physics, 1.0);

  EXPECT_GE(physics.TrunkHeight(), band[0]);
  EXPECT_LE(physics.TrunkHeight(), band[1]);
  for (int joint = 0; joint < kJointCount; ++joint) {
    EXPECT_NEAR(physics.JointPosition(joint), physics.StandingLegPose()[joint % 3], 0.1)
        << "joint " << joint;
  }
  LowState_ state{};
  physics.FillState(state);
  double total_force = 0;
  for (int16_t force : state.foot_force()) {
    EXPECT_GT(force, 5) << "every foot carries weight";
    total_force += force;
  }
  EXPECT_NEAR(total_force, 9.81 * physics.RobotMass(), 10.0) << "the feet carry the robot's weight";
  EXPECT_NEAR(state.imu_state().accelerometer()[2], 9.81, 0.5);
  EXPECT_NEAR(state.imu_state().quaternion()[0], 1.0, 0.01);
  EXPECT_EQ(state.crc(), StateCrc(state));
}

TEST_F(QuadrupedPhysicsTest, WithoutCommandsTheJointsAreLimp) {
  physics.Hold(PoseTargets(physics.StandingLegPose(), 60.0, 3.0));
  physics.Release();
  Simulate(physics, 1.0);
  LowState_ state{};
  physics.FillState(state);
  for (int joint = 0; joint < kJointCount; ++joint) {
    EXPECT_EQ(state.motor_state()[joint].tau_est(), 0.0f) << "joint " << joint;
  }
  EXPECT_LT(physics.TrunkHeight(), physics.StandingHeightBand()[0]);
}

TEST_F(QuadrupedPhysicsTest, TorqueIsClampedToTheMotorLimitAndBadNumbersGiveNone) {
  struct Case {
    const char* name;
    JointTarget target;
    float abduction_torque;  // expected for joint 0 (limit 23.7)
    float knee_torque;       // expected for joint 2 (limit 45.3)
  };
  const double nan = std::nan("");
  const Case cases[] = {
      {"feed-forward above the limit", {0, 0, 0, 0, 500.0}, 23.7f, 45.3f},
      {"feed-forward below the limit", {0, 0, 0, 0, -500.0}, -23.7f, -45.3f},
      {"feed-forward within the limit", {0, 0, 0, 0, 10.0}, 10.0f, 10.0f},
      {"stiffness far from target", {-100.0, 0, 100.0, 0, 0}, -23.7f, -45.3f},
      {"NaN set-point", {nan, 0, 10.0, 0, 0}, 0.0f, 0.0f},
      {"infinite feed-forward", {0, 0, 0, 0, INFINITY}, 0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    QuadrupedPhysics fresh{QUORVEL_SIM_MODEL};
    JointTargets targets{};
    targets.fill(c.target);
    fresh.Hold(targets);
    fresh.Step();
    LowState_ state{};
    fresh.FillState(state);
    EXPECT_NEAR(state.motor_state()[0].tau_est(), c.abduction_torque, 1e-4) << c.name;
    EXPECT_NEAR(state.motor_state()[2].tau_est(), c.knee_torque, 1e-4) << c.name;
    EXPECT_TRUE(std::isfinite(fresh.TrunkHeight())) << c.name;
  }
}

TEST(QuadrupedPhysicsModelTest, AModelWithoutTheRobotsJointsIsRejected) {
  const std::string path = ::testing::TempDir() + "quorvel_sim_empty_model.xml";
  std::ofstream(path) << "<mujoco><worldbody><geom type=\"plane\" size=\"1 1 1\"/>"
                         "</worldbody></mujoco>";
  try {
    QuadrupedPhysics physics{path};
    ADD_FAILURE() << "a model without joints was accepted";
  } catch (const common::CommonException& e) {
    EXPECT_NE(std::string(e.what()).find("Front_Right_Abduction"), std::string::npos) << e.what();
  }
  std::remove(path.c_str());
  EXPECT_THROW(QuadrupedPhysics{"/nonexistent/model.xml"}, common::CommonException);
}

}  // namespace
}  // namespace quorvel::sim
