#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "dds/support/dds_test_support.hpp"
#include "quorvel/common/dds/dds_factory_model.hpp"
#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"

namespace quorvel::common {
namespace {

using quorvel_kesh::msg::dds_::LowCmd_;

const auto* const kLogEnvironment = ::testing::AddGlobalTestEnvironment(new test::StdoutLogEnvironment("INFO"));

TEST(DdsFactoryModelTest, ChannelWorkBeforeInitIsRefused) {
  DdsFactoryModel model;
  EXPECT_THROW(model.CreateTopicChannel<LowCmd_>("quorvel/test/model"), DdsException);
  auto channel = std::make_shared<DdsTopicChannel<LowCmd_>>();
  EXPECT_THROW(model.SetWriter(channel), DdsException);
  EXPECT_THROW(model.SetReader(channel, [](const void*) {}, 1), DdsException);
}

TEST(DdsFactoryModelTest, InitLogsOnceAtInfo) {
  DdsFactoryModel model;
  testing::internal::CaptureStdout();
  model.Init(0, test::kLoopbackConfig);
  const std::string logged = testing::internal::GetCapturedStdout();
  EXPECT_EQ(test::CountOccurrences(logged, "[INFO]"), 1) << logged;
  EXPECT_NE(logged.find("] Dds model inited default. domainId:0\n"), std::string::npos) << logged;
}

TEST(DdsFactoryModelTest, ChannelsOfOneNameAreIndependent) {
  DdsFactoryModel model;
  model.Init(0, test::kLoopbackConfig);
  auto sender = model.CreateTopicChannel<LowCmd_>("quorvel/test/model");
  const auto start = std::chrono::steady_clock::now();
  model.SetWriter(sender);
  // The writer is given time to be discovered before the first write.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  EXPECT_EQ(sender->GetLastDataAvailableTime(), 0u);

  std::atomic<int> first{0};
  std::atomic<int> second{0};
  auto firstReceiver = model.CreateTopicChannel<LowCmd_>("quorvel/test/model");
  auto secondReceiver = model.CreateTopicChannel<LowCmd_>("quorvel/test/model");
  ASSERT_NE(firstReceiver, secondReceiver);
  model.SetReader(firstReceiver, [&](const void*) { ++first; }, 1);
  model.SetReader(secondReceiver, [&](const void*) { ++second; }, 0);

  ASSERT_TRUE(sender->Write(LowCmd_(), 2000000));
  ASSERT_TRUE(test::WaitFor([&] { return first == 1 && second == 1; }));
  firstReceiver.reset();
  ASSERT_TRUE(sender->Write(LowCmd_(), 0));
  EXPECT_TRUE(test::WaitFor([&] { return second == 2; }));
  EXPECT_EQ(first, 1);
}

}  // namespace
}  // namespace quorvel::common
