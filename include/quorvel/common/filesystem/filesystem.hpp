// FileSystemHelper: the one gateway of the library to files, directories and paths. Thin
// wrappers over the POSIX calls with a fixed error policy: a failure throws FileException
// (IOException for read and write) naming the call, the object and errno; existence queries
// answer false for a missing name. Stateless; safe to call from any thread.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <utime.h>

#include <cstdint>
#include <string>

namespace quorvel::common {

using DIRENT = struct dirent;

class FileSystemHelper {
 public:
  static FileSystemHelper* Instance();

  FileSystemHelper(const FileSystemHelper&) = delete;
  FileSystemHelper& operator=(const FileSystemHelper&) = delete;

  // open(2); `mode` is passed when not 0, and a created file without a mode gets 0666
  // (less the umask). Throws "open error. filename:<name>, error:<errno>".
  int32_t Open(const std::string& name, int32_t flags, uint32_t mode);
  // Writes until all bytes are out or a write returns 0; returns the bytes written.
  // Throws IOException "write error. fd:<fd>, errno:<errno>".
  int64_t Write(int32_t fd, const char* data, int64_t len);
  int64_t Write(int32_t fd, const std::string& data);
  // Reads until `len` bytes or end of file; returns the bytes read.
  // Throws IOException "read error. fd:<fd>, errno:<errno>".
  int64_t Read(int32_t fd, char* buf, int64_t len);
  // Appends up to `len` bytes to `out`.
  int64_t Read(int32_t fd, std::string& out, int64_t len);
  // Appends everything up to end of file to `out`.
  int64_t ReadAll(int32_t fd, std::string& out);
  // lseek(2); returns the new offset. Throws "lseek error. fd:<fd>, errno:<errno>".
  int64_t Seek(int32_t fd, int64_t offset, int64_t whence);
  // fstat(2); true. Throws "fstat error. fd:<fd>, errno:<errno>".
  bool Stat(int32_t fd, struct stat& st);
  // Throws "ftruncate error. fd:<fd>, errno:<errno>".
  void Truncate(int32_t fd, int64_t len);
  // Throws "fsync error. fd:<fd>, errno:<errno>".
  void Sync(int32_t fd);
  // close(2) when fd >= 0 and its result, else -1; never throws.
  int32_t Close(int32_t fd);

  // mkdir(2); an existing entry is no error when ignoreExist.
  // Throws "mkdir error. dirname:<name>, errno:<errno>".
  void Makedir(const std::string& name, uint32_t mode, bool ignoreExist);
  // Creates `name` and every missing ancestor.
  void MakedirRecurse(const std::string& name, uint32_t mode);
  // Throws "opendir error. dirname:<name>, errno:<errno>".
  DIR* Opendir(const std::string& name);
  // Next entry, null at the end. Throws "readdir error, errno:<errno>".
  DIRENT* Readdir(DIR* dir);
  // Throws "closedir error, errno:<errno>".
  void Closedir(DIR* dir);

  // stat(2) / lstat(2): true, or false when the name does not exist. Other failures throw
  // "stat error. name:<name>, errno:<errno>" / "lstat error. name:...".
  bool Stat(const std::string& name, struct stat& st);
  bool StatL(const std::string& name, struct stat& st);
  bool IsFile(const struct stat& st);
  bool IsDirectory(const struct stat& st);
  bool IsSymlink(const struct stat& st);
  bool ExistFile(const std::string& name);
  bool ExistDirectory(const std::string& name);
  bool Exist(const std::string& name);

  // readlink(2) of at most 1023 bytes; empty on failure.
  std::string GetSymlink(const std::string& name);
  bool Symlink(const std::string& target, const std::string& linkName);
  // Size of a regular file (links followed); -2 when missing or not a regular file.
  int64_t GetFileSize(const std::string& name);

  // unlink / rmdir / remove; a missing name is no error when ignoreNotExist. Throw
  // "unlink error. filename:", "rmdir error. dirname:", "remove error. name:" + name +
  // ", errno:<errno>".
  void RemoveFile(const std::string& name, bool ignoreNotExist);
  void RemoveDirectory(const std::string& name, bool ignoreNotExist);
  void Remove(const std::string& name, bool ignoreNotExist);
  // Throws "rename error. oldname:<old>, newname:<new>, errno:<errno>".
  void Rename(const std::string& oldName, const std::string& newName);

  // In place: trims blanks, collapses runs of "/", keeps a leading "/" and, when
  // keepEndSlash, a trailing one. "." and ".." are not resolved.
  std::string& NormalizePath(std::string& path, bool keepEndSlash);
  // Text before the last "/" of the normalised path ("/a/b" gives "/a" or "/a/"); empty
  // when there is none.
  std::string GetFatherDirectory(const std::string& path, bool withEndSlash);
  // Last component; empty when the path ends in "/".
  std::string GetFileName(const std::string& path);
  // Last component after normalising without the end slash.
  std::string GetLastName(const std::string& path);
  // realpath(3); empty on failure.
  std::string GetRealName(const std::string& path);
  // Equal texts, or both real paths known and equal.
  bool IsSame(const std::string& a, const std::string& b);

  // Read-only private map of `len` bytes at the page-aligned `offset`. Throws
  // "MmapRead offset is not aligned error. offset:<offset>" or "MmapRead mmap error. errno:".
  void* MmapRead(int32_t fd, int64_t offset, int64_t len);
  // Throws "Munmap error. errno:<errno>".
  void Munmap(void* addr, int64_t len);

  // Attribute changes; true on success, never throw. Chmod and ChmodL both follow links
  // and apply mode & 0777; ChownL changes a link itself.
  bool Chmod(const std::string& name, uint32_t mode);
  bool ChmodL(const std::string& name, uint32_t mode);
  bool Chown(const std::string& name, uint32_t uid, uint32_t gid);
  bool ChownL(const std::string& name, uint32_t uid, uint32_t gid);
  bool UTime(const std::string& name, utimbuf& times);
  bool UTime(const std::string& name, timeval* times);
  // Gives `name` the mode, owner and times of `st` (a regular file or directory), or the
  // owner only (a link); true when every change succeeded, true for other types.
  bool Chattr(const std::string& name, const struct stat& st);

  // "755" or "0755" to 0755. Throws "input mode str error. str:<text>".
  uint32_t ParseModeString(const std::string& text);

 private:
  FileSystemHelper() = default;
};

}  // namespace quorvel::common
