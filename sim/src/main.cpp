// quorvel_sim: the simulated quadruped on the robot's DDS topics, until the duration
// has passed or Ctrl-C; prints a summary at exit.
#include <csignal>
#include <cstdio>
#include <exception>

#include "quorvel/common/exception.hpp"
#include "quorvel/sim/simulator.hpp"

namespace {

std::atomic<bool> stop_requested{false};

void RequestStop(int) { stop_requested.store(true); }

void InstallStopHandlers() {
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: the signal cuts the loop's sleep short
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quorvel::sim;
  SimOptions options;
  try {
    options = ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const quorvel::common::Exception& e) {
    std::fprintf(stderr, "quorvel_sim: %s\n%s", e.what(), SimUsage().c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(SimUsage().c_str(), stdout);
    return 0;
  }
  try {
    InstallStopHandlers();
    Simulator simulator(options);
    std::printf("quorvel_sim: robot on interface %s, %g Hz, real-time factor %g, ",
                options.network_interface.c_str(), options.rate_hz, options.realtime_factor);
    if (options.duration_s > 0) {
      std::printf("for %g s or ", options.duration_s);
    }
    std::printf("until Ctrl-C\n");
    std::fflush(stdout);
    const SimSummary summary = simulator.Run(stop_requested);
    std::fputs(FormatSummary(summary).c_str(), stdout);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quorvel_sim: %s\n", e.what());
    return 1;
  }
}
