#include "ddscxx/domain/domain_participant.hpp"

#include <condition_variable>
#include <map>
#include <mutex>

namespace dds::domain {
namespace {

// The C library allows one dds_create_domain per id and deleting a domain deletes
// every participant in it, so each id has one shared domain handle. An expired entry
// means its domain is being deleted; the entry goes once it is. The registry is never
// destroyed: participants held by other static objects may go after it at exit.
struct Registry {
  std::mutex mutex;
  std::condition_variable changed;
  std::map<dds_domainid_t, std::weak_ptr<const void>> domains;
};

Registry& TheRegistry() {
  static Registry* registry = new Registry;
  return *registry;
}

class Domain {
 public:
  Domain(dds_domainid_t id, dds_entity_t handle) : id_(id), handle_(handle) {}
  Domain(const Domain&) = delete;
  Domain& operator=(const Domain&) = delete;
  ~Domain() {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    dds_delete(handle_);
    registry.domains.erase(id_);
    registry.changed.notify_all();
  }

 private:
  dds_domainid_t id_;
  dds_entity_t handle_;
};

// The domain `id` of this process, created from `config` when it does not exist yet.
// Null when there is none to hold: an empty configuration leaves the domain to the
// library, as does a domain the library made for a participant without configuration.
std::shared_ptr<const void> AcquireDomain(dds_domainid_t id, const std::string& config) {
  Registry& registry = TheRegistry();
  std::unique_lock<std::mutex> lock(registry.mutex);
  for (auto found = registry.domains.find(id); found != registry.domains.end(); found = registry.domains.find(id)) {
    if (auto domain = found->second.lock()) {
      return domain;
    }
    registry.changed.wait(lock);
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
  registry.domains[id] = domain;
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
