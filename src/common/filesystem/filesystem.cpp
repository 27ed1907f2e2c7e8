#include "quorvel/common/filesystem/filesystem.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "quorvel/common/exception.hpp"
#include "quorvel/common/string_tool.hpp"

namespace quorvel::common {
namespace {

constexpr int64_t kChunkSize = 65536;

std::string ErrnoText() { return ", errno:" + ToString(errno); }

// A name that cannot exist: missing, or a path through something that is not a directory.
bool IsMissing(int error) { return error == ENOENT || error == ENOTDIR; }

}  // namespace

FileSystemHelper* FileSystemHelper::Instance() {
  static FileSystemHelper instance;
  return &instance;
}

int32_t FileSystemHelper::Open(const std::string& name, int32_t flags, uint32_t mode) {
  // open(2) reads a mode whenever it may create the file; without one the permission bits
  // would be whatever the stack held.
  if (mode == 0 && (flags & O_CREAT) != 0) {
    mode = 0666;
  }
  const int fd = mode != 0 ? ::open(name.c_str(), flags, static_cast<mode_t>(mode))
                           : ::open(name.c_str(), flags);
  if (fd < 0) {
    QV_THROW(FileException, "open error. filename:" + name + ", error:" + ToString(errno));
  }
  return fd;
}

int64_t FileSystemHelper::Write(int32_t fd, const char* data, int64_t len) {
  int64_t done = 0;
  while (done < len) {
    const ssize_t n = ::write(fd, data + done, static_cast<size_t>(len - done));
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      QV_THROW(IOException, "write error. fd:" + ToString(fd) + ErrnoText());
    }
    if (n == 0) {
      break;
    }
    done += n;
  }
  return done;
}

int64_t FileSystemHelper::Write(int32_t fd, const std::string& data) {
  return Write(fd, data.data(), static_cast<int64_t>(data.size()));
}

int64_t FileSystemHelper::Read(int32_t fd, char* buf, int64_t len) {
  int64_t done = 0;
  while (done < len) {
    const ssize_t n = ::read(fd, buf + done, static_cast<size_t>(len - done));
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      QV_THROW(IOException, "read error. fd:" + ToString(fd) + ErrnoText());
    }
    if (n == 0) {
      break;
    }
    done += n;
  }
  return done;
}

int64_t FileSystemHelper::Read(int32_t fd, std::string& out, int64_t len) {
  std::vector<char> buffer(kChunkSize);
  int64_t total = 0;
  while (total < len) {
    const int64_t chunk = std::min(len - total, kChunkSize);
    const int64_t n = Read(fd, buffer.data(), chunk);
    out.append(buffer.data(), static_cast<size_t>(n));
    total += n;
    if (n < chunk) {
      break;
    }
  }
  return total;
}

int64_t FileSystemHelper::ReadAll(int32_t fd, std::string& out) {
  std::vector<char> buffer(kChunkSize);
  int64_t total = 0;
  int64_t n = 0;
  while ((n = Read(fd, buffer.data(), kChunkSize)) > 0) {
    out.append(buffer.data(), static_cast<size_t>(n));
    total += n;
  }
  return total;
}

int64_t FileSystemHelper::Seek(int32_t fd, int64_t offset, int64_t whence) {
  const off_t result = ::lseek(fd, static_cast<off_t>(offset), static_cast<int>(whence));
  if (result < 0) {
    QV_THROW(FileException, "lseek error. fd:" + ToString(fd) + ErrnoText());
  }
  return result;
}

bool FileSystemHelper::Stat(int32_t fd, struct stat& st) {
  if (::fstat(fd, &st) != 0) {
    QV_THROW(FileException, "fstat error. fd:" + ToString(fd) + ErrnoText());
  }
  return true;
}

void FileSystemHelper::Truncate(int32_t fd, int64_t len) {
  if (::ftruncate(fd, static_cast<off_t>(len)) != 0) {
    QV_THROW(FileException, "ftruncate error. fd:" + ToString(fd) + ErrnoText());
  }
}

void FileSystemHelper::Sync(int32_t fd) {
  if (::fsync(fd) != 0) {
    QV_THROW(FileException, "fsync error. fd:" + ToString(fd) + ErrnoText());
  }
}

int32_t FileSystemHelper::Close(int32_t fd) { return fd >= 0 ? ::close(fd) : -1; }

void FileSystemHelper::Makedir(const std::string& name, uint32_t mode, bool ignoreExist) {
  if (::mkdir(name.c_str(), static_cast<mode_t>(mode)) != 0 && !(ignoreExist && errno == EEXIST)) {
    QV_THROW(FileException, "mkdir error. dirname:" + name + ErrnoText());
  }
}

