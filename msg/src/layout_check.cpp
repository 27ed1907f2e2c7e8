// Build-time proof that every message class has the memory layout of the C structure the
// IDL compiler generated: the DDS C library reads and writes our samples through that layout.
#include "quorvel_kesh/msg/dds_/MotorCmd_.hpp"
#include "quorvel_kesh/msg/dds_/BmsCmd_.hpp"
#include "quorvel_kesh/msg/dds_/IMUState_.hpp"
#include "quorvel_kesh/msg/dds_/MotorState_.hpp"
#include "quorvel_kesh/msg/dds_/BmsState_.hpp"
#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"
#include "quorvel_kesh/msg/dds_/LowState_.hpp"
#include "quorvel_kesh/msg/dds_/MotorCmd_.h"
#include "quorvel_kesh/msg/dds_/BmsCmd_.h"
#include "quorvel_kesh/msg/dds_/IMUState_.h"
#include "quorvel_kesh/msg/dds_/MotorState_.h"
#include "quorvel_kesh/msg/dds_/BmsState_.h"

#include <cstddef>
#include <type_traits>

namespace quorvel_kesh::msg::dds_ {

#define QV_SAME_LAYOUT(cls, c_struct)                                              \
  static_assert(std::is_standard_layout_v<cls>, #cls " must be standard-layout"); \
  static_assert(sizeof(cls) == sizeof(c_struct), #cls " size");                   \
  static_assert(alignof(cls) == alignof(c_struct), #cls " alignment")
#define QV_SAME_OFFSET(cls, c_struct, member)                           \
  static_assert(offsetof(cls, member##_) == offsetof(c_struct, member), \
                #cls "::" #member " offset")

struct LayoutCheck {
  // The driver's CRC covers the command's memory image up to crc, and peers see these sizes.
  static_assert(sizeof(LowCmd_) == 812 && offsetof(LowCmd_, crc_) == 808, "LowCmd_ image");
  static_assert(sizeof(LowState_) == 1180 && offsetof(LowState_, crc_) == 1176, "LowState_ image");

  QV_SAME_LAYOUT(MotorCmd_, quorvel_kesh_msg_dds__MotorCmd_);
  QV_SAME_OFFSET(MotorCmd_, quorvel_kesh_msg_dds__MotorCmd_, mode);
  QV_SAME_OFFSET(MotorCmd_, quorvel_kesh_msg_dds__MotorCmd_, q);
  QV_SAME_OFFSET(MotorCmd_, quorvel_kesh_msg_dds__MotorCmd_, dq);
  QV_SAME_OFFSET(MotorCmd_, quorvel_kesh_msg_dds__MotorCmd_, tau);
  QV_SAME_OFFSET(MotorCmd_, quorvel_kesh_msg_dds__MotorCmd_, kp);
  QV_SAME_OFFSET(MotorCmd_, quorvel_kesh_msg_dds__MotorCmd_, kd);
  QV_SAME_OFFSET(MotorCmd_, quorvel_kesh_msg_dds__MotorCmd_, reserve);
  QV_SAME_LAYOUT(BmsCmd_, quorvel_kesh_msg_dds__BmsCmd_);
  QV_SAME_OFFSET(BmsCmd_, quorvel_kesh_msg_dds__BmsCmd_, off);
  QV_SAME_OFFSET(BmsCmd_, quorvel_kesh_msg_dds__BmsCmd_, reserve);
  QV_SAME_LAYOUT(IMUState_, quorvel_kesh_msg_dds__IMUState_);
  QV_SAME_OFFSET(IMUState_, quorvel_kesh_msg_dds__IMUState_, quaternion);
  QV_SAME_OFFSET(IMUState_, quorvel_kesh_msg_dds__IMUState_, gyroscope);
  QV_SAME_OFFSET(IMUState_, quorvel_kesh_msg_dds__IMUState_, accelerometer);
  QV_SAME_OFFSET(IMUState_, quorvel_kesh_msg_dds__IMUState_, rpy);
  QV_SAME_OFFSET(IMUState_, quorvel_kesh_msg_dds__IMUState_, temperature);
  QV_SAME_LAYOUT(MotorState_, quorvel_kesh_msg_dds__MotorState_);
  QV_SAME_OFFSET(MotorState_, quorvel_kesh_msg_dds__MotorState_, mode);
  QV_SAME_OFFSET(MotorState_, quorvel_kesh_msg_dds__MotorState_, q);
  QV_SAME_OFFSET(MotorState_, quorvel_kesh_msg_dds__MotorState_, dq);
  QV_SAME_OFFSET(MotorState_, quorvel_kesh_msg_dds__MotorState_, ddq);
  QV_SAME_OFFSET(MotorState_, quorvel_kesh_msg_dds__MotorState_, tau_est);
  QV_SAME_OFFSET(MotorState_, quorvel_kesh_msg_dds__MotorState_, q_raw);
  QV_SAME_OFFSET(MotorState_, quorvel_kesh_msg_dds__MotorState_, dq_raw);
  QV_SAME_OFFSET(MotorState_, quorvel_kesh_msg_dds__MotorState_, ddq_raw);
  QV_SAME_OFFSET(MotorState_, quorvel_kesh_msg_dds__MotorState_, temperature);
  QV_SAME_OFFSET(MotorState_, quorvel_kesh_msg_dds__MotorState_, lost);
  QV_SAME_OFFSET(MotorState_, quorvel_kesh_msg_dds__MotorState_, reserve);
  QV_SAME_LAYOUT(BmsState_, quorvel_kesh_msg_dds__BmsState_);
  QV_SAME_OFFSET(BmsState_, quorvel_kesh_msg_dds__BmsState_, version_high);
  QV_SAME_OFFSET(BmsState_, quorvel_kesh_msg_dds__BmsState_, version_low);
  QV_SAME_OFFSET(BmsState_, quorvel_kesh_msg_dds__BmsState_, status);
  QV_SAME_OFFSET(BmsState_, quorvel_kesh_msg_dds__BmsState_, soc);
  QV_SAME_OFFSET(BmsState_, quorvel_kesh_msg_dds__BmsState_, current);
  QV_SAME_OFFSET(BmsState_, quorvel_kesh_msg_dds__BmsState_, cycle);
  QV_SAME_OFFSET(BmsState_, quorvel_kesh_msg_dds__BmsState_, bq_ntc);
  QV_SAME_OFFSET(BmsState_, quorvel_kesh_msg_dds__BmsState_, mcu_ntc);
  QV_SAME_OFFSET(BmsState_, quorvel_kesh_msg_dds__BmsState_, cell_vol);
  QV_SAME_LAYOUT(LowCmd_, quorvel_kesh_msg_dds__LowCmd_);
  QV_SAME_OFFSET(LowCmd_, quorvel_kesh_msg_dds__LowCmd_, head);
  QV_SAME_OFFSET(LowCmd_, quorvel_kesh_msg_dds__LowCmd_, level_flag);
  QV_SAME_OFFSET(LowCmd_, quorvel_kesh_msg_dds__LowCmd_, frame_reserve);
  QV_SAME_OFFSET(LowCmd_, quorvel_kesh_msg_dds__LowCmd_, sn);
  QV_SAME_OFFSET(LowCmd_, quorvel_kesh_msg_dds__LowCmd_, version);
  QV_SAME_OFFSET(LowCmd_, quorvel_kesh_msg_dds__LowCmd_, bandwidth);
  QV_SAME_OFFSET(LowCmd_, quorvel_kesh_msg_dds__LowCmd_, motor_cmd);
  QV_SAME_OFFSET(LowCmd_, quorvel_kesh_msg_dds__LowCmd_, bms_cmd);
  QV_SAME_OFFSET(LowCmd_, quorvel_kesh_msg_dds__LowCmd_, wireless_remote);
  QV_SAME_OFFSET(LowCmd_, quorvel_kesh_msg_dds__LowCmd_, led);
  QV_SAME_OFFSET(LowCmd_, quorvel_kesh_msg_dds__LowCmd_, fan);
  QV_SAME_OFFSET(LowCmd_, quorvel_kesh_msg_dds__LowCmd_, gpio);
  QV_SAME_OFFSET(LowCmd_, quorvel_kesh_msg_dds__LowCmd_, reserve);
  QV_SAME_OFFSET(LowCmd_, quorvel_kesh_msg_dds__LowCmd_, crc);
  QV_SAME_LAYOUT(LowState_, quorvel_kesh_msg_dds__LowState_);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, head);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, level_flag);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, frame_reserve);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, sn);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, version);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, bandwidth);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, imu_state);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, motor_state);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, bms_state);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, foot_force);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, foot_force_est);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, tick);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, wireless_remote);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, bit_flag);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, adc_reel);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, temperature_ntc1);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, temperature_ntc2);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, power_v);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, power_a);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, fan_frequency);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, reserve);
  QV_SAME_OFFSET(LowState_, quorvel_kesh_msg_dds__LowState_, crc);
};

}  // namespace quorvel_kesh::msg::dds_
