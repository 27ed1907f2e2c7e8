// The simulated robot's settings and their command-line form.
// Used by the quorvel_sim program; the simulator's loop takes the settings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvel::sim {

struct SimOptions {
  std::string network_interface = "lo";
  double rate_hz = 500.0;        // state samples per simulated second
  double realtime_factor = 1.0;  // simulated seconds per wall-clock second
  double duration_s = 0.0;       // wall-clock seconds to run; 0 runs until stopped
  std::string model_path = QUORVEL_SIM_MODEL;
  uint32_t domain_id = 0;        // the robot's domain; tests may pick another
  bool help = false;             // --help: print the usage and do nothing else
};

// The usage text that --help prints.
std::string SimUsage();

// Reads the arguments after the program name: --interface NAME, --rate HZ,
// --realtime-factor X, --duration S, --model FILE, --help. Throws CommonException naming
// the argument for an unknown option, a missing value or a value that is not a number;
// ranges are checked by the simulator.
SimOptions ParseSimOptions(const std::vector<std::string>& arguments);

}  // namespace quorvel::sim
