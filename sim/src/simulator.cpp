#include "quorvel/sim/simulator.hpp"

#include <sched.h>
#include <time.h>

#include <cmath>
#include <cstdio>

#include "quorvel/common/exception.hpp"
#include "quorvel/common/os.hpp"
#include "quorvel/common/time/time_tool.hpp"
#include "quorvel/sim/sample_crc.hpp"

namespace quorvel::sim {
namespace {

using quorvel::common::CommonException;
using quorvel::common::GetCurrentMonotonicTimeNanosecond;
using quorvel::common::OsHelper;
using quorvel::common::SystemException;
using quorvel_kesh::msg::dds_::LowCmd_;

constexpr int64_t kNanosecondsPerSecond = 1000000000;

const SimOptions& Checked(const SimOptions& options) {
  if (!(options.rate_hz > 0.0 && std::isfinite(options.rate_hz))) {
    QV_THROW(CommonException, "the rate must be a positive number of Hz. rate:" +
                                  std::to_string(options.rate_hz));
  }
  if (!(options.realtime_factor > 0.0 && std::isfinite(options.realtime_factor))) {
    QV_THROW(CommonException, "the real-time factor must be a positive number. factor:" +
                                  std::to_string(options.realtime_factor));
  }
  if (!(options.duration_s >= 0.0 && std::isfinite(options.duration_s))) {
    QV_THROW(CommonException, "the duration must be 0 or a positive number of seconds. duration:" +
                                  std::to_string(options.duration_s));
  }
  return options;
}

void SleepUntil(int64_t deadline_ns) {
  const timespec deadline{static_cast<time_t>(deadline_ns / kNanosecondsPerSecond),
                          static_cast<long>(deadline_ns % kNanosecondsPerSecond)};
  // An interrupting signal ends the sleep early so that the loop sees a stop request.
  clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
}

// Raises the calling thread to a modest real-time priority for the loop, when the
// process may, and puts normal scheduling back when it goes.
class LoopPriority {
 public:
  LoopPriority() {
    try {
      OsHelper::Instance()->SetScheduler(0, SCHED_FIFO, kPriority);
      raised_ = true;
    } catch (const SystemException&) {
      // Not permitted: the loop runs at normal priority, and says so in its summary.
    }
  }
  ~LoopPriority() {
    if (!raised_) return;
    try {
      OsHelper::Instance()->SetScheduler(0, SCHED_OTHER, 0);
    } catch (const SystemException&) {
      // Lowering one's own priority is always permitted; nothing to do otherwise.
    }
  }
  bool raised() const { return raised_; }

 private:
  static constexpr int32_t kPriority = 20;
  bool raised_ = false;
};

}  // namespace

std::string FormatSummary(const SimSummary& summary) {
  char text[400];
  std::snprintf(text, sizeof(text),
                "quorvel_sim: steps %llu, simulated %.3f s, commands received %llu, "
                "bad CRC %llu, late steps %llu%s\n"
                "quorvel_sim: trunk height %.3f m, standing band %.3f to %.3f m\n",
                static_cast<unsigned long long>(summary.steps), summary.simulated_time_s,
                static_cast<unsigned long long>(summary.commands_received),
                static_cast<unsigned long long>(summary.bad_crc_commands),
                static_cast<unsigned long long>(summary.late_steps),
                summary.realtime_priority ? "" : " (without real-time priority)",
                summary.trunk_height_m,
                summary.standing_height_band[0], summary.standing_height_band[1]);
  return text;
}

Simulator::Simulator(const SimOptions& options)
    : options_(Checked(options)),
      physics_(options_.model_path),
      link_(options_.network_interface, options_.domain_id) {
  const double steps = 1.0 / (options_.rate_hz * physics_.TimeStep());
  if (steps < 1.0 - 1e-9) {
    QV_THROW(CommonException, "the rate exceeds the model's physics rate. rate:" +
                                  std::to_string(options_.rate_hz) + ", physics rate:" +
                                  std::to_string(1.0 / physics_.TimeStep()));
  }
  physics_steps_per_step_ = static_cast<int>(std::lround(steps));
}

void Simulator::TakeCommands(SimSummary& summary) {
  summary.commands_received += link_.TakeCommands([&](const LowCmd_& command) {
    if (CommandCrc(command) != command.crc()) {
      ++summary.bad_crc_commands;
      return;
    }
    physics_.Hold(TargetsFromCommand(command));
  });
  if (summary.bad_crc_commands > 0 && !warned_bad_crc_) {
    warned_bad_crc_ = true;
    std::printf("quorvel_sim: ignoring commands with a bad CRC (counted in the summary)\n");
    std::fflush(stdout);
  }
}

SimSummary Simulator::Run(const std::atomic<bool>& stop) {
  SimSummary summary;
  summary.standing_height_band = physics_.StandingHeightBand();
  const double simulated_step_s = physics_steps_per_step_ * physics_.TimeStep();
  const auto period_ns =
      static_cast<int64_t>(std::llround(simulated_step_s / options_.realtime_factor * 1e9));
  const int64_t start_ns = static_cast<int64_t>(GetCurrentMonotonicTimeNanosecond());
  const int64_t end_ns =
      options_.duration_s > 0.0 ? start_ns + static_cast<int64_t>(options_.duration_s * 1e9) : 0;
  int64_t deadline_ns = start_ns;
  const LoopPriority priority;
  summary.realtime_priority = priority.raised();

  while (!stop.load() && (end_ns == 0 || deadline_ns < end_ns)) {
    deadline_ns += period_ns;
    TakeCommands(summary);
    for (int i = 0; i < physics_steps_per_step_; ++i) {
      physics_.Step();
    }
    physics_.FillState(state_);
    link_.Publish(state_);
    ++summary.steps;

    const int64_t now_ns = static_cast<int64_t>(GetCurrentMonotonicTimeNanosecond());
    if (now_ns > deadline_ns) {
      // No catching up: a late step moves the schedule, so simulated time lags behind.
      // The loop still sleeps a whole period, so that at real-time priority it never
      // takes a processor for itself.
      ++summary.late_steps;
      deadline_ns = now_ns + period_ns;
    }
    SleepUntil(deadline_ns);
  }
  summary.simulated_time_s = physics_.SimulatedTime();
  summary.trunk_height_m = physics_.TrunkHeight();
  return summary;
}

}  // namespace quorvel::sim
