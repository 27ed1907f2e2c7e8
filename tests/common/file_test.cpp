#include "quorvel/common/filesystem/file.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "common/support/common_test_support.hpp"
#include "quorvel/common/exception.hpp"

namespace quorvel::common {
namespace {

class FileTest : public test::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    previousMask_ = umask(022);
  }
  void TearDown() override {
    umask(previousMask_);
    TempDirTest::TearDown();
  }

  static std::string Read(const std::string& path) { return ReadFile(path); }

  static mode_t ModeOf(const std::string& path) {
    struct stat st {};
    lstat(path.c_str(), &st);
    return st.st_mode & 0777;
  }

  mode_t previousMask_ = 0;
};

TEST_F(FileTest, SaveReplacesAppendExtendsLoadReads) {
  const std::string path = dir_ + "/f.json";
  SaveFile(path, "first content", 0600);
  EXPECT_EQ(ModeOf(path), 0600u);
  SaveFile(path, std::string("second"), 0644);
  EXPECT_EQ(LoadFile(path), "second");
  EXPECT_EQ(ModeOf(path), 0600u);  // the mode applies on creation only
  AppendFile(path, "+more", 5, 0644);
  AppendFile(path, std::string("!"), 0644);
  EXPECT_EQ(LoadFile(path), "second+more!");
  EXPECT_EQ(GetFileSize(path), 12);
  EXPECT_TRUE(ExistFile(path));

  const std::string binary("a\0b\0c", 5);
  SaveFile(path, binary, 0644);
  EXPECT_EQ(LoadFile(path), binary);
}

TEST_F(FileTest, LoadOfMissingOrUnusualNames) {
  const std::string missing = dir_ + "/missing";
  EXPECT_EQ(test::MessageOf<FileException>([&] { LoadFile(missing); }),
            "open error. filename:" + missing + ", error:2");
  EXPECT_EQ(LoadFileEx(missing), "");
  EXPECT_EQ(test::MessageOf<FileException>([&] { LoadFileEx(dir_); }), "target name is not file or syslink:" + dir_);
  SaveFile(dir_ + "/real", "via link", 0644);
  ASSERT_EQ(symlink((dir_ + "/real").c_str(), (dir_ + "/link").c_str()), 0);
  EXPECT_EQ(LoadFileEx(dir_ + "/link"), "via link");
  EXPECT_EQ(GetFileSize(dir_), -2);
  EXPECT_EQ(GetFileSize(missing), -2);
  SaveFile(dir_ + "/empty", "", 0644);
  EXPECT_EQ(LoadFileEx(dir_ + "/empty"), "");
}

TEST_F(FileTest, WritingCreatesMissingParentDirectories) {
  const std::string path = dir_ + "/n1/n2/f";
  File file(path, O_WRONLY, 0640);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.Size(), -1);
  EXPECT_EQ(file.Write("abc"), 3);
  EXPECT_TRUE(file.IsOpen());
  EXPECT_EQ(file.Size(), 3);
  EXPECT_EQ(ModeOf(dir_ + "/n1/n2"), 0755u);
  EXPECT_EQ(ModeOf(path), 0640u);
  file.Close();
  EXPECT_EQ(file.Size(), 3);
  EXPECT_EQ(Read(path), "abc");

  EXPECT_EQ(test::MessageOf<FileException>([&] { File(dir_ + "/sub/", O_WRONLY).Write("x"); }),
            "format not regular file. filename:" + dir_ + "/sub/");
  EXPECT_EQ(test::MessageOf<FileException>([&] { File(" \t", O_RDWR).Write("x"); }),
            "normalize filename empty error");
  EXPECT_EQ(test::MessageOf<FileException>([&] { File(dir_ + "/nothing", O_RDONLY).Write("x"); }),
            "open error. filename:" + dir_ + "/nothing, error:2");
}

