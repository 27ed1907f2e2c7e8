#include <gtest/gtest.h>

#include <dds/dds.h>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "dds/support/dds_test_support.hpp"
#include "quorvel/common/dds/dds_entity.hpp"
#include "quorvel/common/dds/dds_qos_policy.hpp"
#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"

namespace quorvel::common {
namespace {

using quorvel_kesh::msg::dds_::LowCmd_;

const auto* const kLogEnvironment = ::testing::AddGlobalTestEnvironment(new test::StdoutLogEnvironment("ALL"));

struct TranslationCase {
  std::function<void()> thrower;
  const char* classText;
};

// Every case must be caught by its own handler: a base handler placed too early (or a
// hierarchy where the others derive from Error) would name the wrong class.
TEST(DdsErrorTranslationTest, NamesTheCaughtClassInTheFixedText) {
  const std::vector<TranslationCase> cases = {
      {[] { throw dds::core::Error("boom"); }, "::dds::core::Error"},
      {[] { throw dds::core::InvalidArgumentError("boom"); }, "::dds::core::InvalidArgumentError"},
      {[] { throw dds::core::TimeoutError("boom"); }, "::dds::core::TimeoutError"},
      {[] { throw dds::core::UnsupportedError("boom"); }, "::dds::core::UnsupportedError"},
      {[] { throw dds::core::AlreadyClosedError("boom"); }, "::dds::core::AlreadyClosedError"},
      {[] { throw dds::core::IllegalOperationError("boom"); }, "::dds::core::IllegalOperationError"},
      {[] { throw dds::core::NotEnabledError("boom"); }, "::dds::core::NotEnabledError"},
      {[] { throw dds::core::PreconditionNotMetError("boom"); }, "::dds::core::PreconditionNotMetError"},
      {[] { throw dds::core::ImmutablePolicyError("boom"); }, "::dds::core::ImmutablePolicyError"},
      {[] { throw dds::core::InconsistentPolicyError("boom"); }, "::dds::core::InconsistentPolicyError"},
      {[] { throw dds::core::OutOfResourcesError("boom"); }, "::dds::core::OutOfResourcesError"},
      {[] { throw dds::core::InvalidDowncastError("boom"); }, "::dds::core::InvalidDowncastError"},
      {[] { throw dds::core::NullReferenceError("boom"); }, "::dds::core::NullReferenceError"},
      {[] { throw dds::core::InvalidDataError("boom"); }, "::dds::core::InvalidDataError"},
      {[] { throw std::runtime_error("boom"); }, "std::exception"},
  };
  for (const TranslationCase& c : cases) {
    std::string message;
    EXPECT_FALSE(RunTranslatingDdsErrors(c.thrower, message));
    EXPECT_EQ(message, std::string("Catch dds::core exception. Class:") + c.classText + ", Message:boom");
  }
}

TEST(DdsErrorTranslationTest, SuccessLeavesMessageAndForeignExceptionsPassThrough) {
  std::string message = "unchanged";
  EXPECT_TRUE(RunTranslatingDdsErrors([] {}, message));
  EXPECT_EQ(message, "unchanged");
  EXPECT_THROW(RunTranslatingDdsErrors([] { throw 7; }, message), int);
}

struct PollCase {
  int64_t waitMicrosec;
  int matchedAtRead;  // 0: never
  bool expectedResult;
  int expectedReads;
  int expectedSleeps;
};

// Counts through a seam rather than the clock: the status is read once more after the
// last sleep, and a wait is rounded up to whole 50 ms steps.
TEST(DdsWriterWaitReaderTest, PollsTheMatchedStatusInFiftyMillisecondSteps) {
  const std::vector<PollCase> cases = {
      {100000, 0, false, 3, 2}, {1, 0, false, 2, 1},   {120000, 0, false, 4, 3},
      {0, 0, false, 1, 0},      {100000, 1, true, 1, 0}, {100000, 2, true, 2, 1},
  };
  for (const PollCase& c : cases) {
    int reads = 0;
    std::vector<int64_t> sleeps;
    const bool result = PollUntilMatched(
        c.waitMicrosec, [&] { return ++reads == c.matchedAtRead; },
        [&](int64_t microseconds) { sleeps.push_back(microseconds); });
    SCOPED_TRACE(c.waitMicrosec);
    EXPECT_EQ(result, c.expectedResult);
    EXPECT_EQ(reads, c.expectedReads);
    EXPECT_EQ(sleeps, std::vector<int64_t>(c.expectedSleeps, 50000));
  }
}

TEST(DdsParticipantTest, UnknownInterfaceThrowsDdsExceptionAfterLoggingIt) {
  // A domain id of its own: the configuration of an existing domain would be joined.
  const std::string config =
      "<CycloneDDS><Domain Id=\"any\"><General><Interfaces><NetworkInterface name=\"qv-no-such-if\"/>"
      "</Interfaces></General></Domain></CycloneDDS>";
  testing::internal::CaptureStdout();
  try {
    DdsParticipant participant(7, DdsParticipantQos(), config);
    testing::internal::GetCapturedStdout();
    FAIL() << "participant created on a missing interface";
  } catch (const DdsException& e) {
    const std::string logged = testing::internal::GetCapturedStdout();
    EXPECT_EQ(e.GetCode(), QV_ERR_DDS);
    EXPECT_EQ(e.GetMessage().rfind("Catch dds::core exception. Class:::dds::core::Error, Message:", 0), 0u)
        << e.GetMessage();
    EXPECT_NE(logged.find("[ERROR]"), std::string::npos);
    EXPECT_NE(logged.find(e.GetMessage()), std::string::npos);
  }
}

class DdsWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    participant_ = std::make_shared<DdsParticipant>(0, DdsParticipantQos(), test::kLoopbackConfig);
    publisher_ = std::make_shared<DdsPublisher>(participant_, DdsPublisherQos());
    subscriber_ = std::make_shared<DdsSubscriber>(participant_, DdsSubscriberQos());
    topic_ = std::make_shared<DdsTopic<LowCmd_>>(participant_, "quorvel/test/entity", DdsTopicQos());
    writer_ = std::make_shared<DdsWriter<LowCmd_>>(publisher_, topic_, DdsWriterQos());
  }

