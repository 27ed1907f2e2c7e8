#include "quorvel/common/dds/dds_entity.hpp"

namespace quorvel::common {

DdsLogger::DdsLogger() : logger_(GetLogger("/quorvel/dds/dds_entity_wrapper")) {}

DdsLogger::~DdsLogger() = default;

void DdsLogger::LogError(const std::string& message) const {
  if (logger_ != nullptr) {
    logger_->Log(QV_LOG_LEVEL_ERROR, message);
  }
}

void DdsLogger::ThrowDdsError(const std::string& message, const char* file, const char* function,
                              int32_t line) const {
  LogError(message);
  DdsException exception(message);
  exception.Init(file, function, line);
  throw exception;
}

DdsParticipant::DdsParticipant(uint32_t domainId, const DdsParticipantQos& qos, const std::string& config) {
  RunOrThrow(
      [&] {
        dds::domain::qos::DomainParticipantQos nativeQos = dds::domain::DomainParticipant::default_participant_qos();
        qos.CopyToNativeQos(nativeQos);
        native_ = dds::domain::DomainParticipant(domainId, nativeQos, nullptr,
                                                 dds::core::status::StatusMask::none(), config);
      },
      __FILE__, __PRETTY_FUNCTION__, __LINE__);
}

DdsParticipant::~DdsParticipant() { native_ = dds::core::null; }

const dds::domain::DomainParticipant& DdsParticipant::GetNative() const { return native_; }

DdsPublisher::DdsPublisher(const DdsParticipantPtr& participant, const DdsPublisherQos& qos) {
  RunOrThrow(
      [&] {
        const dds::domain::DomainParticipant& parent = participant->GetNative();
        dds::pub::qos::PublisherQos nativeQos = parent.default_publisher_qos();
        qos.CopyToNativeQos(nativeQos);
        native_ = dds::pub::Publisher(parent, nativeQos);
      },
      __FILE__, __PRETTY_FUNCTION__, __LINE__);
}

DdsPublisher::~DdsPublisher() { native_ = dds::core::null; }

const dds::pub::Publisher& DdsPublisher::GetNative() const { return native_; }

DdsSubscriber::DdsSubscriber(const DdsParticipantPtr& participant, const DdsSubscriberQos& qos) {
  RunOrThrow(
      [&] {
        const dds::domain::DomainParticipant& parent = participant->GetNative();
        dds::sub::qos::SubscriberQos nativeQos = parent.default_subscriber_qos();
        qos.CopyToNativeQos(nativeQos);
        native_ = dds::sub::Subscriber(parent, nativeQos);
      },
      __FILE__, __PRETTY_FUNCTION__, __LINE__);
}

DdsSubscriber::~DdsSubscriber() { native_ = dds::core::null; }

const dds::sub::Subscriber& DdsSubscriber::GetNative() const { return native_; }

}  // namespace quorvel::common
