#include "ddscxx/core/entity.hpp"

namespace dds::core::detail {

void EntityNode::delete_entity() {
  if (handle_ != 0) {
    // A parent deleted through the C API may have taken this entity with it; the
    // ALREADY_DELETED result then is expected and harmless.
    dds_delete(handle_);
    handle_ = 0;
  }
}

}  // namespace dds::core::detail
