#pragma once
// A dense row-major matrix: the connection tables and the weight matrices.
#include <cstddef>
#include <vector>

#include "support/allocation.h"

namespace verdalis {

template <class V>
class matrix {
 public:
  matrix() = default;
  matrix(std::size_t rows, std::size_t cols, V fill = V()) { assign(rows, cols, fill); }

  // A size that can never be allocated fails at once with std::bad_alloc.
  void assign(std::size_t rows, std::size_t cols, V fill) {
    const std::size_t cells = cellCount(rows, cols);
    requireAllocatable(cells, sizeof(V));
    cells_.assign(cells, fill);
    rows_ = rows;
    cols_ = cols;
  }
  void clear() {
    rows_ = cols_ = 0;
    cells_.clear();
    cells_.shrink_to_fit();
  }
  bool empty() const { return cells_.empty(); }
  std::size_t rows() const { return rows_; }
  std::size_t cols() const { return cols_; }

  V& operator()(std::size_t i, std::size_t j) { return cells_[i * cols_ + j]; }
  const V& operator()(std::size_t i, std::size_t j) const { return cells_[i * cols_ + j]; }
  V* row(std::size_t i) { return cells_.data() + i * cols_; }
  const V* row(std::size_t i) const { return cells_.data() + i * cols_; }

 private:
  std::size_t rows_ = 0;
  std::size_t cols_ = 0;
  std::vector<V> cells_;
};

}  // namespace verdalis
