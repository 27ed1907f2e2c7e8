// QoS policy parameters read from the DDS parameter file: one class per DDS policy, holding
// plain values (durations in ns, kinds as ordinals, flags, bytes) and whether the file set
// any of them. DdsQosParameter groups them; Realize turns the set ones into QoS policies.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quorvel/common/any.hpp"

namespace quorvel::common {

// Base of the 22 policy parameters. Default() is true until Init has read any member of the
// policy. Init reads the members present in `map`, keeps the others, and throws
// BadCastException when a member has the wrong JSON type (members read before stay read).
class DdsQosPolicyParameter {
 public:
  DdsQosPolicyParameter() = default;
  virtual ~DdsQosPolicyParameter() = default;

  virtual void Init(const JsonMap& map) = 0;

  void Update() { default_ = false; }
  bool Default() const { return default_; }

 protected:
  // Each reader returns quietly when `key` is absent and calls Update() when it is present.
  // Durations: a number of nanoseconds.
  void ReadDuration(const JsonMap& map, const char* key, int64_t& field);
  // Counts and other integers.
  void ReadInt(const JsonMap& map, const char* key, int& field);
  // Flags: any non-zero number is true; JSON true and false are refused.
  void ReadFlag(const JsonMap& map, const char* key, bool& field);
  // Kinds: one of `names`, whose index is the kind's ordinal; an unknown name keeps `field`.
  void ReadKind(const JsonMap& map, const char* key, const std::vector<std::string>& names,
                int& field);
  void ReadString(const JsonMap& map, const char* key, std::string& field);
  // Bytes: an array of numbers, each taken modulo 256; an empty array is as if absent.
  void ReadBytes(const JsonMap& map, const char* key, std::vector<uint8_t>& field);

 private:
  bool default_ = true;
};

class DdsQosDeadlinePolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  int64_t GetPeriod() const { return period_; }

 private:
  int64_t period_ = -1;
};

class DdsQosDestinationOrderPolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  int GetKind() const { return kind_; }

 private:
  int kind_ = 0;
};

class DdsQosDurabilityPolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  int GetKind() const { return kind_; }

 private:
  int kind_ = 0;
};

class DdsQosDurabilityServicePolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  int64_t GetCleanupDelay() const { return cleanup_delay_; }
  int GetHistoryKind() const { return history_kind_; }
  int GetHistoryDepth() const { return history_depth_; }
  int GetMaxSamples() const { return max_samples_; }
  int GetMaxInstances() const { return max_instances_; }
  int GetMaxSamplesPerInstance() const { return max_samples_per_instance_; }

 private:
  int64_t cleanup_delay_ = 0;
  int history_kind_ = 0;
  int history_depth_ = 1;
  int max_samples_ = -1;
  int max_instances_ = -1;
  int max_samples_per_instance_ = -1;
};

class DdsQosEntityFactoryPolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  bool GetAutoEnable() const { return auto_enable_; }

 private:
  bool auto_enable_ = true;
};

class DdsQosGroupDataPolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  const std::vector<uint8_t>& GetValue() const { return value_; }

 private:
  std::vector<uint8_t> value_;
};

class DdsQosHistoryPolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  int GetKind() const { return kind_; }
  int GetDepth() const { return depth_; }

 private:
  int kind_ = 0;
  int depth_ = 1;
};

class DdsQosLatencyBudgetPolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  int64_t GetDuration() const { return duration_; }

 private:
  int64_t duration_ = 0;
};

class DdsQosLifespanPolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  int64_t GetDuration() const { return duration_; }

 private:
  int64_t duration_ = -1;
};

class DdsQosLivelinessPolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  int GetKind() const { return kind_; }
  int64_t GetLeaseDuration() const { return lease_duration_; }

 private:
  int kind_ = 0;
  int64_t lease_duration_ = -1;
};

class DdsQosOwnershipPolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  int GetKind() const { return kind_; }

 private:
  int kind_ = 0;
};

class DdsQosOwnershipStrengthPolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  int GetValue() const { return value_; }

 private:
  int value_ = 0;
};

class DdsQosPartitionPolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  const std::string& GetName() const { return name_; }

 private:
  std::string name_;
};

class DdsQosPresentationPolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  int GetAccessScopeKind() const { return access_scope_kind_; }
  bool GetCoherentAccess() const { return coherent_access_; }
  bool GetOrderedAccess() const { return ordered_access_; }

 private:
  int access_scope_kind_ = 0;
  bool coherent_access_ = false;
  bool ordered_access_ = false;
};

class DdsQosReaderDataLifecyclePolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  int64_t GetAutopurgeNowriterSamplesDelay() const { return autopurge_nowriter_samples_delay_; }
  int64_t GetAutopurgeDisposedSamplesDelay() const { return autopurge_disposed_samples_delay_; }

 private:
  int64_t autopurge_nowriter_samples_delay_ = -1;
  int64_t autopurge_disposed_samples_delay_ = -1;
};

class DdsQosReliabilityPolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  int GetKind() const { return kind_; }
  int64_t GetMaxBlockingTime() const { return max_blocking_time_; }

 private:
  int kind_ = 0;
  int64_t max_blocking_time_ = -1;
};

class DdsQosResourceLimitsPolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  int GetMaxSamples() const { return max_samples_; }
  int GetMaxInstances() const { return max_instances_; }
  int GetMaxSamplesPerInstance() const { return max_samples_per_instance_; }

 private:
  int max_samples_ = -1;
  int max_instances_ = -1;
  int max_samples_per_instance_ = -1;
};

class DdsQosTimeBasedFilterPolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  int64_t GetMinSep() const { return min_sep_; }

 private:
  int64_t min_sep_ = 0;
};

class DdsQosTopicDataPolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  const std::vector<uint8_t>& GetValue() const { return value_; }

 private:
  std::vector<uint8_t> value_;
};

class DdsQosTransportPriorityPolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  int GetValue() const { return value_; }

 private:
  int value_ = 0;
};

class DdsQosWriterDataLifecyclePolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  bool GetAutodisposeUnregisteredInstances() const { return autodispose_unregistered_instances_; }

 private:
  bool autodispose_unregistered_instances_ = true;
};

class DdsQosUserDataPolicyParameter : public DdsQosPolicyParameter {
 public:
  void Init(const JsonMap& map) override;
  const std::vector<uint8_t>& GetValue() const { return value_; }

 private:
  std::vector<uint8_t> value_;
};

}  // namespace quorvel::common
