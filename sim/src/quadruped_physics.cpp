#include "quorvel/sim/quadruped_physics.hpp"

#include <mujoco/mujoco.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "quorvel/common/exception.hpp"
#include "quorvel/driver/containers.hpp"
#include "quorvel/sim/sample_crc.hpp"

namespace quorvel::sim {
namespace {

using quorvel::common::CommonException;
using quorvel_kesh::msg::dds_::LowCmd_;
using quorvel_kesh::msg::dds_::LowState_;

// Foot sensors in the order of the state's foot_force array.
const std::array<const char*, 4> kFootSensors = {"Front_Right_foot", "Front_Left_foot",
                                                 "Hind_Right_foot", "Hind_Left_foot"};

int RequireId(const mjModel* model, mjtObj type, const char* name, const char* what) {
  const int id = mj_name2id(model, type, name);
  if (id < 0) {
    QV_THROW(CommonException, std::string("the robot model has no ") + what + " \"" + name + "\"");
  }
  return id;
}

template <size_t N>
std::array<double, N> RequireNumeric(const mjModel* model, const char* name) {
  const int id = RequireId(model, mjOBJ_NUMERIC, name, "numeric");
  if (model->numeric_size[id] != static_cast<int>(N)) {
    QV_THROW(CommonException, std::string("the robot model's numeric \"") + name + "\" has " +
                                  std::to_string(model->numeric_size[id]) + " values, expected " +
                                  std::to_string(N));
  }
  std::array<double, N> values{};
  std::copy_n(model->numeric_data + model->numeric_adr[id], N, values.begin());
  return values;
}

int16_t ToInt16(double value) {
  const double limited = std::clamp(std::round(value), -32768.0, 32767.0);
  return static_cast<int16_t>(limited);
}

}  // namespace

JointTargets TargetsFromCommand(const LowCmd_& command) {
  JointTargets targets{};
  for (int joint = 0; joint < kJointCount; ++joint) {
    const auto& record = command.motor_cmd()[joint];
    targets[joint] = {record.q(), record.dq(), record.kp(), record.kd(), record.tau()};
  }
  return targets;
}

QuadrupedPhysics::QuadrupedPhysics(const std::string& model_path) {
  char error[1000] = "";
  model_ = mj_loadXML(model_path.c_str(), nullptr, error, sizeof(error));
  if (model_ == nullptr) {
    QV_THROW(CommonException, "mj_loadXML error. file:" + model_path + ", " + error);
  }
  data_ = mj_makeData(model_);
  try {
    // The model names its joints and motors after the driver's joint map.
    for (int joint = 0; joint < kJointCount; ++joint) {
      const char* name = quorvel::containers::JointName(static_cast<uint8_t>(joint)).c_str();
      const int id = RequireId(model_, mjOBJ_JOINT, name, "joint");
      qpos_address_[joint] = model_->jnt_qposadr[id];
      dof_address_[joint] = model_->jnt_dofadr[id];
      motor_[joint] = RequireId(model_, mjOBJ_ACTUATOR, name, "motor");
      if (!model_->actuator_ctrllimited[motor_[joint]]) {
        QV_THROW(CommonException, std::string("the robot model's motor \"") + name +
                                      "\" has no torque limit (ctrlrange)");
      }
    }
    for (size_t foot = 0; foot < kFootSensors.size(); ++foot) {
      const int id = RequireId(model_, mjOBJ_SENSOR, kFootSensors[foot], "sensor");
      foot_sensor_address_[foot] = model_->sensor_adr[id];
    }
    gyro_address_ = model_->sensor_adr[RequireId(model_, mjOBJ_SENSOR, "imu_gyro", "sensor")];
    accelerometer_address_ =
        model_->sensor_adr[RequireId(model_, mjOBJ_SENSOR, "imu_accelerometer", "sensor")];
    trunk_body_ = RequireId(model_, mjOBJ_BODY, "trunk", "body");
    standing_band_ = RequireNumeric<2>(model_, "standing_height_band");
    standing_pose_ = RequireNumeric<3>(model_, "standing_pose");
    mj_resetDataKeyframe(model_, data_, RequireId(model_, mjOBJ_KEY, "lying", "key frame"));
  } catch (...) {
    mj_deleteData(data_);
    mj_deleteModel(model_);
    throw;
  }
  mj_forward(model_, data_);
}

QuadrupedPhysics::~QuadrupedPhysics() {
  mj_deleteData(data_);
  mj_deleteModel(model_);
}

void QuadrupedPhysics::Hold(const JointTargets& targets) {
  targets_ = targets;
  holding_ = true;
}

void QuadrupedPhysics::Release() { holding_ = false; }

double QuadrupedPhysics::MotorTorque(int joint) const {
  if (!holding_) {
    return 0.0;
  }
  const JointTarget& target = targets_[joint];
  const double q = data_->qpos[qpos_address_[joint]];
  const double dq = data_->qvel[dof_address_[joint]];
  const double torque = target.kp * (target.q - q) + target.kd * (target.dq - dq) + target.tau;
  if (!std::isfinite(torque)) {
    return 0.0;
  }
  const double limit = MotorTorqueLimit(joint);
  return std::clamp(torque, -limit, limit);
}

void QuadrupedPhysics::Step() {
  for (int joint = 0; joint < kJointCount; ++joint) {
    data_->ctrl[motor_[joint]] = MotorTorque(joint);
  }
  mj_step(model_, data_);
}

double QuadrupedPhysics::TimeStep() const { return model_->opt.timestep; }

double QuadrupedPhysics::SimulatedTime() const { return data_->time; }

void QuadrupedPhysics::FillState(LowState_& state) const {
  state.head() = {0xFE, 0xEF};
  state.level_flag() = 0xFF;
  for (int joint = 0; joint < kJointCount; ++joint) {
    auto& motor = state.motor_state()[joint];
    motor.mode() = 1;
    motor.q() = static_cast<float>(data_->qpos[qpos_address_[joint]]);
    motor.dq() = static_cast<float>(data_->qvel[dof_address_[joint]]);
    motor.ddq() = static_cast<float>(data_->qacc[dof_address_[joint]]);
    motor.tau_est() = static_cast<float>(data_->actuator_force[motor_[joint]]);
    motor.q_raw() = motor.q();
    motor.dq_raw() = motor.dq();
    motor.ddq_raw() = motor.ddq();
  }

  auto& imu = state.imu_state();
  const mjtNum* quat = data_->xquat + 4 * trunk_body_;  // w, x, y, z
  for (int i = 0; i < 4; ++i) {
    imu.quaternion()[i] = static_cast<float>(quat[i]);
  }
  for (int i = 0; i < 3; ++i) {
    imu.gyroscope()[i] = static_cast<float>(data_->sensordata[gyro_address_ + i]);
    imu.accelerometer()[i] = static_cast<float>(data_->sensordata[accelerometer_address_ + i]);
  }
  const double w = quat[0], x = quat[1], y = quat[2], z = quat[3];
  imu.rpy()[0] = static_cast<float>(std::atan2(2 * (w * x + y * z), 1 - 2 * (x * x + y * y)));
  imu.rpy()[1] = static_cast<float>(std::asin(std::clamp(2 * (w * y - z * x), -1.0, 1.0)));
  imu.rpy()[2] = static_cast<float>(std::atan2(2 * (w * z + x * y), 1 - 2 * (y * y + z * z)));

  for (size_t foot = 0; foot < foot_sensor_address_.size(); ++foot) {
    const int16_t force = ToInt16(data_->sensordata[foot_sensor_address_[foot]]);
    state.foot_force()[foot] = force;
    state.foot_force_est()[foot] = force;
  }
  state.tick() = static_cast<uint32_t>(std::llround(data_->time * 1000.0));
  state.crc() = StateCrc(state);
}

double QuadrupedPhysics::TrunkHeight() const { return data_->xpos[3 * trunk_body_ + 2]; }

double QuadrupedPhysics::RobotMass() const { return mj_getTotalmass(model_); }

std::array<double, 2> QuadrupedPhysics::StandingHeightBand() const { return standing_band_; }

std::array<double, 3> QuadrupedPhysics::StandingLegPose() const { return standing_pose_; }

double QuadrupedPhysics::JointPosition(int joint) const {
  return data_->qpos[qpos_address_[joint]];
}

double QuadrupedPhysics::MotorTorqueLimit(int joint) const {
  return model_->actuator_ctrlrange[2 * motor_[joint] + 1];
}

}  // namespace quorvel::sim
