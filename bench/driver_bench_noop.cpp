// driver_bench_noop: a Python module built exactly like quorvel_api whose one method does
// nothing; driver_bench's baseline for the cost of a call into quorvel_api.
#include <pybind11/pybind11.h>

namespace {
struct Noop {};
}  // namespace

PYBIND11_MODULE(driver_bench_noop, m) {
  m.doc() = "The baseline of driver_bench: a method that does nothing.";
  pybind11::class_<Noop>(m, "Noop", "Holds the no-op method.")
      .def(pybind11::init<>(), "A new Noop.")
      .def("call", [](Noop&) {}, "Does nothing.");
}
