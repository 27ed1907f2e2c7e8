// QuorvelDriver: period handling, lifecycle statuses, command refusal, state snapshots
// under a concurrent writer, and the control loop's schedule and allocations. DDS stays
// on "lo".
#include "quorvel/driver/quorvel_driver.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <limits>
#include <new>
#include <stdexcept>
#include <thread>

#include "quorvel/driver/command_sample.hpp"

namespace {
// Counts what operator new hands out on threads that set counting_allocations.
thread_local bool counting_allocations = false;
std::atomic<int> counted_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  if (counting_allocations) {
    ++counted_allocations;
  }
  if (void* memory = std::malloc(size == 0 ? 1 : size)) {
    return memory;
  }
  throw std::bad_alloc();
}
// Out of line, so that the compiler does not pair an inlined free() with operator new.
[[gnu::noinline]] void operator delete(void* memory) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace {

using quorvel::containers::MotorCommand;
using quorvel_kesh::msg::dds_::LowState_;
using namespace std::chrono_literals;

struct PeriodCase {
  int64_t given;
  bool accepted;
};

TEST(QuorvelDriverTest, KeepsTheWholePeriodAndRefusesOutOfRange) {
  const PeriodCase cases[] = {
      {1000, true},  {2000, true},  {256, true},        {0, true},
      {4294967295, true}, {-1, false}, {4294967296, false},
      {std::numeric_limits<int64_t>::min(), false}};
  for (const auto& c : cases) {
    if (c.accepted) {
      EXPECT_EQ(QuorvelDriver("lo", c.given).control_period_us(), c.given);
    } else {
      EXPECT_THROW(QuorvelDriver("lo", c.given), std::invalid_argument) << c.given;
    }
  }
}

void ExpectStatus(const absl::Status& status, const char* message) {
  if (message == nullptr) {
    EXPECT_TRUE(status.ok()) << status;
  } else {
    EXPECT_EQ(status.code(), absl::StatusCode::kFailedPrecondition) << status;
    EXPECT_EQ(status.message(), message);
  }
}

constexpr const char* NOT_INITIALIZED = "Motor Controller not initialized";
constexpr const char* NOT_STARTED = "Motor Controller or Control Thread not initialized";
constexpr const char* ALREADY_RUNNING = "Control Thread already running";

// Waits until the control loop has published `command` (it copies it into the sample).
bool LoopPublishes(QuorvelDriver& driver, const MotorCommand& command) {
  driver.update_command(command);
  const auto give_up = std::chrono::steady_clock::now() + 10s;
  while (std::chrono::steady_clock::now() < give_up) {
    if (driver.command_sample().motor_cmd()[0].kp() == command.stiffness[0]) {
      return true;
    }
    std::this_thread::sleep_for(1ms);
  }
  return false;
}

TEST(QuorvelDriverTest, LifecycleStatusesAndRestart) {
  QuorvelDriver driver("lo", 1000);
  ExpectStatus(driver.initialize_thread(), NOT_INITIALIZED);
  ExpectStatus(driver.stop_thread(), NOT_STARTED);

  ExpectStatus(driver.initialize(), nullptr);
  ExpectStatus(driver.stop_thread(), NOT_STARTED);

  ExpectStatus(driver.initialize_thread(), nullptr);
  ExpectStatus(driver.initialize_thread(), ALREADY_RUNNING);
  MotorCommand command;
  command.stiffness[0] = 11.0f;
  EXPECT_TRUE(LoopPublishes(driver, command));

  ExpectStatus(driver.stop_thread(), nullptr);
  ExpectStatus(driver.stop_thread(), nullptr);
  command.stiffness[0] = 22.0f;
  driver.update_command(command);
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(driver.command_sample().motor_cmd()[0].kp(), 11.0f) << "a stopped loop ran on";

  ExpectStatus(driver.initialize_thread(), nullptr);
  EXPECT_TRUE(LoopPublishes(driver, command)) << "restarted loop publishes nothing";
  ExpectStatus(driver.stop_thread(), nullptr);
}

TEST(QuorvelDriverTest, NaNCommandIsRefusedAndThePreviousOneKept) {
  QuorvelDriver driver("lo", 1000);
  MotorCommand command;
  command.damping[3] = 7.0f;
  driver.update_command(command);

  MotorCommand poisoned = command;
  poisoned.damping[3] = 9.0f;
  poisoned.torque_feedforward[10] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_THROW(driver.update_command(poisoned), std::invalid_argument);

  driver.init_cmd_msg();
  driver.control_cycle();
  const auto sample = driver.command_sample();
  EXPECT_EQ(sample.motor_cmd()[3].kd(), 7.0f);
  EXPECT_EQ(sample.motor_cmd()[10].tau(), 0.0f);
  EXPECT_EQ(sample.crc(), quorvel::driver::CommandSampleCrc(sample));
}

// initialize gives the sample its start values, so the first cycle of a fresh driver
// publishes the default command under the known CRC.
TEST(QuorvelDriverTest, FirstSampleOfAFreshDriverHasTheKnownCrc) {
  QuorvelDriver driver("lo", 1000);
  ASSERT_TRUE(driver.initialize().ok());
  driver.control_cycle();
  EXPECT_EQ(driver.command_sample().crc(), 0x76FB9DDBu);
}

TEST(QuorvelDriverTest, GettersReturnZerosThenTheWholeReceivedSample) {
  QuorvelDriver driver("lo", 1000);
  EXPECT_EQ(driver.get_motor_state().q, quorvel::containers::JointArray{});
  EXPECT_EQ(driver.get_low_state().foot_force, (std::array<int16_t, 4>{}));

  LowState_ sample;
  for (int joint = 0; joint < 20; ++joint) {
    auto& motor = sample.motor_state()[joint];
    motor.q() = joint + 0.5f;
    motor.dq() = joint + 100.0f;
    motor.ddq() = joint + 200.0f;
    motor.tau_est() = joint + 300.0f;
  }
  sample.imu_state().quaternion() = {1.0f, 2.0f, 3.0f, 4.0f};
  sample.imu_state().gyroscope() = {5.0f, 6.0f, 7.0f};
  sample.imu_state().accelerometer() = {8.0f, 9.0f, 10.0f};
  sample.imu_state().rpy() = {11.0f, 12.0f, 13.0f};
  sample.foot_force() = {-1, 2, -3, 4};
  driver.robot_state_msg_handler(&sample);

  const auto motors = driver.get_motor_state();
  for (int joint = 0; joint < 12; ++joint) {
    EXPECT_EQ(motors.q[joint], joint + 0.5f);
    EXPECT_EQ(motors.qd[joint], joint + 100.0f);
    EXPECT_EQ(motors.qdd[joint], joint + 200.0f);
    EXPECT_EQ(motors.torque_estimate[joint], joint + 300.0f);
  }
  const auto imu = driver.get_imu_state();
  EXPECT_EQ(imu.quaternion, (std::array<float, 4>{1.0f, 2.0f, 3.0f, 4.0f}));
  EXPECT_EQ(imu.gyroscope, (std::array<float, 3>{5.0f, 6.0f, 7.0f}));
  EXPECT_EQ(imu.accelerometer, (std::array<float, 3>{8.0f, 9.0f, 10.0f}));
  EXPECT_EQ(imu.rpy, (std::array<float, 3>{11.0f, 12.0f, 13.0f}));
  EXPECT_EQ(driver.get_low_state().foot_force, (std::array<int16_t, 4>{-1, 2, -3, 4}));
}

LowState_ UniformSample(float value) {
  LowState_ sample;
  for (auto& motor : sample.motor_state()) {
    motor.q() = motor.dq() = motor.ddq() = motor.tau_est() = value;
  }
  auto& imu = sample.imu_state();
  imu.quaternion().fill(value);
  imu.gyroscope().fill(value);
  imu.accelerometer().fill(value);
  imu.rpy().fill(value);
  sample.foot_force().fill(static_cast<int16_t>(value));
  return sample;
}

template <typename Array>
bool AllEqual(const Array& values, float expected) {
  for (auto value : values) {
    if (value != expected) {
      return false;
    }
  }
  return true;
}

// Each getter must see one whole sample: with the writer switching between two uniform
// samples, a torn read shows a mix of both values.
TEST(QuorvelDriverTest, GettersNeverSeeATornSample) {
  QuorvelDriver driver("lo", 1000);
  const LowState_ samples[] = {UniformSample(1.0f), UniformSample(2.0f)};
  driver.robot_state_msg_handler(&samples[0]);
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; !done.load(); ++i) {
      driver.robot_state_msg_handler(&samples[i % 2]);
    }
  });

  int torn = 0;
  for (int i = 0; i < 20000; ++i) {
    const auto motors = driver.get_motor_state();
    const float value = motors.q[0];
    const bool whole = AllEqual(motors.q, value) && AllEqual(motors.qd, value) &&
                       AllEqual(motors.qdd, value) && AllEqual(motors.torque_estimate, value);
    const auto imu = driver.get_imu_state();
    const float imu_value = imu.quaternion[0];
    const bool imu_whole = AllEqual(imu.quaternion, imu_value) &&
                           AllEqual(imu.gyroscope, imu_value) &&
                           AllEqual(imu.accelerometer, imu_value) && AllEqual(imu.rpy, imu_value);
    const auto feet = driver.get_low_state().foot_force;
    torn += !whole + !imu_whole + !AllEqual(feet, feet[0]);
  }
  done = true;
  writer.join();
  EXPECT_EQ(torn, 0);
}

