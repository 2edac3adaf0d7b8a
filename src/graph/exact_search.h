#pragma once
// Best-path searches that give exactly the distances, predecessors and
// treatment order of the linear-scan searches, without scanning every node
// at every step.
//
// The linear scan keeps its running minimum in single precision and selects
// the last position whose distance does not exceed it. Its choice depends
// only on the set of untreated nodes, not on the order they are visited in:
//  - single precision: the smallest distance, ties to the highest position;
//  - double precision: among the nodes whose distance rounds to the smallest
//    float F, the highest position whose distance is at most F, or the lowest
//    position of that group when that one is higher (the first member of the
//    group passes the scan whatever its distance, later ones only when they
//    do not exceed F).
// Both searches below apply that rule, one over a compact list of untreated
// nodes (complete graphs), one over a heap that yields the whole group of the
// smallest float (sparse graphs).
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <queue>
#include <type_traits>
#include <utility>
#include <vector>

#include "graph/search_weights.h"
#include "graph/tessella.h"

namespace verdalis {

// The result of one search from one source.
template <class T>
struct searchRow {
  std::vector<T> dist;
  std::vector<int> pred;
  std::vector<int> order;  // nodes in the order they were treated (reached ones)
};

template <class T>
T unreachedDistance() {
  return static_cast<T>(kUnreached);
}

// The choice of the linear scan among a group of untreated nodes that holds
// every node of the smallest float class. For single precision any set that
// holds all nodes of the smallest distance will do.
template <class T>
int scanChoice(const int* group, int size, const T* dist) {
  if constexpr (std::is_same_v<T, float>) {
    float best = std::numeric_limits<float>::infinity();
    int chosen = -1;
    for (int m = 0; m < size; ++m) {
      const int v = group[m];
      const float d = dist[v];
      if (d < best || (d == best && v > chosen)) {
        best = d;
        chosen = v;
      }
    }
    return chosen;
  } else {
    float smallest = std::numeric_limits<float>::infinity();
    for (int m = 0; m < size; ++m) smallest = std::min(smallest, static_cast<float>(dist[group[m]]));
    const T bound = static_cast<T>(smallest);
    int lowest = -1, highestWithin = -1;
    for (int m = 0; m < size; ++m) {
      const int v = group[m];
      if (static_cast<float>(dist[v]) != smallest) continue;
      if (lowest < 0 || v < lowest) lowest = v;
      if (dist[v] <= bound && v > highestWithin) highestWithin = v;
    }
    return std::max(lowest, highestWithin);
  }
}

// Tracks, over one pass of the untreated nodes, the node the linear scan
// would select.
template <class T>
struct scanTracker {
  float smallest = std::numeric_limits<float>::infinity();
  int chosen = -1, chosenAt = -1;          // single precision: highest position of the smallest
  int lowest = -1, lowestAt = -1;          // double: lowest position of the smallest float class
  int within = -1, withinAt = -1;          // double: highest position at most that float
  void see(int v, int at, T d) {
    const float f = static_cast<float>(d);
    if constexpr (std::is_same_v<T, float>) {
      if (f < smallest || (f == smallest && v > chosen)) {
        smallest = f;
        chosen = v;
        chosenAt = at;
      }
    } else {
      if (f < smallest) {
        smallest = f;
        lowest = v;
        lowestAt = at;
        within = -1;
        withinAt = -1;
      } else if (f == smallest) {
        if (v < lowest) {
          lowest = v;
          lowestAt = at;
        }
      } else {
        return;
      }
      if (d <= static_cast<T>(smallest) && v > within) {
        within = v;
        withinAt = at;
      }
    }
  }
  // Position in the pass of the selected node, -1 when none was seen.
  int selectedAt() const {
    if constexpr (std::is_same_v<T, float>) {
      return chosenAt;
    } else {
      return within > lowest ? withinAt : lowestAt;
    }
  }
};

// Complete-graph search over a compact list of the untreated nodes. The node
// `excluded` (or -1) takes no part, as if removed from the landscape. Each
// step relaxes from the treated node and finds the next one in one pass.
template <class T>
void exactSearchDense(int source, const searchWeights& g, T cut, int excluded, searchRow<T>& out,
                      const pairOverride& change = pairOverride()) {
  const int n = g.n;
  out.dist.assign(n, unreachedDistance<T>());
  out.pred.assign(n, -1);
  out.order.clear();
  std::vector<int> untreated;
  untreated.reserve(n);
  for (int v = 0; v < n; ++v)
    if (v != excluded && v != source) untreated.push_back(v);
  T* dist = out.dist.data();
  int* pred = out.pred.data();
  dist[source] = 0;
  const float unreached = static_cast<float>(unreachedDistance<T>());
  int u = source;
  for (;;) {
    out.order.push_back(u);
    const T du = dist[u];
    const bool expands = du <= cut;
    const float* row = g.matrix.data() + static_cast<std::size_t>(u) * n;
    const int changed = change.touches(u) ? change.other(u) : -1;
    scanTracker<T> next;
    const int m = static_cast<int>(untreated.size());
    for (int at = 0; at < m; ++at) {
      const int v = untreated[at];
      if (expands) {
        const T alt = du + static_cast<T>(v == changed ? change.w : row[v]);
        if (dist[v] > alt) {
          dist[v] = alt;
          pred[v] = u;
        }
      }
      next.see(v, at, dist[v]);
    }
    const int at = next.selectedAt();
    if (at < 0 || next.smallest == unreached) break;  // nothing left, or only unreachable nodes
    u = untreated[at];
    untreated[at] = untreated.back();
    untreated.pop_back();
  }
}

// Sparse search with a heap; nodes never reached keep the unreached marker,
// as the linear scan leaves them (treating them changes nothing).
template <class T>
void exactSearchSparse(int source, const searchWeights& g, T cut, int excluded, searchRow<T>& out,
                       std::vector<char>& treated, const pairOverride& change = pairOverride()) {
  const int n = g.n;
  out.dist.assign(n, unreachedDistance<T>());
  out.pred.assign(n, -1);
  out.order.clear();
  treated.assign(n, 0);
  if (excluded >= 0) treated[excluded] = 1;
  T* dist = out.dist.data();
  int* pred = out.pred.data();
  using entry = std::pair<T, int>;
  std::priority_queue<entry, std::vector<entry>, std::greater<entry>> heap;
  std::vector<int> group;
  dist[source] = 0;
  heap.push({T(0), source});
  while (!heap.empty()) {
    group.clear();
    const float smallest = static_cast<float>(heap.top().first);
    while (!heap.empty() && static_cast<float>(heap.top().first) == smallest) {
      const entry e = heap.top();
      heap.pop();
      if (treated[e.second] || e.first != dist[e.second]) continue;
      if (std::find(group.begin(), group.end(), e.second) == group.end()) group.push_back(e.second);
    }
    if (group.empty()) continue;
    const int u = scanChoice<T>(group.data(), static_cast<int>(group.size()), dist);
    for (int v : group)
      if (v != u) heap.push({dist[v], v});
    treated[u] = 1;
    out.order.push_back(u);
    const T du = dist[u];
    if (!(du <= cut)) continue;
    const int changed = change.touches(u) ? change.other(u) : -1;
    auto relax = [&](int v, float w) {
      if (treated[v]) return;
      const T alt = du + static_cast<T>(w);
      if (dist[v] > alt) {
        dist[v] = alt;
        pred[v] = u;
        heap.push({alt, v});
      }
    };
    for (std::size_t e = g.start[u]; e < g.start[u + 1]; ++e)
      if (g.target[e] != changed) relax(g.target[e], g.weight[e]);
    if (changed >= 0 && change.w != kNoLink) relax(changed, change.w);
  }
}

template <class T>
void exactSearch(int source, const searchWeights& g, T cut, int excluded, searchRow<T>& out,
                 std::vector<char>& scratch, const pairOverride& change = pairOverride()) {
  if (g.dense)
    exactSearchDense(source, g, cut, excluded, out, change);
  else
    exactSearchSparse(source, g, cut, excluded, out, scratch, change);
}

}  // namespace verdalis
