// The topic traits of LowCmd_ and LowState_, and the XTypes type information that the
// library takes from their descriptors and announces: full names, final structures, members.
#include <gtest/gtest.h>

#include <dds/dds.h>
#include <dds/ddsi/ddsi_xqos.h>  // before the type library, which uses its policies
#include <dds/ddsi/ddsi_typelib.h>
#include <dds/ddsi/ddsi_xt_impl.h>

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "msg/support/loopback.hpp"
#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"
#include "quorvel_kesh/msg/dds_/LowState_.hpp"

namespace {

using quorvel_kesh::msg::dds_::LowCmd_;
using quorvel_kesh::msg::dds_::LowState_;

struct TraitsCase {
  const char* type_name;
  const char* (*name)();
  bool keyless;
  bool final;
  const dds_topic_descriptor_t* descriptor;
  // Every structure the topic type is built of, with its number of members.
  std::map<std::string, size_t> structures;
};

void PrintTo(const TraitsCase& c, std::ostream* os) { *os << c.type_name; }

template <typename T>
TraitsCase CaseOf(const char* type_name, std::map<std::string, size_t> structures) {
  using Traits = dds::topic::TopicTraits<T>;
  return {type_name, Traits::TypeName, Traits::IsKeyless(), Traits::IsFinal(),
          Traits::Descriptor(), std::move(structures)};
}

std::vector<TraitsCase> TraitsCases() {
  return {
      CaseOf<LowCmd_>("quorvel_kesh::msg::dds_::LowCmd_",
                      {{"quorvel_kesh::msg::dds_::LowCmd_", 14},
                       {"quorvel_kesh::msg::dds_::MotorCmd_", 7},
                       {"quorvel_kesh::msg::dds_::BmsCmd_", 2}}),
      CaseOf<LowState_>("quorvel_kesh::msg::dds_::LowState_",
                        {{"quorvel_kesh::msg::dds_::LowState_", 22},
                         {"quorvel_kesh::msg::dds_::IMUState_", 5},
                         {"quorvel_kesh::msg::dds_::MotorState_", 11},
                         {"quorvel_kesh::msg::dds_::BmsState_", 9}}),
  };
}

class TopicTraitsTest : public ::testing::TestWithParam<TraitsCase> {
 protected:
  // The complete type object the participant's type library holds for type_id.
  const DDS_XTypes_CompleteStructType& CompleteStruct(const DDS_XTypes_TypeIdentifier& type_id) {
    dds_typeobj_t* object = nullptr;
    msg_test::Check(dds_get_typeobj(participant_.handle(),
                                    reinterpret_cast<const dds_typeid_t*>(&type_id), 0, &object),
                    "dds_get_typeobj");
    objects_.emplace_back(object, dds_free_typeobj);
    const DDS_XTypes_TypeObject& x = object->x;
    EXPECT_EQ(x._d, DDS_XTypes_EK_COMPLETE);
    EXPECT_EQ(x._u.complete._d, DDS_XTypes_TK_STRUCTURE);
    return x._u.complete._u.struct_type;
  }

  // Walks the structure and the records nested in it, checking each on the way, and
  // returns the member count of every structure by its name.
  void Collect(const DDS_XTypes_TypeIdentifier& type_id, std::map<std::string, size_t>& found) {
    const DDS_XTypes_CompleteStructType& type = CompleteStruct(type_id);
    const std::string name = type.header.detail.type_name;
    SCOPED_TRACE(name);
    EXPECT_EQ(type.struct_flags, DDS_XTypes_IS_FINAL);
    found[name] = type.member_seq._length;
    for (uint32_t i = 0; i < type.member_seq._length; ++i) {
      const DDS_XTypes_CommonStructMember& member = type.member_seq._buffer[i].common;
      EXPECT_EQ(member.member_id, i);
      EXPECT_EQ(member.member_flags, DDS_XTypes_TRY_CONSTRUCT1);
      const DDS_XTypes_TypeIdentifier* member_type = &member.member_type_id;
      if (member_type->_d == DDS_XTypes_TI_PLAIN_ARRAY_SMALL) {
        member_type = member_type->_u.array_sdefn.element_identifier;
      }
      if (member_type->_d == DDS_XTypes_EK_COMPLETE) {
        Collect(*member_type, found);
      }
    }
  }

