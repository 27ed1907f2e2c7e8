#include "quorvel/common/log/log_keeper.hpp"

#include <fcntl.h>

#include <iostream>
#include <set>
#include <vector>

#include "quorvel/common/exception.hpp"
#include "quorvel/common/filesystem/directory.hpp"
#include "quorvel/common/filesystem/filesystem.hpp"
#include "quorvel/common/os.hpp"
#include "quorvel/common/string_tool.hpp"
#include "quorvel/common/thread/recurrent_thread.hpp"

namespace quorvel::common {

namespace {

const char* const QV_LOG_FILE_SUFFIX = ".LOG";
const int32_t QV_LOG_FILE_FLAGS = O_RDWR | O_CREAT | O_APPEND | O_SYNC;
const uint32_t QV_LOG_FILE_MODE = 0666;
const int64_t QV_LOG_ROLL_MARGIN = 8388608;
const int64_t QV_LOG_KEEPER_WAIT_MICROSEC = 1000000;

// File names may hold regular-expression characters ("+", "(", ...): match them literally.
std::string EscapeRegex(const std::string& text) {
  static const std::string special = "\\^$.|?*+()[]{}";
  std::string escaped;
  for (char c : text) {
    if (special.find(c) != std::string::npos) {
      escaped += '\\';
    }
    escaped += c;
  }
  return escaped;
}

}  // namespace

LogKeeper::LogKeeper(std::shared_ptr<LogStorePolicy> policy)
    : file_(std::make_shared<File>()), policy_(std::move(policy)) {
  fileName_ = policy_->fileName;
  directory_ = policy_->directory;
  if (fileName_.empty() && directory_.empty()) {
    fileName_ = OsHelper::Instance()->GetProcessFileName() + QV_LOG_FILE_SUFFIX;
    directory_ = GetFatherDirectory(fileName_, true);
  } else if (!fileName_.empty()) {
    if (!EndWith(fileName_, QV_LOG_FILE_SUFFIX, false)) {
      fileName_ += QV_LOG_FILE_SUFFIX;
    }
    directory_ = GetFatherDirectory(fileName_, true);
  } else {
    fileName_ = directory_ + "/" + OsHelper::Instance()->GetProcessName() + QV_LOG_FILE_SUFFIX;
  }
  // A bare file name lives in the working directory, where its rolled copies are listed too.
  if (directory_.empty()) {
    directory_ = "./";
  }
  try {
    if (!ExistDirectory(directory_)) {
      CreateDirectory(directory_, true, 0755);
    }
  } catch (const Exception&) {
    std::cout << "create directory error. directory:" << directory_ << std::endl;
  }
  thread_ = CreateRecurrentThreadEx("log.keeper", -1, 0, &LogKeeper::ThreadRolling, this);
}

LogKeeper::~LogKeeper() {
  stopping_ = true;
  {
    LockGuard<MutexCond> guard(mutexCond_);
    mutexCond_.Notify();
  }
  try {
    thread_->Wait(0);
  } catch (const Exception&) {
    std::cout << "wait log keeper exit error." << std::endl;
  }
  // A keeper stopped before its first pass (a program that logs and ends at once), or
  // after a failed reopen, has no file open: one last pass opens it for what the writer holds.
  if (!fileOpen_) {
    LockGuard<MutexCond> guard(mutexCond_);
    CheckRollingReported();
  }
  // What the writer still holds belongs in this file; and the writer may outlive this
  // keeper, so it must not keep a descriptor that is closed here.
  if (writer_) {
    writer_->Flush();
    writer_->SetFd(-1);
  }
  file_->Close();
}

void LogKeeper::SetWriter(std::shared_ptr<LogWriter> writer) {
  LockGuard<MutexCond> guard(mutexCond_);
  writer_ = std::move(writer);
  if (fileOpen_) {
    writer_->SetFd(file_->GetFd());
    writer_->Write("");
  }
}

void LogKeeper::AppendDataSize(int64_t size) {
  if (IsNeedToRolling(size) && !rollRequested_.exchange(true)) {
    LockGuard<MutexCond> guard(mutexCond_);
    mutexCond_.Notify();
  }
}

bool LogKeeper::IsNeedToRolling(int64_t size) {
  if (!fileOpen_) {
    return true;
  }
  return currentSize_.fetch_add(size) + size >= policy_->fileSize;
}

void LogKeeper::ThreadRolling() {
  LockGuard<MutexCond> guard(mutexCond_);
  if (stopping_) {
    return;
  }
  if (!firstPass_) {
    mutexCond_.Wait(QV_LOG_KEEPER_WAIT_MICROSEC);
  }
  firstPass_ = false;
  if (stopping_) {
    return;
  }
  CheckRollingReported();
}

void LogKeeper::CheckRollingReported() {
  try {
    CheckRolling();
    rollRequested_ = false;
  } catch (const Exception& e) {
    std::cerr << "log keeper check rolling error. msg:" << e.ToString() << std::endl;
  } catch (const std::exception& e) {
    std::cerr << "log keeper check rolling error. msg:" << e.what() << std::endl;
  }
}

void LogKeeper::CheckRolling() {
  if (fileOpen_ && currentSize_ < policy_->fileSize) {
    return;
  }
  CloseFile();
  if (CheckFile()) {
    Rolling();
    // The count was the rolled file's; the reopened file starts empty.
    currentSize_ = 0;
  }
  OpenFile();
}

bool LogKeeper::CheckFile() {
  const int64_t size = FileSystemHelper::Instance()->GetFileSize(fileName_);
  if (size < 0) {
    return false;
  }
  currentSize_ = size;
  return size + QV_LOG_ROLL_MARGIN >= policy_->fileSize;
}

void LogKeeper::OpenFile() {
  file_->Open(fileName_, QV_LOG_FILE_FLAGS, QV_LOG_FILE_MODE);
  if (writer_) {
    writer_->SetFd(file_->GetFd());
    // Records held while no file was open go out now, not with the next record.
    writer_->Write("");
  }
  fileOpen_ = true;
}

void LogKeeper::CloseFile() {
  fileOpen_ = false;
  currentSize_ = 0;
  if (writer_) {
    writer_->SetFd(-1);
  }
  file_->Close();
}

void LogKeeper::Rolling() {
  std::vector<std::string> names;
  ListDirectory(directory_, names, MakeRegexExpress());
  std::set<int> numbers;
  for (const std::string& name : names) {
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
      numbers.insert(StringTo<int>(name.substr(dot + 1)));
    }
  }
  const int keep = policy_->fileNumber - 1;
  for (auto it = numbers.rbegin(); it != numbers.rend(); ++it) {
    const std::string rolled = fileName_ + "." + std::to_string(*it);
    if (*it < keep) {
      Rename(rolled, fileName_ + "." + std::to_string(*it + 1));
    } else {
      RemoveFile(rolled);
    }
  }
  Rename(fileName_, fileName_ + ".1");
}

std::string LogKeeper::MakeRegexExpress() {
  std::string name = common::GetFileName(fileName_);
  if (name.empty()) {
    name = OsHelper::Instance()->GetProcessName() + QV_LOG_FILE_SUFFIX;
  }
  return "^" + EscapeRegex(name) + "\\.[1-9]{1}[0-9]{0,3}$";
}

}  // namespace quorvel::common
