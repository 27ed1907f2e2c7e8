// The simulated robot's DDS side: in domain 0 on one network interface it reads the
// commands of "rt/lowcmd" and writes the state samples of "rt/lowstate".
// Used by the simulator's loop, from one thread.
#pragma once

#include <dds/dds.h>

#include <array>
#include <cstddef>
#include <functional>
#include <string>

#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"
#include "quorvel_kesh/msg/dds_/LowState_.hpp"

namespace quorvel::sim {

class RobotLink {
 public:
  // Joins domain `domain_id` configured to use only `network_interface`, or the domain
  // as it already exists in this process, and creates both topics, the command reader
  // and the state writer. Throws DdsException naming the failed call (an interface that
  // does not exist makes the domain fail).
  explicit RobotLink(const std::string& network_interface, dds_domainid_t domain_id = 0);
  ~RobotLink();
  RobotLink(const RobotLink&) = delete;
  RobotLink& operator=(const RobotLink&) = delete;

  // Calls `on_command` for every command sample received since the last call, oldest
  // first, and returns how many there were. Commands that arrive faster than the reader
  // keeps (its history holds the newest kCommandHistory) are lost, oldest first.
  size_t TakeCommands(const std::function<void(const quorvel_kesh::msg::dds_::LowCmd_&)>& on_command);

  // Sends one state sample; throws DdsException when the writer refuses it.
  void Publish(const quorvel_kesh::msg::dds_::LowState_& state);

  static constexpr size_t kCommandHistory = 64;

 private:
  dds_entity_t domain_ = 0;  // 0 when the domain belongs to another part of the process
  dds_entity_t participant_ = 0;
  dds_entity_t command_reader_ = 0;
  dds_entity_t state_writer_ = 0;
  std::array<quorvel_kesh::msg::dds_::LowCmd_, kCommandHistory> commands_{};
  std::array<void*, kCommandHistory> command_buffers_{};
  std::array<dds_sample_info_t, kCommandHistory> command_infos_{};
};

}  // namespace quorvel::sim
