#include "quorvel/common/dds/dds_qos.hpp"

namespace quorvel {
namespace common {

namespace {

const int kVolatile = 0;
const int kKeepLast = 0;
const int kShared = 0;

}  // namespace

DdsParticipantQos::DdsParticipantQos() { InitPolicyDefault(); }
DdsParticipantQos::~DdsParticipantQos() = default;
void DdsParticipantQos::InitPolicyDefault() {}

DdsTopicQos::DdsTopicQos() { InitPolicyDefault(); }
DdsTopicQos::~DdsTopicQos() = default;
void DdsTopicQos::InitPolicyDefault() { SetPolicyDefault(DdsQosOwnershipPolicy(kShared)); }

DdsPublisherQos::DdsPublisherQos() { InitPolicyDefault(); }
DdsPublisherQos::~DdsPublisherQos() = default;
void DdsPublisherQos::InitPolicyDefault() {}

DdsSubscriberQos::DdsSubscriberQos() { InitPolicyDefault(); }
DdsSubscriberQos::~DdsSubscriberQos() = default;
void DdsSubscriberQos::InitPolicyDefault() {}

DdsWriterQos::DdsWriterQos() { InitPolicyDefault(); }
DdsWriterQos::~DdsWriterQos() = default;
void DdsWriterQos::InitPolicyDefault() {
  SetPolicyDefault(DdsQosDurabilityPolicy(kVolatile));
  SetPolicyDefault(DdsQosHistoryPolicy(kKeepLast, 1));
}

DdsReaderQos::DdsReaderQos() { InitPolicyDefault(); }
DdsReaderQos::~DdsReaderQos() = default;
void DdsReaderQos::InitPolicyDefault() {
  SetPolicyDefault(DdsQosDurabilityPolicy(kVolatile));
  SetPolicyDefault(DdsQosHistoryPolicy(kKeepLast, 1));
}

}  // namespace common
}  // namespace quorvel
