// The C++ DDS layer (namespace dds) over the DDS C library: participant, publisher,
// subscriber, typed topic, writer and reader with loaned samples and a listener bridge,
// the QoS policies and entity QoS types, Duration, null, status masks and the
// dds::core exceptions. Used by the DDS entity layer and the QoS model.
#pragma once

#include "ddscxx/core/duration.hpp"
#include "ddscxx/core/entity.hpp"
#include "ddscxx/core/exception.hpp"
#include "ddscxx/core/null.hpp"
#include "ddscxx/core/policy.hpp"
#include "ddscxx/core/qos.hpp"
#include "ddscxx/core/status.hpp"
#include "ddscxx/domain/domain_participant.hpp"
#include "ddscxx/pub/data_writer.hpp"
#include "ddscxx/pub/publisher.hpp"
#include "ddscxx/sub/data_reader.hpp"
#include "ddscxx/sub/sample.hpp"
#include "ddscxx/sub/subscriber.hpp"
#include "ddscxx/topic/topic.hpp"
#include "ddscxx/topic/topic_traits.hpp"
