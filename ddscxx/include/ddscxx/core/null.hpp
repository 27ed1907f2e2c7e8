// dds::core::null: assigned to an entity handle, it drops that handle's reference.
#pragma once

namespace dds::core {

struct null_type {};
inline constexpr null_type null{};

}  // namespace dds::core
