// State path latency: a peer process writes LowState_ samples stamped with the monotonic
// clock; this process measures write-to-handler time through a ChannelSubscriber in
// queue mode with length 1 (the driver's path) and through a bare C reader with a C
// listener, in alternating phases of one run, and prints medians and their ratio.
// ddsperf's round trip follows for reference. All traffic stays on the loopback interface.
#include <dds/dds.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "quorvel/common/time/time_tool.hpp"
#include "quorvel/robot/channel/channel_factory.hpp"
#include "quorvel/robot/channel/channel_subscriber.hpp"
#include "quorvel_kesh/msg/dds_/LowState_.h"
#include "quorvel_kesh/msg/dds_/LowState_.hpp"

namespace {

using quorvel::common::GetCurrentMonotonicTimeNanosecond;
using quorvel_kesh::msg::dds_::LowState_;

const char* const kTopic = "quorvel/bench/lowstate";
const char* const kLoopbackConfig =
    "<CycloneDDS><Domain Id=\"any\"><General><Interfaces><NetworkInterface name=\"lo\"/>"
    "</Interfaces></General></Domain></CycloneDDS>";
constexpr int kSamplesPerPhase = 1000;
constexpr int kRounds = 3;
constexpr auto kWritePeriod = std::chrono::microseconds(2000);

volatile sig_atomic_t peerRunning = 1;

void StopPeer(int) { peerRunning = 0; }

// The peer: writes stamped samples every 2 ms until SIGTERM.
int RunPeer() {
  signal(SIGTERM, StopPeer);
  const dds_entity_t domain = dds_create_domain(0, kLoopbackConfig);
  const dds_entity_t participant = dds_create_participant(0, nullptr, nullptr);
  const dds_entity_t topic =
      dds_create_topic(participant, &quorvel_kesh_msg_dds__LowState__desc, kTopic, nullptr, nullptr);
  const dds_entity_t writer = dds_create_writer(participant, topic, nullptr, nullptr);
  if (domain < 0 || participant < 0 || topic < 0 || writer < 0) {
    return 1;
  }
  LowState_ sample;
  auto next = std::chrono::steady_clock::now();
  while (peerRunning) {
    const uint64_t now = GetCurrentMonotonicTimeNanosecond();
    sample.sn()[0] = static_cast<uint32_t>(now >> 32);
    sample.sn()[1] = static_cast<uint32_t>(now);
    dds_write(writer, &sample);
    next += kWritePeriod;
    std::this_thread::sleep_until(next);
  }
  dds_delete(domain);
  return 0;
}

// Latencies of one phase, recorded from whichever thread delivers.
class Recorder {
 public:
  Recorder() { latencies_.resize(kSamplesPerPhase); }

  void Record(const LowState_& sample) {
    const uint64_t now = GetCurrentMonotonicTimeNanosecond();
    const uint64_t stamp = (static_cast<uint64_t>(sample.sn()[0]) << 32) | sample.sn()[1];
    const int index = count_.fetch_add(1);
    if (index < kSamplesPerPhase) {
      latencies_[index] = static_cast<double>(now - stamp) / 1000.0;
      recorded_.fetch_add(1, std::memory_order_release);
    }
  }

  // Waits for a full phase (at most 30 s); returns its latencies in microseconds.
  std::vector<double> Collect() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (recorded_.load(std::memory_order_acquire) < kSamplesPerPhase &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const int recorded = recorded_.load(std::memory_order_acquire);
    if (recorded < kSamplesPerPhase) {
      std::fprintf(stderr, "phase incomplete: %d of %d samples\n", recorded, kSamplesPerPhase);
    }
    return std::vector<double>(latencies_.begin(), latencies_.begin() + recorded);
  }

