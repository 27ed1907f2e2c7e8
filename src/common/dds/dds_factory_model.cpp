#include "quorvel/common/dds/dds_factory_model.hpp"

namespace quorvel::common {

DdsFactoryModel::DdsFactoryModel() : logger_(GetLogger("/quorvel/dds/dds_factory_model")) {}

DdsFactoryModel::~DdsFactoryModel() = default;

void DdsFactoryModel::Init(uint32_t domainId, const std::string& config) {
  participant_ = std::make_shared<DdsParticipant>(domainId, participantQos_, config);
  publisher_ = std::make_shared<DdsPublisher>(participant_, publisherQos_);
  subscriber_ = std::make_shared<DdsSubscriber>(participant_, subscriberQos_);
  if (logger_ != nullptr) {
    logger_->Log(QV_LOG_LEVEL_INFO, "Dds model inited default. domainId:", domainId);
  }
}

void DdsFactoryModel::RequireEntities(const char* operation) const {
  if (!participant_ || !publisher_ || !subscriber_) {
    QV_THROW(DdsException, std::string(operation) + " error. dds factory model is not initialized");
  }
}

}  // namespace quorvel::common
