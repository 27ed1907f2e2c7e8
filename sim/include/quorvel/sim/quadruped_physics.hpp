// The simulated robot's body: a MuJoCo model of a 12-joint quadruped on a floor, driven
// by the motors' law from held joint commands, and read back as a state sample.
// Used by the simulator's loop and by tests that check the model without DDS.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"
#include "quorvel_kesh/msg/dds_/LowState_.hpp"

struct mjModel_;
struct mjData_;

namespace quorvel::sim {

constexpr int kJointCount = 12;

// One motor's set-points and gains, as a command record carries them.
struct JointTarget {
  double q = 0.0;
  double dq = 0.0;
  double kp = 0.0;
  double kd = 0.0;
  double tau = 0.0;
};
using JointTargets = std::array<JointTarget, kJointCount>;

// Targets of records 0 to 11 of a command sample, by joint index.
JointTargets TargetsFromCommand(const quorvel_kesh::msg::dds_::LowCmd_& command);

class QuadrupedPhysics {
 public:
  // Loads the MJCF model at `model_path` and puts the robot in its "lying" key frame,
  // limp. Throws CommonException when the file does not load or lacks a joint, a motor
  // with a torque limit, a sensor or a value that the simulator needs.
  explicit QuadrupedPhysics(const std::string& model_path);
  ~QuadrupedPhysics();
  QuadrupedPhysics(const QuadrupedPhysics&) = delete;
  QuadrupedPhysics& operator=(const QuadrupedPhysics&) = delete;

  // Holds `targets` for every following step.
  void Hold(const JointTargets& targets);
  // Drops the held targets: every motor gives zero torque.
  void Release();

  // Advances the physics by one model time step. Per joint the motor gives
  // kp*(q - q_meas) + kd*(dq - dq_meas) + tau, clamped to the motor's torque limit; a
  // torque that is not a number (from NaN or infinite inputs) becomes zero.
  void Step();
  double TimeStep() const;
  double SimulatedTime() const;

  // Writes joints, IMU, foot forces, tick and CRC into `state`; the fields the robot
  // does not simulate keep their values.
  void FillState(quorvel_kesh::msg::dds_::LowState_& state) const;

  double TrunkHeight() const;
  double RobotMass() const;
  // The trunk heights (metres) that the model calls standing, and its standing pose
  // of one leg (abduction, hip, knee).
  std::array<double, 2> StandingHeightBand() const;
  std::array<double, 3> StandingLegPose() const;
  double JointPosition(int joint) const;
  double MotorTorqueLimit(int joint) const;

 private:
  double MotorTorque(int joint) const;

  mjModel_* model_ = nullptr;
  mjData_* data_ = nullptr;
  bool holding_ = false;
  JointTargets targets_{};
  std::array<int, kJointCount> qpos_address_{};
  std::array<int, kJointCount> dof_address_{};
  std::array<int, kJointCount> motor_{};
  std::array<int, 4> foot_sensor_address_{};
  int gyro_address_ = 0;
  int accelerometer_address_ = 0;
  int trunk_body_ = 0;
  std::array<double, 2> standing_band_{};
  std::array<double, 3> standing_pose_{};
};

}  // namespace quorvel::sim
