// The value containers that QuorvelDriver exchanges with its caller, and the joint map.
// Used by the driver, its Python module quorvel_api and the programs that drive the motors.
// Every 12-element array is indexed by the joint index: 0 to 2 front right abduction, hip,
// knee; 3 to 5 front left; 6 to 8 hind right; 9 to 11 hind left.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

namespace quorvel::containers {

constexpr uint8_t num_motors = 12;

using JointArray = std::array<float, num_motors>;

// Joint name to joint index, ordered by name; built once at load time.
extern const std::map<std::string, uint8_t> MotorID;

// The name of a joint index (0 to 11) as it appears in MotorID.
const std::string& JointName(uint8_t joint);

// One command for the twelve motors. The default stands the robot up: per leg the
// abduction, hip and knee positions 0.0, 0.9, -1.8, everything else 0.
struct MotorCommand {
  JointArray q_setpoint{0.0f, 0.9f, -1.8f, 0.0f, 0.9f, -1.8f,
                        0.0f, 0.9f, -1.8f, 0.0f, 0.9f, -1.8f};
  JointArray qd_setpoint{};
  JointArray torque_feedforward{};
  JointArray stiffness{};
  JointArray damping{};
};

struct MotorState {
  JointArray q{};
  JointArray qd{};
  JointArray qdd{};
  JointArray torque_estimate{};
};

struct IMUState {
  std::array<float, 4> quaternion{};
  std::array<float, 3> gyroscope{};
  std::array<float, 3> accelerometer{};
  std::array<float, 3> rpy{};
};

struct LowState {
  std::array<int16_t, 4> foot_force{};
};

}  // namespace quorvel::containers
