#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "dds/support/dds_test_support.hpp"
#include "quorvel/robot/channel/channel_publisher.hpp"
#include "quorvel/robot/channel/channel_subscriber.hpp"
#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"

namespace quorvel::robot {
namespace {

using quorvel_kesh::msg::dds_::LowCmd_;

TEST(ChannelPublisherTest, RefusedBeforeItsChannelOrTheFactoryExists) {
  ChannelPublisher<LowCmd_> publisher("quorvel/test/publisher");
  EXPECT_FALSE(publisher.Write(LowCmd_(), 0));
  EXPECT_THROW(publisher.InitChannel(), common::DdsException);
  EXPECT_FALSE(publisher.Write(LowCmd_(), 0));
}

TEST(ChannelPublisherTest, WaitsForAReaderOnlyWhenAskedTo) {
  ChannelFactory::Instance()->Init(0, "lo");
  ChannelPublisher<LowCmd_> publisher("quorvel/test/publisher");
  auto start = std::chrono::steady_clock::now();
  publisher.InitChannel();
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));

  EXPECT_TRUE(publisher.Write(LowCmd_(), 0));
  start = std::chrono::steady_clock::now();
  EXPECT_FALSE(publisher.Write(LowCmd_(), 100000));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));

  std::atomic<int> received{0};
  ChannelSubscriber<LowCmd_> subscriber("quorvel/test/publisher");
  subscriber.InitChannel([&](const void* m) { received += static_cast<const LowCmd_*>(m)->crc(); }, 1);
  LowCmd_ command;
  command.crc() = 3;
  EXPECT_TRUE(publisher.Write(command, 2000000));
  EXPECT_TRUE(test::WaitFor([&] { return received == 3; }));
}

}  // namespace
}  // namespace quorvel::robot
