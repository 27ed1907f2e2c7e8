// LogInitor: the process-wide owner of the log configuration, its stores and loggers. The
// first GetLogger of the process makes it read "default_logconf.json" beside the executable
// (a missing file means no logging at all) and build the configured stores and loggers.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "quorvel/common/any.hpp"
#include "quorvel/common/lock/lock.hpp"
#include "quorvel/common/log/log_decl.hpp"
#include "quorvel/common/log/log_policy.hpp"
#include "quorvel/common/log/log_store.hpp"

namespace quorvel::common {

class LogInitor {
 public:
  // The process-wide instance, created on first call (thread-safe).
  static LogInitor* Instance();

  // Instances other than Instance() serve tests and tools that read a given file.
  LogInitor() = default;
  LogInitor(const LogInitor&) = delete;
  LogInitor& operator=(const LogInitor&) = delete;

  // Once per instance: reads `confFile` (empty: "default_logconf.json" in the executable's
  // directory), parses it and builds stores and loggers. A missing, unreadable or empty file
  // finishes the initialisation with no loggers. A bad configuration throws (CommonException,
  // BadCastException, JsonException) and leaves the instance as before, so a later call
  // tries again. Any thread.
  void Init(const std::string& confFile);
  // Takes the mutex and returns; loggers and stores live until the instance ends.
  void Final();

  // The logger of `name` or of its nearest configured ancestor ("/" last), or null. Null
  // before a successful Init. Any thread, without locking.
  Logger* GetLogger(const std::string& name);

  bool IsInitialized() const { return initialized_.load(std::memory_order_acquire); }
  const std::vector<std::shared_ptr<LogPolicy>>& GetPolicies() const { return policies_; }
  const std::vector<std::shared_ptr<LogStorePolicy>>& GetStorePolicies() const {
    return storePolicies_;
  }

  // The two steps of Init: read the document into the policy lists, then build stores and
  // loggers from them.
  void ParseConf(const Any& conf);
  void InitLogger();

 private:
  void ClearPolicies();

  std::atomic<bool> initialized_{false};
  std::set<std::string> enabledStores_;
  std::vector<std::shared_ptr<LogPolicy>> policies_;
  std::vector<std::shared_ptr<LogStorePolicy>> storePolicies_;
  std::map<std::string, std::shared_ptr<Logger>> loggers_;
  Mutex mutex_;
};

}  // namespace quorvel::common
