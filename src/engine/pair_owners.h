#pragma once
// Which of its two ends sums the drops of a pair, when the drops of PC are
// summed from the terms that change. Over symmetric weights the best paths
// from s to y are those from y to s, with or without any node, so the pair
// changes alike in both searches: one of them adds it, twice, and the other
// leaves it out.
//
// The end that adds {s, y} is the one nearer a peripheral node of their
// component (the farthest from its first node: two searches a component),
// ties by index. A source then adds the pairs on its far side only, and a
// node of its tree with nothing of that side below it needs no repair: the
// subtrees that turn back towards the peripheral node are passed over
// whole, about a third of what the repairs walked on landscapes of protected
// areas. O(m log n) for the searches, once.
//
// The pair's new term comes from one of the two searches instead of both:
// the same least path, summed from the other end, which moves the drops by
// no more than their rounding.
#include <cstddef>
#include <limits>
#include <vector>

#include "graph/local_search.h"
#include "graph/search_weights.h"

namespace verdalis {

// Whether every pair of compressed rows is listed both ways with the same
// weight (false for a dense matrix, which these drops do not meet).
inline bool symmetricRows(const searchWeights& w) {
  if (w.dense || w.inStart.size() != w.start.size()) return false;
  for (int u = 0; u < w.n; ++u) {
    if (w.start[u + 1] - w.start[u] != w.inStart[u + 1] - w.inStart[u]) return false;
    for (std::size_t e = w.start[u], f = w.inStart[u]; e < w.start[u + 1]; ++e, ++f)
      if (w.target[e] != w.inSource[f] || w.weight[e] != w.inWeight[f]) return false;
  }
  return true;
}

template <class T>
class pairOwners {
 public:
  bool built() const { return !key.empty(); }
  // Whether source s adds the pair {s, y}.
  bool owns(int s, int y) const { return key[s] < key[y] || (key[s] == key[y] && s < y); }

  void build(const searchWeights& w) {
    key.assign(static_cast<std::size_t>(w.n), T(0));
    std::vector<char> seen(static_cast<std::size_t>(w.n), 0);
    localSearch<T> search;
    const T unbounded = std::numeric_limits<T>::infinity();
    for (int first = 0; first < w.n; ++first) {
      if (seen[first]) continue;
      search.run(first, w, unbounded);
      int far = first;
      for (int v : search.order())
        if (search.dist(v) > search.dist(far)) far = v;
      search.run(far, w, unbounded);
      for (int v : search.order()) {
        key[v] = search.dist(v);
        seen[v] = 1;
      }
    }
  }

 private:
  std::vector<T> key;  // distance from the peripheral node of the component
};

}  // namespace verdalis
