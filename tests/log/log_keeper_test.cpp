#include "quorvel/common/log/log_keeper.hpp"

#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "quorvel/common/log/log_decl.hpp"
#include "quorvel/common/log/log_store.hpp"
#include "quorvel/common/os.hpp"
#include "log/support/log_test_support.hpp"

namespace quorvel::common {
namespace {

using testing::ListNames;
using testing::ReadWholeFile;
using testing::SplitLines;
using testing::TempDir;
using testing::WriteWholeFile;

const int64_t kMiB = 1048576;

bool WaitFor(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

std::shared_ptr<LogStorePolicy> FilePolicy(int32_t type, const std::string& fileName,
                                           int32_t fileNumber, int64_t fileSize) {
  return std::make_shared<LogStorePolicy>("file", type, fileNumber, fileSize, -1, fileName, "");
}

std::shared_ptr<LogStore> MakeFileStore(const std::shared_ptr<LogStorePolicy>& policy) {
  auto keeper = std::make_shared<LogKeeper>(policy);
  if (policy->type == QV_LOG_STORE_FILE) {
    return std::make_shared<LogFileStore>(keeper);
  }
  return std::make_shared<LogFileAsyncStore>(keeper);
}

void MakeSparseFile(const std::string& path, int64_t size) {
  WriteWholeFile(path, "");
  ASSERT_EQ(truncate(path.c_str(), size), 0);
}

TEST(LogKeeperTest, PathComesFromFileNameOrDirectory) {
  TempDir dir;
  const std::string process = OsHelper::Instance()->GetProcessName();
  struct Case {
    std::string fileName;
    std::string directory;
    std::string expected;
  };
  const Case cases[] = {
      {dir.File("new/sub/app"), "", dir.File("new/sub/app.LOG")},
      {dir.File("x.log"), "", dir.File("x.log")},
      {dir.File("y.LOG"), dir.File("ignored"), dir.File("y.LOG")},
      {"", dir.File("only"), dir.File("only/" + process + ".LOG")},
  };
  for (const Case& c : cases) {
    LogKeeper keeper(std::make_shared<LogStorePolicy>("s", QV_LOG_STORE_FILE, 3, 8388608, -1,
                                                      c.fileName, c.directory));
    EXPECT_EQ(keeper.GetFileName(), c.expected);
    EXPECT_TRUE(WaitFor([&] { return std::filesystem::is_regular_file(c.expected); }))
        << c.expected << " is opened (and its directory created) without any record";
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("ignored")));
}

// Only "NAME.1" .. "NAME.9999" are rolled copies; a stale one beyond the kept number goes at
// the next roll, other look-alikes stay. The name may hold regular-expression characters.
TEST(LogKeeperTest, RollRemovesStaleCopiesAndLeavesOtherNamesAlone) {
  for (const std::string base : {"app", "a+b(1)"}) {
    TempDir dir;
    const std::string name = base + ".LOG";
    for (const std::string suffix : {"", ".7", ".0", ".12345", "_5"}) {
      WriteWholeFile(dir.File(name + suffix), "old" + suffix + "\n");
    }
    // An existing file within 8 MiB of the limit is rolled before it is reopened.
    LogKeeper keeper(FilePolicy(QV_LOG_STORE_FILE, dir.File(base), 3, 8388608));
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(dir.File(name + ".1")); })) << base;
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(dir.File(name)); })) << base;
    EXPECT_EQ(ListNames(dir.Path()), (std::vector<std::string>{name, name + ".0", name + ".1",
                                                               name + ".12345", name + "_5"}))
        << base;
    EXPECT_EQ(ReadWholeFile(dir.File(name + ".1")), "old\n");
  }
}

struct RestartCase {
  int64_t existingSize;
  bool rolledFirst;
  int32_t storeType;
};

class LogKeeperRestartTest : public ::testing::TestWithParam<RestartCase> {};

