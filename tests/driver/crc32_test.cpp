// The command CRC: its check values, and the table-driven form against the bit-by-bit one.
#include "quorvel/driver/crc32.hpp"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "quorvel/driver/quorvel_driver.hpp"

namespace {

using quorvel::driver::Crc32;
using quorvel::driver::Crc32BitByBit;

struct CheckValue {
  const char* what;
  std::vector<uint32_t> words;
  uint32_t crc;
};

TEST(Crc32Test, GivesTheCheckValues) {
  const CheckValue cases[] = {
      {"no words", {}, 0xFFFFFFFFu},
      {"one zero word", {0x00000000u}, 0xC704DD7Bu},
      {"one counting word", {0x01020304u}, 0x793737CDu},
      {"202 zero words", std::vector<uint32_t>(202, 0u), 0x4B5A4880u},
  };
  for (const auto& c : cases) {
    const auto count = static_cast<uint32_t>(c.words.size());
    EXPECT_EQ(Crc32(c.words.data(), count), c.crc) << c.what;
    EXPECT_EQ(Crc32BitByBit(c.words.data(), count), c.crc) << c.what;
    EXPECT_EQ(QuorvelDriver::crc32_core(c.words.data(), count), c.crc) << c.what;
  }
}

TEST(Crc32Test, TableAgreesWithBitByBitOnRandomImages) {
  std::mt19937 random(20261211);
  std::vector<uint32_t> words(202);
  for (int image = 0; image < 500; ++image) {
    for (auto& word : words) {
      word = random();
    }
    const auto count = static_cast<uint32_t>(random() % (words.size() + 1));
    ASSERT_EQ(Crc32(words.data(), count), Crc32BitByBit(words.data(), count))
        << "image " << image << ", " << count << " words";
  }
}

}  // namespace
