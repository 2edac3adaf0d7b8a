#pragma once
// Union-find over positions 0..n-1 whose representative is always the
// smallest position of its set, so that a set is named by its first member.
// Near-constant time per operation (path halving).
#include <cstddef>
#include <vector>

namespace verdalis::gis {

class disjointSets {
 public:
  explicit disjointSets(std::size_t count) : parent_(count) {
    for (std::size_t k = 0; k < count; ++k) parent_[k] = k;
  }
  std::size_t find(std::size_t k) {
    while (parent_[k] != k) k = parent_[k] = parent_[parent_[k]];
    return k;
  }
  void unite(std::size_t a, std::size_t b) {
    a = find(a);
    b = find(b);
    if (a < b) parent_[b] = a;
    else if (b < a) parent_[a] = b;
  }

 private:
  std::vector<std::size_t> parent_;
};

}  // namespace verdalis::gis
