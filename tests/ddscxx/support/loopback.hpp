// Shared by the ddscxx tests: participants on the loopback interface, each test file
// with domain ids of its own, and a bounded poll for what arrives asynchronously.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "ddscxx/dds.hpp"

namespace ddscxx_test {

// A configuration text that keeps all traffic on "lo".
extern const std::string kLoopbackConfig;

dds::domain::DomainParticipant LoopbackParticipant(uint32_t domain_id);

// Polls `condition` every 10 ms until it holds or `timeout` passes; returns its last value.
bool WaitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

}  // namespace ddscxx_test
