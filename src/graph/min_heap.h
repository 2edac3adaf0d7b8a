#pragma once
// A min-heap of (distance, node) that keeps its storage between searches, so
// that the many small repairs of one thread allocate nothing. It pops in the
// same order as a std::priority_queue with std::greater.
#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace verdalis {

template <class T>
class minHeap {
 public:
  using entry = std::pair<T, int>;
  bool empty() const { return items.empty(); }
  const entry& top() const { return items.front(); }
  void push(const entry& e) {
    items.push_back(e);
    std::push_heap(items.begin(), items.end(), std::greater<entry>());
  }
  void pop() {
    std::pop_heap(items.begin(), items.end(), std::greater<entry>());
    items.pop_back();
  }
  void clear() { items.clear(); }

 private:
  std::vector<entry> items;
};

}  // namespace verdalis
