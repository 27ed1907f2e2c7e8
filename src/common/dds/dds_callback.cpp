#include "quorvel/common/dds/dds_callback.hpp"

namespace quorvel::common {

DdsReaderCallback::DdsReaderCallback() = default;

DdsReaderCallback::DdsReaderCallback(const DdsMessageHandler& handler) : handler_(handler) {}

DdsReaderCallback::DdsReaderCallback(const DdsReaderCallback& other) = default;

DdsReaderCallback& DdsReaderCallback::operator=(const DdsReaderCallback& other) = default;

DdsReaderCallback::~DdsReaderCallback() = default;

bool DdsReaderCallback::HasMessageHandler() const { return static_cast<bool>(handler_); }

void DdsReaderCallback::OnDataAvailable(const void* message) {
  if (handler_) {
    handler_(message);
  }
}

}  // namespace quorvel::common
