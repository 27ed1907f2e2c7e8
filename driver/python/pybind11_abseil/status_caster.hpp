// The pybind11 type caster of absl::Status, for modules that return statuses to Python:
// an OK status becomes None, any other raises pybind11_abseil.status.StatusNotOk carrying
// its code and message. Modules that include it import pybind11_abseil.status at load time.
#pragma once

#include <absl/status/status.h>
#include <pybind11/pybind11.h>

namespace pybind11::detail {

template <>
struct type_caster<absl::Status> {
 public:
  PYBIND11_TYPE_CASTER(absl::Status, const_name("None"));

  // Statuses only travel from C++ to Python.
  bool load(handle, bool) { return false; }

  static handle cast(const absl::Status& status, return_value_policy, handle) {
    if (status.ok()) {
      return none().release();
    }
    const module_ status_module = module_::import("pybind11_abseil.status");
    const object py_status = status_module.attr("Status")(static_cast<int>(status.code()),
                                                          std::string(status.message()));
    const object error = status_module.attr("StatusNotOk")(py_status);
    PyErr_SetObject(type::handle_of(error).ptr(), error.ptr());
    throw error_already_set();
  }
};

}  // namespace pybind11::detail
