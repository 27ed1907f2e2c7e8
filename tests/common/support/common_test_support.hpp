// Helpers shared by the foundation tests: the message of an expected exception, and a
// fixture that owns a temporary directory and removes it even when the test fails.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace quorvel::test {

// The message of the ExceptionClass that `call` throws, or "<nothing thrown>".
template <typename ExceptionClass, typename Call>
std::string MessageOf(Call&& call) {
  try {
    call();
  } catch (const ExceptionClass& e) {
    return e.GetMessage();
  }
  return "<nothing thrown>";
}

// Waits (up to ten seconds) until the kernel no longer lists thread `tid` of this process:
// for threads that were let go rather than joined. True when it is gone.
inline bool ThreadGone(int32_t tid) {
  const std::string path = "/proc/self/task/" + std::to_string(tid);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (access(path.c_str(), F_OK) == 0) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quorvel_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string dir_;
};

}  // namespace quorvel::test