// The loop sleeps to absolute deadlines one whole period apart: it can never wake more often
// than the elapsed time allows (a truncated period would flood the robot).
TEST(QuorvelDriverTest, LoopWakesNoMoreOftenThanItsPeriod) {
  constexpr int64_t period_us = 2000;
  QuorvelDriver driver("lo", period_us);
  std::atomic<int> wakeups{0};
  std::atomic<int64_t> negative{0};
  driver.set_wakeup_observer([&](std::chrono::nanoseconds lateness, bool) {
    ++wakeups;
    negative += lateness.count() < 0;
  });
  ASSERT_TRUE(driver.initialize().ok());

  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(driver.initialize_thread().ok());
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(driver.stop_thread().ok());
  const auto elapsed = std::chrono::steady_clock::now() - start;

  const auto most = elapsed / std::chrono::microseconds(period_us) + 1;
  EXPECT_GE(wakeups.load(), 1);
  EXPECT_LE(wakeups.load(), most);
  EXPECT_EQ(negative.load(), 0) << "woke before a deadline";
}

TEST(QuorvelDriverTest, BackToBackLoopReportsEveryOverrun) {
  QuorvelDriver driver("lo", 0);
  ASSERT_TRUE(driver.initialize().ok());
  testing::internal::CaptureStdout();
  ASSERT_TRUE(driver.initialize_thread().ok());
  std::this_thread::sleep_for(20ms);
  ASSERT_TRUE(driver.stop_thread().ok());
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_THAT(output, testing::MatchesRegex(
                          "(Motor Control Loop Execution Time Exceeded Control Rate: [0-9]+us\n)+"));
}