TEST_P(LogKeeperRestartTest, ExistingFileIsAppendedToOrRolledByItsSize) {
  TempDir dir;
  const int64_t existing = GetParam().existingSize;
  const std::string record = "new record\n";
  MakeSparseFile(dir.File("app.LOG"), existing);
  // The record usually arrives before the file is open: it is held, then written on open.
  auto store = MakeFileStore(FilePolicy(GetParam().storeType, dir.File("app"), 10, 100 * kMiB));
  store->Append(record);
  if (GetParam().rolledFirst) {
    ASSERT_TRUE(WaitFor([&] { return ReadWholeFile(dir.File("app.LOG")) == record; }));
    EXPECT_EQ(static_cast<int64_t>(std::filesystem::file_size(dir.File("app.LOG.1"))), existing);
  } else {
    const auto appended = static_cast<uintmax_t>(existing) + record.size();
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::file_size(dir.File("app.LOG")) == appended; }));
    EXPECT_FALSE(std::filesystem::exists(dir.File("app.LOG.1")));
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, LogKeeperRestartTest,
                         ::testing::Values(RestartCase{kMiB, false, QV_LOG_STORE_FILE},
                                           RestartCase{99 * kMiB, true, QV_LOG_STORE_FILE},
                                           RestartCase{kMiB, false, QV_LOG_STORE_FILEASYNC},
                                           RestartCase{99 * kMiB, true, QV_LOG_STORE_FILEASYNC}));

// Record i of a run: a fixed-width sequence number, then padding up to `size` bytes.
std::string NumberedRecord(int thread, int sequence, size_t size) {
  std::string head = "t" + std::to_string(thread) + " s" + std::to_string(sequence) + " ";
  head.resize(size - 1, 'x');
  return head + "\n";
}

// Parses "t<thread> s<sequence> xxx..." (std::regex would recurse once per byte of a
// 1 MiB record); false for anything else.
bool ParseRecord(const std::string& body, std::pair<int, int>& ids) {
  int consumed = 0;
  if (sscanf(body.c_str(), "t%d s%d %n", &ids.first, &ids.second, &consumed) != 2 || consumed == 0) {
    return false;
  }
  return body.find_first_not_of('x', static_cast<size_t>(consumed)) == std::string::npos;
}

// (thread, sequence) of every line of every file in `dir`; fails on a malformed line.
std::map<std::string, std::vector<std::pair<int, int>>> ReadRecords(const std::string& dir) {
  std::map<std::string, std::vector<std::pair<int, int>>> byFile;
  for (const std::string& name : ListNames(dir)) {
    const std::string content = ReadWholeFile(dir + "/" + name);
    EXPECT_TRUE(content.empty() || content.back() == '\n') << name << " ends in a torn record";
    auto& records = byFile[name];
    for (const std::string& text : SplitLines(content)) {
      // Records written through a Logger carry the "[...] [INFO] [pid] [tid] " prefix.
      const size_t prefixEnd = text.find("] t");
      const std::string body = prefixEnd == std::string::npos ? text : text.substr(prefixEnd + 2);
      std::pair<int, int> ids;
      if (!ParseRecord(body, ids)) {
        ADD_FAILURE() << name << " holds a torn or interleaved record: " << text.substr(0, 80);
        continue;
      }
      records.push_back(ids);
    }
  }
  return byFile;
}

class LogKeeperRollingTest : public ::testing::TestWithParam<int32_t> {};

