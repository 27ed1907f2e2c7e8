// The fixed per-joint limits of the leg motors and the clamping of a motor command to them.
// QuorvelDriver clamps every command it is handed with ClampCommand before it is published.
#pragma once

#include "quorvel/driver/containers.hpp"

namespace quorvel::driver {

using containers::JointArray;

// Position (rad), velocity (rad/s) and torque (N m) bounds per joint index. The knee's
// position range lies wholly below zero.
struct JointLimits {
  JointArray q_min{-1.0472f, -1.5708f, -2.7227f, -1.0472f, -1.5708f, -2.7227f,
                   -1.0472f, -0.5236f, -2.7227f, -1.0472f, -0.5236f, -2.7227f};
  JointArray q_max{1.0472f, 3.4907f, -0.83776f, 1.0472f, 3.4907f, -0.83776f,
                   1.0472f, 4.5379f, -0.83776f, 1.0472f, 4.5379f, -0.83776f};
  JointArray qd_min{-10.0f, -10.0f, -10.0f, -10.0f, -10.0f, -10.0f,
                    -10.0f, -10.0f, -10.0f, -10.0f, -10.0f, -10.0f};
  JointArray qd_max{10.0f, 10.0f, 10.0f, 10.0f, 10.0f, 10.0f,
                    10.0f, 10.0f, 10.0f, 10.0f, 10.0f, 10.0f};
  JointArray tau_min{-23.7f, -23.7f, -45.3f, -23.7f, -23.7f, -45.3f,
                     -23.7f, -23.7f, -45.3f, -23.7f, -23.7f, -45.3f};
  JointArray tau_max{23.7f, 23.7f, 45.3f, 23.7f, 23.7f, 45.3f,
                     23.7f, 23.7f, 45.3f, 23.7f, 23.7f, 45.3f};
};

// Bounds of both gains, stiffness and damping, for every joint.
constexpr float GAIN_MIN = 0.0f;
constexpr float GAIN_MAX = 100.0f;

// lo if v < lo, hi if v > hi, else v; infinities clamp like any other value.
float Clamp(float value, float lo, float hi);

// Returns `command` with every element clamped to its joint's bounds. Throws
// std::invalid_argument naming the array and the joint when any element is NaN, so that a
// NaN set-point, gain or torque never reaches a motor.
containers::MotorCommand ClampCommand(const containers::MotorCommand& command,
                                      const JointLimits& limits);

}  // namespace quorvel::driver
