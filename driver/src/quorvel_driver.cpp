#include "quorvel/driver/quorvel_driver.hpp"

#include <time.h>

#include <cerrno>
#include <iostream>
#include <limits>
#include <stdexcept>

#include "quorvel/driver/command_sample.hpp"
#include "quorvel/driver/crc32.hpp"
#include "quorvel/robot/channel/channel_factory.hpp"
#include "quorvel/robot/channel/channel_publisher.hpp"
#include "quorvel/robot/channel/channel_subscriber.hpp"

using quorvel::containers::IMUState;
using quorvel::containers::LowState;
using quorvel::containers::MotorCommand;
using quorvel::containers::MotorState;
using quorvel::robot::ChannelFactory;
using quorvel::robot::ChannelPublisher;
using quorvel::robot::ChannelSubscriber;
using quorvel_kesh::msg::dds_::LowCmd_;
using quorvel_kesh::msg::dds_::LowState_;
using Clock = std::chrono::steady_clock;

namespace {

uint32_t CheckedPeriod(int64_t period_us) {
  if (period_us < 0 || period_us > std::numeric_limits<uint32_t>::max()) {
    throw std::invalid_argument("QuorvelDriver: control period must lie in 0 to 4294967295 us, got " +
                                std::to_string(period_us));
  }
  return static_cast<uint32_t>(period_us);
}

// steady_clock is CLOCK_MONOTONIC; an absolute sleep on it keeps the schedule free of drift.
void SleepUntil(Clock::time_point deadline) {
  const auto since_epoch = deadline.time_since_epoch();
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since_epoch);
  timespec ts{};
  ts.tv_sec = seconds.count();
  ts.tv_nsec = std::chrono::duration_cast<std::chrono::nanoseconds>(since_epoch - seconds).count();
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
}

}  // namespace

QuorvelDriver::QuorvelDriver(std::string network_interface, int64_t control_period_us)
    : network_interface(std::move(network_interface)), period_us(CheckedPeriod(control_period_us)) {}

QuorvelDriver::~QuorvelDriver() {
  if (control_thread.joinable()) {
    running = false;
    control_thread.join();
  }
  // The subscriber's delivery thread calls the state handler, which needs state_mutex:
  // release it while every member still lives.
  subscriber.reset();
  publisher.reset();
}

absl::Status QuorvelDriver::initialize() {
  ChannelFactory::Instance()->Init(0, network_interface);
  auto new_publisher = std::make_shared<ChannelPublisher<LowCmd_>>("rt/lowcmd");
  new_publisher->InitChannel();
  auto new_subscriber = std::make_shared<ChannelSubscriber<LowState_>>("rt/lowstate");
  new_subscriber->InitChannel([this](const void* sample) { robot_state_msg_handler(sample); }, 1);
  {
    std::lock_guard<std::mutex> lock(command_mutex);
    init_cmd_msg();
    publisher.swap(new_publisher);
  }
  subscriber.swap(new_subscriber);
  initialized = true;
  return absl::OkStatus();
}

absl::Status QuorvelDriver::initialize_thread() {
  if (!initialized) {
    return absl::FailedPreconditionError("Motor Controller not initialized");
  }
  if (control_thread.joinable()) {
    return absl::FailedPreconditionError("Control Thread already running");
  }
  running = true;
  control_thread = std::thread(&QuorvelDriver::control_loop, this);
  thread_initialized = true;
  return absl::OkStatus();
}

absl::Status QuorvelDriver::stop_thread() {
  if (!initialized || !thread_initialized) {
    return absl::FailedPreconditionError("Motor Controller or Control Thread not initialized");
  }
  if (control_thread.joinable()) {
    running = false;
    control_thread.join();
  }
  return absl::OkStatus();
}

void QuorvelDriver::update_command(const MotorCommand& new_command) {
  const MotorCommand clamped = quorvel::driver::ClampCommand(new_command, limits);
  std::lock_guard<std::mutex> lock(command_mutex);
  command = clamped;
}

LowState QuorvelDriver::get_low_state() const {
  std::lock_guard<std::mutex> lock(state_mutex);
  LowState state;
  state.foot_force = low_state.foot_force();
  return state;
}

IMUState QuorvelDriver::get_imu_state() const {
  std::lock_guard<std::mutex> lock(state_mutex);
  const auto& imu = low_state.imu_state();
  IMUState state;
  state.quaternion = imu.quaternion();
  state.gyroscope = imu.gyroscope();
  state.accelerometer = imu.accelerometer();
  state.rpy = imu.rpy();
  return state;
}

MotorState QuorvelDriver::get_motor_state() const {
  std::lock_guard<std::mutex> lock(state_mutex);
  MotorState state;
  for (uint8_t joint = 0; joint < quorvel::containers::num_motors; ++joint) {
    const auto& record = low_state.motor_state()[joint];
    state.q[joint] = record.q();
    state.qd[joint] = record.dq();
    state.qdd[joint] = record.ddq();
    state.torque_estimate[joint] = record.tau_est();
  }
  return state;
}

uint32_t QuorvelDriver::crc32_core(const uint32_t* words, uint32_t count) {
  return quorvel::driver::Crc32(words, count);
}

LowCmd_ QuorvelDriver::command_sample() const {
  std::lock_guard<std::mutex> lock(command_mutex);
  return low_cmd;
}

void QuorvelDriver::set_wakeup_observer(WakeupObserver observer) {
  wakeup_observer = std::move(observer);
}

void QuorvelDriver::init_cmd_msg() { quorvel::driver::InitCommandSample(low_cmd); }

void QuorvelDriver::robot_state_msg_handler(const void* sample) {
  std::lock_guard<std::mutex> lock(state_mutex);
  low_state = *static_cast<const LowState_*>(sample);
}

void QuorvelDriver::control_cycle() {
  std::lock_guard<std::mutex> lock(command_mutex);
  quorvel::driver::WriteCommandSample(command, low_cmd);
  if (publisher) {
    publisher->Write(low_cmd, 0);
  }
}

void QuorvelDriver::control_loop() {
  const auto period = std::chrono::microseconds(period_us);
  auto deadline = Clock::now();
  while (running.load()) {
    deadline += period;
    control_cycle();
    const auto now = Clock::now();
    if (now < deadline) {
      SleepUntil(deadline);
      if (wakeup_observer) {
        wakeup_observer(Clock::now() - deadline, false);
      }
    } else {
      if (wakeup_observer) {
        wakeup_observer(now - deadline, true);
      }
      std::cout << "Motor Control Loop Execution Time Exceeded Control Rate: "
                << std::chrono::duration_cast<std::chrono::microseconds>(now - deadline).count()
                << "us" << std::endl;
      deadline = now;
    }
  }
}
