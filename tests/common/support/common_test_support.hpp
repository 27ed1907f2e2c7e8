// Helpers shared by the foundation tests: the message of an expected exception, and a
// fixture that owns a temporary directory and removes it even when the test fails.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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
