#include "quorvel/common/dds/dds_parameter.hpp"

namespace quorvel::common {
namespace {

const Any* Find(const JsonMap& map, const char* key) {
  const auto it = map.find(key);
  return it == map.end() ? nullptr : &it->second;
}

// A "Qos" member read into a fresh set; an absent member gives a default set.
DdsQosParameter ReadQos(const JsonMap& map) {
  DdsQosParameter qos;
  if (const Any* value = Find(map, "Qos")) {
    qos.Init(AnyCast<JsonMap>(*value));
  }
  return qos;
}

// Writer and reader entries share their shape: a required "TopicName" and a "Qos".
template <typename Entity>
std::vector<Entity> ReadEndpoints(const JsonMap& map, const char* key) {
  std::vector<Entity> endpoints;
  const Any* value = Find(map, key);
  if (value == nullptr) {
    return endpoints;
  }
  for (const Any& element : AnyCast<JsonArray>(*value)) {
    const JsonMap& entry = AnyCast<JsonMap>(element);
    const Any* topic_name = Find(entry, "TopicName");
    if (topic_name == nullptr) {
      continue;
    }
    Entity endpoint(AnyCast<std::string>(*topic_name));
    endpoint.SetQos(ReadQos(entry));
    endpoints.push_back(endpoint);
  }
  return endpoints;
}

}  // namespace

void DdsParameter::Init(const JsonMap& map) {
  InitParticipant(map);
  if (const Any* participant = Find(map, "Participant")) {
    const JsonMap& participant_map = AnyCast<JsonMap>(*participant);
    InitParticipant(participant_map);
    participant_.SetQos(ReadQos(participant_map));
  }
  if (const Any* topics = Find(map, "Topic")) {
    InitTopics(AnyCast<JsonArray>(*topics));
  }
  if (const Any* publishers = Find(map, "Publisher")) {
    InitPublishers(AnyCast<JsonArray>(*publishers));
  }
  if (const Any* subscribers = Find(map, "Subscriber")) {
    InitSubscribers(AnyCast<JsonArray>(*subscribers));
  }
  if (const Any* qos = Find(map, "Qos")) {
    InitDefaultQos(AnyCast<JsonMap>(*qos));
  }
}

void DdsParameter::InitParticipant(const JsonMap& map) {
  if (const Any* domain_id = Find(map, "DomainId")) {
    participant_.SetDomainId(static_cast<int>(AnyNumberCast<unsigned int>(*domain_id)));
  }
  if (const Any* config = Find(map, "Config")) {
    participant_.SetConfig(AnyCast<std::string>(*config));
  }
}

void DdsParameter::InitTopics(const JsonArray& array) {
  for (const Any& element : array) {
    const JsonMap& entry = AnyCast<JsonMap>(element);
    const Any* name = Find(entry, "Name");
    if (name == nullptr) {
      continue;
    }
    DdsTopicParameter topic(AnyCast<std::string>(*name));
    topic.SetQos(ReadQos(entry));
    AppendTopic(topic);
  }
}

void DdsParameter::InitPublishers(const JsonArray& array) {
  for (const Any& element : array) {
    const JsonMap& entry = AnyCast<JsonMap>(element);
    DdsPublisherParameter publisher;
    publisher.SetWriter(ReadEndpoints<DdsWriterParameter>(entry, "Writer"));
    publisher.SetQos(ReadQos(entry));
    AppendPublisher(publisher);
  }
}

void DdsParameter::InitSubscribers(const JsonArray& array) {
  for (const Any& element : array) {
    const JsonMap& entry = AnyCast<JsonMap>(element);
    DdsSubscriberParameter subscriber;
    subscriber.SetReader(ReadEndpoints<DdsReaderParameter>(entry, "Reader"));
    subscriber.SetQos(ReadQos(entry));
    AppendSubscriber(subscriber);
  }
}

void DdsParameter::InitDefaultQos(const JsonMap& map) {
  const std::pair<const char*, DdsQosParameter*> sets[] = {
      {"Participant", &participant_qos_}, {"Topic", &topic_qos_},
      {"Publisher", &publisher_qos_},     {"Subscriber", &subscriber_qos_},
      {"Writer", &writer_qos_},           {"Reader", &reader_qos_},
  };
  for (const auto& [key, set] : sets) {
    if (const Any* value = Find(map, key)) {
      set->Init(AnyCast<JsonMap>(*value));
    }
  }
}

}  // namespace quorvel::common
