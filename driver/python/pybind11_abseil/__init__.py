"""Abseil status support for pybind11 modules: see pybind11_abseil.status."""
