// Entities are reference-counted handles: copies share one C entity, which is deleted
// (dds_delete) when the last handle goes. A child holds a reference to its parents, so
// handles may be dropped in any order and a C entity outlives none of its children.
#pragma once

#include <dds/dds.h>

#include <memory>
#include <utility>
#include <vector>

#include "ddscxx/core/exception.hpp"
#include "ddscxx/core/null.hpp"

namespace dds::core {
namespace detail {

// Owns one C entity and keeps alive whatever it depends on (parents, its domain).
class EntityNode {
 public:
  EntityNode(dds_entity_t handle, std::vector<std::shared_ptr<const void>> dependencies)
      : handle_(handle), dependencies_(std::move(dependencies)) {}
  EntityNode(const EntityNode&) = delete;
  EntityNode& operator=(const EntityNode&) = delete;
  virtual ~EntityNode() { delete_entity(); }

  dds_entity_t handle() const { return handle_; }

 protected:
  // Deletes the C entity once; waits for its listener calls in progress to return.
  void delete_entity();

 private:
  dds_entity_t handle_;
  std::vector<std::shared_ptr<const void>> dependencies_;
};

// Wraps the new C entity `handle` in a node; deletes the entity if that fails.
template <typename Node = EntityNode>
std::shared_ptr<Node> adopt(dds_entity_t handle, std::vector<std::shared_ptr<const void>> dependencies) {
  try {
    return std::make_shared<Node>(handle, std::move(dependencies));
  } catch (...) {
    dds_delete(handle);
    throw;
  }
}

}  // namespace detail

class Entity {
 public:
  bool is_nil() const { return node_ == nullptr; }
  bool operator==(const null_type&) const { return is_nil(); }
  bool operator!=(const null_type&) const { return !is_nil(); }
  bool operator==(const Entity& other) const { return node_ == other.node_; }
  bool operator!=(const Entity& other) const { return node_ != other.node_; }

  // The C entity handle, for calls the layer does not wrap. Throws NullReferenceError
  // on a nil handle. Valid while this handle (or a copy) lives.
  dds_entity_t native_handle() const { return node().handle(); }

  // Keeps this entity alive; children hold it. Throws NullReferenceError on a nil handle.
  std::shared_ptr<const void> reference() const {
    node();
    return node_;
  }

 protected:
  Entity() = default;
  explicit Entity(std::shared_ptr<detail::EntityNode> node) : node_(std::move(node)) {}

  const detail::EntityNode& node() const {
    if (!node_) {
      detail::throw_null_reference();
    }
    return *node_;
  }
  void reset() { node_.reset(); }

  std::shared_ptr<detail::EntityNode> node_;
};

}  // namespace dds::core
