#pragma once
// Searches whose work is proportional to what they reach, for landscapes of
// a million nodes: the arrays of n entries are kept between searches and
// only the entries a search touched are cleared after it.
//
// localSearch takes the nodes in the order exactSearchSparse (exact_search.h)
// does: each step, the choice of the linear scan among every waiting node
// of the smallest float class; so it gives the scan's distances,
// predecessors and order. Its heap holds each waiting node once.
// localBreadthFirst gives breadth-first distances over the binary links.
// Both cost O(reached · log reached) and O(reached), plus their links.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "graph/breadth_first.h"
#include "graph/exact_search.h"
#include "graph/min_heap.h"
#include "graph/search_weights.h"
#include "graph/tessella.h"

namespace verdalis {

// Takes off a non-empty heap the node the linear scan would select: its
// choice among every waiting node of the smallest float class (rounding is
// monotone, so they come first in the order of their distances); the others
// wait again. group is scratch.
template <class T>
int takeScanChoice(indexedHeap<T>& heap, std::vector<int>& group, const T* dist) {
  group.clear();
  const float smallest = static_cast<float>(heap.top().first);
  while (!heap.empty() && static_cast<float>(heap.top().first) == smallest) {
    group.push_back(heap.top().second);
    heap.pop();
  }
  const int u = scanChoice<T>(group.data(), static_cast<int>(group.size()), dist);
  for (int v : group)
    if (v != u) heap.push({dist[v], v});
  return u;
}

template <class T>
class localSearch {
 public:
  // The search from source over compressed weights w; `excluded` (or -1)
  // takes no part, change (or none) overrides one pair both ways.
  void run(int source, const searchWeights& w, T cut, int excluded = -1, const pairOverride& change = pairOverride());
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
  std::vector<char> treated;
  std::vector<int> touched, treatedOrder, ascending, group;
  std::vector<std::uint64_t> marks;
  // Each waiting node once, at its current distance: a lower distance moves
  // it up instead of adding an entry.
  indexedHeap<T> heap;

  void clear();
  void touch(int v) {
    if (!treated[v]) {
      treated[v] = 2;  // touched, not treated
      touched.push_back(v);
    }
  }
};

template <class T>
void localSearch<T>::clear() {
  for (int v : touched) {
    distance[v] = unreachedDistance<T>();
    parent[v] = -1;
    treated[v] = 0;
  }
  touched.clear();
  treatedOrder.clear();
  ascending.clear();
}

template <class T>
void localSearch<T>::run(int source, const searchWeights& w, T cut, int excluded, const pairOverride& change) {
  if (distance.size() != static_cast<std::size_t>(w.n)) {
    distance.assign(w.n, unreachedDistance<T>());
    parent.assign(w.n, -1);
    treated.assign(w.n, 0);
  }
  clear();
  heap.prepare(w.n);
  T* dist = distance.data();
  int* pred = parent.data();
  char* state = treated.data();
  const std::size_t* start = w.start.data();
  const int* target = w.target.data();
  const float* weight = w.weight.data();
  if (excluded >= 0) {
    state[excluded] = 1;
    touched.push_back(excluded);
  }
  touch(source);
  dist[source] = 0;
  heap.push({T(0), source});
  while (!heap.empty()) {
    // The scan's choice: the top itself when no other waiting node shares
    // its float class, which is nearly always.
    int u = heap.top().second;
    heap.pop();
    if (!heap.empty() && static_cast<float>(heap.top().first) == static_cast<float>(dist[u])) {
      heap.push({dist[u], u});
      u = takeScanChoice(heap, group, dist);
    }
    state[u] = 1;
    treatedOrder.push_back(u);
    const T du = dist[u];
    if (!(du <= cut)) continue;
    const int changed = change.touches(u) ? change.other(u) : -1;
    auto relax = [&](int v, float step) {
      if (state[v] == 1) return;
      const T alt = du + static_cast<T>(step);
      if (dist[v] > alt) {
        touch(v);
        dist[v] = alt;
        pred[v] = u;
        heap.push({alt, v});
      }
    };
    if (changed < 0) {
      for (std::size_t e = start[u]; e < start[u + 1]; ++e) relax(target[e], weight[e]);
    } else {
      for (std::size_t e = start[u]; e < start[u + 1]; ++e)
        if (target[e] != changed) relax(target[e], weight[e]);
      if (change.w != kNoLink) relax(changed, change.w);
    }
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
