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

// A min-heap of nodes keyed by distance in which every node sits at most
// once: a lower distance moves the node up instead of adding an entry, so
// the heap stays as small as the set of nodes waiting. Every search drains
// it, which leaves it ready for the next.
template <class T>
class indexedHeap {
 public:
  using entry = std::pair<T, int>;
  void prepare(int n) {
    if (at.size() != static_cast<std::size_t>(n)) at.assign(static_cast<std::size_t>(n), -1);
  }
  bool empty() const { return items.empty(); }
  const entry& top() const { return items.front(); }
  // Adds the node, or lowers its distance when it is already waiting.
  void push(const entry& e) {
    const int where = at[static_cast<std::size_t>(e.second)];
    std::size_t hole = where >= 0 ? static_cast<std::size_t>(where) : items.size();
    if (where < 0) items.push_back(e);
    while (hole > 0) {
      const std::size_t parent = (hole - 1) / 2;
      if (!(e.first < items[parent].first)) break;
      place(hole, items[parent]);
      hole = parent;
    }
    place(hole, e);
  }
  void pop() {
    at[static_cast<std::size_t>(items.front().second)] = -1;
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
      place(hole, items[child]);
      hole = child;
    }
    place(hole, last);
  }

 private:
  void place(std::size_t slot, const entry& e) {
    items[slot] = e;
    at[static_cast<std::size_t>(e.second)] = static_cast<int>(slot);
  }
  std::vector<entry> items;
  std::vector<int> at;  // slot of each waiting node, -1 for the others
};

}  // namespace verdalis
