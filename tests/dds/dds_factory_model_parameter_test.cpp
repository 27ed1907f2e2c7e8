#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dds/support/dds_test_support.hpp"
#include "quorvel/common/dds/dds_factory_model.hpp"
#include "quorvel/common/json/json.hpp"
#include "quorvel/common/os.hpp"
#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"

namespace quorvel::common {
namespace {

namespace fs = std::filesystem;

const auto* const kLogEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::StdoutLogEnvironment("INFO"));

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

// Runs each case from a working directory of its own, apart from the program's directory,
// so that a relative path can only be found through the program's directory.
class FactoryModelParameterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    original_directory_ = fs::current_path();
    char pattern[] = "/tmp/quorvel_param_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    directory_ = pattern;
    fs::current_path(directory_);
  }

  void TearDown() override {
    fs::current_path(original_directory_);
    fs::remove_all(directory_);
    for (const auto& file : program_directory_files_) {
      std::remove(file.c_str());
    }
  }

  // A file beside the test program, removed after the case.
  std::string WriteProgramDirectoryFile(const std::string& name, const std::string& text) {
    const std::string path = OsHelper::Instance()->GetProcessDirectory(true) + name;
    program_directory_files_.push_back(path);
    WriteFile(path, text);
    return path;
  }

  fs::path original_directory_;
  std::string directory_;
  std::vector<std::string> program_directory_files_;
};

TEST_F(FactoryModelParameterTest, EmptyOrNullFileNamesTheFullPath) {
  for (const char* text : {"", "null", "  null \n"}) {
    const std::string path = directory_ + "/dds_parameter.json";
    WriteFile(path, text);
    DdsFactoryModel model;
    try {
      model.Init(path);
      ADD_FAILURE() << "no exception for \"" << text << "\"";
    } catch (const CommonException& e) {
      EXPECT_EQ(e.GetMessage(), "load dds_parameter config file error. filename:" + path);
    }
  }
}

TEST_F(FactoryModelParameterTest, AnEmptyNameReadsTheFileBesideTheProgram) {
  const std::string path = WriteProgramDirectoryFile("dds_parameter.json", "null");
  DdsFactoryModel model;
  try {
    model.Init(std::string());
    ADD_FAILURE() << "the file beside the program was not read";
  } catch (const CommonException& e) {
    EXPECT_EQ(e.GetMessage(), "load dds_parameter config file error. filename:" + path);
  }
}

TEST_F(FactoryModelParameterTest, UnreadableOrMalformedFilesThrowTheirErrors) {
  DdsFactoryModel model;
  EXPECT_THROW(model.Init(directory_ + "/missing.json"), FileException);
  WriteFile(directory_ + "/bad.json", "{\"DomainId\": }");
  EXPECT_THROW(model.Init(directory_ + "/bad.json"), JsonException);
  WriteFile(directory_ + "/array.json", "[]");
  EXPECT_THROW(model.Init(directory_ + "/array.json"), BadCastException);
  WriteFile(directory_ + "/typed.json", "{\"DomainId\": \"0\"}");
  EXPECT_THROW(model.Init(directory_ + "/typed.json"), BadCastException);
}

TEST_F(FactoryModelParameterTest, ConfigurationIsInlineAbsoluteOrBesideTheProgram) {
  const std::string xml = test::kLoopbackConfig;
  const std::string relative_name = "quorvel_param_test_" + std::to_string(getpid()) + ".xml";
  WriteProgramDirectoryFile(relative_name, xml);
  WriteFile(directory_ + "/absolute.xml", xml);
  // Only in the working directory: found if the path were not resolved against the program's.
  WriteFile(directory_ + "/only_here.xml", xml);

  struct {
    int domain_id;
    std::string config;
    bool created;
  } cases[] = {
      {61, xml, true},
      {62, directory_ + "/absolute.xml", true},
      {63, relative_name, true},
      {64, "only_here.xml", false},
  };
  for (const auto& c : cases) {
    DdsFactoryModel model;
    JsonMap parameter;
    parameter["DomainId"] = c.domain_id;
    parameter["Config"] = c.config;
    if (c.created) {
      EXPECT_NO_THROW(model.Init(parameter)) << c.config;
    } else {
      EXPECT_THROW(model.Init(parameter), DdsException) << c.config;
    }
  }
}

TEST_F(FactoryModelParameterTest, WithoutQosTheModelKeepsItsDefaultsAndSaysSo) {
  const std::string path = directory_ + "/dds_parameter.json";
  JsonMap parameter;
  parameter["DomainId"] = 65;
  parameter["Config"] = test::kLoopbackConfig;
  WriteFile(path, ToJsonString(Any(parameter), false));
  DdsFactoryModel model;
  testing::internal::CaptureStdout();
  model.Init(path);
  const std::string logged = testing::internal::GetCapturedStdout();
  EXPECT_EQ(test::CountOccurrences(logged, "[INFO]"), 1) << logged;
  EXPECT_NE(logged.find("] Dds model inited from dds parameter\n"), std::string::npos) << logged;
  auto channel = model.CreateTopicChannel<quorvel_kesh::msg::dds_::LowCmd_>("quorvel/test/param");
  model.SetWriter(channel);
  EXPECT_TRUE(channel->Write(quorvel_kesh::msg::dds_::LowCmd_(), 0));
}

}  // namespace
}  // namespace quorvel::common
