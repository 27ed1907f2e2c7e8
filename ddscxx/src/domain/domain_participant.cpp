#include "ddscxx/domain/domain_participant.hpp"

#include <condition_variable>
#include <map>
#include <mutex>

namespace dds::domain {
namespace {

// The C library allows one dds_create_domain per id and deleting a domain deletes
// every participant in it, so each id has one shared domain handle. An expired entry
// means its domain is being deleted; the entry goes once it is.
std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}

std::condition_variable& RegistryChanged() {
  static std::condition_variable changed;
  return changed;
}

std::map<dds_domainid_t, std::weak_ptr<const void>>& Registry() {
  static std::map<dds_domainid_t, std::weak_ptr<const void>> registry;
  return registry;
}

class Domain {
 public:
  Domain(dds_domainid_t id, dds_entity_t handle) : id_(id), handle_(handle) {}
  Domain(const Domain&) = delete;
  Domain& operator=(const Domain&) = delete;
  ~Domain() {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    dds_delete(handle_);
    Registry().erase(id_);
    RegistryChanged().notify_all();
  }

 private:
  dds_domainid_t id_;
  dds_entity_t handle_;
};

// The domain `id` of this process, created from `config` when it does not exist yet.
// Null when there is none to hold: an empty configuration leaves the domain to the
// library, as does a domain the library made for a participant without configuration.
std::shared_ptr<const void> AcquireDomain(dds_domainid_t id, const std::string& config) {
  std::unique_lock<std::mutex> lock(RegistryMutex());
  for (auto found = Registry().find(id); found != Registry().end(); found = Registry().find(id)) {
    if (auto domain = found->second.lock()) {
      return domain;
    }
    RegistryChanged().wait(lock);
  }
  if (config.empty()) {
    return nullptr;
  }
  dds_entity_t handle = dds_create_domain(id, config.c_str());
  if (handle == DDS_RETCODE_PRECONDITION_NOT_MET) {
    return nullptr;
  }
  core::detail::check(handle);
  auto domain = std::make_shared<const Domain>(id, handle);
  Registry()[id] = domain;
  return domain;
}

}  // namespace

DomainParticipant::DomainParticipant(uint32_t id, const qos::DomainParticipantQos& qos,
                                     DomainParticipantListener* listener, const core::status::StatusMask&,
                                     const std::string& config) {
  if (listener != nullptr) {
    throw core::UnsupportedError("domain participant listeners are not supported");
  }
  std::vector<std::shared_ptr<const void>> dependencies;
  if (auto domain = AcquireDomain(id, config)) {
    dependencies.push_back(std::move(domain));
  }
  auto native_qos = core::detail::to_native(qos);
  node_ = core::detail::adopt(core::detail::check(dds_create_participant(id, native_qos.get(), nullptr)),
                              std::move(dependencies));
}

}  // namespace dds::domain
