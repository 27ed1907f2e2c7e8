#include "quorvel/common/dds/dds_factory_model.hpp"

#include "quorvel/common/dds/dds_parameter.hpp"
#include "quorvel/common/dds/dds_qos_realize.hpp"
#include "quorvel/common/filesystem/file.hpp"
#include "quorvel/common/json/json.hpp"
#include "quorvel/common/os.hpp"

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

void DdsFactoryModel::Init(const std::string& parameterFileName) {
  std::string fileName = parameterFileName;
  if (fileName.empty()) {
    fileName = OsHelper::Instance()->GetProcessDirectory(true) + "dds_parameter.json";
  }
  const Any root = FromJsonString(LoadFile(fileName));
  if (root.Empty()) {
    QV_THROW(CommonException, "load dds_parameter config file error. filename:" + fileName);
  }
  Init(AnyCast<JsonMap>(root));
}

void DdsFactoryModel::Init(const JsonMap& parameter) {
  DdsParameter dds_parameter(parameter);
  std::string config = dds_parameter.GetParticipant().GetConfig();
  if (!config.empty() && config[0] != '/' && config[0] != '<') {
    config = OsHelper::Instance()->GetProcessDirectory(true) + config;
  }

  Realize(dds_parameter.GetParticipantQos(), participantQos_);
  participant_ = std::make_shared<DdsParticipant>(
      static_cast<uint32_t>(dds_parameter.GetParticipant().GetDomainId()), participantQos_, config);
  Realize(dds_parameter.GetPublisherQos(), publisherQos_);
  publisher_ = std::make_shared<DdsPublisher>(participant_, publisherQos_);
  Realize(dds_parameter.GetSubscriberQos(), subscriberQos_);
  subscriber_ = std::make_shared<DdsSubscriber>(participant_, subscriberQos_);
  Realize(dds_parameter.GetTopicQos(), topicQos_);
  Realize(dds_parameter.GetReaderQos(), readerQos_);
  Realize(dds_parameter.GetWriterQos(), writerQos_);
  if (logger_ != nullptr) {
    logger_->Log(QV_LOG_LEVEL_INFO, "Dds model inited from dds parameter");
  }
}

void DdsFactoryModel::RequireEntities(const char* operation) const {
  if (!participant_ || !publisher_ || !subscriber_) {
    QV_THROW(DdsException, std::string(operation) + " error. dds factory model is not initialized");
  }
}

}  // namespace quorvel::common
