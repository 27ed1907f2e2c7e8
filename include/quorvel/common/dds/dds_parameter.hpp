// The DDS parameter file ("dds_parameter.json") as a model: the participant's domain id and
// configuration, a default QoS set per entity kind, and the declared topics, publishers with
// their writers and subscribers with their readers. The factory model initialises from it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "quorvel/common/any.hpp"
#include "quorvel/common/dds/dds_qos_parameter.hpp"

namespace quorvel::common {

class DdsQosParameterHolder {
 public:
  virtual ~DdsQosParameterHolder() = default;
  void SetQos(const DdsQosParameter& qos) { qos_ = qos; }
  const DdsQosParameter& GetQos() const { return qos_; }

 private:
  DdsQosParameter qos_;
};

class DdsTopicParameterHolder {
 public:
  virtual ~DdsTopicParameterHolder() = default;
  void SetTopicName(const std::string& name) { topic_name_ = name; }
  const std::string& GetTopicName() const { return topic_name_; }

 private:
  std::string topic_name_;
};

class DdsParticipantParameter : public DdsQosParameterHolder {
 public:
  DdsParticipantParameter() = default;
  DdsParticipantParameter(uint32_t domainId, const std::string& config)
      : domain_id_(static_cast<int>(domainId)), config_(config) {}

  void SetDomainId(int domainId) { domain_id_ = domainId; }
  int GetDomainId() const { return domain_id_; }
  // Inline XML (starting with "<"), a configuration file path, or empty for the DDS default.
  void SetConfig(const std::string& config) { config_ = config; }
  const std::string& GetConfig() const { return config_; }

 private:
  int domain_id_ = 0;
  std::string config_;
};

class DdsTopicParameter : public DdsQosParameterHolder {
 public:
  DdsTopicParameter() = default;
  explicit DdsTopicParameter(const std::string& name) : name_(name) {}
  void SetName(const std::string& name) { name_ = name; }
  const std::string& GetName() const { return name_; }

 private:
  std::string name_;
};

class DdsWriterParameter : public DdsTopicParameterHolder, public DdsQosParameterHolder {
 public:
  DdsWriterParameter() = default;
  explicit DdsWriterParameter(const std::string& topicName) { SetTopicName(topicName); }
};

class DdsReaderParameter : public DdsTopicParameterHolder, public DdsQosParameterHolder {
 public:
  DdsReaderParameter() = default;
  explicit DdsReaderParameter(const std::string& topicName) { SetTopicName(topicName); }
};

class DdsWriterParameterHolder {
 public:
  virtual ~DdsWriterParameterHolder() = default;
  void SetWriter(const DdsWriterParameter& writer) { writer_ = writer; }
  const DdsWriterParameter& GetWriter() const { return writer_; }

 private:
  DdsWriterParameter writer_;
};

class DdsReaderParameterHolder {
 public:
  virtual ~DdsReaderParameterHolder() = default;
  void SetReader(const DdsReaderParameter& reader) { reader_ = reader; }
  const DdsReaderParameter& GetReader() const { return reader_; }

 private:
  DdsReaderParameter reader_;
};

class DdsPublisherParameter : public DdsQosParameterHolder {
 public:
  void AppendWriter(const DdsWriterParameter& writer) { writers_.push_back(writer); }
  void SetWriter(const std::vector<DdsWriterParameter>& writers) { writers_ = writers; }
  const std::vector<DdsWriterParameter>& GetWriter() const { return writers_; }

 private:
  std::vector<DdsWriterParameter> writers_;
};

class DdsSubscriberParameter : public DdsQosParameterHolder {
 public:
  void AppendReader(const DdsReaderParameter& reader) { readers_.push_back(reader); }
  void SetReader(const std::vector<DdsReaderParameter>& readers) { readers_ = readers; }
  const std::vector<DdsReaderParameter>& GetReader() const { return readers_; }

 private:
  std::vector<DdsReaderParameter> readers_;
};

class DdsParameter {
 public:
  DdsParameter() = default;
  explicit DdsParameter(const JsonMap& map) { Init(map); }

  // Reads the parsed parameter file. Unknown keys are ignored at every level; topic, writer
  // and reader entries without their name are skipped. Throws BadCastException on the first
  // value of the wrong JSON type, keeping what was read before it.
  void Init(const JsonMap& map);

  DdsParticipantParameter& GetParticipant() { return participant_; }

  // Stores a copy under its name, replacing a topic of the same name.
  void AppendTopic(const DdsTopicParameter& topic) { topics_[topic.GetName()] = topic; }
  const std::map<std::string, DdsTopicParameter>& GetTopic() const { return topics_; }

  void AppendPublisher(const DdsPublisherParameter& publisher) { publishers_.push_back(publisher); }
  void SetPublisher(const std::vector<DdsPublisherParameter>& publishers) {
    publishers_ = publishers;
  }
  const std::vector<DdsPublisherParameter>& GetPublisher() const { return publishers_; }

  void AppendSubscriber(const DdsSubscriberParameter& subscriber) {
    subscribers_.push_back(subscriber);
  }
  void SetSubscriber(const std::vector<DdsSubscriberParameter>& subscribers) {
    subscribers_ = subscribers;
  }
  const std::vector<DdsSubscriberParameter>& GetSubscriber() const { return subscribers_; }

  const DdsQosParameter& GetParticipantQos() const { return participant_qos_; }
  const DdsQosParameter& GetTopicQos() const { return topic_qos_; }
  const DdsQosParameter& GetPublisherQos() const { return publisher_qos_; }
  const DdsQosParameter& GetSubscriberQos() const { return subscriber_qos_; }
  const DdsQosParameter& GetWriterQos() const { return writer_qos_; }
  const DdsQosParameter& GetReaderQos() const { return reader_qos_; }

 private:
  void InitParticipant(const JsonMap& map);
  void InitTopics(const JsonArray& array);
  void InitPublishers(const JsonArray& array);
  void InitSubscribers(const JsonArray& array);
  void InitDefaultQos(const JsonMap& map);

  DdsQosParameter participant_qos_;
  DdsQosParameter topic_qos_;
  DdsQosParameter publisher_qos_;
  DdsQosParameter subscriber_qos_;
  DdsQosParameter writer_qos_;
  DdsQosParameter reader_qos_;
  DdsParticipantParameter participant_;
  std::map<std::string, DdsTopicParameter> topics_;
  std::vector<DdsPublisherParameter> publishers_;
  std::vector<DdsSubscriberParameter> subscribers_;
};

}  // namespace quorvel::common
