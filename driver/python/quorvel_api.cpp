// quorvel_api: the Python face of QuorvelDriver and its value containers. Binds and
// converts only; clamping, validation and the control loop live in the driver.
#include <pybind11/pybind11.h>

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>

#include "fixed_size_array_caster.hpp"
#include "pybind11_abseil/status_caster.hpp"
#include "quorvel/driver/quorvel_driver.hpp"

namespace py = pybind11;
using quorvel::containers::IMUState;
using quorvel::containers::JointArray;
using quorvel::containers::LowState;
using quorvel::containers::MotorCommand;
using quorvel::containers::MotorState;

namespace {

// "Name(field=[...], ...)" from each field's Python repr.
std::string Repr(const char* class_name,
                 std::initializer_list<std::pair<const char*, py::object>> fields) {
  std::string text = std::string(class_name) + "(";
  const char* separator = "";
  for (const auto& [name, value] : fields) {
    text += separator;
    text += name;
    text += "=" + std::string(py::repr(value));
    separator = ", ";
  }
  return text + ")";
}

py::tuple MotorStateToTuple(const MotorState& state) {
  return py::make_tuple(state.q, state.qd, state.qdd, state.torque_estimate);
}

MotorState MotorStateFromTuple(const py::tuple& items) {
  if (items.size() != 4) {
    throw std::runtime_error("Invalid state tuple");
  }
  MotorState state;
  state.q = items[0].cast<JointArray>();
  state.qd = items[1].cast<JointArray>();
  state.qdd = items[2].cast<JointArray>();
  state.torque_estimate = items[3].cast<JointArray>();
  return state;
}

void BindLowState(py::module_& m) {
  py::class_<LowState>(m, "LowState", "Foot contact forces.")
      .def(py::init<>(), "All forces zero.")
      .def_readwrite("foot_force", &LowState::foot_force,
                     "Force of each foot: front right, front left, hind right, hind left.")
      .def("__repr__", [](const LowState& state) {
        return Repr("LowState", {{"foot_force", py::cast(state.foot_force)}});
      });
}

void BindIMUState(py::module_& m) {
  py::class_<IMUState>(m, "IMUState", "Orientation and motion from the inertial unit.")
      .def(py::init<>(), "All values zero.")
      .def_readwrite("quaternion", &IMUState::quaternion, "Orientation quaternion (w, x, y, z).")
      .def_readwrite("gyroscope", &IMUState::gyroscope, "Angular velocity (rad/s).")
      .def_readwrite("accelerometer", &IMUState::accelerometer, "Acceleration (m/s^2).")
      .def_readwrite("rpy", &IMUState::rpy, "Roll, pitch, yaw (rad).")
      .def("__repr__", [](const IMUState& state) {
        return Repr("IMUState", {{"quaternion", py::cast(state.quaternion)},
                                 {"gyroscope", py::cast(state.gyroscope)},
                                 {"accelerometer", py::cast(state.accelerometer)},
                                 {"rpy", py::cast(state.rpy)}});
      });
}

void BindMotorState(py::module_& m) {
  py::class_<MotorState>(m, "MotorState", "Measured state of the twelve motors, by joint index.")
      .def(py::init<>(), "All values zero.")
      .def_readwrite("q", &MotorState::q, "Position (rad).")
      .def_readwrite("qd", &MotorState::qd, "Velocity (rad/s).")
      .def_readwrite("qdd", &MotorState::qdd, "Acceleration (rad/s^2).")
      .def_readwrite("torque_estimate", &MotorState::torque_estimate, "Estimated torque (N m).")
      .def(py::pickle(&MotorStateToTuple, &MotorStateFromTuple))
      .def("__copy__", [](const MotorState& state) { return state; }, "An independent copy.")
      .def(
          "__deepcopy__", [](const MotorState& state, const py::dict&) { return state; },
          py::arg("memo"), "An independent copy.")
      .def("__repr__", [](const MotorState& state) {
        return Repr("MotorState", {{"q", py::cast(state.q)},
                                   {"qd", py::cast(state.qd)},
                                   {"qdd", py::cast(state.qdd)},
                                   {"torque_estimate", py::cast(state.torque_estimate)}});
      });
}

void BindMotorCommand(py::module_& m) {
  py::class_<MotorCommand>(m, "MotorCommand", "A command for the twelve motors, by joint index.")
      .def(py::init<>(), "Standing positions 0.0, 0.9, -1.8 per leg; everything else 0.")
      .def_readwrite("q_setpoint", &MotorCommand::q_setpoint, "Position set-point (rad).")
      .def_readwrite("qd_setpoint", &MotorCommand::qd_setpoint, "Velocity set-point (rad/s).")
      .def_readwrite("torque_feedforward", &MotorCommand::torque_feedforward,
                     "Feed-forward torque (N m).")
      .def_readwrite("stiffness", &MotorCommand::stiffness, "Position gain, 0 to 100.")
      .def_readwrite("damping", &MotorCommand::damping, "Velocity gain, 0 to 100.")
      .def("__repr__", [](const MotorCommand& command) {
        return Repr("MotorCommand", {{"q_setpoint", py::cast(command.q_setpoint)},
                                     {"qd_setpoint", py::cast(command.qd_setpoint)},
                                     {"torque_feedforward", py::cast(command.torque_feedforward)},
                                     {"stiffness", py::cast(command.stiffness)},
                                     {"damping", py::cast(command.damping)}});
      });
}

void BindQuorvelDriver(py::module_& m) {
  py::class_<QuorvelDriver>(m, "QuorvelDriver", "Drives the twelve leg motors over DDS.")
      .def(py::init<std::string, int64_t>(), py::arg("network_interface"),
           py::arg("control_period_us"),
           "Stores the network interface name and the control period in microseconds "
           "(0: back to back); ValueError for a negative period. No DDS work yet.")
      .def("initialize", &QuorvelDriver::initialize,
           "Joins DDS domain 0 on the interface and creates the command publisher and the "
           "state subscriber. Blocks at least 100 ms.")
      .def("initialize_thread", &QuorvelDriver::initialize_thread,
           "Starts the control loop; StatusNotOk before initialize or while it runs.")
      .def("stop_thread", &QuorvelDriver::stop_thread,
           "Stops the control loop and waits for it; StatusNotOk before initialize_thread.")
      .def("update_command", &QuorvelDriver::update_command, py::arg("command"),
           "Stores the command clamped to the joint limits; ValueError for a NaN, keeping "
           "the previous command.")
      .def("get_low_state", &QuorvelDriver::get_low_state, "The newest foot forces.")
      .def("get_imu_state", &QuorvelDriver::get_imu_state, "The newest IMU state.")
      .def("get_motor_state", &QuorvelDriver::get_motor_state, "The newest motor state.");
}

}  // namespace

PYBIND11_MODULE(quorvel_api, m) {
  py::module_::import("pybind11_abseil.status");
  m.doc() = "Quorvel API bindings";
  BindLowState(m);
  BindIMUState(m);
  BindMotorState(m);
  BindMotorCommand(m);
  BindQuorvelDriver(m);
}
