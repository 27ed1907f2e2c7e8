// Directory listings and whole-tree operations: regular files matching a pattern (the log
// keeper finds its rolled files so), files or sub-directories with optional recursion, a
// full inventory of files, directories and links, and recursive create, remove and copy.
// A Directory object is not synchronised; all failures are FileExceptions.
#pragma once

#include <dirent.h>

#include <cstdint>
#include <list>
#include <string>
#include <utility>
#include <vector>

namespace quorvel::common {

class Directory {
 public:
  Directory();
  // Stores the name unchanged; nothing is opened.
  explicit Directory(const std::string& name);
  ~Directory();
  Directory(const Directory&) = delete;
  Directory& operator=(const Directory&) = delete;

  // Closes, then opens the stored name. Throws FileException
  // "open dir check dirname empty error" for an empty name, or "opendir error. dirname:...".
  void Open();
  void Open(const std::string& name);
  bool IsOpen() const;
  void Close();

  // Every listing opens the directory when needed, reads the stream from its current
  // position to the end and appends to the caller's containers; "." and ".." never appear.

  // Bare names of the regular files whose whole name matches `pattern` (ECMAScript).
  void ListFile(std::vector<std::string>& names, const std::string& pattern);
  // Regular files, as "<dir>/<name>" when absolutePath. With recurse, sub-directories are
  // listed where they are met, always with their path.
  void ListFile(std::vector<std::string>& names, bool recurse, bool absolutePath);
  // The same for sub-directories: each one, then (with recurse) its own sub-directories.
  void ListDir(std::vector<std::string>& names, bool recurse, bool absolutePath);
  // Full inventory below the real path of the directory: regular files, directories (each
  // before its content) and resolvable links as (path, real target); dangling links are
  // skipped. Throws "get real path error. dirname:..." when the real path is unknown and
  // "unsafe delete operation. name:<entry>" at an entry of another type.
  void List(std::list<std::string>& files, std::list<std::string>& dirs,
            std::list<std::pair<std::string, std::string>>& links);
  // Empties the directory, keeping it: removes files and links (never following them) and
  // sub-trees. Throws "unsafe delete operation. name:<entry>" at an entry of another type.
  void Cleanup();

 private:
  DIR* dir_ = nullptr;
  std::string name_;
};

bool ExistDirectory(const std::string& name);
// Creates the normalised `name` (an existing one is no error; an empty name does nothing),
// with all missing ancestors when `recurse`.
void CreateDirectory(const std::string& name, bool recurse, uint32_t mode);
void ListDirectory(const std::string& dir, std::vector<std::string>& names,
                   const std::string& pattern);
void ListDirectory(const std::string& dir, std::vector<std::string>& names, bool recurse,
                   bool absolutePath);
void ListChildDirectory(const std::string& dir, std::vector<std::string>& names, bool recurse,
                        bool absolutePath);
// Removes a directory (a missing one is no error); a non-empty one only with `recurse`,
// else FileException "rmdir error. dirname:...".
void RemoveDirectory(const std::string& dir, bool recurse);
// Copies the tree `from` into `to` (created when missing): directories, regular files and
// resolvable links; a link into the source tree is re-pointed into the copy. With copyAttr
// also modes, owners and times. A failure part way leaves what was copied.
void CopyDirectory(const std::string& from, const std::string& to, bool copyAttr);

}  // namespace quorvel::common
