#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "dds/support/dds_test_support.hpp"
#include "quorvel/robot/channel/channel_factory.hpp"
#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"

namespace quorvel::robot {
namespace {

using quorvel_kesh::msg::dds_::LowCmd_;

const auto* const kLogEnvironment = ::testing::AddGlobalTestEnvironment(new test::StdoutLogEnvironment("INFO"));

struct ConfigCase {
  std::string networkInterface;
  std::string expected;
};

TEST(ChannelFactoryConfigTest, TextsMatchByteForByte) {
  const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?><CycloneDDS><Domain Id=\"any\"><General><Interfaces>";
  const std::string tail =
      "</Interfaces></General><Discovery><EnableTopicDiscoveryEndpoints>true</EnableTopicDiscoveryEndpoints>"
      "</Discovery></Domain></CycloneDDS>";
  const auto named = [&](const std::string& attribute) {
    return head + "<NetworkInterface name=\"" + attribute + "\" priority=\"default\" multicast=\"default\" />" + tail;
  };
  const std::vector<ConfigCase> cases = {
      {"", head + "<NetworkInterface autodetermine=\"true\" priority=\"default\" multicast=\"default\" />" + tail},
      {"lo", named("lo")},
      {"eth0", named("eth0")},
      // A name must never close the attribute or open elements of its own.
      {"a&b<c>\"d'e", named("a&amp;b&lt;c&gt;&quot;d&apos;e")},
      {"x\" /><Peers>", named("x&quot; /&gt;&lt;Peers&gt;")},
  };
  for (const ConfigCase& c : cases) {
    EXPECT_EQ(ChannelFactory::BuildDomainConfig(c.networkInterface), c.expected) << c.networkInterface;
  }
}

// One process, one factory: the whole life cycle in order.
TEST(ChannelFactoryLifecycleTest, InitOnceRetryAfterFailureReleaseAndInitAgain) {
  ChannelFactory* factory = ChannelFactory::Instance();
  EXPECT_EQ(factory, ChannelFactory::Instance());
  factory->Release();  // nothing to release yet

  // Before Init there is no participant: refused, not dereferenced.
  EXPECT_THROW(factory->CreateSendChannel<LowCmd_>("quorvel/test/factory"), common::DdsException);
  EXPECT_THROW(factory->CreateRecvChannel<LowCmd_>("quorvel/test/factory", [](const void*) {}, 1),
               common::DdsException);

  // A failed Init leaves the factory uninitialised...
  try {
    factory->Init(0, "qv-no-such-if");
    FAIL() << "Init on a missing interface succeeded";
  } catch (const common::DdsException& e) {
    EXPECT_EQ(e.GetMessage().rfind("Catch dds::core exception. Class:", 0), 0u) << e.GetMessage();
  }
  EXPECT_THROW(factory->CreateSendChannel<LowCmd_>("quorvel/test/factory"), common::DdsException);

  // ...so the next one runs; a later one with a bad interface is ignored.
  factory->Init(0, "lo");
  EXPECT_NO_THROW(factory->Init(0, "qv-no-such-if"));
  EXPECT_NO_THROW(factory->Init(5, ""));
  auto sender = factory->CreateSendChannel<LowCmd_>("quorvel/test/factory");
  ASSERT_NE(sender, nullptr);

  // Channels outlive Release; the factory refuses new ones until the next Init.
  factory->Release();
  EXPECT_TRUE(sender->Write(LowCmd_(), 0));
  EXPECT_THROW(factory->CreateRecvChannel<LowCmd_>("quorvel/test/factory", [](const void*) {}, 1),
               common::DdsException);
  factory->Release();
  sender.reset();

  factory->Init(0, "lo");
  auto receiver = factory->CreateRecvChannel<LowCmd_>("quorvel/test/factory", [](const void*) {}, 0);
  sender = factory->CreateSendChannel<LowCmd_>("quorvel/test/factory");
  ASSERT_TRUE(sender->Write(LowCmd_(), 2000000));
  EXPECT_TRUE(test::WaitFor([&] { return receiver->GetLastDataAvailableTime() != 0; }));
}

// Runs after the life cycle above (same process): racing Inits build exactly one model.
TEST(ChannelFactoryLifecycleTest, ConcurrentInitsInitialiseOnce) {
  ChannelFactory* factory = ChannelFactory::Instance();
  factory->Release();
  testing::internal::CaptureStdout();
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([] { ChannelFactory::Instance()->Init(0, "lo"); });
  }
  for (auto& t : threads) {
    t.join();
  }
  const std::string logged = testing::internal::GetCapturedStdout();
  EXPECT_EQ(test::CountOccurrences(logged, "Dds model inited default. domainId:0"), 1) << logged;
  EXPECT_NE(factory->CreateSendChannel<LowCmd_>("quorvel/test/factory"), nullptr);
}

}  // namespace
}  // namespace quorvel::robot
