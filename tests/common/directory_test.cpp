#include "quorvel/common/filesystem/directory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/support/common_test_support.hpp"
#include "quorvel/common/exception.hpp"

namespace quorvel::common {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;

class DirectoryTest : public test::TempDirTest {
 protected:

  std::string File(const std::string& name, const std::string& content = "") {
    const std::string path = dir_ + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << content;
    return path;
  }
  std::string Link(const std::string& target, const std::string& name) {
    const std::string path = dir_ + "/" + name;
    EXPECT_EQ(symlink(target.c_str(), path.c_str()), 0);
    return path;
  }
  static std::string Read(const std::string& path) { return ReadFile(path); }
};

TEST_F(DirectoryTest, PatternFindsOnlyRolledLogFiles) {
  for (const char* name : {"a.LOG.1", "a.LOG.2", "a.LOG.x", "a.LOG", "a.LOG.12345", "b.LOG.1"}) {
    File(name);
  }
  std::filesystem::create_directory(dir_ + "/a.LOG.3");
  std::vector<std::string> names{"kept"};
  ListDirectory(dir_, names, "^a.LOG.[1-9]{1}[0-9]{0,3}$");
  EXPECT_THAT(names, UnorderedElementsAre("kept", "a.LOG.1", "a.LOG.2"));
  EXPECT_EQ(test::MessageOf<FileException>([&] { ListDirectory(dir_, names, "(["); }),
            "list file pattern error. pattern:([");
}

TEST_F(DirectoryTest, RecursiveListingsCarryPathsBelowTheFirstLevel) {
  const std::string top = dir_ + "/top";
  File("top/f1");
  File("top/d1/f2");
  File("top/d1/d2/f3");
  Link(top + "/f1", "top/link");
  struct {
    bool recurse, absolute;
    std::vector<std::string> files, dirs;
  } cases[] = {
      {false, false, {"f1"}, {"d1"}},
      {false, true, {top + "/f1"}, {top + "/d1"}},
      {true, false, {"f1", top + "/d1/f2", top + "/d1/d2/f3"}, {"d1", top + "/d1/d2"}},
      {true, true, {top + "/f1", top + "/d1/f2", top + "/d1/d2/f3"}, {top + "/d1", top + "/d1/d2"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> files, dirs;
    ListDirectory(top, files, c.recurse, c.absolute);
    ListChildDirectory(top, dirs, c.recurse, c.absolute);
    EXPECT_THAT(files, UnorderedElementsAreArray(c.files)) << c.recurse << c.absolute;
    EXPECT_THAT(dirs, UnorderedElementsAreArray(c.dirs)) << c.recurse << c.absolute;
  }
}

TEST_F(DirectoryTest, OpeningNeedsAnExistingName) {
  Directory unnamed;
  EXPECT_EQ(test::MessageOf<FileException>([&] { unnamed.Open(); }), "open dir check dirname empty error");
  Directory missing(dir_ + "/missing");
  EXPECT_FALSE(missing.IsOpen());
  std::vector<std::string> names;
  EXPECT_EQ(test::MessageOf<FileException>([&] { missing.ListFile(names, false, false); }),
            "opendir error. dirname:" + dir_ + "/missing, errno:2");
  Directory present(dir_);
  present.Open();
  EXPECT_TRUE(present.IsOpen());
  present.Close();
  EXPECT_FALSE(present.IsOpen());
  EXPECT_TRUE(ExistDirectory(dir_));
  EXPECT_FALSE(ExistDirectory(dir_ + "/missing"));
}

TEST_F(DirectoryTest, CreateDirectoryOnlyRecursesWhenAsked) {
  EXPECT_NO_THROW(CreateDirectory("", true, 0755));
  EXPECT_NO_THROW(CreateDirectory("  ", false, 0755));
  const std::string nested = dir_ + "/x/y/z";
  EXPECT_EQ(test::MessageOf<FileException>([&] { CreateDirectory(nested, false, 0755); }),
            "mkdir error. dirname:" + nested + ", errno:2");
  CreateDirectory(" " + nested + "/ ", true, 0755);
  EXPECT_TRUE(ExistDirectory(nested));
  EXPECT_NO_THROW(CreateDirectory(nested, false, 0755));
}

TEST_F(DirectoryTest, InventoryListsDirectoriesBeforeTheirContent) {
  const std::string top = dir_ + "/top";
  File("top/f");
  File("top/d/g");
  File("outside");
  Link(dir_ + "/outside", "top/d/out");
  Link(dir_ + "/gone", "top/dangling");
  std::list<std::string> files, dirs;
  std::list<std::pair<std::string, std::string>> links;
  Directory(top).List(files, dirs, links);
  EXPECT_THAT(files, UnorderedElementsAre(top + "/f", top + "/d/g"));
  EXPECT_THAT(dirs, ElementsAre(top + "/d"));
  EXPECT_THAT(links, ElementsAre(std::make_pair(top + "/d/out", dir_ + "/outside")));

  ASSERT_EQ(mkfifo((top + "/d/pipe").c_str(), 0600), 0);
  files.clear();
  EXPECT_EQ(test::MessageOf<FileException>([&] { Directory(top).List(files, dirs, links); }),
            "unsafe delete operation. name:pipe");
  EXPECT_EQ(test::MessageOf<FileException>([&] { RemoveDirectory(top, true); }),
            "unsafe delete operation. name:pipe");
}

TEST_F(DirectoryTest, RemoveDirectoryNeedsRecurseForContentAndNeverFollowsLinks) {
  const std::string tree = dir_ + "/tree";
  File("tree/a");
  File("tree/sub/b");
  const std::string outside = File("keep/precious", "data");
  Link(dir_ + "/keep", "tree/sub/to_keep_dir");
  Link(outside, "tree/to_keep_file");

  EXPECT_THAT(test::MessageOf<FileException>([&] { RemoveDirectory(tree, false); }),
              StartsWith("rmdir error. dirname:" + tree + ", errno:"));
  EXPECT_TRUE(ExistDirectory(tree + "/sub"));
  RemoveDirectory(tree, true);
  EXPECT_FALSE(std::filesystem::exists(tree));
  EXPECT_EQ(Read(outside), "data");

  EXPECT_NO_THROW(RemoveDirectory(dir_ + "/missing", false));
  EXPECT_NO_THROW(RemoveDirectory(dir_ + "/missing", true));

  // Through a link the cleanup would empty the link's target, outside the tree.
  const std::string alias = Link(dir_ + "/keep", "alias");
  EXPECT_THAT(test::MessageOf<FileException>([&] { RemoveDirectory(alias, true); }),
              StartsWith("rmdir error. dirname:" + alias));
  EXPECT_EQ(Read(outside), "data");
}

TEST_F(DirectoryTest, CopyDirectoryRepointsLinksIntoTheCopy) {
  const std::string from = dir_ + "/from";
  File("from/f", "file");
  File("from/sub/g", "deep");
  File("elsewhere", "outer");
  Link(from + "/sub/g", "from/inner");
  Link(from + "/sub", "from/inner_dir");
  Link(dir_ + "/elsewhere", "from/sub/outer");
  Link(dir_ + "/gone", "from/dangling");
  ASSERT_EQ(chmod((from + "/sub").c_str(), 0700), 0);

  const std::string to = dir_ + "/copy/of";
  CopyDirectory(from, to, true);
  EXPECT_EQ(Read(to + "/f"), "file");
  EXPECT_EQ(Read(to + "/sub/g"), "deep");
  EXPECT_EQ(std::filesystem::read_symlink(to + "/inner"), to + "/sub/g");
  EXPECT_EQ(std::filesystem::read_symlink(to + "/inner_dir"), to + "/sub");
  EXPECT_EQ(std::filesystem::read_symlink(to + "/sub/outer"), dir_ + "/elsewhere");
  EXPECT_FALSE(std::filesystem::is_symlink(to + "/dangling"));
  struct stat st {};
  ASSERT_EQ(stat((to + "/sub").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  // Copying again over the existing copy replaces its links and files.
  EXPECT_NO_THROW(CopyDirectory(from, to, false));
  EXPECT_EQ(std::filesystem::read_symlink(to + "/inner"), to + "/sub/g");
}

TEST_F(DirectoryTest, CopyDirectoryRefusesSameOrMissingSource) {
  const std::string d = dir_ + "/d";
  File("d/f");
  EXPECT_EQ(test::MessageOf<FileException>([&] { CopyDirectory(d, d, false); }),
            "source and dest dir is same. dirName:" + d + ", destDirName:" + d);
  EXPECT_EQ(test::MessageOf<FileException>([&] { CopyDirectory(d, d + "/../d/", false); }),
            "source and dest dir is same. dirName:" + d + ", destDirName:" + d + "/../d/");
  const std::string missing = dir_ + "/missing";
  EXPECT_EQ(test::MessageOf<FileException>([&] { CopyDirectory(missing, dir_ + "/to", false); }),
            "get source real dirname error. dirName:" + missing + ", errno:2");
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/to"));
}

}  // namespace
}  // namespace quorvel::common
