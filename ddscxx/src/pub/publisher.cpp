#include "ddscxx/pub/publisher.hpp"

namespace dds::pub {

Publisher::Publisher(const domain::DomainParticipant& participant, const qos::PublisherQos& qos,
                     PublisherListener* listener, const core::status::StatusMask&) {
  if (listener != nullptr) {
    throw core::UnsupportedError("publisher listeners are not supported");
  }
  std::vector<std::shared_ptr<const void>> dependencies{participant.reference()};
  auto native_qos = core::detail::to_native(qos);
  node_ = core::detail::adopt(
      core::detail::check(dds_create_publisher(participant.native_handle(), native_qos.get(), nullptr)),
      std::move(dependencies));
}

}  // namespace dds::pub