TEST_F(FileTest, SeekReadTruncateAndAppend) {
  const std::string path = dir_ + "/rw";
  File file(path, O_RDWR | O_CREAT, 0644);
  file.Write("0123456789");
  EXPECT_EQ(file.SeekBegin(), 0);
  std::string out;
  EXPECT_EQ(file.Read(out, 4), 4);
  EXPECT_EQ(out, "0123");
  char buf[3];
  EXPECT_EQ(file.Read(buf, 3), 3);
  EXPECT_EQ(std::string(buf, 3), "456");
  EXPECT_EQ(file.Seek(2, SEEK_SET), 2);
  EXPECT_EQ(file.Append("ab", 2), 2);  // seeks to the end first
  file.Truncate(11);
  file.Sync();
  EXPECT_EQ(file.SeekEnd(), 11);
  out.clear();
  file.SeekBegin();
  EXPECT_EQ(file.ReadAll(out), 11);
  EXPECT_EQ(out, "0123456789a");
}

TEST_F(FileTest, DescriptorZeroIsOpenAndClosedOnce) {
  const std::string path = dir_ + "/zero";
  SaveFile(path, "z", 0644);
  const int savedStdin = dup(STDIN_FILENO);
  ASSERT_GE(savedStdin, 0);
  int reusedZero = -1;
  close(STDIN_FILENO);
  {
    File file(path, O_RDONLY);
    std::string out;
    file.ReadAll(out);
    EXPECT_EQ(file.GetFd(), 0);
    EXPECT_TRUE(file.IsOpen());
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(fcntl(0, F_GETFD), -1);
    reusedZero = open("/dev/null", O_RDONLY);  // someone else's descriptor 0 now
  }
  const bool stillOpen = fcntl(0, F_GETFD) != -1;
  close(STDIN_FILENO);
  {
    File file(path, O_RDONLY);
    file.SeekBegin();
    EXPECT_EQ(file.GetFd(), 0);
  }
  const bool leaked = fcntl(0, F_GETFD) != -1;
  dup2(savedStdin, STDIN_FILENO);
  close(savedStdin);
  EXPECT_EQ(reusedZero, 0);
  EXPECT_TRUE(stillOpen) << "the File closed a descriptor it no longer owned";
  EXPECT_FALSE(leaked) << "the destructor left descriptor 0 open";
}

TEST_F(FileTest, MemoryMappedReadingWorksInWholePages) {
  const int64_t page = getpagesize();
  const std::string small = dir_ + "/small";
  SaveFile(small, "0123456789", 0644);
  std::string out;
  EXPECT_EQ(MMLoadFile(small, out), 10);
  EXPECT_EQ(out, "0123456789");

  std::string content(static_cast<size_t>(2 * page + 10), 'p');
  content[static_cast<size_t>(page)] = 'B';
  const std::string large = dir_ + "/large";
  SaveFile(large, content, 0644);
  MMReadFile file(large);
  EXPECT_EQ(file.Size(), 2 * page + 10);
  std::string buffer(static_cast<size_t>(page), '\0');
  EXPECT_EQ(file.Read(buffer.data(), page), page);
  std::string rest;
  EXPECT_EQ(file.Read(rest, 2 * page), page + 10);
  EXPECT_EQ(buffer + rest, content);
  EXPECT_EQ(file.Read(rest, page), 0);
  file.Seek(page);
  std::string tail;
  EXPECT_EQ(file.ReadAll(tail), page + 10);
  EXPECT_EQ(tail[0], 'B');

  char buf[100];
  EXPECT_EQ(test::MessageOf<FileException>([&] { file.Read(buf, 100); }),
            "read len must be an integer multiple of PAGE_SIZE.");
  EXPECT_EQ(test::MessageOf<FileException>([&] { file.Read(buf, -page); }),
            "read len must be an integer multiple of PAGE_SIZE.");
  EXPECT_EQ(test::MessageOf<FileException>([&] { file.Seek(100); }),
            "offset must be an integer multiple of PAGE_SIZE.");
  EXPECT_EQ(test::MessageOf<FileException>([&] { file.Seek(3 * page); }),
            "seek error. size:" + std::to_string(2 * page + 10) + ", offset:" +
                std::to_string(3 * page));
  EXPECT_EQ(test::MessageOf<FileException>([&] { file.Seek(-page); }),
            "seek error. size:" + std::to_string(2 * page + 10) + ", offset:-" +
                std::to_string(page));
  EXPECT_EQ(test::MessageOf<FileException>([] { MMReadFile(""); }), "filename empty error");

  const std::string empty = dir_ + "/empty";
  SaveFile(empty, "", 0644);
  out.clear();
  EXPECT_EQ(MMLoadFile(empty, out), 0);
  EXPECT_EQ(out, "");
}

