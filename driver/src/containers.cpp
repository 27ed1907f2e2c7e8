#include "quorvel/driver/containers.hpp"

#include <stdexcept>

namespace quorvel::containers {

const std::map<std::string, uint8_t> MotorID = {
    {"Front_Right_Abduction", 0}, {"Front_Right_Hip", 1}, {"Front_Right_Knee", 2},
    {"Front_Left_Abduction", 3},  {"Front_Left_Hip", 4},  {"Front_Left_Knee", 5},
    {"Hind_Right_Abduction", 6},  {"Hind_Right_Hip", 7},  {"Hind_Right_Knee", 8},
    {"Hind_Left_Abduction", 9},   {"Hind_Left_Hip", 10},  {"Hind_Left_Knee", 11},
};

const std::string& JointName(uint8_t joint) {
  for (const auto& [name, index] : MotorID) {
    if (index == joint) {
      return name;
    }
  }
  throw std::out_of_range("JointName: no joint with index " + std::to_string(joint));
}

}  // namespace quorvel::containers
