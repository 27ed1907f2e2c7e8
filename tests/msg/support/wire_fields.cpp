#include "msg/support/wire_fields.hpp"

#include <algorithm>
#include <cstring>

#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"
#include "quorvel_kesh/msg/dds_/LowState_.hpp"

namespace msg_test {

namespace {

using quorvel_kesh::msg::dds_::LowCmd_;
using quorvel_kesh::msg::dds_::LowState_;

constexpr size_t kHeaderSize = 4;
constexpr size_t kRecords = 20;

template <typename T, typename M>
size_t MemoryOffset(const T& sample, const M& member) {
  return static_cast<size_t>(reinterpret_cast<const char*>(&member) -
                             reinterpret_cast<const char*>(&sample));
}

WireLayout BuildLowCmdWire() {
  const LowCmd_ s;
  WireLayout layout{{
      {"head", MemoryOffset(s, s.head()), 0, 0, 1, 2},
      {"level_flag", MemoryOffset(s, s.level_flag()), 2, 2, 1, 1},
      {"frame_reserve", MemoryOffset(s, s.frame_reserve()), 3, 3, 1, 1},
      {"sn", MemoryOffset(s, s.sn()), 4, 4, 4, 2},
      {"version", MemoryOffset(s, s.version()), 12, 12, 4, 2},
      {"bandwidth", MemoryOffset(s, s.bandwidth()), 20, 20, 2, 1},
  }, 808, 816, 24, 720};
  for (size_t i = 0; i < kRecords; ++i) {
    const auto& m = s.motor_cmd()[i];
    const std::string r = "motor_cmd[" + std::to_string(i) + "].";
    const size_t plain = 24 + 36 * i;
    const size_t xcdr2 = 32 + 36 * i;
    layout.fields.push_back({r + "mode", MemoryOffset(s, m.mode()), i == 0 ? 22 : 20 + 36 * i,
                             28 + 36 * i, 1, 1});
    layout.fields.push_back({r + "q", MemoryOffset(s, m.q()), plain, xcdr2, 4, 1});
    layout.fields.push_back({r + "dq", MemoryOffset(s, m.dq()), plain + 4, xcdr2 + 4, 4, 1});
    layout.fields.push_back({r + "tau", MemoryOffset(s, m.tau()), plain + 8, xcdr2 + 8, 4, 1});
    layout.fields.push_back({r + "kp", MemoryOffset(s, m.kp()), plain + 12, xcdr2 + 12, 4, 1});
    layout.fields.push_back({r + "kd", MemoryOffset(s, m.kd()), plain + 16, xcdr2 + 16, 4, 1});
    layout.fields.push_back(
        {r + "reserve", MemoryOffset(s, m.reserve()), 44 + 36 * i, 52 + 36 * i, 4, 3});
  }
  layout.fields.insert(layout.fields.end(), {
      {"bms_cmd.off", MemoryOffset(s, s.bms_cmd().off()), 740, 748, 1, 1},
      {"bms_cmd.reserve", MemoryOffset(s, s.bms_cmd().reserve()), 741, 749, 1, 3},
      {"wireless_remote", MemoryOffset(s, s.wireless_remote()), 744, 752, 1, 40},
      {"led", MemoryOffset(s, s.led()), 784, 792, 1, 12},
      {"fan", MemoryOffset(s, s.fan()), 796, 804, 1, 2},
      {"gpio", MemoryOffset(s, s.gpio()), 798, 806, 1, 1},
      {"reserve", MemoryOffset(s, s.reserve()), 800, 808, 4, 1},
      {"crc", MemoryOffset(s, s.crc()), 804, 812, 4, 1},
  });
  return layout;
}

WireLayout BuildLowStateWire() {
  const LowState_ s;
  const auto& imu = s.imu_state();
  WireLayout layout{{
      {"head", MemoryOffset(s, s.head()), 0, 0, 1, 2},
      {"level_flag", MemoryOffset(s, s.level_flag()), 2, 2, 1, 1},
      {"frame_reserve", MemoryOffset(s, s.frame_reserve()), 3, 3, 1, 1},
      {"sn", MemoryOffset(s, s.sn()), 4, 4, 4, 2},
      {"version", MemoryOffset(s, s.version()), 12, 12, 4, 2},
      {"bandwidth", MemoryOffset(s, s.bandwidth()), 20, 20, 2, 1},
      {"imu_state.quaternion", MemoryOffset(s, imu.quaternion()), 24, 24, 4, 4},
      {"imu_state.gyroscope", MemoryOffset(s, imu.gyroscope()), 40, 40, 4, 3},
      {"imu_state.accelerometer", MemoryOffset(s, imu.accelerometer()), 52, 52, 4, 3},
      {"imu_state.rpy", MemoryOffset(s, imu.rpy()), 64, 64, 4, 3},
      {"imu_state.temperature", MemoryOffset(s, imu.temperature()), 76, 76, 1, 1},
  }, 1176, 1184, 80, 960};
  for (size_t i = 0; i < kRecords; ++i) {
    const auto& m = s.motor_state()[i];
    const std::string r = "motor_state[" + std::to_string(i) + "].";
    const size_t plain = 80 + 48 * i;
    const size_t xcdr2 = 88 + 48 * i;
    layout.fields.push_back({r + "mode", MemoryOffset(s, m.mode()), i == 0 ? 77 : 76 + 48 * i,
                             84 + 48 * i, 1, 1});
    layout.fields.push_back({r + "q", MemoryOffset(s, m.q()), plain, xcdr2, 4, 1});
    layout.fields.push_back({r + "dq", MemoryOffset(s, m.dq()), plain + 4, xcdr2 + 4, 4, 1});
    layout.fields.push_back({r + "ddq", MemoryOffset(s, m.ddq()), plain + 8, xcdr2 + 8, 4, 1});
    layout.fields.push_back(
        {r + "tau_est", MemoryOffset(s, m.tau_est()), plain + 12, xcdr2 + 12, 4, 1});
    layout.fields.push_back({r + "q_raw", MemoryOffset(s, m.q_raw()), plain + 16, xcdr2 + 16, 4, 1});
    layout.fields.push_back(
        {r + "dq_raw", MemoryOffset(s, m.dq_raw()), plain + 20, xcdr2 + 20, 4, 1});
    layout.fields.push_back(
        {r + "ddq_raw", MemoryOffset(s, m.ddq_raw()), plain + 24, xcdr2 + 24, 4, 1});
    layout.fields.push_back(
        {r + "temperature", MemoryOffset(s, m.temperature()), 108 + 48 * i, 116 + 48 * i, 1, 1});
    layout.fields.push_back({r + "lost", MemoryOffset(s, m.lost()), 112 + 48 * i, 120 + 48 * i, 4, 1});
    layout.fields.push_back(
        {r + "reserve", MemoryOffset(s, m.reserve()), 116 + 48 * i, 124 + 48 * i, 4, 2});
  }
  const auto& bms = s.bms_state();
  layout.fields.insert(layout.fields.end(), {
      {"bms_state.version_high", MemoryOffset(s, bms.version_high()), 1036, 1044, 1, 1},
      {"bms_state.version_low", MemoryOffset(s, bms.version_low()), 1037, 1045, 1, 1},
      {"bms_state.status", MemoryOffset(s, bms.status()), 1038, 1046, 1, 1},
      {"bms_state.soc", MemoryOffset(s, bms.soc()), 1039, 1047, 1, 1},
      {"bms_state.current", MemoryOffset(s, bms.current()), 1040, 1048, 4, 1},
      {"bms_state.cycle", MemoryOffset(s, bms.cycle()), 1044, 1052, 2, 1},
      {"bms_state.bq_ntc", MemoryOffset(s, bms.bq_ntc()), 1046, 1054, 1, 2},
      {"bms_state.mcu_ntc", MemoryOffset(s, bms.mcu_ntc()), 1048, 1056, 1, 2},
      {"bms_state.cell_vol", MemoryOffset(s, bms.cell_vol()), 1050, 1058, 2, 15},
      {"foot_force", MemoryOffset(s, s.foot_force()), 1080, 1088, 2, 4},
      {"foot_force_est", MemoryOffset(s, s.foot_force_est()), 1088, 1096, 2, 4},
      {"tick", MemoryOffset(s, s.tick()), 1096, 1104, 4, 1},
      {"wireless_remote", MemoryOffset(s, s.wireless_remote()), 1100, 1108, 1, 40},
      {"bit_flag", MemoryOffset(s, s.bit_flag()), 1140, 1148, 1, 1},
      {"adc_reel", MemoryOffset(s, s.adc_reel()), 1144, 1152, 4, 1},
      {"temperature_ntc1", MemoryOffset(s, s.temperature_ntc1()), 1148, 1156, 1, 1},
      {"temperature_ntc2", MemoryOffset(s, s.temperature_ntc2()), 1149, 1157, 1, 1},
      {"power_v", MemoryOffset(s, s.power_v()), 1152, 1160, 4, 1},
      {"power_a", MemoryOffset(s, s.power_a()), 1156, 1164, 4, 1},
      {"fan_frequency", MemoryOffset(s, s.fan_frequency()), 1160, 1168, 2, 4},
      {"reserve", MemoryOffset(s, s.reserve()), 1168, 1176, 4, 1},
      {"crc", MemoryOffset(s, s.crc()), 1172, 1180, 4, 1},
  });
  return layout;
}

// Element e gets the bytes (e % 255 + 1), (e / 255 + 1), 0x5A, 0x40 (least significant first),
// cut to its width: unique per element, never a zero byte, a normal float near 3.4.
void StoreElement(uint8_t* at, size_t width, uint32_t element) {
  const uint8_t little_endian[4] = {static_cast<uint8_t>(element % 255 + 1),
                                    static_cast<uint8_t>(element / 255 + 1), 0x5A, 0x40};
  std::memcpy(at, little_endian, width);
}

void SwapElements(uint8_t* at, size_t width, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    std::reverse(at + i * width, at + (i + 1) * width);
  }
}

}  // namespace

const WireLayout& LowCmdWire() {
  static const WireLayout layout = BuildLowCmdWire();
  return layout;
}

const WireLayout& LowStateWire() {
  static const WireLayout layout = BuildLowStateWire();
  return layout;
}

void FillDistinct(const WireLayout& layout, void* sample) {
  auto* bytes = static_cast<uint8_t*>(sample);
  uint32_t element = 1;
  for (const WireField& field : layout.fields) {
    for (size_t i = 0; i < field.count; ++i) {
      StoreElement(bytes + field.memory_offset + i * field.width, field.width, element++);
    }
  }
}

std::vector<uint8_t> ToBigEndian(const WireLayout& layout, const std::vector<uint8_t>& little,
                                 bool xcdr2) {
  std::vector<uint8_t> big = little;
  uint8_t* payload = big.data() + kHeaderSize;
  big[1] &= 0xfe;  // byte-order bit cleared: big-endian
  for (const WireField& field : layout.fields) {
    SwapElements(payload + (xcdr2 ? field.xcdr2_offset : field.plain_offset), field.width,
                 field.count);
  }
  if (xcdr2) {
    SwapElements(payload + layout.dheader_offset, 4, 1);
  }
  return big;
}

}  // namespace msg_test