TEST_F(FileTest, CopyFileWithAndWithoutAttributes) {
  const std::string from = dir_ + "/from";
  std::string content(300000, 'c');  // more than one copy block
  content.back() = 'E';
  SaveFile(from, content, 0640);
  timeval times[2] = {{1000000, 0}, {2000000, 0}};
  ASSERT_EQ(utimes(from.c_str(), times), 0);

  const std::string plain = dir_ + "/plain";
  SaveFile(plain, std::string(400000, 'x'), 0600);  // longer target is replaced
  EXPECT_TRUE(CopyFile(from, plain, false));
  EXPECT_EQ(Read(plain), content);
  EXPECT_EQ(ModeOf(plain), 0640u);
  struct stat st {};
  stat(plain.c_str(), &st);
  EXPECT_NE(st.st_mtim.tv_sec, 2000000);

  const std::string withAttr = dir_ + "/sub/with";
  EXPECT_TRUE(CopyFile(from, withAttr, true));
  stat(withAttr.c_str(), &st);
  EXPECT_EQ(st.st_mtim.tv_sec, 2000000);
  EXPECT_EQ(Read(withAttr), content);

  EXPECT_FALSE(CopyFile(from, from, false));
  ASSERT_EQ(symlink(from.c_str(), (dir_ + "/alias").c_str()), 0);
  EXPECT_FALSE(CopyFile(from, dir_ + "/alias", false));
  EXPECT_EQ(Read(from), content);
  EXPECT_FALSE(CopyFile(dir_ + "/missing", dir_ + "/to", false));
  EXPECT_FALSE(CopyFile(dir_, dir_ + "/to", false));
  EXPECT_FALSE(ExistFile(dir_ + "/to"));
}

TEST_F(FileTest, CopyattrNamesTheFailingStep) {
  const std::string from = dir_ + "/from";
  SaveFile(from, "a", 0604);
  const std::string missing = dir_ + "/missing";
  EXPECT_EQ(test::MessageOf<FileException>([&] { Copyattr(from, missing); }),
            "lstat error. name:" + missing + ", errno:2");
  EXPECT_EQ(test::MessageOf<FileException>([&] { Copyattr(missing, from); }),
            "chmod error. name:" + missing + ", errno:2");
  const std::string to = dir_ + "/to";
  SaveFile(to, "b", 0600);
  Copyattr(to, from);
  EXPECT_EQ(ModeOf(to), 0604u);
  // A link keeps its own mode: only its owner is copied.
  ASSERT_EQ(symlink(from.c_str(), (dir_ + "/l1").c_str()), 0);
  ASSERT_EQ(symlink(to.c_str(), (dir_ + "/l2").c_str()), 0);
  EXPECT_NO_THROW(Copyattr(dir_ + "/l2", dir_ + "/l1"));
  EXPECT_EQ(test::MessageOf<FileException>([&] { Copyattr(dir_ + "/nolink", dir_ + "/l1"); }),
            "lchown error. name:" + dir_ + "/nolink, errno:2");
}

TEST_F(FileTest, RenameAndRemoveWholeFiles) {
  const std::string a = dir_ + "/a";
  SaveFile(a, "x", 0644);
  Rename(a, dir_ + "/b");
  EXPECT_FALSE(ExistFile(a));
  RemoveFile(dir_ + "/b");
  EXPECT_FALSE(ExistFile(dir_ + "/b"));
  EXPECT_NO_THROW(RemoveFile(dir_ + "/b"));
  EXPECT_NO_THROW(Remove(dir_ + "/b"));
  EXPECT_EQ(NormalizePath(" /a//b/ ", true), "/a/b/");
  EXPECT_EQ(GetFatherDirectory("/a/b", true), "/a/");
  EXPECT_EQ(GetFileName("/a/b.LOG"), "b.LOG");
  EXPECT_EQ(GetLastName("/a/b/"), "b");
}

}  // namespace
}  // namespace quorvel::common
