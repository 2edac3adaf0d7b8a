#pragma once
// The waiting nodes of the scan-order searches (local_search.h), keyed by
// the float class of their distance only: the searches take every node of
// the smallest class at once and choose among them by their distances
// themselves, so an order within a class would be wasted work. The bits of
// a class, turned (keyOf), order as an unsigned integer does; with the node
// in the low half, an entry is one 64-bit integer, compared in one
// instruction, and a distance lowered within its class does not move its
// node at all. Four children per slot halve the depth that a push climbs,
// and a pop's compares of four neighbours sit in one cache line and choose
// the least without a branch. Costs O(log waiting) per push and pop.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace verdalis {

class classHeap {
 public:
  void prepare(int n) {
    if (at.size() != static_cast<std::size_t>(n)) at.assign(static_cast<std::size_t>(n), -1);
  }
  bool empty() const { return items.empty(); }
  int topNode() const { return nodeOf(items.front()); }
  float topClass() const { return classOfKey(items.front()); }
  // Adds the node at the class of distance d, or lowers its class when it is
  // already waiting in a higher one.
  template <class T>
  void push(int node, T d) {
    const std::uint64_t key = keyOf(static_cast<float>(d), node);
    const int where = at[static_cast<std::size_t>(node)];
    std::size_t hole;
    if (where >= 0) {
      hole = static_cast<std::size_t>(where);
      if (!(key < items[hole])) return;
    } else {
      hole = items.size();
      items.push_back(key);
    }
    while (hole > 0) {
      const std::size_t parent = (hole - 1) / kArity;
      if (!(key < items[parent])) break;
      place(hole, items[parent]);
      hole = parent;
    }
    place(hole, key);
  }
  void pop() {
    at[static_cast<std::size_t>(nodeOf(items.front()))] = -1;
    const std::uint64_t last = items.back();
    items.pop_back();
    const std::size_t size = items.size();
    if (size == 0) return;
    std::size_t hole = 0;
    for (;;) {
      const std::size_t first = kArity * hole + 1;
      if (first >= size) break;
      std::size_t child = first;
      if (first + kArity <= size) {
        const std::uint64_t* q = items.data() + first;
        const std::size_t a = q[1] < q[0] ? 1 : 0;
        const std::size_t b = q[3] < q[2] ? 3 : 2;
        child = first + (q[b] < q[a] ? b : a);
      } else {
        for (std::size_t c = first + 1; c < size; ++c)
          if (items[c] < items[child]) child = c;
      }
      if (!(items[child] < last)) break;
      place(hole, items[child]);
      hole = child;
    }
    place(hole, last);
  }

 private:
  static constexpr std::size_t kArity = 4;
  // The bits of a float turned so that they order as the float does: a
  // non-negative one gains the top bit, a negative one is inverted whole.
  static std::uint64_t keyOf(float f, int node) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    bits ^= (bits & 0x80000000u) != 0 ? 0xffffffffu : 0x80000000u;
    return (static_cast<std::uint64_t>(bits) << 32) | static_cast<std::uint32_t>(node);
  }
  static int nodeOf(std::uint64_t key) { return static_cast<int>(key & 0xffffffffu); }
  static float classOfKey(std::uint64_t key) {
    std::uint32_t bits = static_cast<std::uint32_t>(key >> 32);
    bits ^= (bits & 0x80000000u) != 0 ? 0x80000000u : 0xffffffffu;
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
  void place(std::size_t slot, std::uint64_t key) {
    items[slot] = key;
    at[static_cast<std::size_t>(nodeOf(key))] = static_cast<int>(slot);
  }
  std::vector<std::uint64_t> items;
  std::vector<int> at;  // slot of each waiting node, -1 for the others
};

}  // namespace verdalis
