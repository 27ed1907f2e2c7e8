// Plays the robot for the driver's end-to-end tests, on the loopback interface: receives
// "rt/lowcmd" and checks every sample, measures the period over the first <samples>, and
// publishes LowState_ samples (robot_peer_state.hpp) until the commands stop.
//   robot_peer <samples> <period_us> [<60 set-point values: q, qd, tau, kp, kd per joint>]
// Without set-points it expects the default MotorCommand. Once <samples> have arrived it
// prints "samples=<n> median_period_us=<p>"; it exits when no command came for 500 ms:
// 0 when every sample passed the checks, 1 when one failed (its reason printed), 2 when
// <samples> never arrived.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "quorvel/driver/command_sample.hpp"
#include "quorvel/driver/containers.hpp"
#include "quorvel/driver/crc32.hpp"
#include "quorvel/robot/channel/channel_factory.hpp"
#include "quorvel/robot/channel/channel_publisher.hpp"
#include "quorvel/robot/channel/channel_subscriber.hpp"
#include "robot_peer_state.hpp"

namespace {

using quorvel::containers::MotorCommand;
using quorvel_kesh::msg::dds_::LowCmd_;
using quorvel_kesh::msg::dds_::LowState_;
using Clock = std::chrono::steady_clock;

// The first fault found in `sample`, or "" when it is sound.
std::string CheckSample(const LowCmd_& sample, const MotorCommand& expected) {
  uint32_t words[quorvel::driver::CRC_WORDS];
  std::memcpy(words, &sample, sizeof(words));
  if (sample.crc() != quorvel::driver::Crc32BitByBit(words, quorvel::driver::CRC_WORDS)) {
    return "crc does not match the image";
  }
  if (sample.head()[0] != 0xFE || sample.head()[1] != 0xEF || sample.level_flag() != 0xFF) {
    return "head bytes or level_flag wrong";
  }
  for (int record = 0; record < 20; ++record) {
    const auto& motor = sample.motor_cmd()[record];
    if (motor.mode() != 1) {
      return "mode of record " + std::to_string(record) + " is not 1";
    }
    const bool stop_record = record >= 12;
    const float q = stop_record ? 2.146e9f : expected.q_setpoint[record];
    const float dq = stop_record ? 16000.0f : expected.qd_setpoint[record];
    const float tau = stop_record ? 0.0f : expected.torque_feedforward[record];
    const float kp = stop_record ? 0.0f : expected.stiffness[record];
    const float kd = stop_record ? 0.0f : expected.damping[record];
    if (motor.q() != q || motor.dq() != dq || motor.tau() != tau || motor.kp() != kp ||
        motor.kd() != kd) {
      return "record " + std::to_string(record) + " differs from the command";
    }
  }
  return "";
}

MotorCommand ParseCommand(char** values) {
  MotorCommand command;
  for (int joint = 0; joint < 12; ++joint) {
    command.q_setpoint[joint] = std::strtof(values[5 * joint], nullptr);
    command.qd_setpoint[joint] = std::strtof(values[5 * joint + 1], nullptr);
    command.torque_feedforward[joint] = std::strtof(values[5 * joint + 2], nullptr);
    command.stiffness[joint] = std::strtof(values[5 * joint + 3], nullptr);
    command.damping[joint] = std::strtof(values[5 * joint + 4], nullptr);
  }
  return command;
}

int64_t MedianInterval(const std::vector<Clock::time_point>& arrivals) {
  std::vector<int64_t> intervals;
  for (size_t i = 1; i < arrivals.size(); ++i) {
    intervals.push_back(
        std::chrono::duration_cast<std::chrono::microseconds>(arrivals[i] - arrivals[i - 1]).count());
  }
  std::nth_element(intervals.begin(), intervals.begin() + intervals.size() / 2, intervals.end());
  return intervals[intervals.size() / 2];
}

struct Reception {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<Clock::time_point> arrivals;
  Clock::time_point last_arrival;
  std::string fault;
};

int Run(int argc, char** argv) {
  if (argc != 3 && argc != 63) {
    std::fprintf(stderr, "usage: robot_peer <samples> <period_us> [60 set-point values]\n");
    return 1;
  }
  const size_t wanted = std::strtoul(argv[1], nullptr, 10);
  const MotorCommand expected = argc == 63 ? ParseCommand(argv + 3) : MotorCommand{};

  quorvel::robot::ChannelFactory::Instance()->Init(0, "lo");
  Reception reception;
  reception.arrivals.reserve(wanted);
  quorvel::robot::ChannelSubscriber<LowCmd_> commands("rt/lowcmd");
  // Queue length 0: every sample, stamped on arrival on the DDS thread.
  commands.InitChannel(
      [&](const void* data) {
        const auto now = Clock::now();
        const std::string fault = CheckSample(*static_cast<const LowCmd_*>(data), expected);
        std::lock_guard<std::mutex> lock(reception.mutex);
        if (reception.arrivals.size() < wanted) {
          reception.arrivals.push_back(now);
        }
        reception.last_arrival = now;
        if (reception.fault.empty()) {
          reception.fault = fault;
        }
        reception.changed.notify_all();
      },
      0);
  quorvel::robot::ChannelPublisher<LowState_> states("rt/lowstate");
  states.InitChannel();
  const LowState_ state = robot_peer::State();

  std::unique_lock<std::mutex> lock(reception.mutex);
  const auto give_up = Clock::now() + std::chrono::seconds(30);
  const auto publish_until = [&](auto done) {
    while (!done() && Clock::now() < give_up) {
      lock.unlock();
      states.Write(state, 0);
      lock.lock();
      reception.changed.wait_for(lock, std::chrono::milliseconds(5));
    }
  };
  publish_until([&] { return reception.arrivals.size() >= wanted; });
  if (reception.arrivals.size() < wanted) {
    std::printf("timeout: samples=%zu of %zu\n", reception.arrivals.size(), wanted);
    return 2;
  }
  std::printf("samples=%zu median_period_us=%lld\n", wanted,
              static_cast<long long>(MedianInterval(reception.arrivals)));
  std::fflush(stdout);
  publish_until([&] { return Clock::now() - reception.last_arrival > std::chrono::milliseconds(500); });
  if (!reception.fault.empty()) {
    std::printf("fault: %s\n", reception.fault.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int code = Run(argc, argv);
  // Releases the DDS entities while every static of the DDS layer still lives.
  quorvel::robot::ChannelFactory::Instance()->Release();
  return code;
}