  DdsParticipantPtr participant_;
  DdsPublisherPtr publisher_;
  DdsSubscriberPtr subscriber_;
  DdsTopicPtr<LowCmd_> topic_;
  std::shared_ptr<DdsWriter<LowCmd_>> writer_;
};

TEST_F(DdsWriterTest, WithoutReaderWaitZeroWritesAndPositiveWaitGivesUp) {
  EXPECT_TRUE(writer_->Write(LowCmd_(), 0));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(writer_->Write(LowCmd_(), 100000));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

// A writer whose C entity went with its publisher: every Write reports false (logged),
// also one that has to ask for matched readers first; none throws.
TEST_F(DdsWriterTest, WriteOnADeletedEntityReturnsFalseWithoutThrowing) {
  ASSERT_EQ(dds_delete(publisher_->GetNative().native_handle()), DDS_RETCODE_OK);
  for (const int64_t waitMicrosec : {int64_t{0}, int64_t{100000}}) {
    SCOPED_TRACE(waitMicrosec);
    testing::internal::CaptureStdout();
    bool written = true;
    EXPECT_NO_THROW(written = writer_->Write(LowCmd_(), waitMicrosec));
    const std::string logged = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(written);
    EXPECT_NE(logged.find("[ERROR]"), std::string::npos) << logged;
    EXPECT_NE(logged.find("Catch dds::core exception. Class:::dds::core::"), std::string::npos) << logged;
  }
}

TEST_F(DdsWriterTest, MatchedReaderLetsAPositiveWaitWrite) {
  DdsReader<LowCmd_> reader(subscriber_, topic_, DdsReaderQos());
  EXPECT_TRUE(writer_->WaitReader(5000000));
  EXPECT_TRUE(writer_->Write(LowCmd_(), 5000000));
}

TEST_F(DdsWriterTest, InconsistentQosIsTranslatedWithItsClass) {
  DdsReaderQos qos;
  qos.SetPolicy(DdsQosHistoryPolicy(0, 5));
  qos.SetPolicy(DdsQosResourceLimitsPolicy(-1, -1, 2));
  try {
    DdsReader<LowCmd_> reader(subscriber_, topic_, qos);
    FAIL() << "history depth above max samples per instance was accepted";
  } catch (const DdsException& e) {
    EXPECT_EQ(e.GetMessage().rfind("Catch dds::core exception. Class:::dds::core::InconsistentPolicyError", 0), 0u)
        << e.GetMessage();
  }
}

}  // namespace
}  // namespace quorvel::common
