#include <gtest/gtest.h>

#include "dds/support/dds_test_support.hpp"
#include "quorvel/common/dds/dds_callback.hpp"
#include "quorvel/common/dds/dds_entity.hpp"
#include "quorvel_kesh/msg/dds_/LowState_.hpp"

namespace quorvel::common {
namespace {

using quorvel_kesh::msg::dds_::LowState_;

TEST(DdsReaderCallbackTest, CallsItsHandlerWithThePointerAndCopiesKeepIt) {
  DdsReaderCallback empty;
  EXPECT_FALSE(empty.HasMessageHandler());
  empty.OnDataAvailable(nullptr);  // no handler: nothing happens

  const void* seen = nullptr;
  int calls = 0;
  DdsReaderCallback callback([&](const void* m) {
    seen = m;
    ++calls;
  });
  DdsReaderCallback copy(callback);
  empty = callback;
  const int message = 3;
  for (DdsReaderCallback* c : {&callback, &copy, &empty}) {
    EXPECT_TRUE(c->HasMessageHandler());
    c->OnDataAvailable(&message);
    EXPECT_EQ(seen, &message);
  }
  EXPECT_EQ(calls, 3);
}

// Without a handler the library must never be asked to call the listener.
TEST(DdsReaderListenerTest, OnlyAHandlerSubscribesToDataAvailable) {
  DdsReaderListener<LowState_> withoutHandler;
  withoutHandler.SetCallback(DdsReaderCallback());
  EXPECT_EQ(withoutHandler.GetStatusMask(), dds::core::status::StatusMask::none());

  DdsReaderListener<LowState_> withHandler;
  withHandler.SetCallback(DdsReaderCallback([](const void*) {}));
  EXPECT_EQ(withHandler.GetStatusMask(), dds::core::status::StatusMask::data_available());
  EXPECT_EQ(withHandler.GetLastDataAvailableTime(), 0u);
}

// A queue without a handler: the consumer waits for one, and must still stop promptly.
TEST(DdsReaderListenerTest, QueueWithoutHandlerStillStops) {
  const int consumersBefore = test::CountThreadsNamed("rlsnr");
  {
    DdsReaderListener<LowState_> listener;
    listener.SetCallback(DdsReaderCallback());
    listener.SetQueue(1);
    EXPECT_TRUE(test::WaitFor([&] { return test::CountThreadsNamed("rlsnr") == consumersBefore + 1; }));
  }
  EXPECT_TRUE(test::WaitFor([&] { return test::CountThreadsNamed("rlsnr") == consumersBefore; }));
}

}  // namespace
}  // namespace quorvel::common
