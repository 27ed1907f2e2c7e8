// Log stores, the sinks behind a Logger: standard output, standard error, a file written
// synchronously and a file written by a background writer. LogInitor builds one per
// configured store; the Logger hands each finished record to Append.
#pragma once

#include <memory>
#include <string>

#include "quorvel/common/log/log_keeper.hpp"
#include "quorvel/common/log/log_writer.hpp"

namespace quorvel::common {

// Always owned through a std::shared_ptr made from the concrete class.
class LogStore {
 public:
  // Any thread; one whole record per call; never throws a library exception.
  virtual void Append(const std::string& record) = 0;

 protected:
  ~LogStore() = default;
};

class LogStdoutStore final : public LogStore {
 public:
  LogStdoutStore();
  void Append(const std::string& record) override;

 private:
  std::shared_ptr<LogWriter> writer_;
};

class LogStderrStore final : public LogStore {
 public:
  LogStderrStore();
  void Append(const std::string& record) override;

 private:
  std::shared_ptr<LogWriter> writer_;
};

// Writes each record at once (records are kept while the keeper rolls the file).
class LogFileStore final : public LogStore {
 public:
  explicit LogFileStore(std::shared_ptr<LogKeeper> keeper);
  void Append(const std::string& record) override;

 private:
  std::shared_ptr<LogKeeper> keeper_;
  std::shared_ptr<LogWriter> writer_;
};

// Appends to memory; the "log.writer" thread writes every 100 ms.
class LogFileAsyncStore final : public LogStore {
 public:
  explicit LogFileAsyncStore(std::shared_ptr<LogKeeper> keeper);
  void Append(const std::string& record) override;

 private:
  std::shared_ptr<LogWriter> writer_;
  std::shared_ptr<LogKeeper> keeper_;
};

}  // namespace quorvel::common
