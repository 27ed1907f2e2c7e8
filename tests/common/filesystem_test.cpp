#include "quorvel/common/filesystem/filesystem.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/support/common_test_support.hpp"
#include "quorvel/common/exception.hpp"

namespace quorvel::common {
namespace {

class FileSystemHelperTest : public test::TempDirTest {
 protected:

  std::string Make(const std::string& name, const std::string& content) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path) << content;
    return path;
  }

  FileSystemHelper* fs_ = FileSystemHelper::Instance();
};

TEST_F(FileSystemHelperTest, NormalizePathCollapsesSlashesAndTrims) {
  struct {
    std::string path;
    std::string plain;
    std::string keepSlash;
  } cases[] = {
      {" /a//b/ ", "/a/b", "/a/b/"},
      {"", "", ""},
      {" \t\r\n", "", ""},
      {"///", "/", "/"},
      {"/", "/", "/"},
      {"a", "a", "a"},
      {"a/./../b", "a/./../b", "a/./../b"},
      {"a/ /b\t/", "a/b\t", "a/b\t/"},
  };
  for (const auto& c : cases) {
    std::string plain = c.path, keep = c.path;
    EXPECT_EQ(fs_->NormalizePath(plain, false), c.plain) << '"' << c.path << '"';
    EXPECT_EQ(fs_->NormalizePath(keep, true), c.keepSlash) << '"' << c.path << '"';
  }
}

TEST_F(FileSystemHelperTest, PathPieces) {
  struct {
    std::string path;
    std::string father, fatherSlash, fileName, lastName;
  } cases[] = {
      {"/quorvel/dds", "/quorvel", "/quorvel/", "dds", "dds"},
      {"/quorvel", "", "/", "quorvel", "quorvel"},
      {"a", "", "", "a", "a"},
      {"/x/y.LOG", "/x", "/x/", "y.LOG", "y.LOG"},
      {"/x/", "", "/", "", "x"},
      {"//x//y//", "/x", "/x/", "", "y"},
      {"", "", "", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fs_->GetFatherDirectory(c.path, false), c.father) << c.path;
    EXPECT_EQ(fs_->GetFatherDirectory(c.path, true), c.fatherSlash) << c.path;
    EXPECT_EQ(fs_->GetFileName(c.path), c.fileName) << c.path;
    EXPECT_EQ(fs_->GetLastName(c.path), c.lastName) << c.path;
  }
}

TEST_F(FileSystemHelperTest, ParseModeStringAcceptsThreeOctalDigits) {
  EXPECT_EQ(fs_->ParseModeString("0644"), 0644u);
  EXPECT_EQ(fs_->ParseModeString("0755"), 493u);
  EXPECT_EQ(fs_->ParseModeString("755"), 0755u);
  EXPECT_EQ(fs_->ParseModeString("000"), 0u);
  for (const std::string bad : {"1644", "64", "648", "", "07555", "a44", "0 44"}) {
    EXPECT_EQ(test::MessageOf<FileException>([&] { fs_->ParseModeString(bad); }), "input mode str error. str:" + bad);
  }
}

TEST_F(FileSystemHelperTest, ExistenceQueriesAnswerFalseForMissingNames) {
  const std::string file = Make("f", "12345");
  const std::string missing = dir_ + "/missing";
  struct stat st {};
  EXPECT_FALSE(fs_->Stat(missing, st));
  EXPECT_FALSE(fs_->StatL(missing, st));
  EXPECT_FALSE(fs_->Stat(file + "/below", st));  // through a regular file
  EXPECT_FALSE(fs_->Exist(missing));
  EXPECT_TRUE(fs_->ExistFile(file));
  EXPECT_FALSE(fs_->ExistDirectory(file));
  EXPECT_TRUE(fs_->ExistDirectory(dir_));
  EXPECT_FALSE(fs_->ExistFile(dir_));
  EXPECT_EQ(fs_->GetFileSize(file), 5);
  EXPECT_EQ(fs_->GetFileSize(dir_), -2);
  EXPECT_EQ(fs_->GetFileSize(missing), -2);

  const std::string link = dir_ + "/link";
  ASSERT_TRUE(fs_->Symlink(file, link));
  EXPECT_FALSE(fs_->Symlink(file, link));
  EXPECT_EQ(fs_->GetSymlink(link), file);
  EXPECT_EQ(fs_->GetSymlink(file), "");
  ASSERT_TRUE(fs_->StatL(link, st));
  EXPECT_TRUE(fs_->IsSymlink(st));
  EXPECT_EQ(fs_->GetFileSize(link), 5);
  EXPECT_TRUE(fs_->IsSame(link, file));
  EXPECT_FALSE(fs_->IsSame(missing, dir_ + "/other"));
  EXPECT_TRUE(fs_->IsSame(missing, missing));
  EXPECT_EQ(fs_->GetRealName(missing), "");
}

