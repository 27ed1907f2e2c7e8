#include "quorvel/common/log/log_store.hpp"

namespace quorvel::common {

namespace {
const uint64_t QV_LOG_ASYNC_INTERVAL_MICROSEC = 100000;
}

LogStdoutStore::LogStdoutStore() : writer_(std::make_shared<LogStdoutWriter>()) {}

void LogStdoutStore::Append(const std::string& record) { writer_->Write(record); }

LogStderrStore::LogStderrStore() : writer_(std::make_shared<LogStderrWriter>()) {}

void LogStderrStore::Append(const std::string& record) { writer_->Write(record); }

LogFileStore::LogFileStore(std::shared_ptr<LogKeeper> keeper)
    : keeper_(std::move(keeper)), writer_(std::make_shared<LogBufferWriter>()) {
  keeper_->SetWriter(writer_);
}

void LogFileStore::Append(const std::string& record) {
  writer_->Write(record);
  keeper_->AppendDataSize(static_cast<int64_t>(record.size()));
}

LogFileAsyncStore::LogFileAsyncStore(std::shared_ptr<LogKeeper> keeper)
    : writer_(std::make_shared<LogAsyncBufferWriter>(QV_LOG_ASYNC_INTERVAL_MICROSEC)),
      keeper_(std::move(keeper)) {
  keeper_->SetWriter(writer_);
}

void LogFileAsyncStore::Append(const std::string& record) {
  writer_->Write(record);
  keeper_->AppendDataSize(static_cast<int64_t>(record.size()));
}

}  // namespace quorvel::common
