#include "ddscxx/support/loopback.hpp"

#include <thread>

namespace ddscxx_test {

const std::string kLoopbackConfig =
    "<CycloneDDS><Domain Id=\"any\"><General><Interfaces><NetworkInterface name=\"lo\"/>"
    "</Interfaces></General></Domain></CycloneDDS>";

dds::domain::DomainParticipant LoopbackParticipant(uint32_t domain_id) {
  return dds::domain::DomainParticipant(domain_id, dds::domain::DomainParticipant::default_participant_qos(),
                                        nullptr, dds::core::status::StatusMask::none(), kLoopbackConfig);
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      return condition();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

}  // namespace ddscxx_test
