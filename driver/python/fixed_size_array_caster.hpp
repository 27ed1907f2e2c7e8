// The pybind11 type caster of std::array<T, N> used by quorvel_api: Python sees a list of
// exactly N items, announced in signatures as "Annotated[list[float], FixedSize(12)]".
// Reading gives a new list; loading needs a sequence (not a string) of exactly N items
// that each convert to T, else the call fails with TypeError.
#pragma once

#include <pybind11/pybind11.h>

#include <array>
#include <cstddef>

namespace pybind11::detail {

template <typename T, size_t N>
struct type_caster<std::array<T, N>> {
 private:
  using Array = std::array<T, N>;  // the macro below takes no commas in its type

 public:
  PYBIND11_TYPE_CASTER(Array,
                       const_name("Annotated[list[") + make_caster<T>::name +
                           const_name("], FixedSize(") + const_name<N>() + const_name(")]"));

  bool load(handle source, bool convert) {
    if (!isinstance<sequence>(source) || isinstance<bytes>(source) || isinstance<str>(source)) {
      return false;
    }
    const auto items = reinterpret_borrow<sequence>(source);
    if (items.size() != N) {
      return false;
    }
    for (size_t i = 0; i < N; ++i) {
      make_caster<T> item;
      if (!item.load(items[i], convert)) {
        return false;
      }
      value[i] = cast_op<T&&>(std::move(item));
    }
    return true;
  }

  template <typename Source>
  static handle cast(Source&& source, return_value_policy policy, handle parent) {
    list result(N);
    for (size_t i = 0; i < N; ++i) {
      object item = reinterpret_steal<object>(make_caster<T>::cast(source[i], policy, parent));
      if (!item) {
        return handle();
      }
      PyList_SET_ITEM(result.ptr(), static_cast<ssize_t>(i), item.release().ptr());
    }
    return result.release();
  }
};

}  // namespace pybind11::detail
