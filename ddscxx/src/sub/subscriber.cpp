#include "ddscxx/sub/subscriber.hpp"

namespace dds::sub {

Subscriber::Subscriber(const domain::DomainParticipant& participant, const qos::SubscriberQos& qos,
                       SubscriberListener* listener, const core::status::StatusMask&) {
  if (listener != nullptr) {
    throw core::UnsupportedError("subscriber listeners are not supported");
  }
  auto native_qos = core::detail::to_native(qos);
  dds_entity_t handle =
      core::detail::check(dds_create_subscriber(participant.native_handle(), native_qos.get(), nullptr));
  node_ = std::make_shared<core::detail::EntityNode>(
      handle, std::vector<std::shared_ptr<const void>>{participant.reference()});
}

}  // namespace dds::sub
