#pragma once
// The Python module's parts: each binds the functions the tools call, converting
// their values to Python and back; nothing here computes a figure of its own.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <string>

#include "base/Outcome.h"

namespace wavelet::python {

namespace py = pybind11;

// Raises the Python exception of a failed load, carrying the tools' message:
// FileNotFoundError, PermissionError, IsADirectoryError, ValueError (bytes that are
// no record or recording), FileExistsError or OSError, by the failure's kind. Call with the GIL held.
[[noreturn]] void RaiseFailure(const Outcome& failure, const std::string& path);

// A copy of `count` values as a read-only numpy array of `shape`.
template <typename T>
py::array_t<T> ReadOnlyArray(const T* values, std::vector<py::ssize_t> shape) {
  py::array_t<T> array(shape);
  std::copy(values, values + array.size(), array.mutable_data());
  py::detail::array_proxy(array.ptr())->flags &= ~py::detail::npy_api::NPY_ARRAY_WRITEABLE_;
  return array;
}

void BindRecords(py::module_& module);
void BindRecordings(py::module_& module);
void BindBatch(py::module_& module);

}  // namespace wavelet::python
