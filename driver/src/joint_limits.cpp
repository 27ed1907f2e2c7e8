#include "quorvel/driver/joint_limits.hpp"

#include <cmath>
#include <stdexcept>
#include <string>

namespace quorvel::driver {
namespace {

using containers::MotorCommand;

struct ClampedArray {
  const char* name;
  JointArray MotorCommand::*array;
  const JointArray* lower;  // null: the gain bounds
  const JointArray* upper;
};

void RefuseNaN(const char* name, const JointArray& values) {
  for (uint8_t joint = 0; joint < containers::num_motors; ++joint) {
    if (std::isnan(values[joint])) {
      throw std::invalid_argument(std::string("update_command: ") + name + "[" +
                                  std::to_string(joint) + "] (" + containers::JointName(joint) +
                                  ") is NaN");
    }
  }
}

}  // namespace

float Clamp(float value, float lo, float hi) {
  if (lo > value) {
    return lo;
  }
  return value > hi ? hi : value;
}

MotorCommand ClampCommand(const MotorCommand& command, const JointLimits& limits) {
  const ClampedArray arrays[] = {
      {"q_setpoint", &MotorCommand::q_setpoint, &limits.q_min, &limits.q_max},
      {"qd_setpoint", &MotorCommand::qd_setpoint, &limits.qd_min, &limits.qd_max},
      {"torque_feedforward", &MotorCommand::torque_feedforward, &limits.tau_min,
       &limits.tau_max},
      {"stiffness", &MotorCommand::stiffness, nullptr, nullptr},
      {"damping", &MotorCommand::damping, nullptr, nullptr},
  };
  for (const auto& entry : arrays) {
    RefuseNaN(entry.name, command.*entry.array);
  }
  MotorCommand clamped;
  for (const auto& entry : arrays) {
    for (uint8_t joint = 0; joint < containers::num_motors; ++joint) {
      const float lo = entry.lower ? (*entry.lower)[joint] : GAIN_MIN;
      const float hi = entry.upper ? (*entry.upper)[joint] : GAIN_MAX;
      (clamped.*entry.array)[joint] = Clamp((command.*entry.array)[joint], lo, hi);
    }
  }
  return clamped;
}

}  // namespace quorvel::driver
