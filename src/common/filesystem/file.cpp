#include "quorvel/common/filesystem/file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "quorvel/common/exception.hpp"
#include "quorvel/common/filesystem/filesystem.hpp"
#include "quorvel/common/string_tool.hpp"

namespace quorvel::common {
namespace {

constexpr int32_t kSaveFlags = O_RDWR | O_CREAT | O_TRUNC | O_SYNC;
constexpr int32_t kAppendFlags = O_RDWR | O_CREAT | O_APPEND | O_SYNC;
constexpr int64_t kCopyBlock = 262144;

FileSystemHelper* Fs() { return FileSystemHelper::Instance(); }

bool OpensForWriting(int32_t flags) {
  const int32_t access = flags & O_ACCMODE;
  return access == O_WRONLY || access == O_RDWR;
}

}  // namespace

File::File() = default;

File::File(const std::string& name, int32_t flags, uint32_t mode)
    : name_(name), flags_(flags), mode_(mode) {}

File::~File() { Close(); }

void File::Open() {
  Close();
  if (OpensForWriting(flags_) && !Fs()->Exist(name_)) {
    std::string normal = name_;
    Fs()->NormalizePath(normal, true);
    if (normal.empty()) {
      QV_THROW(FileException, "normalize filename empty error");
    }
    if (normal.back() == '/') {
      QV_THROW(FileException, "format not regular file. filename:" + name_);
    }
    flags_ |= O_CREAT;
    const std::string father = Fs()->GetFatherDirectory(name_, false);
    if (!father.empty() && !Fs()->ExistDirectory(father)) {
      Fs()->MakedirRecurse(father, 0755);
    }
  }
  fd_ = Fs()->Open(name_, flags_, mode_);
}

void File::Open(int32_t flags, uint32_t mode) {
  flags_ = flags;
  mode_ = mode;
  Open();
}

void File::Open(const std::string& name, int32_t flags, uint32_t mode) {
  name_ = name;
  Open(flags, mode);
}

void File::Close() {
  if (IsOpen()) {
    Fs()->Close(fd_);
    fd_ = -1;
  }
}

bool File::IsOpen() const { return fd_ >= 0; }

int32_t File::GetFd() const { return fd_; }

void File::EnsureOpen() {
  if (!IsOpen()) {
    Open();
  }
}

int64_t File::Write(const char* data, int64_t len) {
  EnsureOpen();
  return Fs()->Write(fd_, data, len);
}

int64_t File::Write(const std::string& data) {
  EnsureOpen();
  return Fs()->Write(fd_, data);
}

int64_t File::Read(char* buf, int64_t len) {
  EnsureOpen();
  return Fs()->Read(fd_, buf, len);
}

int64_t File::Read(std::string& out, int64_t len) {
  EnsureOpen();
  return Fs()->Read(fd_, out, len);
}

int64_t File::ReadAll(std::string& out) {
  EnsureOpen();
  return Fs()->ReadAll(fd_, out);
}

int64_t File::Seek(int64_t offset, int64_t whence) {
  EnsureOpen();
  return Fs()->Seek(fd_, offset, whence);
}

int64_t File::SeekBegin() { return Seek(0, SEEK_SET); }

int64_t File::SeekEnd() { return Seek(0, SEEK_END); }

void File::Truncate(int64_t len) {
  EnsureOpen();
  Fs()->Truncate(fd_, len);
}

void File::Sync() {
  EnsureOpen();
  Fs()->Sync(fd_);
}

int64_t File::Append(const char* data, int64_t len) {
  EnsureOpen();
  if ((flags_ & O_APPEND) == 0) {
    SeekEnd();
  }
  return Fs()->Write(fd_, data, len);
}

int64_t File::Size() {
  struct stat st {};
  if (IsOpen()) {
    Fs()->Stat(fd_, st);
    return st.st_size;
  }
  return Fs()->Stat(name_, st) ? st.st_size : -1;
}

MMReadFile::MMReadFile() = default;

MMReadFile::MMReadFile(const std::string& name) { Open(name); }

MMReadFile::~MMReadFile() { Close(); }

void MMReadFile::Open(const std::string& name) {
  if (name.empty()) {
    QV_THROW(FileException, "filename empty error");
  }
  if (IsOpen()) {
    return;
  }
  fd_ = Fs()->Open(name, O_RDONLY, 0);
  name_ = name;
  position_ = 0;
  struct stat st {};
  Fs()->Stat(fd_, st);
  size_ = st.st_size;
}

int64_t MMReadFile::Read(char* buf, int64_t len) {
  if (len < 0 || len % getpagesize() != 0) {
    QV_THROW(FileException, "read len must be an integer multiple of PAGE_SIZE.");
  }
  if (len == 0 || position_ >= size_) {
    return 0;
  }
  const int64_t count = std::min(len, size_ - position_);
  void* addr = Fs()->MmapRead(fd_, position_, count);
  std::memcpy(buf, addr, static_cast<size_t>(count));
  Fs()->Munmap(addr, count);
  position_ += len;
  return count;
}

int64_t MMReadFile::Read(std::string& out, int64_t len) {
  if (len < 0 || len % getpagesize() != 0) {
    QV_THROW(FileException, "read len must be an integer multiple of PAGE_SIZE.");
  }
  const size_t start = out.size();
  out.resize(start + static_cast<size_t>(std::max<int64_t>(0, std::min(len, size_ - position_))));
  const int64_t count = Read(out.data() + start, len);
  out.resize(start + static_cast<size_t>(count));
  return count;
}

int64_t MMReadFile::ReadAll(std::string& out) {
  const int64_t page = getpagesize();
  return Read(out, ((size_ + page - 1) / page) * page);
}

void MMReadFile::Seek(int64_t offset) {
  if (offset % getpagesize() != 0) {
    QV_THROW(FileException, "offset must be an integer multiple of PAGE_SIZE.");
  }
  if (offset < 0 || offset > size_) {
    QV_THROW(FileException, "seek error. size:" + ToString(size_) + ", offset:" + ToString(offset));
  }
  position_ = offset;
}

int64_t MMReadFile::Size() const { return size_; }

int32_t MMReadFile::GetFd() const { return fd_; }

bool MMReadFile::IsOpen() const { return fd_ >= 0; }

void MMReadFile::Close() {
  if (IsOpen()) {
    Fs()->Close(fd_);
    fd_ = -1;
  }
  position_ = 0;
  size_ = 0;
}

bool ExistFile(const std::string& name) { return Fs()->ExistFile(name); }

int64_t GetFileSize(const std::string& name) { return Fs()->GetFileSize(name); }

std::string LoadFile(const std::string& name) {
  File file(name, O_RDONLY);
  std::string content;
  file.ReadAll(content);
  return content;
}

std::string LoadFileEx(const std::string& name) {
  struct stat st {};
  if (!Fs()->Stat(name, st)) {
    return std::string();
  }
  if (!Fs()->IsFile(st)) {
    QV_THROW(FileException, "target name is not file or syslink:" + name);
  }
  return LoadFile(name);
}

void SaveFile(const std::string& name, const char* data, int64_t len, uint32_t mode) {
  File(name, kSaveFlags, mode).Write(data, len);
}

void SaveFile(const std::string& name, const std::string& data, uint32_t mode) {
  SaveFile(name, data.data(), static_cast<int64_t>(data.size()), mode);
}

void AppendFile(const std::string& name, const char* data, int64_t len, uint32_t mode) {
  File(name, kAppendFlags, mode).Append(data, len);
}

void AppendFile(const std::string& name, const std::string& data, uint32_t mode) {
  AppendFile(name, data.data(), static_cast<int64_t>(data.size()), mode);
}

void RemoveFile(const std::string& name) { Fs()->RemoveFile(name, true); }

void Remove(const std::string& name) { Fs()->Remove(name, true); }

void Rename(const std::string& oldName, const std::string& newName) {
  Fs()->Rename(oldName, newName);
}

int64_t MMLoadFile(const std::string& name, std::string& out) {
  return MMReadFile(name).ReadAll(out);
}

bool CopyFile(const std::string& from, const std::string& to, bool copyAttr) {
  if (Fs()->IsSame(from, to)) {
    return false;
  }
  struct stat st {};
  if (!Fs()->Stat(from, st) || !Fs()->IsFile(st)) {
    return false;
  }
  Fs()->RemoveFile(to, true);
  File source(from, O_RDONLY);
  File target(to, kSaveFlags, st.st_mode & 0777);
  std::vector<char> block(kCopyBlock);
  int64_t copied = 0;
  int64_t n = 0;
  while ((n = source.Read(block.data(), kCopyBlock)) > 0) {
    if (target.Write(block.data(), n) != n) {
      return false;
    }
    copied += n;
  }
  source.Close();
  target.Close();
  if (copied != st.st_size) {
    return false;
  }
  return copyAttr ? Fs()->Chattr(to, st) : true;
}

void Copyattr(const std::string& to, const std::string& from) {
  struct stat st {};
  if (!Fs()->StatL(from, st)) {
    QV_THROW(FileException, "lstat error. name:" + from + ", errno:" + ToString(errno));
  }
  if (Fs()->IsFile(st) || Fs()->IsDirectory(st)) {
    if (!Fs()->Chmod(to, st.st_mode & 0777)) {
      QV_THROW(FileException, "chmod error. name:" + to + ", errno:" + ToString(errno));
    }
    if (!Fs()->Chown(to, st.st_uid, st.st_gid)) {
      QV_THROW(FileException, "chown error. name:" + to + ", errno:" + ToString(errno));
    }
    timeval times[2];
    times[0].tv_sec = st.st_atim.tv_sec;
    times[0].tv_usec = st.st_atim.tv_nsec / 1000;
    times[1].tv_sec = st.st_mtim.tv_sec;
    times[1].tv_usec = st.st_mtim.tv_nsec / 1000;
    if (!Fs()->UTime(to, times)) {
      QV_THROW(FileException, "utime error. name:" + to + ", errno:" + ToString(errno));
    }
  } else if (Fs()->IsSymlink(st)) {
    if (!Fs()->ChownL(to, st.st_uid, st.st_gid)) {
      QV_THROW(FileException, "lchown error. name:" + to + ", errno:" + ToString(errno));
    }
  }
}

std::string NormalizePath(const std::string& path, bool keepEndSlash) {
  std::string copy = path;
  return Fs()->NormalizePath(copy, keepEndSlash);
}

std::string GetFatherDirectory(const std::string& path, bool withEndSlash) {
  return Fs()->GetFatherDirectory(path, withEndSlash);
}

std::string GetFileName(const std::string& path) { return Fs()->GetFileName(path); }

std::string GetLastName(const std::string& path) { return Fs()->GetLastName(path); }

}  // namespace quorvel::common
