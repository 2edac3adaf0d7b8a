#pragma once
// A binary min-heap of (distance, node) for the repair searches: it keeps its
// storage between searches, so that the many small repairs of one thread
// allocate nothing, and orders by distance alone. Nodes of equal distance
// come out in an order fixed by the pushes, so runs stay reproducible; the
// repairs need the least values only, which no order among equals changes.
#include <cstddef>
#include <utility>
#include <vector>

namespace verdalis {

template <class T>
class minHeap {
 public:
  using entry = std::pair<T, int>;
  bool empty() const { return items.empty(); }
  const entry& top() const { return items.front(); }
  void clear() { items.clear(); }
  void push(const entry& e) {
    std::size_t hole = items.size();
    items.push_back(e);
    while (hole > 0) {
      const std::size_t parent = (hole - 1) / 2;
      if (!(e.first < items[parent].first)) break;
      items[hole] = items[parent];
      hole = parent;
    }
    items[hole] = e;
  }
  void pop() {
    const entry last = items.back();
    items.pop_back();
    const std::size_t size = items.size();
    if (size == 0) return;
    std::size_t hole = 0;
    for (;;) {
      std::size_t child = 2 * hole + 1;
      if (child >= size) break;
      if (child + 1 < size && items[child + 1].first < items[child].first) ++child;
      if (!(items[child].first < last.first)) break;
      items[hole] = items[child];
      hole = child;
    }
    items[hole] = last;
  }

 private:
  std::vector<entry> items;
};

}  // namespace verdalis
