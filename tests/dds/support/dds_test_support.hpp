// Test helpers of the DDS and channel tests: route the library's loggers to standard
// output (where a test captures them), and the loopback-only domain configuration.
#pragma once

#include <gtest/gtest.h>

#include <dirent.h>
#include <pthread.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "quorvel/common/log/log_decl.hpp"

namespace quorvel::test {

// A domain configuration that keeps DDS on the loopback interface.
inline const char* const kLoopbackConfig =
    "<CycloneDDS><Domain Id=\"any\"><General><Interfaces><NetworkInterface name=\"lo\"/>"
    "</Interfaces></General></Domain></CycloneDDS>";

// Initialises the log system before any test runs: every "/quorvel" logger writes to
// standard output at `level`. The configuration lives in a temporary directory that is
// gone again before the first test starts.
class StdoutLogEnvironment : public ::testing::Environment {
 public:
  explicit StdoutLogEnvironment(const std::string& level) : level_(level) {}

  void SetUp() override {
    char dir[] = "/tmp/quorvel_log_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/logconf.json";
    std::ofstream(path) << "{\"Policy\":{\"/quorvel\":{\"Level\":\"" << level_
                        << "\",\"Store\":\"out\"}},\"Store\":{\"out\":{\"Type\":\"STDOUT\"}}}";
    common::LogInit(path);
    std::remove(path.c_str());
    rmdir(dir);
  }

 private:
  std::string level_;
};

// Number of non-overlapping occurrences of `needle` in `text`.
inline int CountOccurrences(const std::string& text, const std::string& needle) {
  int count = 0;
  for (size_t pos = text.find(needle); pos != std::string::npos; pos = text.find(needle, pos + needle.size())) {
    ++count;
  }
  return count;
}

inline std::string CurrentThreadName() {
  char name[16] = {};
  pthread_getname_np(pthread_self(), name, sizeof(name));
  return name;
}

// Number of threads of this process whose name is `name`.
inline int CountThreadsNamed(const std::string& name) {
  int count = 0;
  DIR* tasks = opendir("/proc/self/task");
  if (tasks == nullptr) {
    return -1;
  }
  while (dirent* entry = readdir(tasks)) {
    if (entry->d_name[0] == '.') {
      continue;
    }
    std::ifstream comm(std::string("/proc/self/task/") + entry->d_name + "/comm");
    std::string line;
    if (std::getline(comm, line) && line == name) {
      ++count;
    }
  }
  closedir(tasks);
  return count;
}

// Polls `condition` every millisecond until it holds or `timeout` passed; returns it.
inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace quorvel::test
