// Logging throughput: the same records through a FILEASYNC log store and through spdlog's
// asynchronous file logger, in bursts from 1 and 2 logging threads. Prints records per
// second on the logging threads for both, their ratio, and the time one logging call takes
// (mean, median and 99th percentile; the mean carries the rare long calls). Each burst fits the memory of both loggers (the store's
// 8 MiB buffer half, spdlog's queue) and is drained to the file before the next one, and
// every record is checked to be in the file. Files live in a temp dir that is removed.
#include <spdlog/async.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/spdlog.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "quorvel/common/log/log_decl.hpp"
#include "quorvel/common/log/log_keeper.hpp"
#include "quorvel/common/log/log_store.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using quorvel::common::Logger;

const int kRecordsPerBurst = 40000;
const int kBursts = 6;

struct Result {
  double recordsPerSecond = 0;
  double meanNs = 0;
  double medianNs = 0;
  double p99Ns = 0;
  long missing = 0;
};

// Counts the lines of a growing file, reading only what was added since the last call.
class LineCounter {
 public:
  explicit LineCounter(const std::string& path) : path_(path) {}
  long Count() {
    std::ifstream in(path_, std::ios::binary);
    in.seekg(offset_);
    char chunk[65536];
    while (in.read(chunk, sizeof(chunk)) || in.gcount() > 0) {
      lines_ += std::count(chunk, chunk + in.gcount(), '\n');
      offset_ += in.gcount();
    }
    return lines_;
  }

 private:
  std::string path_;
  std::streamoff offset_ = 0;
  long lines_ = 0;
};

// Runs the bursts: `log(i)` writes record i; `flush` pushes buffered data towards the file.
Result Run(int threads, const std::function<void(int)>& log, const std::function<void()>& flush,
           const std::string& path) {
  LineCounter counter(path);
  std::vector<double> callNs;
  callNs.reserve(static_cast<size_t>(kRecordsPerBurst) * kBursts);
  double loggingSeconds = 0;
  long expected = 0;
  for (int burst = 0; burst < kBursts; ++burst) {
    const int perThread = kRecordsPerBurst / threads;
    std::vector<std::vector<double>> samples(threads);
    std::vector<std::thread> workers;
    const auto start = Clock::now();
    for (int t = 0; t < threads; ++t) {
      workers.emplace_back([&, t] {
        samples[t].reserve(perThread);
        for (int i = 0; i < perThread; ++i) {
          const auto before = Clock::now();
          log(i);
          samples[t].push_back(std::chrono::duration<double, std::nano>(Clock::now() - before).count());
        }
      });
    }
    for (auto& worker : workers) {
      worker.join();
    }
    loggingSeconds += std::chrono::duration<double>(Clock::now() - start).count();
    for (const auto& s : samples) {
      callNs.insert(callNs.end(), s.begin(), s.end());
    }
    expected += static_cast<long>(perThread) * threads;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (counter.Count() < expected && Clock::now() < deadline) {
      flush();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  std::sort(callNs.begin(), callNs.end());
  Result result;
  result.recordsPerSecond = static_cast<double>(callNs.size()) / loggingSeconds;
  double totalNs = 0;
  for (double ns : callNs) {
    totalNs += ns;
  }
  result.meanNs = totalNs / static_cast<double>(callNs.size());
  result.medianNs = callNs[callNs.size() / 2];
  result.p99Ns = callNs[callNs.size() * 99 / 100];
  result.missing = expected - counter.Count();
  return result;
}

Result RunQuorvel(const std::string& dir, int threads) {
  auto policy = std::make_shared<quorvel::common::LogStorePolicy>(
      "bench", quorvel::common::QV_LOG_STORE_FILEASYNC, 2, 10737418240, -1,
      dir + "/quorvel" + std::to_string(threads), "");
  auto keeper = std::make_shared<quorvel::common::LogKeeper>(policy);
  auto store = std::make_shared<quorvel::common::LogFileAsyncStore>(keeper);
  Logger logger(quorvel::common::QV_LOG_LEVEL_INFO, store);
  while (!std::filesystem::exists(keeper->GetFileName())) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return Run(
      threads,
      [&](int i) { logger.Log(quorvel::common::QV_LOG_LEVEL_INFO, "motor state joint:", i % 12, " seq:", i, " q:", 0.5); },
      [] {}, keeper->GetFileName());
}

Result RunSpdlog(const std::string& dir, int threads) {
  const std::string path = dir + "/spdlog" + std::to_string(threads) + ".LOG";
  // A queue that holds a whole burst, as the store's buffer does.
  auto pool = std::make_shared<spdlog::details::thread_pool>(65536, 1);
  auto sink = std::make_shared<spdlog::sinks::basic_file_sink_mt>(path, true);
  auto logger = std::make_shared<spdlog::async_logger>("bench", sink, pool,
                                                       spdlog::async_overflow_policy::block);
  logger->set_pattern("[%Y-%m-%d %H:%M:%S.%e] [%l] [%P] [%t] %v");
  Result result = Run(
      threads, [&](int i) { logger->info("motor state joint:{} seq:{} q:{:.6f}", i % 12, i, 0.5); },
      [&] { logger->flush(); }, path);
  logger.reset();
  return result;
}

}  // namespace

int main() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quorvel_log_bench_XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string dir = pattern;
  std::printf("%d bursts of %d records per configuration, each drained before the next\n", kBursts,
              kRecordsPerBurst);
  std::printf("%-8s %-10s %12s %10s %10s %10s %8s\n", "threads", "logger", "records/s", "mean ns",
              "median ns", "p99 ns", "missing");
  for (int threads : {1, 2}) {
    const Result ours = RunQuorvel(dir, threads);
    const Result peer = RunSpdlog(dir, threads);
    for (const auto& [name, r] : {std::pair<const char*, const Result&>{"FILEASYNC", ours},
                                  std::pair<const char*, const Result&>{"spdlog", peer}}) {
      std::printf("%-8d %-10s %12.0f %10.0f %10.0f %10.0f %8ld\n", threads, name, r.recordsPerSecond,
                  r.meanNs, r.medianNs, r.p99Ns, r.missing);
    }
    std::printf("%-8d ratio FILEASYNC/spdlog records/s: %.2f\n", threads,
                ours.recordsPerSecond / peer.recordsPerSecond);
  }
  std::filesystem::remove_all(dir);
  return 0;
}
