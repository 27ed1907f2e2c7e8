// Shared fixtures of the log tests: a store that keeps the records it receives and a temp
// directory removed at the end of each test.
#pragma once

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "quorvel/common/log/log_store.hpp"

namespace quorvel::common::testing {

class CapturingStore final : public LogStore {
 public:
  void Append(const std::string& record) override;
  std::vector<std::string> Records();

 private:
  std::mutex mutex_;
  std::vector<std::string> records_;
};

// A fresh directory under the system temp directory, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& content);
// Bare names of the entries of `dir`, sorted.
std::vector<std::string> ListNames(const std::string& dir);
// Splits at "\n"; the text must end with a line end (a torn tail fails the caller's check).
std::vector<std::string> SplitLines(const std::string& text);

}  // namespace quorvel::common::testing