TEST_F(FileSystemHelperTest, RemovalAndRenameReportFailures) {
  const std::string missing = dir_ + "/missing";
  EXPECT_NO_THROW(fs_->RemoveFile(missing, true));
  EXPECT_NO_THROW(fs_->RemoveDirectory(missing, true));
  EXPECT_NO_THROW(fs_->Remove(missing, true));
  EXPECT_EQ(test::MessageOf<FileException>([&] { fs_->RemoveFile(missing, false); }),
            "unlink error. filename:" + missing + ", errno:2");
  EXPECT_EQ(test::MessageOf<FileException>([&] { fs_->RemoveDirectory(missing, false); }),
            "rmdir error. dirname:" + missing + ", errno:2");
  EXPECT_EQ(test::MessageOf<FileException>([&] { fs_->Remove(missing, false); }),
            "remove error. name:" + missing + ", errno:2");
  EXPECT_EQ(test::MessageOf<FileException>([&] { fs_->Rename(missing, dir_ + "/b"); }),
            "rename error. oldname:" + missing + ", newname:" + dir_ + "/b, errno:2");
  EXPECT_EQ(test::MessageOf<FileException>([&] { fs_->Open(missing, O_RDONLY, 0); }),
            "open error. filename:" + missing + ", error:2");
  EXPECT_EQ(test::MessageOf<FileException>([&] { fs_->Opendir(missing); }),
            "opendir error. dirname:" + missing + ", errno:2");
  EXPECT_EQ(test::MessageOf<FileException>([&] { fs_->Makedir(dir_, 0755, false); }),
            "mkdir error. dirname:" + dir_ + ", errno:17");
  EXPECT_NO_THROW(fs_->Makedir(dir_, 0755, true));

  const std::string file = Make("a", "x");
  fs_->Rename(file, dir_ + "/b");
  EXPECT_FALSE(fs_->Exist(file));
  EXPECT_TRUE(fs_->ExistFile(dir_ + "/b"));
}

TEST_F(FileSystemHelperTest, MakedirRecurseCreatesEveryAncestor) {
  fs_->MakedirRecurse(" " + dir_ + "/n1//n2/n3 ", 0750);
  EXPECT_TRUE(fs_->ExistDirectory(dir_ + "/n1/n2/n3"));
  struct stat st {};
  ASSERT_TRUE(fs_->Stat(dir_ + "/n1/n2", st));
  EXPECT_EQ(st.st_mode & 0777, 0750u & ~static_cast<unsigned>(umask(umask(0))));
  EXPECT_NO_THROW(fs_->MakedirRecurse(dir_ + "/n1/n2/n3", 0750));
  EXPECT_NO_THROW(fs_->MakedirRecurse("", 0750));
  // A regular file in the way stops the walk with the mkdir error.
  Make("file", "");
  EXPECT_EQ(test::MessageOf<FileException>([&] { fs_->MakedirRecurse(dir_ + "/file/sub", 0755); }),
            "mkdir error. dirname:" + dir_ + "/file/sub, errno:20");
}

