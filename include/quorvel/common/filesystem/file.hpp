// Files of the library: File (opened lazily on first use, creating its parent directories
// when opened for writing), MMReadFile (reading through page-aligned memory maps), and free
// functions that load, save, append, copy and remove whole files and handle paths. Used by
// the log system, the DDS parameter loader and the single-instance guard. Objects are not
// synchronised: one object belongs to one thread at a time.
#pragma once

#include <cstdint>
#include <string>

namespace quorvel::common {

class File {
 public:
  File();
  explicit File(const std::string& name, int32_t flags = 0, uint32_t mode = 0);
  virtual ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Closes, then opens with the stored settings. For write or read-write access to a name
  // that does not exist yet: adds O_CREAT and creates missing parent directories (0755);
  // throws FileException "normalize filename empty error" for an empty name and
  // "format not regular file. filename:<name>" for one ending in "/". An open failure
  // throws FileException "open error. filename:...".
  void Open();
  void Open(int32_t flags, uint32_t mode);
  void Open(const std::string& name, int32_t flags, uint32_t mode);
  void Close();
  // Descriptor 0 counts as open (it is valid when standard input was closed).
  bool IsOpen() const;
  int32_t GetFd() const;

  // Each opens the file first when needed, then calls the FileSystemHelper operation.
  int64_t Write(const char* data, int64_t len);
  int64_t Write(const std::string& data);
  int64_t Read(char* buf, int64_t len);
  int64_t Read(std::string& out, int64_t len);
  int64_t ReadAll(std::string& out);
  int64_t Seek(int64_t offset, int64_t whence);
  int64_t SeekBegin();
  int64_t SeekEnd();
  void Truncate(int64_t len);
  void Sync();
  // Seeks to the end unless the flags contain O_APPEND, then writes.
  int64_t Append(const char* data, int64_t len);
  // fstat size when open, stat size of the name otherwise; -1 when the name does not exist.
  int64_t Size();

 private:
  void EnsureOpen();

  std::string name_;
  int32_t fd_ = -1;
  int32_t flags_ = 0;
  uint32_t mode_ = 0;
};

// Reads a file through read-only memory maps, one block of whole pages at a time.
class MMReadFile {
 public:
  MMReadFile();
  // Opens at once.
  explicit MMReadFile(const std::string& name);
  virtual ~MMReadFile();
  MMReadFile(const MMReadFile&) = delete;
  MMReadFile& operator=(const MMReadFile&) = delete;

  // Opens read-only and takes the size; an already open file stays open. Throws
  // FileException "filename empty error" for an empty name, "open error. filename:..."
  // when it cannot be opened.
  void Open(const std::string& name);
  // Copies the next min(len, rest) bytes and advances by `len`; 0 at the end. `len` must be
  // a non-negative multiple of the page size, else FileException
  // "read len must be an integer multiple of PAGE_SIZE.".
  int64_t Read(char* buf, int64_t len);
  // The same, appending to `out`.
  int64_t Read(std::string& out, int64_t len);
  // Reads the rest of the file, appending it to `out`.
  int64_t ReadAll(std::string& out);
  // Throws FileException "offset must be an integer multiple of PAGE_SIZE." or
  // "seek error. size:<size>, offset:<offset>" outside 0..size.
  void Seek(int64_t offset);
  int64_t Size() const;
  int32_t GetFd() const;
  bool IsOpen() const;
  void Close();

 private:
  std::string name_;
  int32_t fd_ = -1;
  int64_t position_ = 0;
  int64_t size_ = 0;
};

bool ExistFile(const std::string& name);
// Size of a regular file; -2 when missing or not a regular file.
int64_t GetFileSize(const std::string& name);
// The whole content; a missing file throws FileException "open error. filename:...".
std::string LoadFile(const std::string& name);
// Empty when the name does not exist; FileException "target name is not file or syslink:"
// when it is not a regular file (links followed); otherwise LoadFile.
std::string LoadFileEx(const std::string& name);
// Replace the file's content (created with `mode` when missing).
void SaveFile(const std::string& name, const char* data, int64_t len, uint32_t mode);
void SaveFile(const std::string& name, const std::string& data, uint32_t mode);
void AppendFile(const std::string& name, const char* data, int64_t len, uint32_t mode);
void AppendFile(const std::string& name, const std::string& data, uint32_t mode);
// A missing name is no error.
void RemoveFile(const std::string& name);
void Remove(const std::string& name);
void Rename(const std::string& oldName, const std::string& newName);
// Appends the whole file to `out` through memory maps; returns the bytes read.
int64_t MMLoadFile(const std::string& name, std::string& out);
// Copies a regular file; false when both names are the same file, `from` is not a regular
// file, a write comes up short or the size does not match. With copyAttr also mode, owner
// and times, and the result of that.
bool CopyFile(const std::string& from, const std::string& to, bool copyAttr);
// Gives `to` the mode, owner and times of `from` (the owner only for a link). Throws
// FileException "lstat error. name:", "chmod error. name:", "chown error. name:",
// "utime error. name:" or "lchown error. name:" with ", errno:<errno>".
void Copyattr(const std::string& to, const std::string& from);
std::string NormalizePath(const std::string& path, bool keepEndSlash);
std::string GetFatherDirectory(const std::string& path, bool withEndSlash);
std::string GetFileName(const std::string& path);
std::string GetLastName(const std::string& path);

}  // namespace quorvel::common
