// Realize: turns one set of QoS parameters from the parameter file into the policies of an
// entity QoS. Only policies that the file set and that the entity kind carries are applied;
// a set policy takes the parameter defaults for the members the file left out.
#pragma once

#include "quorvel/common/dds/dds_qos.hpp"
#include "quorvel/common/dds/dds_qos_parameter.hpp"

namespace quorvel::common {

// Each overload changes only `qos`; exceptions of the DDS layer while a policy value is
// built propagate.
void Realize(const DdsQosParameter& parameter, DdsParticipantQos& qos);
void Realize(const DdsQosParameter& parameter, DdsTopicQos& qos);
void Realize(const DdsQosParameter& parameter, DdsPublisherQos& qos);
void Realize(const DdsQosParameter& parameter, DdsSubscriberQos& qos);
void Realize(const DdsQosParameter& parameter, DdsWriterQos& qos);
void Realize(const DdsQosParameter& parameter, DdsReaderQos& qos);

}  // namespace quorvel::common
