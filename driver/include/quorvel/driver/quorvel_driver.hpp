// QuorvelDriver: drives the twelve leg motors over DDS. It clamps each command handed in to
// the joint limits, publishes it once per control period on "rt/lowcmd" from a control
// thread of its own, and keeps the newest "rt/lowstate" sample for its getters. The Python
// module quorvel_api exposes it; C++ programs may use it directly.
#pragma once

#include <absl/status/status.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "quorvel/driver/containers.hpp"
#include "quorvel/driver/joint_limits.hpp"
#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"
#include "quorvel_kesh/msg/dds_/LowState_.hpp"

namespace quorvel::robot {
template <typename MSG>
class ChannelPublisher;
template <typename MSG>
class ChannelSubscriber;
}  // namespace quorvel::robot

// Calls come from one controlling thread (Python's, holding the interpreter lock), except
// where a contract says otherwise. The driver is neither copied nor moved.
class QuorvelDriver {
 public:
  // Called on the control thread once per cycle, for measuring the loop: after the cycle's
  // sleep with how late it woke after its deadline (overran false); for a cycle that ended
  // after its deadline, and so did not sleep, with how late it ended (overran true).
  using WakeupObserver = std::function<void(std::chrono::nanoseconds lateness, bool overran)>;

  // Stores the interface name ("" lets DDS choose) and the control period in microseconds
  // (0: cycles run back to back). Touches no DDS entity. Throws std::invalid_argument for a
  // period below 0 or above 4294967295.
  QuorvelDriver(std::string network_interface, int64_t control_period_us);

  // Stops and joins the control thread, then releases the subscriber (joining its
  // delivery thread) and the publisher.
  ~QuorvelDriver();

  QuorvelDriver(const QuorvelDriver&) = delete;
  QuorvelDriver& operator=(const QuorvelDriver&) = delete;

  // Prepares DDS domain 0 on the interface, resets the command sample to its start values
  // and creates the "rt/lowcmd" publisher and the "rt/lowstate" subscriber (queue length 1),
  // replacing earlier ones. Blocks at least 100 ms. Returns OK; a DDS failure throws the
  // channel layer's DdsException and leaves the driver as it was. May be called while the
  // control loop runs: the switch is serialised with its cycles.
  absl::Status initialize();

  // Starts the control thread. Failed precondition "Motor Controller not initialized"
  // before initialize, "Control Thread already running" while a control thread runs;
  // neither changes anything. After stop_thread it starts the loop again.
  absl::Status initialize_thread();

  // Stops the control loop and waits for its thread (at most one period plus one publish).
  // Failed precondition "Motor Controller or Control Thread not initialized" before
  // initialize or initialize_thread; OK and nothing done when no thread runs any more.
  absl::Status stop_thread();

  // Stores `command` clamped to the joint limits; the next cycle publishes it. Works in
  // every state. Throws std::invalid_argument, naming the array and the joint, when any
  // element is NaN, and then keeps the previous command. Any thread.
  void update_command(const quorvel::containers::MotorCommand& command);

  // Built from one whole state sample (all zeros before the first one). Any thread.
  quorvel::containers::LowState get_low_state() const;
  quorvel::containers::IMUState get_imu_state() const;
  quorvel::containers::MotorState get_motor_state() const;

  // The command CRC over `count` words (see quorvel/driver/crc32.hpp). Any thread.
  static uint32_t crc32_core(const uint32_t* words, uint32_t count);

  // The control period in microseconds.
  uint32_t control_period_us() const { return period_us; }

  // A copy of the command sample as the last cycle left it. Any thread.
  quorvel_kesh::msg::dds_::LowCmd_ command_sample() const;

  // Installs an observer of the loop's wake-ups; only while no control thread runs.
  void set_wakeup_observer(WakeupObserver observer);

  // The internals below are public for tests and benchmarks; programs don't call them.

  // Resets the command sample to its start values (caller holds command_mutex or no
  // control thread runs).
  void init_cmd_msg();
  // The "rt/lowstate" handler: copies the whole LowState_ that `sample` points to.
  void robot_state_msg_handler(const void* sample);
  // One cycle: copies the command into the sample, stamps its CRC and writes it (when a
  // publisher exists), all under command_mutex. Any thread.
  void control_cycle();
  // The body of the control thread: one cycle per period at absolute deadlines until
  // stop_thread.
  void control_loop();

  const quorvel::driver::JointLimits limits{};

 private:
  quorvel::containers::MotorCommand command{};
  bool initialized = false;
  bool thread_initialized = false;
  std::string network_interface;
  quorvel_kesh::msg::dds_::LowCmd_ low_cmd{};
  quorvel_kesh::msg::dds_::LowState_ low_state{};
  std::shared_ptr<quorvel::robot::ChannelPublisher<quorvel_kesh::msg::dds_::LowCmd_>> publisher;
  std::shared_ptr<quorvel::robot::ChannelSubscriber<quorvel_kesh::msg::dds_::LowState_>>
      subscriber;
  uint32_t period_us;
  std::atomic<bool> running{true};
  mutable std::mutex command_mutex;  // guards command, low_cmd and publisher
  mutable std::mutex state_mutex;    // guards low_state
  WakeupObserver wakeup_observer;
  std::thread control_thread;
};
