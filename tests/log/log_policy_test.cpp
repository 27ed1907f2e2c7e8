#include "quorvel/common/log/log_policy.hpp"

#include <gtest/gtest.h>

namespace quorvel::common {
namespace {

TEST(LogPolicyTest, DumpPrintsEveryField) {
  ::testing::internal::CaptureStdout();
  LogPolicy("/quorvel/dds", 6, "ddsfile").Dump();
  LogPolicy().Dump();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "LogPolicy: { Tag:/quorvel/dds, Level:6, Store:ddsfile }\n"
            "LogPolicy: { Tag:, Level:0, Store: }\n");
}

TEST(LogStorePolicyTest, DumpPrintsDefaultsAndGivenValues) {
  ::testing::internal::CaptureStdout();
  LogStorePolicy().Dump();
  LogStorePolicy("ddsfile", 0, 5, 16777216, 2, "/tmp/log/dds", "/tmp/log").Dump();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "LogStorePolicy: { Name:, Type:0, MaxFileNumber:10, MaxFileSize:104857600, CpuId:-1, "
            "FileName:, Directory:}\n"
            "LogStorePolicy: { Name:ddsfile, Type:0, MaxFileNumber:5, MaxFileSize:16777216, "
            "CpuId:2, FileName:/tmp/log/dds, Directory:/tmp/log}\n");
}

}  // namespace
}  // namespace quorvel::common
