#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "ddscxx/dds.hpp"
#include "ddscxx/support/loopback.hpp"
#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"

namespace {

using quorvel_kesh::msg::dds_::LowCmd_;
namespace core = dds::core;
namespace policy = dds::core::policy;

// Whether throw_error(code) throws something caught as E; stores its text.
template <typename E>
bool ThrowsAs(dds_return_t code, std::string* text) {
  try {
    core::detail::throw_error(code);
  } catch (const E& error) {
    *text = error.what();
    return true;
  } catch (...) {
  }
  return false;
}

struct MappedCode {
  dds_return_t code;
  const char* class_name;
  bool (*throws_class)(dds_return_t, std::string*);
  bool (*throws_standard_base)(dds_return_t, std::string*);
  bool is_error;  // mapped to Error itself
};

const MappedCode kMappedCodes[] = {
    {DDS_RETCODE_BAD_PARAMETER, "InvalidArgumentError", ThrowsAs<core::InvalidArgumentError>,
     ThrowsAs<std::invalid_argument>, false},
    {DDS_RETCODE_TIMEOUT, "TimeoutError", ThrowsAs<core::TimeoutError>, ThrowsAs<std::runtime_error>, false},
    {DDS_RETCODE_UNSUPPORTED, "UnsupportedError", ThrowsAs<core::UnsupportedError>, ThrowsAs<std::logic_error>,
     false},
    {DDS_RETCODE_ALREADY_DELETED, "AlreadyClosedError", ThrowsAs<core::AlreadyClosedError>,
     ThrowsAs<std::logic_error>, false},
    {DDS_RETCODE_ILLEGAL_OPERATION, "IllegalOperationError", ThrowsAs<core::IllegalOperationError>,
     ThrowsAs<std::logic_error>, false},
    {DDS_RETCODE_NOT_ENABLED, "NotEnabledError", ThrowsAs<core::NotEnabledError>, ThrowsAs<std::logic_error>,
     false},
    {DDS_RETCODE_PRECONDITION_NOT_MET, "PreconditionNotMetError", ThrowsAs<core::PreconditionNotMetError>,
     ThrowsAs<std::logic_error>, false},
    {DDS_RETCODE_IMMUTABLE_POLICY, "ImmutablePolicyError", ThrowsAs<core::ImmutablePolicyError>,
     ThrowsAs<std::logic_error>, false},
    {DDS_RETCODE_INCONSISTENT_POLICY, "InconsistentPolicyError", ThrowsAs<core::InconsistentPolicyError>,
     ThrowsAs<std::logic_error>, false},
    {DDS_RETCODE_OUT_OF_RESOURCES, "OutOfResourcesError", ThrowsAs<core::OutOfResourcesError>,
     ThrowsAs<std::runtime_error>, false},
    {DDS_RETCODE_ERROR, "Error", ThrowsAs<core::Error>, ThrowsAs<std::logic_error>, true},
    {DDS_RETCODE_NO_DATA, "Error", ThrowsAs<core::Error>, ThrowsAs<std::logic_error>, true},
    {DDS_RETCODE_NOT_ALLOWED_BY_SECURITY, "Error", ThrowsAs<core::Error>, ThrowsAs<std::logic_error>, true},
};

// Each code raises its own class with the library's text, through the standard base
// too; only the codes mapped to Error are caught as Error (the classes are siblings,
// so an ordered handler list that starts with Error still tells them apart).
TEST(ExceptionTest, EachReturnCodeRaisesItsClassWithTheLibraryText) {
  for (const auto& row : kMappedCodes) {
    SCOPED_TRACE(row.class_name + std::string(" for code ") + std::to_string(row.code));
    std::string text;
    ASSERT_TRUE(row.throws_class(row.code, &text));
    EXPECT_EQ(text, dds_strretcode(row.code));
    EXPECT_TRUE(row.throws_standard_base(row.code, &text));
    EXPECT_EQ(ThrowsAs<core::Error>(row.code, &text), row.is_error);
    EXPECT_TRUE(ThrowsAs<core::Exception>(row.code, &text));
  }
}

// Failures the C library reports for real calls arrive as the mapped class.
class RejectedCreationTest : public ::testing::Test {
 protected:
  dds::domain::DomainParticipant participant_ = ddscxx_test::LoopbackParticipant(82);
  dds::sub::Subscriber subscriber_{participant_};
  dds::topic::Topic<LowCmd_> topic_{participant_, "ddscxx_exception_test"};
};

TEST_F(RejectedCreationTest, HistoryDeeperThanResourceLimitsIsInconsistentPolicy) {
  dds::sub::qos::DataReaderQos qos;
  qos << policy::History(policy::HistoryKind::KEEP_LAST, 10) << policy::ResourceLimits(-1, -1, 5);
  try {
    dds::sub::DataReader<LowCmd_> reader(subscriber_, topic_, qos);
    FAIL() << "the reader was created";
  } catch (const core::InconsistentPolicyError& error) {
    EXPECT_STREQ(error.what(), dds_strretcode(DDS_RETCODE_INCONSISTENT_POLICY));
  }
}

// Kinds are passed on unchecked; the library judges them when the entity is created.
TEST_F(RejectedCreationTest, KindOutsideItsEnumerationIsInvalidArgument) {
  dds::sub::qos::DataReaderQos qos;
  qos << policy::Durability(static_cast<policy::DurabilityKind::Type>(7));
  EXPECT_THROW(dds::sub::DataReader<LowCmd_>(subscriber_, topic_, qos), core::InvalidArgumentError);
}

TEST_F(RejectedCreationTest, InvalidTopicNameIsInvalidArgument) {
  EXPECT_THROW(dds::topic::Topic<LowCmd_>(participant_, "bad name*"), core::InvalidArgumentError);
}

TEST_F(RejectedCreationTest, ConfigurationWithMissingInterfaceIsGenericError) {
  const std::string config =
      "<CycloneDDS><Domain Id=\"any\"><General><Interfaces><NetworkInterface name=\"no_such_if0\"/>"
      "</Interfaces></General></Domain></CycloneDDS>";
  EXPECT_THROW(dds::domain::DomainParticipant(83, dds::domain::DomainParticipant::default_participant_qos(),
                                              nullptr, core::status::StatusMask::none(), config),
               core::Error);
}

TEST_F(RejectedCreationTest, UseOfNilHandleIsNullReference) {
  dds::sub::Subscriber nil = core::null;
  EXPECT_THROW(dds::sub::DataReader<LowCmd_>(nil, topic_), core::NullReferenceError);
}

}  // namespace