// 30 MiB through a store with 3 files of 8 MiB: the live file and two copies remain, each
// newer than the next, and the newest records are in the live file.
TEST_P(LogKeeperRollingTest, ThirtyMebibytesLeaveThreeFilesNewestFirst) {
  TempDir dir;
  {
    auto store = MakeFileStore(FilePolicy(GetParam(), dir.File("app"), 3, 8388608));
    for (int i = 0; i < 30; ++i) {
      store->Append(NumberedRecord(0, i, kMiB));
      // Stay well below what the asynchronous writer can hold between two writes.
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    ASSERT_TRUE(WaitFor([&] { return ReadWholeFile(dir.File("app.LOG")).find(" s29 ") != std::string::npos; }));
  }
  EXPECT_EQ(ListNames(dir.Path()),
            (std::vector<std::string>{"app.LOG", "app.LOG.1", "app.LOG.2"}));
  auto byFile = ReadRecords(dir.Path());
  const auto& older = byFile["app.LOG.2"];
  const auto& newer = byFile["app.LOG.1"];
  const auto& live = byFile["app.LOG"];
  ASSERT_FALSE(older.empty());
  ASSERT_FALSE(newer.empty());
  ASSERT_FALSE(live.empty());
  EXPECT_LT(older.back().second, newer.front().second);
  EXPECT_LT(newer.back().second, live.front().second);
  EXPECT_EQ(live.back().second, 29);
  if (GetParam() == QV_LOG_STORE_FILE) {
    // Counted and written together; the asynchronous store counts records still in memory.
    EXPECT_GE(static_cast<int64_t>(newer.size()) * kMiB, 8388608);
  }
}

// Records logged just before the store goes (at process exit) still reach the file.
TEST_P(LogKeeperRollingTest, DestroyingTheStoreWritesWhatItStillHolds) {
  TempDir dir;
  {
    auto store = MakeFileStore(FilePolicy(GetParam(), dir.File("app"), 3, 8388608));
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(dir.File("app.LOG")); }));
    for (int i = 0; i < 100; ++i) {
      store->Append(NumberedRecord(0, i, 64));
    }
  }
  const auto records = ReadRecords(dir.Path())["app.LOG"];
  ASSERT_EQ(records.size(), 100u);
  EXPECT_EQ(records.back().second, 99);
}

// A program that logs and ends at once: its store goes before the keeper thread has
// opened the file, and the records must still reach it.
TEST_P(LogKeeperRollingTest, RecordsOfAStoreThatEndsAtOnceReachTheFile) {
  for (int run = 0; run < 10; ++run) {
    TempDir dir;
    MakeFileStore(FilePolicy(GetParam(), dir.File("app"), 3, 8388608))->Append(NumberedRecord(0, run, 64));
    EXPECT_EQ(ReadRecords(dir.Path())["app.LOG"], (std::vector<std::pair<int, int>>{{0, run}})) << "run " << run;
  }
}

// Two logging threads while the file rolls: every record lands once, whole, in some file.
TEST_P(LogKeeperRollingTest, TwoThreadsAcrossRollsLoseTearAndDuplicateNothing) {
  TempDir dir;
  // Few large records: each synchronous write waits for the disk.
  const int perThread = 640;
  const size_t recordSize = 8192;
  {
    auto keeper = std::make_shared<LogKeeper>(FilePolicy(GetParam(), dir.File("app"), 20, 8388608));
    std::shared_ptr<LogStore> store;
    if (GetParam() == QV_LOG_STORE_FILE) {
      store = std::make_shared<LogFileStore>(keeper);
    } else {
      store = std::make_shared<LogFileAsyncStore>(keeper);
    }
    Logger logger(QV_LOG_LEVEL_INFO, store);
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
      threads.emplace_back([&, t] {
        for (int i = 0; i < perThread; ++i) {
          std::string record = NumberedRecord(t, i, recordSize);
          record.pop_back();
          logger.Log(QV_LOG_LEVEL_INFO, record);
          if (i % 32 == 31) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
          }
        }
      });
    }
    for (auto& thread : threads) {
      thread.join();
    }
    auto all = [&] {
      size_t lines = 0;
      for (const auto& name : ListNames(dir.Path())) {
        lines += SplitLines(ReadWholeFile(dir.File(name))).size();
      }
      return lines == 2u * perThread;
    };
    ASSERT_TRUE(WaitFor(all));
  }
  std::set<std::pair<int, int>> seen;
  for (const auto& [name, records] : ReadRecords(dir.Path())) {
    for (const auto& record : records) {
      EXPECT_TRUE(seen.insert(record).second) << "duplicate t" << record.first << " s" << record.second;
    }
  }
  EXPECT_EQ(seen.size(), 2u * perThread);
  EXPECT_TRUE(std::filesystem::exists(dir.File("app.LOG.1"))) << "the run must cross a roll";
}

INSTANTIATE_TEST_SUITE_P(Stores, LogKeeperRollingTest,
                         ::testing::Values(QV_LOG_STORE_FILE, QV_LOG_STORE_FILEASYNC),
                         [](const auto& info) { return info.param == QV_LOG_STORE_FILE ? "File" : "FileAsync"; });

}  // namespace
}  // namespace quorvel::common
