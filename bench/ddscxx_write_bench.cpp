// Cost of the C++ DDS layer's write against a bare dds_write: the same LowCmd_ through
// the same writer, with one matched reader, on loopback. Batches of the two alternate
// so that both see the same machine state; prints the median per write and the ratio.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "ddscxx/dds.hpp"
#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"

namespace {

using quorvel_kesh::msg::dds_::LowCmd_;
using Clock = std::chrono::steady_clock;

const uint32_t kDomainId = 88;
const int kBatches = 4000;
const int kWritesPerBatch = 50;

const std::string kLoopbackConfig =
    "<CycloneDDS><Domain Id=\"any\"><General><Interfaces><NetworkInterface name=\"lo\"/>"
    "</Interfaces></General></Domain></CycloneDDS>";

template <typename Write>
double NanosecondsPerWrite(Write&& write) {
  const auto start = Clock::now();
  for (int i = 0; i < kWritesPerBatch; ++i) {
    write();
  }
  const std::chrono::duration<double, std::nano> elapsed = Clock::now() - start;
  return elapsed.count() / kWritesPerBatch;
}

double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  dds::domain::DomainParticipant participant(kDomainId, dds::domain::DomainParticipant::default_participant_qos(),
                                             nullptr, dds::core::status::StatusMask::none(), kLoopbackConfig);
  dds::pub::Publisher publisher(participant);
  dds::sub::Subscriber subscriber(participant);
  dds::topic::Topic<LowCmd_> topic(participant, "ddscxx_write_bench");
  dds::pub::DataWriter<LowCmd_> writer(publisher, topic);
  dds::sub::DataReader<LowCmd_> reader(subscriber, topic);
  while (writer.publication_matched_status().current_count() == 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

  LowCmd_ command;
  command.motor_cmd()[0].q() = 1.0f;
  const dds_entity_t native_writer = writer.native_handle();
  auto layer_write = [&] { writer.write(command); };
  auto bare_write = [&] {
    if (dds_write(native_writer, &command) < 0) {
      std::fprintf(stderr, "dds_write failed\n");
    }
  };

  NanosecondsPerWrite(layer_write);  // warm-up
  NanosecondsPerWrite(bare_write);
  std::vector<double> layer;
  std::vector<double> bare;
  std::vector<double> paired_ratios;  // adjacent batches share the machine's load
  for (int batch = 0; batch < kBatches; ++batch) {
    if (batch % 2 == 0) {
      layer.push_back(NanosecondsPerWrite(layer_write));
      bare.push_back(NanosecondsPerWrite(bare_write));
    } else {
      bare.push_back(NanosecondsPerWrite(bare_write));
      layer.push_back(NanosecondsPerWrite(layer_write));
    }
    paired_ratios.push_back(layer.back() / bare.back());
  }

  const double layer_median = Median(layer);
  const double bare_median = Median(bare);
  std::printf("LowCmd_ write, %d batches of %d, one matched reader, loopback\n", kBatches, kWritesPerBatch);
  std::printf("dds::pub::DataWriter<LowCmd_>::write  median %.1f ns/write\n", layer_median);
  std::printf("dds_write                             median %.1f ns/write\n", bare_median);
  std::printf("ratio layer/bare %.3f (goal <= 1.05), median of paired batch ratios %.3f\n",
              layer_median / bare_median, Median(paired_ratios));
  return 0;
}
