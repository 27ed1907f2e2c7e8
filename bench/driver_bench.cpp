// driver_bench: the driver's speed, each figure next to its peer measured in the same run.
//   1. control-loop wake-up lateness at 1000 us and 250 us against cyclictest (same interval,
//      SCHED_OTHER, no cpu_dma_latency request); a cycle that overran its deadline has no
//      wake-up (cyclictest skips such periods) and is counted apart;
//   2. one control cycle (copy, CRC, write) against a bare write of the same sample;
//   3. the table-driven CRC against the bit-by-bit reference over 808-byte images;
//   4. quorvel_api's get_motor_state() and update_command() against a no-op method.
// All DDS traffic stays on "lo". Runs in about 20 s.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "quorvel/driver/command_sample.hpp"
#include "quorvel/driver/crc32.hpp"
#include "quorvel/driver/quorvel_driver.hpp"
#include "quorvel/robot/channel/channel_factory.hpp"
#include "quorvel/robot/channel/channel_publisher.hpp"
#include "quorvel/robot/channel/channel_subscriber.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using quorvel_kesh::msg::dds_::LowCmd_;

struct Latency {
  double median_us = 0;
  double p99_us = 0;
  double max_us = 0;
};

double Ratio(double ours, double peer) { return peer > 0 ? ours / peer : 0; }

Latency FromSamples(std::vector<double> samples_us) {
  std::sort(samples_us.begin(), samples_us.end());
  Latency latency;
  latency.median_us = samples_us[samples_us.size() / 2];
  latency.p99_us = samples_us[samples_us.size() * 99 / 100];
  latency.max_us = samples_us.back();
  return latency;
}

// Hides the loop's overrun lines while it is measured.
class StdoutSilenced {
 public:
  StdoutSilenced() {
    std::cout.flush();
    std::fflush(stdout);
    saved_ = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    close(null);
  }
  ~StdoutSilenced() {
    std::cout.flush();
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
  }

 private:
  int saved_;
};

// A driver on "lo" whose loop can be run for a number of wake-ups at a time, recording the
// lateness of each and counting the cycles that overran; initialised once, so that DDS
// set-up does not fall into the figures.
class MeasuredLoop {
 public:
  explicit MeasuredLoop(uint32_t period_us) : driver_("lo", period_us) {
    driver_.set_wakeup_observer([this](std::chrono::nanoseconds lateness, bool overran) {
      if (lateness_us_.size() < wanted_) {
        if (overran) {
          ++overruns_;
          return;
        }
        lateness_us_.push_back(lateness.count() / 1000.0);
        seen_ = lateness_us_.size();
      }
    });
    (void)driver_.initialize();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }

  // Appends the lateness of the next `cycles` wake-ups to `lateness_us`.
  void Run(size_t cycles, std::vector<double>& lateness_us) {
    lateness_us_.clear();
    lateness_us_.reserve(cycles);
    wanted_ = cycles;
    seen_ = 0;
    {
      StdoutSilenced silenced;
      (void)driver_.initialize_thread();
      while (seen_.load() < cycles) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      (void)driver_.stop_thread();
    }
    lateness_us.insert(lateness_us.end(), lateness_us_.begin(), lateness_us_.end());
  }

  // Cycles that overran their deadline while recording.
  size_t overruns() const { return overruns_.load(); }

 private:
  QuorvelDriver driver_;
  std::vector<double> lateness_us_;
  size_t wanted_ = 0;
  std::atomic<size_t> seen_{0};
  std::atomic<size_t> overruns_{0};
};

// cyclictest's histogram: one "<us> <count>" line per microsecond, overflows counted apart.
void Cyclictest(uint32_t period_us, size_t cycles, std::vector<double>& lateness_us) {
  const std::string command = std::string(CYCLICTEST_PATH) + " -t1 -q --policy=other --laptop -i " +
                              std::to_string(period_us) + " -l " + std::to_string(cycles) +
                              " -h 100000 2>/dev/null";
  FILE* output = popen(command.c_str(), "r");
  size_t counted = 0;
  double max_us = 0;
  char line[256];
  while (output != nullptr && fgets(line, sizeof(line), output) != nullptr) {
    unsigned long bucket = 0;
    unsigned long count = 0;
    if (std::sscanf(line, "%lu %lu", &bucket, &count) == 2) {
      lateness_us.insert(lateness_us.end(), count, static_cast<double>(bucket));
      counted += count;
    } else if (std::sscanf(line, "# Max Latencies: %lu", &bucket) == 1) {
      max_us = static_cast<double>(bucket);
    }
  }
  if (output != nullptr) {
    pclose(output);
  }
  // Cycles beyond the histogram count at the maximum.
  if (counted > 0 && counted < cycles) {
    lateness_us.insert(lateness_us.end(), cycles - counted, max_us);
  }
}

