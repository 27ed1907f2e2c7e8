#include "quorvel/sim/sim_options.hpp"

#include <cstdlib>

#include "quorvel/common/exception.hpp"

namespace quorvel::sim {
namespace {

using quorvel::common::CommonException;

double ParseNumber(const std::string& option, const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0') {
    QV_THROW(CommonException, "option " + option + " needs a number, got \"" + text + "\"");
  }
  return value;
}

}  // namespace

std::string SimUsage() {
  return "usage: quorvel_sim [--interface NAME] [--rate HZ] [--realtime-factor X]\n"
         "                   [--duration SECONDS] [--model FILE]\n"
         "  Plays the quadruped robot in DDS domain 0: reads \"rt/lowcmd\", publishes\n"
         "  \"rt/lowstate\". Defaults: interface lo, 500 Hz, real-time factor 1, run until\n"
         "  Ctrl-C, the model " QUORVEL_SIM_MODEL ".\n";
}

SimOptions ParseSimOptions(const std::vector<std::string>& arguments) {
  SimOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    if (option == "--help" || option == "-h") {
      options.help = true;
      continue;
    }
    if (i + 1 >= arguments.size()) {
      QV_THROW(CommonException, "unknown option or missing value: \"" + option + "\"");
    }
    const std::string& value = arguments[++i];
    if (option == "--interface") {
      options.network_interface = value;
    } else if (option == "--rate") {
      options.rate_hz = ParseNumber(option, value);
    } else if (option == "--realtime-factor") {
      options.realtime_factor = ParseNumber(option, value);
    } else if (option == "--duration") {
      options.duration_s = ParseNumber(option, value);
    } else if (option == "--model") {
      options.model_path = value;
    } else {
      QV_THROW(CommonException, "unknown option: \"" + option + "\"");
    }
  }
  return options;
}

}  // namespace quorvel::sim
