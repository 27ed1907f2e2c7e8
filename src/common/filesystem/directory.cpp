#include "quorvel/common/filesystem/directory.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <regex>

#include "quorvel/common/exception.hpp"
#include "quorvel/common/filesystem/file.hpp"
#include "quorvel/common/filesystem/filesystem.hpp"
#include "quorvel/common/string_tool.hpp"

namespace quorvel::common {
namespace {

FileSystemHelper* Fs() { return FileSystemHelper::Instance(); }

bool IsDot(const std::string& name) { return name == "." || name == ".."; }

bool IsRealDirectory(const std::string& name) {
  struct stat st {};
  return Fs()->StatL(name, st) && Fs()->IsDirectory(st);
}

}  // namespace

Directory::Directory() = default;

Directory::Directory(const std::string& name) : name_(name) {}

Directory::~Directory() { Close(); }

void Directory::Open() {
  Close();
  if (name_.empty()) {
    QV_THROW(FileException, "open dir check dirname empty error");
  }
  dir_ = Fs()->Opendir(name_);
}

void Directory::Open(const std::string& name) {
  name_ = name;
  Open();
}

bool Directory::IsOpen() const { return dir_ != nullptr; }

void Directory::Close() {
  if (dir_ != nullptr) {
    // Closing releases the stream even when closedir reports an error; nothing to retry.
    try {
      Fs()->Closedir(dir_);
    } catch (const Exception&) {
    }
    dir_ = nullptr;
  }
}

template <typename Visit>
void ForEachEntry(Directory& directory, DIR*& dir, Visit visit) {
  if (dir == nullptr) {
    directory.Open();
  }
  while (DIRENT* entry = Fs()->Readdir(dir)) {
    const std::string name = entry->d_name;
    if (!IsDot(name)) {
      visit(name, entry->d_type);
    }
  }
}

void Directory::ListFile(std::vector<std::string>& names, const std::string& pattern) {
  std::regex expression;
  try {
    expression = std::regex(pattern, std::regex::ECMAScript);
  } catch (const std::regex_error&) {
    QV_THROW(FileException, "list file pattern error. pattern:" + pattern);
  }
  ForEachEntry(*this, dir_, [&](const std::string& name, unsigned char type) {
    if (type == DT_REG && std::regex_match(name, expression)) {
      names.push_back(name);
    }
  });
}

void Directory::ListFile(std::vector<std::string>& names, bool recurse, bool absolutePath) {
  ForEachEntry(*this, dir_, [&](const std::string& name, unsigned char type) {
    const std::string path = name_ + "/" + name;
    if (type == DT_REG) {
      names.push_back(absolutePath ? path : name);
    } else if (type == DT_DIR && recurse) {
      Directory(path).ListFile(names, true, true);
    }
  });
}

void Directory::ListDir(std::vector<std::string>& names, bool recurse, bool absolutePath) {
  ForEachEntry(*this, dir_, [&](const std::string& name, unsigned char type) {
    if (type != DT_DIR) {
      return;
    }
    const std::string path = name_ + "/" + name;
    names.push_back(absolutePath ? path : name);
    if (recurse) {
      Directory(path).ListDir(names, true, true);
    }
  });
}

void Directory::List(std::list<std::string>& files, std::list<std::string>& dirs,
                     std::list<std::pair<std::string, std::string>>& links) {
  if (!IsOpen()) {
    Open();
  }
  const std::string real = Fs()->GetRealName(name_);
  if (real.empty()) {
    QV_THROW(FileException,
             "get real path error. dirname:" + name_ + ", errno:" + ToString(errno));
  }
  ForEachEntry(*this, dir_, [&](const std::string& name, unsigned char type) {
    const std::string path = real + "/" + name;
    if (type == DT_REG) {
      files.push_back(path);
    } else if (type == DT_LNK) {
      const std::string target = Fs()->GetRealName(path);
      if (!target.empty()) {
        links.emplace_back(path, target);
      }
    } else if (type == DT_DIR) {
      dirs.push_back(path);
      Directory(path).List(files, dirs, links);
    } else {
      QV_THROW(FileException, "unsafe delete operation. name:" + name);
    }
  });
}

void Directory::Cleanup() {
  ForEachEntry(*this, dir_, [&](const std::string& name, unsigned char type) {
    const std::string path = name_ + "/" + name;
    if (type == DT_REG || type == DT_LNK) {
      Fs()->RemoveFile(path, true);
    } else if (type == DT_DIR) {
      Directory(path).Cleanup();
      Fs()->RemoveDirectory(path, true);
    } else {
      QV_THROW(FileException, "unsafe delete operation. name:" + name);
    }
  });
}

bool ExistDirectory(const std::string& name) { return Fs()->ExistDirectory(name); }

void CreateDirectory(const std::string& name, bool recurse, uint32_t mode) {
  const std::string normal = NormalizePath(name, false);
  if (normal.empty()) {
    return;
  }
  if (recurse) {
    Fs()->MakedirRecurse(normal, mode);
  } else {
    Fs()->Makedir(normal, mode, true);
  }
}

void ListDirectory(const std::string& dir, std::vector<std::string>& names,
                   const std::string& pattern) {
  Directory(dir).ListFile(names, pattern);
}

void ListDirectory(const std::string& dir, std::vector<std::string>& names, bool recurse,
                   bool absolutePath) {
  Directory(dir).ListFile(names, recurse, absolutePath);
}

void ListChildDirectory(const std::string& dir, std::vector<std::string>& names, bool recurse,
                        bool absolutePath) {
  Directory(dir).ListDir(names, recurse, absolutePath);
}

void RemoveDirectory(const std::string& dir, bool recurse) {
  try {
    Fs()->RemoveDirectory(dir, true);
    return;
  } catch (const Exception&) {
    // Only a real directory is emptied: through a link to one, the cleanup would delete
    // the content of the link's target, outside the tree asked for.
    if (recurse && IsRealDirectory(dir)) {
      Directory directory(dir);
      directory.Cleanup();
      directory.Close();
    }
  }
  Fs()->RemoveDirectory(dir, true);
}

namespace {

// The part of `path` below `prefix`; throws "<what> name data error. <label>:..." when
// `path` does not lie below it.
std::string Remainder(const std::string& path, const std::string& prefix, const char* what,
                      const char* label) {
  if (!StartWith(path, prefix, true)) {
    QV_THROW(FileException, std::string("list ") + what + " name data error. " + label + ":" +
                                path + ", hat:" + prefix);
  }
  return path.substr(prefix.size());
}

}  // namespace

void CopyDirectory(const std::string& from, const std::string& to, bool copyAttr) {
  const std::string realFrom = Fs()->GetRealName(from);
  if (realFrom.empty()) {
    QV_THROW(FileException,
             "get source real dirname error. dirName:" + from + ", errno:" + ToString(errno));
  }
  CreateDirectory(to, true, 0755);
  if (copyAttr) {
    Copyattr(to, realFrom);
  }
  const std::string realTo = Fs()->GetRealName(to);
  if (realTo.empty()) {
    QV_THROW(FileException,
             "get source real dest dirname error. destDirName:" + to + ", errno:" + ToString(errno));
  }
  if (realFrom == realTo) {
    QV_THROW(FileException, "source and dest dir is same. dirName:" + from + ", destDirName:" + to);
  }

  const std::string prefix = realFrom + "/";
  std::list<std::string> files;
  std::list<std::string> dirs;
  std::list<std::pair<std::string, std::string>> links;
  {
    Directory source(from);
    source.List(files, dirs, links);
  }

  for (const auto& dir : dirs) {
    const std::string target = realTo + "/" + Remainder(dir, prefix, "dir", "name");
    CreateDirectory(target, true, 0755);
    if (copyAttr) {
      Copyattr(target, dir);
    }
  }
  for (const auto& file : files) {
    const std::string target = realTo + "/" + Remainder(file, prefix, "file", "name");
    if (!CopyFile(file, target, copyAttr)) {
      QV_THROW(FileException, "copy file error. name:" + file + ", dest:" + target +
                                  ", error:" + ToString(errno));
    }
    if (copyAttr) {
      Copyattr(target, file);
    }
  }
  for (const auto& [linkPath, realTarget] : links) {
    const std::string newLink = realTo + "/" + Remainder(linkPath, prefix, "symlink", "linkname");
    std::string target = realTarget;
    if (realTarget == realFrom) {
      target = realTo;
    } else if (StartWith(realTarget, prefix, true)) {
      target = realTo + "/" + realTarget.substr(prefix.size());
    }
    Fs()->Remove(newLink, true);
    if (!Fs()->Symlink(target, newLink)) {
      QV_THROW(FileException, "symlink error. name:" + target + ", linkname:" + newLink +
                                  ", error:" + ToString(errno));
    }
    if (copyAttr) {
      Copyattr(newLink, linkPath);
    }
  }
}

}  // namespace quorvel::common