void LoopTiming() {
  std::printf("1. control loop wake-up lateness after the deadline (us), SCHED_OTHER\n");
  std::printf("   %-8s %-12s %10s %10s %10s\n", "period", "who", "median", "p99", "max");
  const struct {
    uint32_t period_us;
    size_t cycles;
  } runs[] = {{1000, 3000}, {250, 8000}};
  for (const auto& run : runs) {
    // Alternating rounds, so that both see the same load of the machine.
    constexpr size_t rounds = 3;
    MeasuredLoop loop(run.period_us);
    std::vector<double> ours_us;
    std::vector<double> peer_us;
    for (size_t round = 0; round < rounds; ++round) {
      loop.Run(run.cycles / rounds, ours_us);
      Cyclictest(run.period_us, run.cycles / rounds, peer_us);
    }
    const Latency ours = FromSamples(ours_us);
    const Latency peer = peer_us.empty() ? Latency{} : FromSamples(peer_us);
    std::printf("   %-8u %-12s %10.1f %10.1f %10.1f\n", run.period_us, "driver", ours.median_us,
                ours.p99_us, ours.max_us);
    std::printf("   %-8u %-12s %10.1f %10.1f %10.1f\n", run.period_us, "cyclictest", peer.median_us,
                peer.p99_us, peer.max_us);
    std::printf("   %-8u %-12s %10.2f %10.2f %10.2f   (goal: median <= 1.2, p99 <= 1.5)\n",
                run.period_us, "ratio", Ratio(ours.median_us, peer.median_us),
                Ratio(ours.p99_us, peer.p99_us), Ratio(ours.max_us, peer.max_us));
    std::printf("   %-8u driver cycles that overran (no wake-up, not above): %zu\n", run.period_us,
                loop.overruns());
  }
}

// Median over batches of the per-call time of `call`, in nanoseconds.
template <typename Call>
double PerCallNs(Call&& call, int batches, int calls_per_batch) {
  std::vector<double> per_call;
  for (int batch = 0; batch < batches; ++batch) {
    const auto start = Clock::now();
    for (int i = 0; i < calls_per_batch; ++i) {
      call();
    }
    per_call.push_back(std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
                       calls_per_batch);
  }
  std::sort(per_call.begin(), per_call.end());
  return per_call[per_call.size() / 2];
}

struct CycleFigures {
  double cycle_ns;
  double write_ns;
  double stamp_ns;
};

CycleFigures CycleCost(QuorvelDriver& driver, quorvel::robot::ChannelPublisher<LowCmd_>& bare) {
  driver.control_cycle();
  LowCmd_ sample = driver.command_sample();
  const quorvel::containers::MotorCommand command;
  // Alternating rounds, in both orders, so that both see the same machine.
  std::vector<double> cycles;
  std::vector<double> writes;
  std::vector<double> stamps;
  for (int round = 0; round < 20; ++round) {
    if (round % 2 == 0) {
      cycles.push_back(PerCallNs([&] { driver.control_cycle(); }, 5, 500));
      writes.push_back(PerCallNs([&] { bare.Write(sample, 0); }, 5, 500));
    } else {
      writes.push_back(PerCallNs([&] { bare.Write(sample, 0); }, 5, 500));
      cycles.push_back(PerCallNs([&] { driver.control_cycle(); }, 5, 500));
    }
    stamps.push_back(PerCallNs([&] { quorvel::driver::WriteCommandSample(command, sample); }, 5, 500));
  }
  const auto median = [](std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
  };
  return CycleFigures{median(cycles), median(writes), median(stamps)};
}

