// Filling the LowCmd_ sample that QuorvelDriver publishes on "rt/lowcmd": its start values,
// and one cycle's copy of the clamped command into it, closed by the CRC.
#pragma once

#include <cstdint>

#include "quorvel/driver/containers.hpp"
#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"

namespace quorvel::driver {

// Start values of every motor record: a position and a velocity that the motors read as
// "stop" (converted to float: 2.146e9 and 16000.0).
constexpr double START_Q = 2.146e9;
constexpr double START_DQ = 16000.0;

// Words of the sample's memory image covered by the CRC: bytes 0 to 807, everything
// before `crc`.
constexpr uint32_t CRC_WORDS = 202;

// Resets `sample` to all bytes zero (padding included), then sets the head bytes 0xFE 0xEF,
// level_flag 0xFF and, in each of the 20 motor records, mode 1, q START_Q, dq START_DQ.
void InitCommandSample(quorvel_kesh::msg::dds_::LowCmd_& sample);

// Copies the set-points, gains and torques of joints 0 to 11 into motor records 0 to 11 of
// `sample` and stamps its crc over the first CRC_WORDS words. Records 12 to 19 and every
// other field keep their values.
void WriteCommandSample(const containers::MotorCommand& command,
                        quorvel_kesh::msg::dds_::LowCmd_& sample);

// The CRC over the first CRC_WORDS words of the memory image of `sample`.
uint32_t CommandSampleCrc(const quorvel_kesh::msg::dds_::LowCmd_& sample);

}  // namespace quorvel::driver
