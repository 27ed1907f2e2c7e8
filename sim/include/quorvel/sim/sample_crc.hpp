// The CRC that closes the robot's samples: the driver's CRC-32 over every byte of a
// sample's memory image before its `crc` member.
// Used by the simulated robot to accept commands and to stamp its state samples.
#pragma once

#include <cstdint>

#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"
#include "quorvel_kesh/msg/dds_/LowState_.hpp"

namespace quorvel::sim {

// Over bytes 0 to 807 (202 words). Any thread.
uint32_t CommandCrc(const quorvel_kesh::msg::dds_::LowCmd_& command);
// Over bytes 0 to 1175 (294 words). Any thread.
uint32_t StateCrc(const quorvel_kesh::msg::dds_::LowState_& state);

}  // namespace quorvel::sim
