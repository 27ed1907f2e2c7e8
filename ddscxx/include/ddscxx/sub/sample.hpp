// Samples taken from a reader: the data, its sample info, and LoanedSamples, which
// returns the library's loan when it goes.
#pragma once

#include <dds/dds.h>

#include <memory>
#include <utility>
#include <vector>

namespace dds::sub {

class SampleInfo {
 public:
  SampleInfo() = default;
  explicit SampleInfo(const dds_sample_info_t& native) : native_(native) {}

  // Whether the sample carries data (false for a state change only).
  bool valid() const { return native_.valid_data; }
  const dds_sample_info_t& native() const { return native_; }

 private:
  dds_sample_info_t native_{};
};

template <typename T>
class Sample {
 public:
  Sample(const T* data, const SampleInfo& info) : data_(data), info_(info) {}

  // The loaned data; meaningful only when info().valid(). Valid while its
  // LoanedSamples lives.
  const T& data() const { return *data_; }
  const SampleInfo& info() const { return info_; }

 private:
  const T* data_;
  SampleInfo info_;
};

// The samples of one take, in the library's loaned memory; move-only. The loan goes
// back to the library (dds_return_loan) when this object goes.
template <typename T>
class LoanedSamples {
 public:
  using const_iterator = typename std::vector<Sample<T>>::const_iterator;

  LoanedSamples() = default;
  LoanedSamples(LoanedSamples&& other) noexcept = default;
  LoanedSamples& operator=(LoanedSamples&& other) noexcept {
    if (this != &other) {
      return_loans();
      reader_ = std::move(other.reader_);
      loans_ = std::move(other.loans_);
      samples_ = std::move(other.samples_);
      other.loans_.clear();
      other.samples_.clear();
    }
    return *this;
  }
  LoanedSamples(const LoanedSamples&) = delete;
  LoanedSamples& operator=(const LoanedSamples&) = delete;
  ~LoanedSamples() { return_loans(); }

  const_iterator begin() const { return samples_.begin(); }
  const_iterator end() const { return samples_.end(); }
  size_t length() const { return samples_.size(); }
  const Sample<T>& operator[](size_t index) const { return samples_[index]; }

 private:
  template <typename>
  friend class DataReader;

  // `reader` keeps the reader alive until the loans are back.
  LoanedSamples(dds_entity_t handle, std::shared_ptr<const void> reader)
      : handle_(handle), reader_(std::move(reader)) {}

  // Adopts one loan of `count` samples.
  void add_loan(std::vector<void*> buffer, const dds_sample_info_t* infos, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
      samples_.emplace_back(static_cast<const T*>(buffer[i]), SampleInfo(infos[i]));
    }
    loans_.emplace_back(std::move(buffer), count);
  }

  void return_loans() {
    for (auto& loan : loans_) {
      dds_return_loan(handle_, loan.first.data(), loan.second);
    }
    loans_.clear();
    samples_.clear();
    reader_.reset();
  }

  dds_entity_t handle_ = 0;
  std::shared_ptr<const void> reader_;
  std::vector<std::pair<std::vector<void*>, int32_t>> loans_;
  std::vector<Sample<T>> samples_;
};

}  // namespace dds::sub
