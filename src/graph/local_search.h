#pragma once
// Searches whose work is proportional to what they reach, for landscapes of
// a million nodes: the arrays of n entries are kept between searches and
// only the entries a search touched are cleared after it.
//
// localSearch takes the nodes in the order exactSearchSparse (exact_search.h)
// does: each step, the choice of the linear scan among every waiting node
// of the smallest float class; so it gives the scan's distances,
// predecessors and order. Its heap holds each waiting node once, keyed by
// its float class (class_heap.h).
// localBreadthFirst gives breadth-first distances over the binary links.
// Both cost O(reached · log reached) and O(reached), plus their links.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "graph/breadth_first.h"
#include "graph/class_heap.h"
#include "graph/exact_search.h"
#include "graph/search_weights.h"
#include "graph/tessella.h"

namespace verdalis {

// Takes off a non-empty heap the node the linear scan would select: its
// choice among every waiting node of the smallest float class (rounding is
// monotone, so they come first in the order of their distances); the others
// wait again. group is scratch.
template <class T>
int takeScanChoice(classHeap& heap, std::vector<int>& group, const T* dist) {
  group.clear();
  const float smallest = heap.topClass();
  while (!heap.empty() && heap.topClass() == smallest) {
    group.push_back(heap.topNode());
    heap.pop();
  }
  const int u = scanChoice<T>(group.data(), static_cast<int>(group.size()), dist);
  for (int v : group)
    if (v != u) heap.push(v, dist[v]);
  return u;
}

template <class T>
class localSearch {
 public:
  // The search from source over compressed weights w; `excluded` (or -1)
  // takes no part, change (or none) overrides one pair both ways, and the
  // steps of `extra` (or none) are taken beside those of w.
  void run(int source, const searchWeights& w, T cut, int excluded = -1, const pairOverride& change = pairOverride(),
           const stepsByOrigin* extra = nullptr);
  // The nodes treated, in treatment order (the reached ones).
  const std::vector<int>& order() const { return treatedOrder; }
  T dist(int v) const { return distance[v]; }
  int pred(int v) const { return parent[v]; }
  const T* distances() const { return distance.data(); }
  const int* parents() const { return parent.data(); }
  // The reached nodes in ascending order.
  const std::vector<int>& reachedAscending();

 private:
  std::vector<T> distance;
  std::vector<int> parent;
  // The distance of a waiting or unreached node, minus infinity once it is
  // treated or excluded: one load and one comparison decide a relaxation.
  std::vector<T> open;
  std::vector<int> treatedOrder, ascending, group;
  int excludedBefore = -1;
  std::vector<std::uint64_t> marks;
  // Each waiting node once, at the float class of its current distance.
  classHeap heap;

  void clear();
};

// Every node a search touches is treated in the end (the heap is drained),
// so the treated ones and the excluded one are all there is to clear.
template <class T>
void localSearch<T>::clear() {
  auto reset = [&](int v) {
    distance[v] = unreachedDistance<T>();
    open[v] = unreachedDistance<T>();
    parent[v] = -1;
  };
  for (int v : treatedOrder) reset(v);
  if (excludedBefore >= 0) reset(excludedBefore);
  treatedOrder.clear();
  ascending.clear();
}

template <class T>
void localSearch<T>::run(int source, const searchWeights& w, T cut, int excluded, const pairOverride& change,
                         const stepsByOrigin* extra) {
  if (distance.size() != static_cast<std::size_t>(w.n)) {
    distance.assign(w.n, unreachedDistance<T>());
    open.assign(w.n, unreachedDistance<T>());
    parent.assign(w.n, -1);
    treatedOrder.clear();
    excludedBefore = -1;
  }
  clear();
  heap.prepare(w.n);
  T* dist = distance.data();
  T* bound = open.data();
  int* pred = parent.data();
  const std::size_t* start = w.start.data();
  const int* target = w.target.data();
  const float* weight = w.weight.data();
  constexpr T closed = -std::numeric_limits<T>::infinity();
  excludedBefore = excluded;
  if (excluded >= 0) bound[excluded] = closed;
  dist[source] = 0;
  bound[source] = 0;
  heap.push(source, T(0));
  while (!heap.empty()) {
    // The scan's choice: the top itself when no other waiting node shares
    // its float class, which is nearly always.
    int u = heap.topNode();
    heap.pop();
    if (!heap.empty() && heap.topClass() == static_cast<float>(dist[u])) {
      heap.push(u, dist[u]);
      u = takeScanChoice(heap, group, dist);
    }
    bound[u] = closed;
    treatedOrder.push_back(u);
    const T du = dist[u];
    if (!(du <= cut)) continue;
    const int changed = change.touches(u) ? change.other(u) : -1;
    auto relax = [&](int v, float step) {
      const T alt = du + static_cast<T>(step);
      if (bound[v] > alt) {
        bound[v] = alt;
        dist[v] = alt;
        pred[v] = u;
        heap.push(v, alt);
      }
    };
    const std::size_t end = start[u + 1];
    if (changed < 0) {
      for (std::size_t e = start[u]; e < end; ++e) relax(target[e], weight[e]);
    } else {
      for (std::size_t e = start[u]; e < end; ++e)
        if (target[e] != changed) relax(target[e], weight[e]);
      if (change.w != kNoLink) relax(changed, change.w);
    }
    if (extra != nullptr) extra->forEachFrom(u, relax);
  }
}

// Ascending: a sort of what was reached or, when that is a good share of
// the nodes, one pass over a mark per node (the same list).
template <class T>
const std::vector<int>& localSearch<T>::reachedAscending() {
  if (!ascending.empty() || treatedOrder.empty()) return ascending;
  const std::size_t n = distance.size(), reached = treatedOrder.size();
  if (reached * 32 < n) {
    ascending = treatedOrder;
    std::sort(ascending.begin(), ascending.end());
    return ascending;
  }
  marks.assign((n + 63) / 64, 0);
  for (int v : treatedOrder) marks[static_cast<std::size_t>(v) >> 6] |= std::uint64_t{1} << (v & 63);
  ascending.reserve(reached);
  for (std::size_t word = 0; word < marks.size(); ++word)
    for (std::uint64_t bits = marks[word]; bits != 0; bits &= bits - 1)
      ascending.push_back(static_cast<int>(word * 64 + static_cast<std::size_t>(__builtin_ctzll(bits))));
  return ascending;
}

// Breadth-first distances from one source over compact links, kept between
// searches; `excluded` (or -1) takes no part.
class localBreadthFirst {
 public:
  void run(const binaryGraph& g, int source, int excluded = -1);
  int dist(int v) const { return distance[v]; }
  const int* distances() const { return distance.data(); }
  // The reached nodes in the order reached (source first).
  const std::vector<int>& order() const { return queue; }

 private:
  std::vector<int> distance;
  std::vector<int> queue;
};

inline void localBreadthFirst::run(const binaryGraph& g, int source, int excluded) {
  if (distance.size() != static_cast<std::size_t>(g.n)) distance.assign(g.n, kUnreached);
  for (int v : queue) distance[v] = kUnreached;
  queue.clear();
  distance[source] = 0;
  queue.push_back(source);
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const int u = queue[head];
    for (std::size_t e = g.start[u]; e < g.start[u + 1]; ++e) {
      const int v = g.target[e];
      if (v == excluded || distance[v] != kUnreached) continue;
      distance[v] = distance[u] + 1;
      queue.push_back(v);
    }
  }
}

}  // namespace verdalis
