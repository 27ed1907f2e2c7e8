// The simulator seen from DDS, as a driver sees it: commands on "rt/lowcmd" drive the
// motors only when their CRC holds, the last good one is held, and the state samples
// on "rt/lowstate" carry a valid CRC at the loop's rate.
#include "quorvel/sim/simulator.hpp"

#include <dds/dds.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <thread>

#include "quorvel/common/exception.hpp"
#include "quorvel/sim/sample_crc.hpp"

namespace quorvel::sim {
namespace {

using quorvel_kesh::msg::dds_::LowCmd_;
using quorvel_kesh::msg::dds_::LowState_;
using namespace std::chrono_literals;

// A domain of its own, so that no driver elsewhere on "lo" talks to this simulator.
constexpr uint32_t kTestDomain = 57;

// A driver's side of the link, in the simulator's domain (which it joins, on "lo").
class DriverPeer {
 public:
  DriverPeer() {
    participant_ = dds_create_participant(kTestDomain, nullptr, nullptr);
    const dds_entity_t command_topic = dds_create_topic(
        participant_, dds::topic::TopicTraits<LowCmd_>::Descriptor(), "rt/lowcmd", nullptr, nullptr);
    const dds_entity_t state_topic = dds_create_topic(
        participant_, dds::topic::TopicTraits<LowState_>::Descriptor(), "rt/lowstate", nullptr, nullptr);
    writer_ = dds_create_writer(participant_, command_topic, nullptr, nullptr);
    reader_ = dds_create_reader(participant_, state_topic, nullptr, nullptr);
  }
  ~DriverPeer() { dds_delete(participant_); }

  bool valid() const { return participant_ > 0 && writer_ > 0 && reader_ > 0; }

  bool WaitForSimulator() {
    dds_set_status_mask(writer_, DDS_PUBLICATION_MATCHED_STATUS);
    const dds_entity_t waitset = dds_create_waitset(participant_);
    dds_waitset_attach(waitset, writer_, 0);
    dds_publication_matched_status_t status{};
    const dds_time_t deadline = dds_time() + DDS_SECS(10);
    bool matched = false;
    while (!matched && dds_time() < deadline) {
      dds_waitset_wait_until(waitset, nullptr, 0, deadline);
      dds_get_publication_matched_status(writer_, &status);
      matched = status.current_count > 0;
    }
    dds_delete(waitset);
    return matched;
  }

  // Publishes `command` every 2 ms for `duration`; returns how many were sent.
  int PublishFor(const LowCmd_& command, std::chrono::milliseconds duration) {
    int sent = 0;
    const auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end) {
      if (dds_write(writer_, &command) == DDS_RETCODE_OK) ++sent;
      std::this_thread::sleep_for(2ms);
    }
    return sent;
  }

  // The newest state sample, or false when none arrived.
  bool LatestState(LowState_& state) {
    void* buffer = &state;
    dds_sample_info_t info{};
    bool got = false;
    while (dds_take(reader_, &buffer, &info, 1, 1) == 1) got = got || info.valid_data;
    return got;
  }