void FileSystemHelper::MakedirRecurse(const std::string& name, uint32_t mode) {
  std::string path = name;
  Trim(path, QV_TRIM_DELIM_STR);
  if (path.empty() || Exist(path)) {
    return;
  }
  std::vector<std::string> components;
  Split(path, components, "/");
  std::string prefix = path[0] == '/' ? "/" : "";
  for (const auto& component : components) {
    prefix += component;
    Makedir(prefix, mode, true);
    prefix += "/";
  }
}

DIR* FileSystemHelper::Opendir(const std::string& name) {
  DIR* dir = ::opendir(name.c_str());
  if (dir == nullptr) {
    QV_THROW(FileException, "opendir error. dirname:" + name + ErrnoText());
  }
  return dir;
}

DIRENT* FileSystemHelper::Readdir(DIR* dir) {
  errno = 0;
  DIRENT* entry = ::readdir(dir);
  if (entry == nullptr && errno != 0) {
    QV_THROW(FileException, "readdir error" + ErrnoText());
  }
  return entry;
}

void FileSystemHelper::Closedir(DIR* dir) {
  if (::closedir(dir) != 0) {
    QV_THROW(FileException, "closedir error" + ErrnoText());
  }
}

bool FileSystemHelper::Stat(const std::string& name, struct stat& st) {
  if (::stat(name.c_str(), &st) == 0) {
    return true;
  }
  if (IsMissing(errno)) {
    return false;
  }
  QV_THROW(FileException, "stat error. name:" + name + ErrnoText());
}

bool FileSystemHelper::StatL(const std::string& name, struct stat& st) {
  if (::lstat(name.c_str(), &st) == 0) {
    return true;
  }
  if (IsMissing(errno)) {
    return false;
  }
  QV_THROW(FileException, "lstat error. name:" + name + ErrnoText());
}

bool FileSystemHelper::IsFile(const struct stat& st) { return S_ISREG(st.st_mode); }

bool FileSystemHelper::IsDirectory(const struct stat& st) { return S_ISDIR(st.st_mode); }

bool FileSystemHelper::IsSymlink(const struct stat& st) { return S_ISLNK(st.st_mode); }

bool FileSystemHelper::ExistFile(const std::string& name) {
  struct stat st {};
  return Stat(name, st) && IsFile(st);
}

bool FileSystemHelper::ExistDirectory(const std::string& name) {
  struct stat st {};
  return Stat(name, st) && IsDirectory(st);
}

bool FileSystemHelper::Exist(const std::string& name) { return ::access(name.c_str(), F_OK) == 0; }

std::string FileSystemHelper::GetSymlink(const std::string& name) {
  char buffer[1024];
  const ssize_t n = ::readlink(name.c_str(), buffer, sizeof(buffer) - 1);
  return n < 0 ? std::string() : std::string(buffer, static_cast<size_t>(n));
}

bool FileSystemHelper::Symlink(const std::string& target, const std::string& linkName) {
  return ::symlink(target.c_str(), linkName.c_str()) == 0;
}

int64_t FileSystemHelper::GetFileSize(const std::string& name) {
  struct stat st {};
  if (!Stat(name, st) || !IsFile(st)) {
    return -2;
  }
  return st.st_size;
}

void FileSystemHelper::RemoveFile(const std::string& name, bool ignoreNotExist) {
  if (::unlink(name.c_str()) != 0 && !(ignoreNotExist && errno == ENOENT)) {
    QV_THROW(FileException, "unlink error. filename:" + name + ErrnoText());
  }
}

void FileSystemHelper::RemoveDirectory(const std::string& name, bool ignoreNotExist) {
  if (::rmdir(name.c_str()) != 0 && !(ignoreNotExist && errno == ENOENT)) {
    QV_THROW(FileException, "rmdir error. dirname:" + name + ErrnoText());
  }
}

void FileSystemHelper::Remove(const std::string& name, bool ignoreNotExist) {
  if (::remove(name.c_str()) != 0 && !(ignoreNotExist && errno == ENOENT)) {
    QV_THROW(FileException, "remove error. name:" + name + ErrnoText());
  }
}

void FileSystemHelper::Rename(const std::string& oldName, const std::string& newName) {
  if (::rename(oldName.c_str(), newName.c_str()) != 0) {
    QV_THROW(FileException,
             "rename error. oldname:" + oldName + ", newname:" + newName + ErrnoText());
  }
}

std::string& FileSystemHelper::NormalizePath(std::string& path, bool keepEndSlash) {
  Trim(path, " \t\r\n");
  if (path.empty()) {
    return path;
  }
  const bool startSlash = path.front() == '/';
  const bool endSlash = path.back() == '/';
  std::vector<std::string> components;
  Split(path, components, "/");
  std::string result = startSlash ? "/" : "";
  for (size_t i = 0; i < components.size(); ++i) {
    if (i == 0) {
      result += components[i];
      continue;
    }
    std::string trimmed = components[i];
    if (!Trim(trimmed, QV_TRIM_DELIM_STR).empty()) {
      result += "/" + components[i];
    }
  }
  if (endSlash && keepEndSlash && result.back() != '/') {
    result += "/";
  }
  path = result;
  return path;
}

