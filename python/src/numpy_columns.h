#pragma once
// A column of the library handed to numpy: the array owns the vector, and
// nothing is copied.
#include <pybind11/numpy.h>

#include <utility>
#include <vector>

namespace verdalis::python {

template <class V>
pybind11::array_t<V> adopted(std::vector<V>&& column) {
  auto* owned = new std::vector<V>(std::move(column));
  pybind11::capsule owner(owned, [](void* p) { delete static_cast<std::vector<V>*>(p); });
  return pybind11::array_t<V>(static_cast<pybind11::ssize_t>(owned->size()), owned->data(), owner);
}

}  // namespace verdalis::python
