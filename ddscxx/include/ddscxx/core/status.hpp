// Status masks (which statuses a listener is called for) and the publication-matched
// status of a writer. Mask bits are the C library's DDS_*_STATUS bits.
#pragma once

#include <dds/dds.h>

#include <cstdint>

namespace dds::core::status {

class StatusMask {
 public:
  StatusMask() = default;
  explicit StatusMask(uint32_t bits) : bits_(bits) {}

  static StatusMask none() { return StatusMask(); }
  static StatusMask all() { return StatusMask(0xffffffffu); }
  static StatusMask inconsistent_topic() { return StatusMask(DDS_INCONSISTENT_TOPIC_STATUS); }
  static StatusMask offered_deadline_missed() { return StatusMask(DDS_OFFERED_DEADLINE_MISSED_STATUS); }
  static StatusMask requested_deadline_missed() { return StatusMask(DDS_REQUESTED_DEADLINE_MISSED_STATUS); }
  static StatusMask offered_incompatible_qos() { return StatusMask(DDS_OFFERED_INCOMPATIBLE_QOS_STATUS); }
  static StatusMask requested_incompatible_qos() { return StatusMask(DDS_REQUESTED_INCOMPATIBLE_QOS_STATUS); }
  static StatusMask sample_lost() { return StatusMask(DDS_SAMPLE_LOST_STATUS); }
  static StatusMask sample_rejected() { return StatusMask(DDS_SAMPLE_REJECTED_STATUS); }
  static StatusMask data_on_readers() { return StatusMask(DDS_DATA_ON_READERS_STATUS); }
  static StatusMask data_available() { return StatusMask(DDS_DATA_AVAILABLE_STATUS); }
  static StatusMask liveliness_lost() { return StatusMask(DDS_LIVELINESS_LOST_STATUS); }
  static StatusMask liveliness_changed() { return StatusMask(DDS_LIVELINESS_CHANGED_STATUS); }
  static StatusMask publication_matched() { return StatusMask(DDS_PUBLICATION_MATCHED_STATUS); }
  static StatusMask subscription_matched() { return StatusMask(DDS_SUBSCRIPTION_MATCHED_STATUS); }

  StatusMask& operator<<(const StatusMask& other) {
    bits_ |= other.bits_;
    return *this;
  }
  StatusMask operator|(const StatusMask& other) const { return StatusMask(bits_ | other.bits_); }
  bool operator==(const StatusMask& other) const { return bits_ == other.bits_; }
  bool operator!=(const StatusMask& other) const { return bits_ != other.bits_; }

  // Whether every bit of `other` is set here.
  bool contains(const StatusMask& other) const { return (bits_ & other.bits_) == other.bits_; }
  unsigned long to_ulong() const { return bits_; }

 private:
  uint32_t bits_ = 0;
};

class PublicationMatchedStatus {
 public:
  PublicationMatchedStatus() = default;
  explicit PublicationMatchedStatus(const dds_publication_matched_status_t& native) : native_(native) {}

  int32_t total_count() const { return static_cast<int32_t>(native_.total_count); }
  int32_t total_count_change() const { return native_.total_count_change; }
  int32_t current_count() const { return static_cast<int32_t>(native_.current_count); }
  int32_t current_count_change() const { return native_.current_count_change; }

 private:
  dds_publication_matched_status_t native_{};
};

}  // namespace dds::core::status