 private:
  std::atomic<int> count_{0};
  std::atomic<int> recorded_{0};
  std::vector<double> latencies_;
};

std::vector<double> MeasureChannel() {
  Recorder recorder;
  quorvel::robot::ChannelSubscriber<LowState_> subscriber(kTopic);
  subscriber.InitChannel([&](const void* m) { recorder.Record(*static_cast<const LowState_*>(m)); }, 1);
  return recorder.Collect();
}

void OnBareData(dds_entity_t reader, void* arg) {
  void* samples[4] = {};
  dds_sample_info_t infos[4];
  const int32_t n = dds_take(reader, samples, infos, 4, 4);
  for (int32_t i = 0; i < n; ++i) {
    if (infos[i].valid_data) {
      static_cast<Recorder*>(arg)->Record(*static_cast<const LowState_*>(samples[i]));
    }
  }
  if (n > 0) {
    dds_return_loan(reader, samples, n);
  }
}

std::vector<double> MeasureBare(dds_entity_t participant, dds_entity_t topic) {
  Recorder recorder;
  dds_qos_t* qos = dds_create_qos();
  dds_qset_durability(qos, DDS_DURABILITY_VOLATILE);
  dds_qset_history(qos, DDS_HISTORY_KEEP_LAST, 1);
  dds_listener_t* listener = dds_create_listener(&recorder);
  dds_lset_data_available(listener, OnBareData);
  const dds_entity_t reader = dds_create_reader(participant, topic, qos, listener);
  dds_delete_listener(listener);
  dds_delete_qos(qos);
  std::vector<double> latencies = recorder.Collect();
  dds_delete(reader);
  return latencies;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

void Print(const char* name, const std::vector<double>& values) {
  std::printf("%-34s samples %zu  median %8.1f us  p90 %8.1f us  p99 %8.1f us\n", name, values.size(),
              Median(values), Percentile(values, 0.9), Percentile(values, 0.99));
}

// For reference: ddsperf's round trip (ping to pong and back, 12-byte samples, 500 Hz)
// on lo, when the tool is installed. Prints its last statistics line.
void PrintDdsperfReference() {
  if (std::system("command -v ddsperf >/dev/null 2>&1") != 0) {
    std::printf("ddsperf not found: no reference figures\n");
    return;
  }
  setenv("CYCLONEDDS_URI", kLoopbackConfig, 1);
  if (std::system("ddsperf -D 4 pong >/dev/null 2>&1 &") != 0) {
    return;
  }
  FILE* ping = popen("ddsperf -D 3 ping 500Hz 2>/dev/null | grep ' size ' | tail -1", "r");
  if (ping == nullptr) {
    return;
  }
  char line[512] = {};
  if (std::fgets(line, sizeof(line), ping) != nullptr) {
    std::printf("ddsperf ping-pong round trip (reference): %s", line);
  }
  pclose(ping);
}

}  // namespace

int main() {
  const pid_t peer = fork();
  if (peer == 0) {
    _exit(RunPeer());
  }
  quorvel::robot::ChannelFactory::Instance()->Init(0, "lo");
  // The bare path joins the same domain (configured on lo by the factory).
  const dds_entity_t participant = dds_create_participant(0, nullptr, nullptr);
  const dds_entity_t topic =
      dds_create_topic(participant, &quorvel_kesh_msg_dds__LowState__desc, kTopic, nullptr, nullptr);

  std::vector<double> channel;
  std::vector<double> bare;
  for (int round = 0; round < kRounds; ++round) {
    const std::vector<double> c = MeasureChannel();
    channel.insert(channel.end(), c.begin(), c.end());
    const std::vector<double> b = MeasureBare(participant, topic);
    bare.insert(bare.end(), b.begin(), b.end());
  }
  kill(peer, SIGTERM);
  waitpid(peer, nullptr, 0);
  dds_delete(participant);

  std::printf("State path, peer process writing LowState_ every 2 ms on lo, write to handler:\n");
  Print("ChannelSubscriber, queue length 1", channel);
  Print("bare C reader + listener", bare);
  std::printf("median ratio channel / bare: %.2f (goal <= 1.20)\n", Median(channel) / Median(bare));
  std::fflush(stdout);
  PrintDdsperfReference();
  return 0;
}
