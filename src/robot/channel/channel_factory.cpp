#include "quorvel/robot/channel/channel_factory.hpp"

#include "quorvel/common/string_tool.hpp"

namespace quorvel::robot {

namespace {

const char* const kAutoInterfaceConfig =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" ?><CycloneDDS><Domain Id=\"any\"><General><Interfaces>"
    "<NetworkInterface autodetermine=\"true\" priority=\"default\" multicast=\"default\" />"
    "</Interfaces></General><Discovery><EnableTopicDiscoveryEndpoints>true</EnableTopicDiscoveryEndpoints>"
    "</Discovery></Domain></CycloneDDS>";

const char* const kNamedInterfaceConfig =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" ?><CycloneDDS><Domain Id=\"any\"><General><Interfaces>"
    "<NetworkInterface name=\"$__NETWORK_INTERFACE__$\" priority=\"default\" multicast=\"default\" />"
    "</Interfaces></General><Discovery><EnableTopicDiscoveryEndpoints>true</EnableTopicDiscoveryEndpoints>"
    "</Discovery></Domain></CycloneDDS>";

const char* const kInterfacePlaceholder = "$__NETWORK_INTERFACE__$";

// The name goes into an attribute value: escaped, it can never end the attribute or
// inject elements into the configuration.
std::string EscapeXml(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&apos;"; break;
      default: escaped += c; break;
    }
  }
  return escaped;
}

}  // namespace

ChannelFactory* ChannelFactory::Instance() {
  static ChannelFactory instance;
  return &instance;
}

ChannelFactory::ChannelFactory() : model_(std::make_shared<common::DdsFactoryModel>()) {}

ChannelFactory::~ChannelFactory() { Release(); }

std::string ChannelFactory::BuildDomainConfig(const std::string& networkInterface) {
  if (networkInterface.empty()) {
    return kAutoInterfaceConfig;
  }
  return common::Replace(kNamedInterfaceConfig, kInterfacePlaceholder, EscapeXml(networkInterface));
}

void ChannelFactory::Init(int32_t domainId, const std::string& networkInterface) {
  const std::string config = BuildDomainConfig(networkInterface);
  InitModel([&](common::DdsFactoryModel& model) { model.Init(static_cast<uint32_t>(domainId), config); });
}

void ChannelFactory::Init(const std::string& parameterFileName) {
  InitModel([&](common::DdsFactoryModel& model) { model.Init(parameterFileName); });
}

void ChannelFactory::Init(const common::JsonMap& parameter) {
  InitModel([&](common::DdsFactoryModel& model) { model.Init(parameter); });
}

void ChannelFactory::InitModel(const std::function<void(common::DdsFactoryModel&)>& initialise) {
  common::LockGuard<common::Mutex> guard(mutex_);
  if (initialised_) {
    return;
  }
  if (!model_) {
    model_ = std::make_shared<common::DdsFactoryModel>();
  }
  initialise(*model_);
  initialised_ = true;
}

void ChannelFactory::Release() {
  common::LockGuard<common::Mutex> guard(mutex_);
  if (initialised_) {
    model_.reset();
    initialised_ = false;
  }
}

common::DdsFactoryModelPtr ChannelFactory::RequireModel(const std::string& channelName) {
  common::LockGuard<common::Mutex> guard(mutex_);
  if (!initialised_) {
    QV_THROW(common::DdsException,
             "create channel error. channel factory is not initialized, channel:" + channelName);
  }
  return model_;
}

}  // namespace quorvel::robot