  msg_test::LoopbackParticipant participant_;
  std::vector<std::unique_ptr<dds_typeobj_t, dds_return_t (*)(dds_typeobj_t*)>> objects_;
};

TEST_P(TopicTraitsTest, TraitsMatchTheGeneratedDescriptor) {
  const TraitsCase& c = GetParam();
  EXPECT_STREQ(c.name(), c.type_name);
  EXPECT_TRUE(c.keyless);
  EXPECT_TRUE(c.final);
  ASSERT_NE(c.descriptor, nullptr);
  EXPECT_STREQ(c.descriptor->m_typename, c.type_name);
  EXPECT_EQ(c.descriptor->m_nkeys, 0u);
  EXPECT_GT(c.descriptor->type_information.sz, 0u);
  EXPECT_NE(c.descriptor->type_information.data, nullptr);
  EXPECT_GT(c.descriptor->type_mapping.sz, 0u);
}

TEST_P(TopicTraitsTest, TopicAnnouncesFullyNamedFinalStructures) {
  const TraitsCase& c = GetParam();
  const dds_entity_t topic = msg_test::Check(
      dds_create_topic(participant_.handle(), c.descriptor,
                       msg_test::UniqueTopicName("msg_traits").c_str(), nullptr, nullptr),
      "dds_create_topic");
  char type_name[256] = {};
  msg_test::Check(dds_get_type_name(topic, type_name, sizeof(type_name)), "dds_get_type_name");
  EXPECT_STREQ(type_name, c.type_name);

  dds_typeinfo_t* type_info = nullptr;
  ASSERT_EQ(dds_get_typeinfo(topic, &type_info), DDS_RETCODE_OK);
  ASSERT_NE(type_info, nullptr);
  const ddsi_typeid_t* complete = ddsi_typeinfo_complete_typeid(type_info);
  ASSERT_NE(complete, nullptr);
  std::map<std::string, size_t> found;
  Collect(complete->x, found);
  EXPECT_EQ(found, c.structures);
  dds_free_typeinfo(type_info);
}

TEST_P(TopicTraitsTest, OctetMembersAreBytes) {
  const TraitsCase& c = GetParam();
  const dds_entity_t topic = msg_test::Check(
      dds_create_topic(participant_.handle(), c.descriptor,
                       msg_test::UniqueTopicName("msg_traits").c_str(), nullptr, nullptr),
      "dds_create_topic");
  dds_typeinfo_t* type_info = nullptr;
  ASSERT_EQ(dds_get_typeinfo(topic, &type_info), DDS_RETCODE_OK);
  const DDS_XTypes_CompleteStructType& type =
      CompleteStruct(ddsi_typeinfo_complete_typeid(type_info)->x);
  dds_free_typeinfo(type_info);

  // Both topic types begin with octet head[2], then octet level_flag.
  const DDS_XTypes_TypeIdentifier& head = type.member_seq._buffer[0].common.member_type_id;
  ASSERT_EQ(head._d, DDS_XTypes_TI_PLAIN_ARRAY_SMALL);
  EXPECT_EQ(head._u.array_sdefn.element_identifier->_d, DDS_XTypes_TK_BYTE);
  EXPECT_EQ(type.member_seq._buffer[1].common.member_type_id._d, DDS_XTypes_TK_BYTE);
}

INSTANTIATE_TEST_SUITE_P(TopicTypes, TopicTraitsTest, ::testing::ValuesIn(TraitsCases()),
                         [](const auto& info) {
                           const std::string name = info.param.type_name;
                           return name.substr(name.rfind(':') + 1);
                         });

}  // namespace