TEST_F(FileSystemHelperTest, DescriptorOperations) {
  const std::string path = dir_ + "/data";
  const int32_t fd = fs_->Open(path, O_RDWR | O_CREAT, 0600);
  std::string big(200000, 'q');
  EXPECT_EQ(fs_->Write(fd, big), 200000);
  EXPECT_EQ(fs_->Seek(fd, 0, SEEK_SET), 0);
  std::string out = "head:";
  EXPECT_EQ(fs_->Read(fd, out, 70000), 70000);
  EXPECT_EQ(out.size(), 5u + 70000u);
  EXPECT_EQ(fs_->ReadAll(fd, out), 130000);
  EXPECT_EQ(out, "head:" + big);
  fs_->Truncate(fd, 10);
  struct stat st {};
  EXPECT_TRUE(fs_->Stat(fd, st));
  EXPECT_EQ(st.st_size, 10);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  fs_->Sync(fd);
  EXPECT_EQ(fs_->Close(fd), 0);
  EXPECT_EQ(fs_->Close(-1), -1);

  EXPECT_EQ(test::MessageOf<FileException>([&] { fs_->Seek(fd, 0, SEEK_SET); }),
            "lseek error. fd:" + std::to_string(fd) + ", errno:9");
  EXPECT_EQ(test::MessageOf<FileException>([&] { fs_->Truncate(fd, 0); }),
            "ftruncate error. fd:" + std::to_string(fd) + ", errno:9");
  char buf[4];
  try {
    fs_->Read(fd, buf, 4);
    FAIL();
  } catch (const IOException& e) {
    EXPECT_EQ(e.GetMessage(), "read error. fd:" + std::to_string(fd) + ", errno:9");
  }
  try {
    fs_->Write(fd, "x", 1);
    FAIL();
  } catch (const IOException& e) {
    EXPECT_EQ(e.GetMessage(), "write error. fd:" + std::to_string(fd) + ", errno:9");
  }
}

TEST_F(FileSystemHelperTest, CreatedFileWithoutModeGetsDefinedPermissions) {
  const mode_t mask = umask(022);
  const int32_t fd = fs_->Open(dir_ + "/nomode", O_WRONLY | O_CREAT, 0);
  umask(mask);
  struct stat st {};
  fs_->Stat(fd, st);
  fs_->Close(fd);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(FileSystemHelperTest, MmapNeedsAlignedOffset) {
  const std::string path = Make("m", "mapped");
  const int32_t fd = fs_->Open(path, O_RDONLY, 0);
  void* addr = fs_->MmapRead(fd, 0, 6);
  EXPECT_EQ(std::memcmp(addr, "mapped", 6), 0);
  fs_->Munmap(addr, 6);
  EXPECT_EQ(test::MessageOf<FileException>([&] { fs_->MmapRead(fd, 100, 6); }),
            "MmapRead offset is not aligned error. offset:100");
  fs_->Close(fd);
  EXPECT_EQ(test::MessageOf<FileException>([&] { fs_->MmapRead(fd, 0, 6); }), "MmapRead mmap error. errno:9");
}

TEST_F(FileSystemHelperTest, ChattrCopiesModeOwnerAndTimes) {
  const std::string from = Make("from", "a");
  const std::string to = Make("to", "b");
  ASSERT_TRUE(fs_->Chmod(from, 0100640));  // only the permission bits are applied
  timeval times[2] = {{1000000, 250000}, {2000000, 500000}};
  ASSERT_TRUE(fs_->UTime(from, times));
  struct stat st {};
  ASSERT_TRUE(fs_->Stat(from, st));
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_TRUE(fs_->Chattr(to, st));
  struct stat copied {};
  ASSERT_TRUE(fs_->Stat(to, copied));
  EXPECT_EQ(copied.st_mode & 0777, 0640u);
  EXPECT_EQ(copied.st_mtim.tv_sec, 2000000);
  EXPECT_EQ(copied.st_mtim.tv_nsec, 500000000);
  EXPECT_EQ(copied.st_uid, st.st_uid);
  EXPECT_FALSE(fs_->Chmod(dir_ + "/missing", 0644));
  EXPECT_FALSE(fs_->Chattr(dir_ + "/missing", st));
}

}  // namespace
}  // namespace quorvel::common
