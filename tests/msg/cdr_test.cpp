// The serialised form the generated type support gives LowCmd_ and LowState_, read back
// through the DDS library itself: sizes, headers, member offsets, byte order, refused forms.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <ostream>
#include <new>
#include <vector>

#include "msg/support/loopback.hpp"
#include "msg/support/wire_fields.hpp"
#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"
#include "quorvel_kesh/msg/dds_/LowState_.hpp"

namespace {

using quorvel_kesh::msg::dds_::LowCmd_;
using quorvel_kesh::msg::dds_::LowState_;
using msg_test::CdrProbe;
using msg_test::WireField;
using msg_test::WireLayout;

constexpr size_t kHeaderSize = 4;

// A topic type seen by these tests: its descriptor, wire layout, size and member bytes
// (its size less its padding).
struct TopicCase {
  const char* name;
  const dds_topic_descriptor_t* descriptor;
  const WireLayout& (*layout)();
  size_t memory_size;
  size_t member_bytes;
};

const TopicCase kTopics[] = {
    {"LowCmd_", dds::topic::TopicTraits<LowCmd_>::Descriptor(), msg_test::LowCmdWire,
     sizeof(LowCmd_), 812 - 63},
    {"LowState_", dds::topic::TopicTraits<LowState_>::Descriptor(), msg_test::LowStateWire,
     sizeof(LowState_), 1180 - 130},
};

struct Representation {
  const char* name;
  dds_data_representation_id_t id;
  bool xcdr2;
  uint8_t header_byte;  // little-endian form
};

void PrintTo(const TopicCase& topic, std::ostream* os) { *os << topic.name; }
void PrintTo(const Representation& representation, std::ostream* os) { *os << representation.name; }

const Representation kPlain{"plain", DDS_DATA_REPRESENTATION_XCDR1, false, 0x01};
const Representation kXcdr2{"xcdr2", DDS_DATA_REPRESENTATION_XCDR2, true, 0x07};

// Value-initialised storage of a sample of the case's type: every byte zero, padding included.
std::unique_ptr<uint64_t[]> ZeroSample(const TopicCase& topic) {
  return std::unique_ptr<uint64_t[]>(new uint64_t[topic.memory_size / sizeof(uint64_t) + 1]());
}

std::unique_ptr<uint64_t[]> DistinctSample(const TopicCase& topic) {
  auto sample = ZeroSample(topic);
  msg_test::FillDistinct(topic.layout(), sample.get());
  return sample;
}

uint32_t LittleEndianWord(const uint8_t* at) {
  return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
}

class CdrTest : public ::testing::TestWithParam<std::tuple<TopicCase, Representation>> {
 protected:
  const TopicCase& topic() const { return std::get<0>(GetParam()); }
  const Representation& representation() const { return std::get<1>(GetParam()); }
  size_t PayloadSize() const {
    return representation().xcdr2 ? topic().layout().xcdr2_size : topic().layout().plain_size;
  }
  size_t WireOffset(const WireField& field) const {
    return representation().xcdr2 ? field.xcdr2_offset : field.plain_offset;
  }

  CdrProbe probe_{topic().descriptor};
};

TEST_P(CdrTest, ZeroSampleHasHeaderSizeAndOnlyTheRecordArrayLengthSet) {
  const auto sample = ZeroSample(topic());
  const std::vector<uint8_t> bytes = probe_.Serialise(sample.get(), representation().id);

  ASSERT_EQ(bytes.size(), kHeaderSize + PayloadSize());
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + kHeaderSize),
            (std::vector<uint8_t>{0x00, representation().header_byte, 0x00, 0x00}));
  std::vector<uint8_t> expected(PayloadSize(), 0);
  if (representation().xcdr2) {
    const WireLayout& layout = topic().layout();
    std::memcpy(&expected[layout.dheader_offset], &layout.dheader_value, 4);
  }
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + kHeaderSize, bytes.end()), expected);
}

TEST_P(CdrTest, EveryMemberLandsAtItsOffset) {
  const WireLayout& layout = topic().layout();
  size_t covered = 0;
  for (const WireField& field : layout.fields) {
    covered += field.width * field.count;
  }
  ASSERT_EQ(covered, topic().member_bytes) << "the table misses members";

  const auto sample = DistinctSample(topic());
  const std::vector<uint8_t> bytes = probe_.Serialise(sample.get(), representation().id);
  ASSERT_EQ(bytes.size(), kHeaderSize + PayloadSize());
  const uint8_t* payload = bytes.data() + kHeaderSize;
  const auto* memory = reinterpret_cast<const uint8_t*>(sample.get());
  for (const WireField& field : layout.fields) {
    const size_t size = field.width * field.count;
    ASSERT_LE(WireOffset(field) + size, PayloadSize()) << field.name;
    EXPECT_EQ(std::memcmp(payload + WireOffset(field), memory + field.memory_offset, size), 0)
        << field.name << " is not at payload offset " << WireOffset(field);
  }
  if (representation().xcdr2) {
    EXPECT_EQ(LittleEndianWord(payload + layout.dheader_offset), layout.dheader_value);
  }
}

TEST_P(CdrTest, BigEndianTwinDecodesToTheSameSample) {
  const auto sample = DistinctSample(topic());
  const std::vector<uint8_t> little = probe_.Serialise(sample.get(), representation().id);
  const std::vector<uint8_t> big =
      msg_test::ToBigEndian(topic().layout(), little, representation().xcdr2);
  ASSERT_NE(little, big);

  for (const auto& bytes : {little, big}) {
    const auto decoded = ZeroSample(topic());
    ASSERT_TRUE(probe_.Deserialise(bytes, decoded.get()))
        << "representation byte " << int{bytes[1]};
    EXPECT_EQ(std::memcmp(decoded.get(), sample.get(), topic().memory_size), 0)
        << "representation byte " << int{bytes[1]};
  }
}

TEST_P(CdrTest, OtherRepresentationBytesYieldNoSample) {
  const auto sample = DistinctSample(topic());
  const std::vector<uint8_t> valid = probe_.Serialise(sample.get(), representation().id);
  for (const uint8_t refused : {0x02, 0x03, 0x08, 0x09, 0x0A, 0x0B}) {
    std::vector<uint8_t> bytes = valid;
    bytes[1] = refused;
    const auto decoded = ZeroSample(topic());
    EXPECT_FALSE(probe_.Deserialise(bytes, decoded.get())) << "representation byte " << int{refused};
  }
}

INSTANTIATE_TEST_SUITE_P(
    TopicsAndRepresentations, CdrTest,
    ::testing::Combine(::testing::ValuesIn(kTopics), ::testing::Values(kPlain, kXcdr2)),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) + std::get<1>(info.param).name;
    });

}  // namespace