 private:
  dds_entity_t participant_ = 0;
  dds_entity_t writer_ = 0;
  dds_entity_t reader_ = 0;
};

// Every joint commanded with the feed-forward `torque` only, stamped with its CRC.
LowCmd_ TorqueCommand(float torque) {
  LowCmd_ command{};
  command.head() = {0xFE, 0xEF};
  command.level_flag() = 0xFF;
  for (auto& motor : command.motor_cmd()) {
    motor.mode() = 1;
    motor.tau() = torque;
  }
  command.crc() = CommandCrc(command);
  return command;
}

struct CorruptionCase {
  const char* name;
  std::function<void(LowCmd_&)> corrupt;  // applied after stamping; null: left valid
};

class SimulatorTest : public ::testing::TestWithParam<CorruptionCase> {};

TEST_P(SimulatorTest, OnlyCommandsWithAValidCrcDriveTheMotorsAndTheLastGoodOneIsHeld) {
  SimOptions options;  // "lo", 500 Hz, real time
  options.domain_id = kTestDomain;
  Simulator simulator(options);
  DriverPeer peer;
  ASSERT_TRUE(peer.valid());
  std::atomic<bool> stop{false};
  SimSummary summary;
  std::thread loop([&] { summary = simulator.Run(stop); });

  ASSERT_TRUE(peer.WaitForSimulator());
  const LowCmd_ first = TorqueCommand(1.0f);
  LowCmd_ second = TorqueCommand(2.0f);
  const bool corrupted = static_cast<bool>(GetParam().corrupt);
  if (corrupted) GetParam().corrupt(second);

  const auto started = std::chrono::steady_clock::now();
  const int first_sent = peer.PublishFor(first, 300ms);
  const int second_sent = peer.PublishFor(second, 300ms);
  std::this_thread::sleep_for(100ms);
  LowState_ state{};
  const bool got_state = peer.LatestState(state);
  stop.store(true);
  loop.join();
  const double elapsed_s =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  ASSERT_TRUE(got_state);
  EXPECT_EQ(state.crc(), StateCrc(state)) << "state samples carry their own CRC";
  const float expected_torque = corrupted ? 1.0f : 2.0f;
  for (int joint = 0; joint < kJointCount; ++joint) {
    EXPECT_EQ(state.motor_state()[joint].tau_est(), expected_torque) << "joint " << joint;
  }
  EXPECT_GT(summary.commands_received, 0u);
  EXPECT_LE(summary.commands_received, static_cast<uint64_t>(first_sent + second_sent));
  if (corrupted) {
    EXPECT_GT(summary.bad_crc_commands, 0u);
    EXPECT_LE(summary.bad_crc_commands, static_cast<uint64_t>(second_sent));
  } else {
    EXPECT_EQ(summary.bad_crc_commands, 0u);
  }
  // The rate is reported, not asserted: a loaded machine may be late now and then.
  std::printf("rate check: %llu steps in about %.2f s of publishing (500 Hz expected), "
              "%llu late\n",
              static_cast<unsigned long long>(summary.steps), elapsed_s,
              static_cast<unsigned long long>(summary.late_steps));
  RecordProperty("late_steps", static_cast<int>(summary.late_steps));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SimulatorTest,
    ::testing::Values(
        CorruptionCase{"valid", nullptr},
        CorruptionCase{"crc_off_by_one", [](LowCmd_& c) { c.crc() += 1; }},
        CorruptionCase{"torque_changed_after_stamping",
                       [](LowCmd_& c) { c.motor_cmd()[5].tau() = 2.5f; }},
        CorruptionCase{"padding_byte_set", [](LowCmd_& c) { c.motor_cmd()[0].reserve()[0] = 1; }}),
    [](const ::testing::TestParamInfo<CorruptionCase>& info) { return std::string(info.param.name); });

TEST(SimulatorOptionsTest, OutOfRangeSettingsAreRefusedBeforeAnythingStarts) {
  struct Case {
    const char* name;
    std::function<void(SimOptions&)> change;
  };
  const Case cases[] = {
      {"zero rate", [](SimOptions& o) { o.rate_hz = 0; }},
      {"rate above the physics rate", [](SimOptions& o) { o.rate_hz = 1e6; }},
      {"negative real-time factor", [](SimOptions& o) { o.realtime_factor = -1; }},
      {"NaN duration", [](SimOptions& o) { o.duration_s = std::nan(""); }},
      {"missing interface", [](SimOptions& o) { o.network_interface = "quorvel_no_such_if"; }},
  };
  for (const Case& c : cases) {
    SimOptions options;
    c.change(options);
    EXPECT_THROW({ Simulator simulator(options); }, common::Exception) << c.name;
  }
}

TEST(SimulatorOptionsTest, ParsesTheCommandLineAndNamesABadArgument) {
  const SimOptions options = ParseSimOptions(
      {"--interface", "lo", "--rate", "250", "--realtime-factor", "0.5", "--duration", "3"});
  EXPECT_EQ(options.network_interface, "lo");
  EXPECT_EQ(options.rate_hz, 250.0);
  EXPECT_EQ(options.realtime_factor, 0.5);
  EXPECT_EQ(options.duration_s, 3.0);
  EXPECT_FALSE(options.help);
  EXPECT_TRUE(ParseSimOptions({"--help"}).help);

  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--rate", "fast"}, {"--rate"}, {"--speed", "2"}, {"--rate", ""}}) {
    try {
      ParseSimOptions(bad);
      ADD_FAILURE() << "accepted " << bad[0];
    } catch (const common::Exception& e) {
      EXPECT_NE(std::string(e.what()).find(bad[0]), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace quorvel::sim
