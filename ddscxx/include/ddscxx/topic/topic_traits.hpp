// Type support seen from the C++ DDS layer: one specialisation per topic type
// ties the C++ class to the topic descriptor that the IDL compiler generated.
// The message library specialises it; Topic<T>, DataWriter<T> and DataReader<T> use it.
#pragma once

#include <dds/dds.h>

namespace dds::topic {

// Specialisations provide:
//   static constexpr const char* TypeName();              full IDL name, "module::...::Type"
//   static constexpr bool IsKeyless();
//   static constexpr bool IsFinal();
//   static const dds_topic_descriptor_t* Descriptor();    the generated descriptor
// and must describe a class whose memory layout equals the generated C structure,
// so that a sample can be handed to the C library as it is.
template <typename T>
struct TopicTraits;

}  // namespace dds::topic
