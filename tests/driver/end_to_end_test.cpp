// The driver against a peer process that plays the robot on the loopback interface: the
// peer checks every command sample and the period, and its state comes back through the
// getters.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "peer/robot_peer_state.hpp"
#include "quorvel/driver/quorvel_driver.hpp"

extern char** environ;

namespace {

using quorvel::containers::MotorCommand;
using namespace std::chrono_literals;

struct PeerResult {
  int exit_code = -1;
  std::string output;
};

// Runs robot_peer with `arguments`; ReadLine reads its report line, Wait collects its exit
// code and the rest of its output.
class Peer {
 public:
  explicit Peer(const std::vector<std::string>& arguments) {
    int pipe_fds[2];
    EXPECT_EQ(pipe(pipe_fds), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
    std::vector<char*> argv{const_cast<char*>(ROBOT_PEER_PATH)};
    for (const auto& argument : arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    EXPECT_EQ(posix_spawn(&pid_, ROBOT_PEER_PATH, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_fds[1]);
    output_ = fdopen(pipe_fds[0], "r");
  }

  ~Peer() { Wait(); }

  std::string ReadLine() {
    char buffer[256];
    if (fgets(buffer, sizeof(buffer), output_) == nullptr) {
      return "";
    }
    result_.output += buffer;
    return buffer;
  }

  PeerResult Wait() {
    if (output_ != nullptr) {
      char buffer[256];
      while (fgets(buffer, sizeof(buffer), output_) != nullptr) {
        result_.output += buffer;
      }
      fclose(output_);
      output_ = nullptr;
      int status = 0;
      waitpid(pid_, &status, 0);
      result_.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return result_;
  }

 private:
  pid_t pid_ = -1;
  FILE* output_ = nullptr;
  PeerResult result_;
};

bool StateArrived(const QuorvelDriver& driver) {
  const auto expected = robot_peer::State();
  const auto motors = driver.get_motor_state();
  const auto imu = driver.get_imu_state();
  for (int joint = 0; joint < 12; ++joint) {
    const auto& record = expected.motor_state()[joint];
    if (motors.q[joint] != record.q() || motors.qd[joint] != record.dq() ||
        motors.qdd[joint] != record.ddq() || motors.torque_estimate[joint] != record.tau_est()) {
      return false;
    }
  }
  return imu.quaternion == expected.imu_state().quaternion() &&
         imu.gyroscope == expected.imu_state().gyroscope() &&
         imu.accelerometer == expected.imu_state().accelerometer() &&
         imu.rpy == expected.imu_state().rpy() &&
         driver.get_low_state().foot_force == expected.foot_force();
}

MotorCommand TestCommand() {
  MotorCommand command;
  for (int joint = 0; joint < 12; ++joint) {
    command.qd_setpoint[joint] = 0.5f * joint - 3.0f;
    command.torque_feedforward[joint] = joint - 6.0f;
    command.stiffness[joint] = 20.0f + joint;
    command.damping[joint] = 0.25f * joint;
  }
  return command;
}

std::vector<std::string> CommandArguments(const MotorCommand& command) {
  std::vector<std::string> arguments;
  for (int joint = 0; joint < 12; ++joint) {
    for (float value : {command.q_setpoint[joint], command.qd_setpoint[joint],
                        command.torque_feedforward[joint], command.stiffness[joint],
                        command.damping[joint]}) {
      char text[32];
      std::snprintf(text, sizeof(text), "%.9g", value);
      arguments.push_back(text);
    }
  }
  return arguments;
}

int64_t MedianPeriod(const std::string& output) {
  const auto at = output.find("median_period_us=");
  return at == std::string::npos ? -1 : std::stoll(output.substr(at + 17));
}

struct EndToEndCase {
  const char* what;
  int64_t period_us;
  bool update_command;  // false: a fresh driver publishes the default command
};

class EndToEndTest : public testing::TestWithParam<EndToEndCase> {};

TEST_P(EndToEndTest, PeerSeesSoundSamplesAtThePeriodAndItsStateComesBack) {
  const EndToEndCase& c = GetParam();
  constexpr int samples = 150;
  std::vector<std::string> arguments{std::to_string(samples), std::to_string(c.period_us)};
  if (c.update_command) {
    const auto command_arguments = CommandArguments(TestCommand());
    arguments.insert(arguments.end(), command_arguments.begin(), command_arguments.end());
  }
  Peer peer(arguments);

  QuorvelDriver driver("lo", c.period_us);
  ASSERT_TRUE(driver.initialize().ok());
  if (c.update_command) {
    driver.update_command(TestCommand());
  }
  ASSERT_TRUE(driver.initialize_thread().ok());
  const std::string report = peer.ReadLine();
  const auto give_up = std::chrono::steady_clock::now() + 20s;
  while (!StateArrived(driver) && std::chrono::steady_clock::now() < give_up) {
    std::this_thread::sleep_for(5ms);
  }
  EXPECT_TRUE(StateArrived(driver)) << "the peer's state never reached the getters";
  EXPECT_TRUE(driver.stop_thread().ok());

  const PeerResult result = peer.Wait();
  EXPECT_EQ(result.exit_code, 0) << result.output;
  const int64_t median = MedianPeriod(report);
  EXPECT_GE(median, c.period_us / 2) << result.output;
  EXPECT_LE(median, c.period_us * 2) << result.output;
}

INSTANTIATE_TEST_SUITE_P(
    Loopback, EndToEndTest,
    testing::Values(EndToEndCase{"fresh driver, default command", 1000, false},
                    EndToEndCase{"updated command", 2000, true}),
    [](const testing::TestParamInfo<EndToEndCase>& info) {
      return info.param.update_command ? std::string("UpdatedCommand") : std::string("Default");
    });

}  // namespace
