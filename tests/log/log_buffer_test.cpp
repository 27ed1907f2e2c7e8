#include "quorvel/common/log/log_buffer.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace quorvel::common {
namespace {

const char* const kRefusal = "log data cache reached max buffer size:8388608\n";

struct LimitCase {
  size_t held;
  size_t added;
  bool kept;
};

class LogBufferLimitTest : public ::testing::TestWithParam<LimitCase> {};

// A buffer past 8 MiB would let a stalled file grow memory without bound; one that refuses
// a record that still fits would lose data.
TEST_P(LogBufferLimitTest, RefusesWholeRecordsPastEightMebibytes) {
  const LimitCase& c = GetParam();
  LogBuffer buffer;
  ASSERT_TRUE(buffer.Append(std::string(c.held, 'a')));
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(buffer.Append(std::string(c.added, 'b')), c.kept);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.kept ? "" : kRefusal);
  EXPECT_EQ(buffer.Get().size(), c.kept ? c.held + c.added : c.held);
  EXPECT_EQ(buffer.Get().back(), c.kept ? 'b' : 'a');
}

INSTANTIATE_TEST_SUITE_P(Limits, LogBufferLimitTest,
                         ::testing::Values(LimitCase{8388600, 8, true}, LimitCase{8388600, 9, false},
                                           LimitCase{1, 8388607, true}, LimitCase{1, 8388608, false}));

// Memory of a full buffer stays within the limit, not the next power-of-two growth step.
TEST(LogBufferTest, FillingInSmallRecordsNeverReservesPastTheLimit) {
  LogBuffer buffer;
  const std::string record(1000, 'x');
  while (buffer.Get().size() + record.size() <= 8388608) {
    ASSERT_TRUE(buffer.Append(record));
  }
  EXPECT_LE(buffer.Get().capacity(), 8388608u);
  buffer.Clear();
  EXPECT_TRUE(buffer.Empty());
}

TEST(LogBlockBufferTest, ExchangeHandsFilledHalfToTheOutputSideOnlyWhenItHoldsData) {
  LogBlockBuffer block;
  block.Exchange();
  EXPECT_EQ(block.Get(), "");
  block.Append("one\n");
  EXPECT_EQ(block.Get(), "") << "appends go to the current half, not the output half";
  block.Exchange();
  EXPECT_EQ(block.Get(), "one\n");
  block.Append("two\n");
  std::string copy;
  block.Get(copy);
  EXPECT_EQ(copy, "one\n");
  block.Clear(true);
  block.Exchange();
  EXPECT_EQ(block.Get(), "two\n");
}

// Producers on two threads and the draining thread together: every record comes out once,
// whole, and in the order each producer appended it.
TEST(LogBlockBufferTest, ConcurrentAppendAndDrainLoseAndTearNothing) {
  LogBlockBuffer block;
  const int perThread = 20000;
  std::atomic<int> producersDone{0};
  std::string drained;
  auto drainOnce = [&] {
    drained += block.Get();
    block.Clear(false);
    block.Exchange();
  };
  std::thread drainer([&] {
    while (producersDone.load() < 2) {
      drainOnce();
      std::this_thread::yield();
    }
    drainOnce();
    drainOnce();
  });
  std::vector<std::thread> producers;
  for (char id : {'a', 'b'}) {
    producers.emplace_back([&, id] {
      for (int i = 0; i < perThread; ++i) {
        block.Append(std::string(1, id) + std::to_string(i) + "\n");
      }
      ++producersDone;
    });
  }
  for (auto& t : producers) {
    t.join();
  }
  drainer.join();

  int next[2] = {0, 0};
  size_t start = 0;
  while (start < drained.size()) {
    const size_t end = drained.find('\n', start);
    ASSERT_NE(end, std::string::npos);
    const std::string line = drained.substr(start, end - start);
    ASSERT_TRUE(line[0] == 'a' || line[0] == 'b') << line;
    int& expected = next[line[0] - 'a'];
    ASSERT_EQ(line.substr(1), std::to_string(expected)) << "torn or reordered record";
    ++expected;
    start = end + 1;
  }
  EXPECT_EQ(next[0], perThread);
  EXPECT_EQ(next[1], perThread);
}

}  // namespace
}  // namespace quorvel::common