// A cycle copies, stamps and writes into memory the driver already has, and an overrun
// report needs none either: from its first cycle on, the control thread allocates nothing.
TEST(QuorvelDriverTest, ControlLoopAllocatesNothingPerCycle) {
  QuorvelDriver driver("lo", 0);  // back to back: every cycle also prints its overrun
  std::atomic<int> cycles{0};
  driver.set_wakeup_observer([&](std::chrono::nanoseconds, bool) {
    counting_allocations = true;  // on the control thread
    ++cycles;
  });
  ASSERT_TRUE(driver.initialize().ok());
  testing::internal::CaptureStdout();
  ASSERT_TRUE(driver.initialize_thread().ok());
  const auto give_up = std::chrono::steady_clock::now() + 10s;
  while (cycles.load() < 1000 && std::chrono::steady_clock::now() < give_up) {
    std::this_thread::sleep_for(1ms);
  }
  ASSERT_TRUE(driver.stop_thread().ok());
  testing::internal::GetCapturedStdout();
  EXPECT_GE(cycles.load(), 1000);
  EXPECT_EQ(counted_allocations.load(), 0);
}

// Re-initialising swaps the publisher and resets the sample under the command lock, and
// destroying a driver whose loop runs stops and joins it first.
TEST(QuorvelDriverTest, InitializeWhileRunningAndDestroyWhileRunning) {
  auto driver = std::make_unique<QuorvelDriver>("lo", 500);
  ASSERT_TRUE(driver->initialize().ok());
  ASSERT_TRUE(driver->initialize_thread().ok());
  ASSERT_TRUE(driver->initialize().ok());
  const auto sample = driver->command_sample();
  EXPECT_EQ(sample.head()[0], 0xFE);
  EXPECT_EQ(sample.motor_cmd()[19].q(), 2.146e9f);
  driver.reset();
}

}  // namespace
