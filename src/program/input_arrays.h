#pragma once
// A landscape given as arrays instead of the two files: a row per node-file
// line and a row per connection-file line, read by the same rules. The
// arrays belong to the caller, who keeps them alive while the run loads.
#include <cstddef>
#include <string>

namespace verdalis {

template <class V>
struct inputColumn {
  const V* data = nullptr;
  std::size_t size = 0;
  bool empty() const { return size == 0; }
  V operator[](std::size_t k) const { return data[k]; }
};

struct inputArrays {
  inputColumn<int> id;
  inputColumn<float> attribute;
  inputColumn<int> candidate;  // empty, or 1 existing / 0 candidate
  inputColumn<int> from, to;
  inputColumn<float> value;
  inputColumn<float> alternative;  // empty, or the changed value of each pair
};

}  // namespace verdalis