std::string FileSystemHelper::GetFatherDirectory(const std::string& path, bool withEndSlash) {
  std::string normal = path;
  NormalizePath(normal, false);
  const size_t slash = normal.rfind('/');
  if (slash == std::string::npos) {
    return std::string();
  }
  return normal.substr(0, withEndSlash ? slash + 1 : slash);
}

std::string FileSystemHelper::GetFileName(const std::string& path) {
  std::string normal = path;
  NormalizePath(normal, true);
  if (normal.empty() || normal.back() == '/') {
    return std::string();
  }
  const size_t slash = normal.rfind('/');
  return slash == std::string::npos ? normal : normal.substr(slash + 1);
}

std::string FileSystemHelper::GetLastName(const std::string& path) {
  std::string normal = path;
  NormalizePath(normal, false);
  const size_t slash = normal.rfind('/');
  return slash == std::string::npos ? normal : normal.substr(slash + 1);
}

std::string FileSystemHelper::GetRealName(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : std::string();
}

bool FileSystemHelper::IsSame(const std::string& a, const std::string& b) {
  if (a == b) {
    return true;
  }
  const std::string realA = GetRealName(a);
  return !realA.empty() && realA == GetRealName(b);
}

void* FileSystemHelper::MmapRead(int32_t fd, int64_t offset, int64_t len) {
  if (offset % getpagesize() != 0) {
    QV_THROW(FileException, "MmapRead offset is not aligned error. offset:" + ToString(offset));
  }
  void* addr = ::mmap(nullptr, static_cast<size_t>(len), PROT_READ, MAP_PRIVATE, fd,
                      static_cast<off_t>(offset));
  if (addr == MAP_FAILED) {
    QV_THROW(FileException, "MmapRead mmap error. errno:" + ToString(errno));
  }
  return addr;
}

void FileSystemHelper::Munmap(void* addr, int64_t len) {
  if (::munmap(addr, static_cast<size_t>(len)) != 0) {
    QV_THROW(FileException, "Munmap error. errno:" + ToString(errno));
  }
}

bool FileSystemHelper::Chmod(const std::string& name, uint32_t mode) {
  return ::chmod(name.c_str(), static_cast<mode_t>(mode & 0777)) == 0;
}

bool FileSystemHelper::ChmodL(const std::string& name, uint32_t mode) { return Chmod(name, mode); }

bool FileSystemHelper::Chown(const std::string& name, uint32_t uid, uint32_t gid) {
  return ::chown(name.c_str(), uid, gid) == 0;
}

bool FileSystemHelper::ChownL(const std::string& name, uint32_t uid, uint32_t gid) {
  return ::lchown(name.c_str(), uid, gid) == 0;
}

bool FileSystemHelper::UTime(const std::string& name, utimbuf& times) {
  return ::utime(name.c_str(), &times) == 0;
}

bool FileSystemHelper::UTime(const std::string& name, timeval* times) {
  return ::utimes(name.c_str(), times) == 0;
}

bool FileSystemHelper::Chattr(const std::string& name, const struct stat& st) {
  if (IsFile(st) || IsDirectory(st)) {
    timeval times[2];
    times[0].tv_sec = st.st_atim.tv_sec;
    times[0].tv_usec = st.st_atim.tv_nsec / 1000;
    times[1].tv_sec = st.st_mtim.tv_sec;
    times[1].tv_usec = st.st_mtim.tv_nsec / 1000;
    const bool moded = Chmod(name, st.st_mode & 0777);
    const bool owned = Chown(name, st.st_uid, st.st_gid);
    const bool timed = UTime(name, times);
    return moded && owned && timed;
  }
  if (IsSymlink(st)) {
    return ChownL(name, st.st_uid, st.st_gid);
  }
  return true;
}

uint32_t FileSystemHelper::ParseModeString(const std::string& text) {
  const bool shapeOk = text.size() == 3 || (text.size() == 4 && text[0] == '0');
  uint32_t mode = 0;
  if (shapeOk) {
    for (size_t i = text.size() - 3; i < text.size(); ++i) {
      if (text[i] < '0' || text[i] > '7') {
        QV_THROW(FileException, "input mode str error. str:" + text);
      }
      mode = mode * 8 + static_cast<uint32_t>(text[i] - '0');
    }
    return mode;
  }
  QV_THROW(FileException, "input mode str error. str:" + text);
}

}  // namespace quorvel::common
