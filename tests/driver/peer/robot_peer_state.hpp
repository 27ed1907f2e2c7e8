// The LowState_ sample that robot_peer publishes; the end-to-end tests expect its values
// back from the driver's getters (the Python tests restate them).
#pragma once

#include "quorvel_kesh/msg/dds_/LowState_.hpp"

namespace robot_peer {

inline quorvel_kesh::msg::dds_::LowState_ State() {
  quorvel_kesh::msg::dds_::LowState_ state;
  for (int i = 0; i < 20; ++i) {
    auto& motor = state.motor_state()[i];
    motor.q() = 0.25f * i + 1.0f;
    motor.dq() = -1.0f * i;
    motor.ddq() = 0.5f * i;
    motor.tau_est() = 2.0f * i - 3.0f;
  }
  state.imu_state().quaternion() = {0.5f, 0.5f, 0.5f, 0.5f};
  state.imu_state().gyroscope() = {1.0f, 2.0f, 3.0f};
  state.imu_state().accelerometer() = {4.0f, 5.0f, 6.0f};
  state.imu_state().rpy() = {7.0f, 8.0f, 9.0f};
  state.foot_force() = {10, -20, 30, -40};
  return state;
}

}  // namespace robot_peer
