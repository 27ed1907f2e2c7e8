// The simulated robot's loop: at a fixed rate it takes the commands that arrived, keeps
// the last one whose CRC holds, advances the physics and publishes the state.
// Used by the quorvel_sim program and by the simulator's tests.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "quorvel/sim/quadruped_physics.hpp"
#include "quorvel/sim/sim_options.hpp"
#include "quorvel/sim/robot_link.hpp"

namespace quorvel::sim {

struct SimSummary {
  uint64_t steps = 0;               // loop steps, one state sample each
  uint64_t commands_received = 0;
  uint64_t bad_crc_commands = 0;    // received, ignored
  uint64_t late_steps = 0;          // steps that ended after the next one was due
  bool realtime_priority = false;   // whether the loop ran at real-time priority
  double simulated_time_s = 0.0;
  double trunk_height_m = 0.0;
  std::array<double, 2> standing_height_band{};
};

// The summary as the program prints it at exit, two lines.
std::string FormatSummary(const SimSummary& summary);

class Simulator {
 public:
  // Checks the options, loads the model and opens the DDS link. Throws
  // CommonException for options out of range or a model that does not load, and
  // DdsException when the DDS entities cannot be made.
  explicit Simulator(const SimOptions& options);

  // Runs the loop on the calling thread, at real-time priority when the process may
  // raise it (normal scheduling again on return), until the duration has passed or `stop` reads
  // true (checked every step; a signal that interrupts the step's sleep is seen at once),
  // and returns the counts. A DDS failure while running throws DdsException.
  SimSummary Run(const std::atomic<bool>& stop);

  const QuadrupedPhysics& physics() const { return physics_; }

 private:
  void TakeCommands(SimSummary& summary);

  SimOptions options_;
  QuadrupedPhysics physics_;
  RobotLink link_;
  int physics_steps_per_step_ = 1;
  bool warned_bad_crc_ = false;
  quorvel_kesh::msg::dds_::LowState_ state_{};
};

}  // namespace quorvel::sim
