#include "ddscxx/sub/subscriber.hpp"

namespace dds::sub {

Subscriber::Subscriber(const domain::DomainParticipant& participant, const qos::SubscriberQos& qos,
                       SubscriberListener* listener, const core::status::StatusMask&) {
  if (listener != nullptr) {
    throw core::UnsupportedError("subscriber listeners are not supported");
  }
  std::vector<std::shared_ptr<const void>> dependencies{participant.reference()};
  auto native_qos = core::detail::to_native(qos);
  node_ = core::detail::adopt(
      core::detail::check(dds_create_subscriber(participant.native_handle(), native_qos.get(), nullptr)),
      std::move(dependencies));
}

}  // namespace dds::sub
