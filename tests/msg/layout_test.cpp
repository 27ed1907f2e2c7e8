// Memory image of the message classes: sizes, alignments and member offsets that the driver's
// CRC and the DDS C library rely on, and zero initialisation down to the padding bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "quorvel_kesh/msg/dds_/BmsCmd_.hpp"
#include "quorvel_kesh/msg/dds_/BmsState_.hpp"
#include "quorvel_kesh/msg/dds_/IMUState_.hpp"
#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"
#include "quorvel_kesh/msg/dds_/LowState_.hpp"
#include "quorvel_kesh/msg/dds_/MotorCmd_.hpp"
#include "quorvel_kesh/msg/dds_/MotorState_.hpp"

namespace {

using namespace quorvel_kesh::msg::dds_;

// Offset of the member that accessor returns, measured on a live object.
template <typename T, typename M>
size_t OffsetOf(M& (T::*accessor)()) {
  T sample;
  return static_cast<size_t>(reinterpret_cast<char*>(&(sample.*accessor)()) -
                             reinterpret_cast<char*>(&sample));
}

template <typename T, typename M>
size_t SizeOf(M& (T::*)()) {
  return sizeof(M);
}

struct MemberCase {
  std::string type;
  std::string member;
  size_t offset;
  size_t size;
  size_t actual_offset;
  size_t actual_size;
};

#define MEMBER(T, m, offset, size) \
  MemberCase { #T, #m, offset, size, OffsetOf(&T::m), SizeOf(&T::m) }

std::vector<MemberCase> MemberTable() {
  return {
      MEMBER(MotorCmd_, mode, 0, 1), MEMBER(MotorCmd_, q, 4, 4), MEMBER(MotorCmd_, dq, 8, 4),
      MEMBER(MotorCmd_, tau, 12, 4), MEMBER(MotorCmd_, kp, 16, 4), MEMBER(MotorCmd_, kd, 20, 4),
      MEMBER(MotorCmd_, reserve, 24, 12),

      MEMBER(BmsCmd_, off, 0, 1), MEMBER(BmsCmd_, reserve, 1, 3),

      MEMBER(LowCmd_, head, 0, 2), MEMBER(LowCmd_, level_flag, 2, 1),
      MEMBER(LowCmd_, frame_reserve, 3, 1), MEMBER(LowCmd_, sn, 4, 8),
      MEMBER(LowCmd_, version, 12, 8), MEMBER(LowCmd_, bandwidth, 20, 2),
      MEMBER(LowCmd_, motor_cmd, 24, 720), MEMBER(LowCmd_, bms_cmd, 744, 4),
      MEMBER(LowCmd_, wireless_remote, 748, 40), MEMBER(LowCmd_, led, 788, 12),
      MEMBER(LowCmd_, fan, 800, 2), MEMBER(LowCmd_, gpio, 802, 1),
      MEMBER(LowCmd_, reserve, 804, 4), MEMBER(LowCmd_, crc, 808, 4),

      MEMBER(IMUState_, quaternion, 0, 16), MEMBER(IMUState_, gyroscope, 16, 12),
      MEMBER(IMUState_, accelerometer, 28, 12), MEMBER(IMUState_, rpy, 40, 12),
      MEMBER(IMUState_, temperature, 52, 1),

      MEMBER(MotorState_, mode, 0, 1), MEMBER(MotorState_, q, 4, 4),
      MEMBER(MotorState_, dq, 8, 4), MEMBER(MotorState_, ddq, 12, 4),
      MEMBER(MotorState_, tau_est, 16, 4), MEMBER(MotorState_, q_raw, 20, 4),
      MEMBER(MotorState_, dq_raw, 24, 4), MEMBER(MotorState_, ddq_raw, 28, 4),
      MEMBER(MotorState_, temperature, 32, 1), MEMBER(MotorState_, lost, 36, 4),
      MEMBER(MotorState_, reserve, 40, 8),

      MEMBER(BmsState_, version_high, 0, 1), MEMBER(BmsState_, version_low, 1, 1),
      MEMBER(BmsState_, status, 2, 1), MEMBER(BmsState_, soc, 3, 1),
      MEMBER(BmsState_, current, 4, 4), MEMBER(BmsState_, cycle, 8, 2),
      MEMBER(BmsState_, bq_ntc, 10, 2), MEMBER(BmsState_, mcu_ntc, 12, 2),
      MEMBER(BmsState_, cell_vol, 14, 30),

      MEMBER(LowState_, head, 0, 2), MEMBER(LowState_, level_flag, 2, 1),
      MEMBER(LowState_, frame_reserve, 3, 1), MEMBER(LowState_, sn, 4, 8),
      MEMBER(LowState_, version, 12, 8), MEMBER(LowState_, bandwidth, 20, 2),
      MEMBER(LowState_, imu_state, 24, 56), MEMBER(LowState_, motor_state, 80, 960),
      MEMBER(LowState_, bms_state, 1040, 44), MEMBER(LowState_, foot_force, 1084, 8),
      MEMBER(LowState_, foot_force_est, 1092, 8), MEMBER(LowState_, tick, 1100, 4),
      MEMBER(LowState_, wireless_remote, 1104, 40), MEMBER(LowState_, bit_flag, 1144, 1),
      MEMBER(LowState_, adc_reel, 1148, 4), MEMBER(LowState_, temperature_ntc1, 1152, 1),
      MEMBER(LowState_, temperature_ntc2, 1153, 1), MEMBER(LowState_, power_v, 1156, 4),
      MEMBER(LowState_, power_a, 1160, 4), MEMBER(LowState_, fan_frequency, 1164, 8),
      MEMBER(LowState_, reserve, 1172, 4), MEMBER(LowState_, crc, 1176, 4),
  };
}

#undef MEMBER

TEST(MessageLayoutTest, MembersLieAtTheirOffsetsWithTheirSizes) {
  for (const MemberCase& c : MemberTable()) {
    SCOPED_TRACE(c.type + "::" + c.member);
    EXPECT_EQ(c.actual_offset, c.offset);
    EXPECT_EQ(c.actual_size, c.size);
  }
}

// Size, alignment and the padding bytes of each type, none of which a member may use.
struct Shape {
  size_t size;
  size_t align;
  std::vector<size_t> padding;
};

template <typename T>
Shape Expected();
template <> Shape Expected<MotorCmd_>() { return {36, 4, {1, 2, 3}}; }
template <> Shape Expected<BmsCmd_>() { return {4, 1, {}}; }
template <> Shape Expected<LowCmd_>() { return {812, 4, {22, 23, 803}}; }
template <> Shape Expected<IMUState_>() { return {56, 4, {53, 54, 55}}; }
template <> Shape Expected<MotorState_>() { return {48, 4, {1, 2, 3, 33, 34, 35}}; }
template <> Shape Expected<BmsState_>() { return {44, 4, {}}; }
template <> Shape Expected<LowState_>() { return {1180, 4, {22, 23, 1145, 1146, 1147, 1154, 1155}}; }

// Offsets of the bytes in which two samples of type T differ, padding not counted.
template <typename T>
std::vector<size_t> MemberBytesDiffering(const T& a, const T& b) {
  const auto* x = reinterpret_cast<const unsigned char*>(&a);
  const auto* y = reinterpret_cast<const unsigned char*>(&b);
  const std::vector<size_t> padding = Expected<T>().padding;
  std::vector<size_t> differing;
  for (size_t i = 0; i < sizeof(T); ++i) {
    if (x[i] != y[i] && std::find(padding.begin(), padding.end(), i) == padding.end()) {
      differing.push_back(i);
    }
  }
  return differing;
}

template <typename T>
class MessageTypeTest : public ::testing::Test {
 protected:
  // Storage pre-filled with 0xAA, so that bytes a constructor leaves alone stand out.
  alignas(T) unsigned char storage_[sizeof(T)];
  alignas(T) unsigned char zero_storage_[sizeof(T)] = {};
  MessageTypeTest() { std::memset(storage_, 0xAA, sizeof(storage_)); }
};

using MessageTypes =
    ::testing::Types<MotorCmd_, BmsCmd_, LowCmd_, IMUState_, MotorState_, BmsState_, LowState_>;
TYPED_TEST_SUITE(MessageTypeTest, MessageTypes);

TYPED_TEST(MessageTypeTest, SizeAndAlignment) {
  EXPECT_EQ(sizeof(TypeParam), Expected<TypeParam>().size);
  EXPECT_EQ(alignof(TypeParam), Expected<TypeParam>().align);
}

TYPED_TEST(MessageTypeTest, ValueInitialisedSampleIsZeroInEveryByte) {
  auto* sample = new (this->storage_) TypeParam();
  const std::vector<unsigned char> zeros(sizeof(TypeParam), 0);
  EXPECT_EQ(std::memcmp(sample, zeros.data(), sizeof(TypeParam)), 0);
  sample->~TypeParam();
}

TYPED_TEST(MessageTypeTest, DefaultConstructedSampleIsZeroInEveryMember) {
  auto* sample = new (this->storage_) TypeParam;
  const auto* zero = new (this->zero_storage_) TypeParam();
  EXPECT_EQ(MemberBytesDiffering(*sample, *zero), std::vector<size_t>{});
  sample->~TypeParam();
}

TYPED_TEST(MessageTypeTest, CopyAndAssignmentKeepEveryMember) {
  auto* original = new (this->storage_) TypeParam();
  auto* bytes = reinterpret_cast<unsigned char*>(original);
  for (size_t i = 0; i < sizeof(TypeParam); ++i) {
    bytes[i] = static_cast<unsigned char>(i * 7 + 1);
  }
  TypeParam copy(*original);
  TypeParam assigned;
  assigned = *original;
  EXPECT_EQ(MemberBytesDiffering(copy, *original), std::vector<size_t>{});
  EXPECT_EQ(MemberBytesDiffering(assigned, *original), std::vector<size_t>{});
  original->~TypeParam();
}

TEST(MessageLayoutTest, NestedRecordsAreReachableThroughBothAccessors) {
  LowCmd_ command;
  command.motor_cmd()[19].kd() = 2.5f;
  command.bms_cmd().reserve()[2] = 7;
  const LowCmd_& view = command;
  EXPECT_EQ(view.motor_cmd()[19].kd(), 2.5f);
  EXPECT_EQ(view.bms_cmd().reserve()[2], 7);
  EXPECT_EQ(reinterpret_cast<const char*>(&view.motor_cmd()[19].kd()) -
                reinterpret_cast<const char*>(&view),
            24 + 36 * 19 + 20);
}

}  // namespace
