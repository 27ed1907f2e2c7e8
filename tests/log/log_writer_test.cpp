#include "quorvel/common/log/log_writer.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "log/support/log_test_support.hpp"

namespace quorvel::common {
namespace {

using testing::ReadWholeFile;
using testing::TempDir;

const uint64_t kIntervalMicrosec = 100000;

// An open descriptor of a file in the temp dir, closed at the end of the test.
class FileFd {
 public:
  FileFd(const std::string& path, int flags) : fd_(open(path.c_str(), flags, 0644)) {}
  ~FileFd() { close(fd_); }
  int Get() const { return fd_; }

 private:
  int fd_;
};

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

TEST(LogDirectWriterTest, WritesEachRecordAtOnceAndReportsFailures) {
  TempDir dir;
  FileFd file(dir.File("direct.LOG"), O_WRONLY | O_CREAT | O_APPEND);
  LogDirectWriter writer(file.Get());
  writer.Write("one\n");
  EXPECT_EQ(ReadWholeFile(dir.File("direct.LOG")), "one\n");

  FileFd readOnly(dir.File("direct.LOG"), O_RDONLY);
  writer.SetFd(readOnly.Get());
  ::testing::internal::CaptureStderr();
  writer.Write("two\n");
  const std::string report = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(report.find("Catch IOException code:1009, message:write error. fd:" +
                        std::to_string(readOnly.Get())),
            std::string::npos)
      << report;
}

TEST(LogStdoutWriterTest, RecordIsOnStandardOutputWhenWriteReturns) {
  LogStdoutWriter writer;
  EXPECT_EQ(writer.GetFd(), 1);
  ::testing::internal::CaptureStdout();
  writer.Write("[INFO] to stdout\n");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "[INFO] to stdout\n");
  EXPECT_EQ(LogStderrWriter().GetFd(), 2);
}

TEST(LogBufferWriterTest, KeepsRecordsWithoutFileAndWritesThemFirstInOrder) {
  TempDir dir;
  LogBufferWriter writer;
  writer.Write("a\n");
  writer.Write("b\n");
  FileFd file(dir.File("buffer.LOG"), O_WRONLY | O_CREAT | O_APPEND);
  writer.SetFd(file.Get());
  EXPECT_EQ(ReadWholeFile(dir.File("buffer.LOG")), "") << "kept records wait for the next Write";
  writer.Write("c\n");
  EXPECT_EQ(ReadWholeFile(dir.File("buffer.LOG")), "a\nb\nc\n");
}

// A descriptor that refuses writes must not cost records: they wait for a usable one.
TEST(LogBufferWriterTest, FailedWritesKeepEveryRecordForTheNextFile) {
  TempDir dir;
  testing::WriteWholeFile(dir.File("ro"), "");
  FileFd readOnly(dir.File("ro"), O_RDONLY);
  LogBufferWriter writer;
  writer.SetFd(readOnly.Get());
  ::testing::internal::CaptureStderr();
  writer.Write("a\n");
  writer.Write("b\n");
  const std::string reports = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(reports.find("write error. fd:"), std::string::npos);

  FileFd file(dir.File("buffer.LOG"), O_WRONLY | O_CREAT | O_APPEND);
  writer.SetFd(file.Get());
  writer.Write("c\n");
  EXPECT_EQ(ReadWholeFile(dir.File("buffer.LOG")), "a\nb\nc\n");
}

TEST(LogAsyncBufferWriterTest, WritesWithinTwoIntervalsInOrder) {
  TempDir dir;
  FileFd file(dir.File("async.LOG"), O_WRONLY | O_CREAT | O_APPEND);
  LogAsyncBufferWriter writer(kIntervalMicrosec);
  writer.SetFd(file.Get());
  writer.Write("one\n");
  writer.Write("two\n");
  EXPECT_TRUE(WaitFor([&] { return ReadWholeFile(dir.File("async.LOG")) == "one\ntwo\n"; },
                      std::chrono::milliseconds(2000)));
}

// Without a descriptor the writer holds records up to its two 8 MiB halves, refuses the
// rest with the limit message, and writes what it holds, in order, once a file is set.
TEST(LogAsyncBufferWriterTest, HoldsBacklogWithinTheLimitAndWritesItAfterSetFd) {
  TempDir dir;
  LogAsyncBufferWriter writer(kIntervalMicrosec);
  const size_t recordSize = 1048576;
  const int records = 24;
  ::testing::internal::CaptureStderr();
  for (int i = 0; i < records; ++i) {
    std::string record(recordSize - 1, static_cast<char>('A' + i));
    writer.Write(record + "\n");
  }
  const std::string reports = ::testing::internal::GetCapturedStderr();
  const std::string refusal = "log data cache reached max buffer size:8388608\n";
  size_t refused = 0;
  for (size_t pos = reports.find(refusal); pos != std::string::npos;
       pos = reports.find(refusal, pos + 1)) {
    ++refused;
  }
  const size_t kept = records - refused;
  EXPECT_GE(kept, 8u);
  EXPECT_LE(kept, 16u);

  FileFd file(dir.File("async.LOG"), O_WRONLY | O_CREAT | O_APPEND);
  writer.SetFd(file.Get());
  ASSERT_TRUE(WaitFor([&] { return ReadWholeFile(dir.File("async.LOG")).size() == kept * recordSize; },
                      std::chrono::milliseconds(5000)));
  // Records refused while the current half was full leave gaps; the kept ones stay in order.
  const std::string content = ReadWholeFile(dir.File("async.LOG"));
  for (size_t i = 1; i < kept; ++i) {
    ASSERT_LT(content[(i - 1) * recordSize], content[i * recordSize]) << "record " << i;
  }
  EXPECT_EQ(content[0], 'A');
}

TEST(LogAsyncBufferWriterTest, FlushWritesBothHalvesAtOnce) {
  TempDir dir;
  FileFd file(dir.File("async.LOG"), O_WRONLY | O_CREAT | O_APPEND);
  LogAsyncBufferWriter writer(10000000);
  writer.SetFd(file.Get());
  writer.Write("one\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  writer.Write("two\n");
  writer.Flush();
  EXPECT_EQ(ReadWholeFile(dir.File("async.LOG")), "one\ntwo\n");
}

TEST(LogAsyncBufferWriterTest, DestructionEndsPromptlyAndNothingIsWrittenAfterwards) {
  TempDir dir;
  FileFd file(dir.File("async.LOG"), O_WRONLY | O_CREAT | O_APPEND);
  const auto start = std::chrono::steady_clock::now();
  {
    LogAsyncBufferWriter writer(kIntervalMicrosec);
    writer.SetFd(file.Get());
    for (int i = 0; i < 1000; ++i) {
      writer.Write("record\n");
    }
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  const size_t sizeAtDestruction = ReadWholeFile(dir.File("async.LOG")).size();
  std::this_thread::sleep_for(std::chrono::milliseconds(3 * kIntervalMicrosec / 1000));
  EXPECT_EQ(ReadWholeFile(dir.File("async.LOG")).size(), sizeAtDestruction);
}

}  // namespace
}  // namespace quorvel::common