void CycleCosts() {
  QuorvelDriver driver("lo", 1000);
  (void)driver.initialize();
  quorvel::robot::ChannelPublisher<LowCmd_> bare("rt/lowcmd");
  bare.InitChannel();
  std::printf("\n2. one control cycle (copy, CRC, write) against a bare write of the same sample\n");
  const auto print = [](const char* when, const CycleFigures& figures) {
    std::printf("   %-22s cycle %5.0f ns, bare write %5.0f ns, ratio %.2f (copy and CRC alone %.0f ns)\n",
                when, figures.cycle_ns, figures.write_ns, Ratio(figures.cycle_ns, figures.write_ns),
                figures.stamp_ns);
  };
  print("no reader:", CycleCost(driver, bare));
  // As on the robot, a reader takes each sample (here in this process, queue length 1).
  quorvel::robot::ChannelSubscriber<LowCmd_> reader("rt/lowcmd");
  reader.InitChannel([](const void*) {}, 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  print("with a reader:", CycleCost(driver, bare));
  std::printf("   (goal: ratio <= 1.2)\n");
}

void CrcSpeed() {
  constexpr uint32_t words = quorvel::driver::CRC_WORDS;
  std::mt19937 random(808);
  std::vector<uint32_t> images(1000 * words);
  for (auto& word : images) {
    word = random();
  }
  size_t mismatches = 0;
  for (size_t image = 0; image < 1000; ++image) {
    const uint32_t* start = images.data() + image * words;
    mismatches += quorvel::driver::Crc32(start, words) != quorvel::driver::Crc32BitByBit(start, words);
  }
  volatile uint32_t sink = 0;
  size_t next = 0;
  // Timed over a few images that stay in cache, as the sample the driver just filled does.
  const auto next_image = [&] {
    next = (next + 1) % 8;
    return images.data() + next * words;
  };
  const double table_ns =
      PerCallNs([&] { sink = sink ^ quorvel::driver::Crc32(next_image(), words); }, 21, 2000);
  const double bit_ns =
      PerCallNs([&] { sink = sink ^ quorvel::driver::Crc32BitByBit(next_image(), words); }, 21, 200);
  std::printf("\n3. CRC over 808 bytes: table %.0f ns, bit by bit %.0f ns, speed-up %.1f   (goal: >= 20)\n",
              table_ns, bit_ns, Ratio(bit_ns, table_ns));
  std::printf("   1000 random images: %zu mismatches\n", mismatches);
}

constexpr const char* PYTHON_TIMING = R"PY(
import timeit, quorvel_api, driver_bench_noop
driver = quorvel_api.QuorvelDriver("lo", 1000)
command = quorvel_api.MotorCommand()
noop = driver_bench_noop.Noop()
def per_call_ns(stmt):
    number = 100000
    return min(timeit.repeat(stmt, number=number, repeat=7, globals=globals())) / number * 1e9
for name, stmt in (("noop", "noop.call()"), ("get_motor_state", "driver.get_motor_state()"),
                   ("update_command", "driver.update_command(command)")):
    print(name, per_call_ns(stmt))
)PY";

void PythonCalls() {
  const std::string command = std::string("PYTHONPATH=") + QUORVEL_PYTHON_DIR + " " +
                              QUORVEL_PYTHON_EXECUTABLE + " -c '" + PYTHON_TIMING + "'";
  FILE* output = popen(command.c_str(), "r");
  double noop_ns = 0;
  double state_ns = 0;
  double command_ns = 0;
  char name[64];
  double ns = 0;
  while (output != nullptr && std::fscanf(output, "%63s %lf", name, &ns) == 2) {
    const std::string which = name;
    (which == "noop" ? noop_ns : which == "get_motor_state" ? state_ns : command_ns) = ns;
  }
  if (output != nullptr) {
    pclose(output);
  }
  std::printf("\n4. Python calls, per call (goal: <= 5 times the no-op)\n");
  std::printf("   no-op method          %6.0f ns\n", noop_ns);
  std::printf("   get_motor_state()     %6.0f ns, ratio %.2f\n", state_ns, Ratio(state_ns, noop_ns));
  std::printf("   update_command(cmd)   %6.0f ns, ratio %.2f\n", command_ns, Ratio(command_ns, noop_ns));
}

}  // namespace

int main() {
  quorvel::robot::ChannelFactory::Instance()->Init(0, "lo");
  LoopTiming();
  CycleCosts();
  CrcSpeed();
  PythonCalls();
  quorvel::robot::ChannelFactory::Instance()->Release();
  return 0;
}
