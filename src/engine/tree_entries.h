#pragma once
// The entries and steps of every node of one source's tree, each marked
// with the deepest removal that keeps both its ends below it: a repair
// below k then reads, for a node, only the steps that stay below k and the
// best entry from outside, instead of testing every pair it has.
//
// For a step between nodes u and y of the tree, let c be their deepest
// common proper ancestor (their lowest common ancestor, or its parent when
// that is u or y itself) and key = depth(c). The nodes below a removed
// ancestor k of y are those k is a proper ancestor of, so u lies below k
// exactly when depth(k) <= key: a node's steps sorted by key, highest
// first, put those that stay below k in front, and its entries sorted by
// key, lowest first, put those from outside in front (k itself among them,
// at key depth(k) - 1). The entries carry their value from the unchanged
// part, dist(u) + w, and the least two of every prefix, so the best entry
// from outside without k is found by one binary search.
//
// Built per source in O(steps · log depth), from the steps between reached
// nodes given by origin (the entries are the same steps by destination);
// an entry is kept only from a node the search steps on (within the cut).
#include <algorithm>
#include <cstddef>
#include <limits>
#include <vector>

#include "engine/tree_preorder.h"

namespace verdalis {

template <class T>
struct treeEntries {
  struct step {
    int to, key;
    float weight;
  };
  // The least and second least values of a prefix of entries, with their
  // origins (-1 when the prefix holds fewer).
  struct leastTwo {
    T best, second;
    int bestFrom, secondFrom;
  };
  // By preorder position of the node.
  std::vector<std::size_t> stepStart, entryStart;
  std::vector<step> steps;        // highest key first
  // The entries' keys, lowest first, apart from the rest of each entry: a
  // repair's halving reads only keys, a few cache lines per node.
  std::vector<int> entryKeys;
  std::vector<leastTwo> prefix;   // per entry: the least two up to it

  // forEachStep(u, f) calls f(y, w) for every step out of u.
  template <class Steps>
  void build(const treePreorder& tree, const T* dist, T cut, Steps&& forEachStep);

  // The best entry of the node at position p from outside the subtree of
  // the ancestor k at depth dk, without k; false when there is none.
  bool bestOutside(int p, int dk, int k, T& best, int& from) const {
    const int* first = entryKeys.data() + entryStart[p];
    const int* last = entryKeys.data() + entryStart[p + 1];
    // Halving without branches on the keys: from node to node their
    // comparisons come out either way, so a search that branched on them
    // would mispredict about half of them; a repair runs one per node.
    std::size_t count = static_cast<std::size_t>(last - first);
    if (count == 0 || !(*first < dk)) return false;
    const int* end = first;  // the last entry with key < dk, found by halving
    while (count > 1) {
      const std::size_t half = count / 2;
      end = end[half] < dk ? end + half : end;
      count -= half;
    }
    const leastTwo& two = prefix[static_cast<std::size_t>(end - entryKeys.data())];
    if (two.bestFrom != k) {
      best = two.best;
      from = two.bestFrom;
      return true;
    }
    if (two.secondFrom < 0) return false;
    best = two.second;
    from = two.secondFrom;
    return true;
  }
  // Calls f(y, w) for the steps out of the node at position p that stay
  // below an ancestor at depth dk.
  template <class F>
  void forEachStepBelow(int p, int dk, F&& f) const {
    for (std::size_t e = stepStart[p]; e < stepStart[p + 1] && steps[e].key >= dk; ++e) f(steps[e].to, steps[e].weight);
  }

 private:
  struct entry {
    int from, key;
    T alt;
  };
  std::vector<entry> entries;  // lowest key first, while building
  std::vector<int> path, origin, keyOf;
  std::vector<std::size_t> fill, byTarget, incoming;
  std::vector<float> weightOf;
  std::vector<int> targetOf;
};

template <class T>
template <class Steps>
void treeEntries<T>::build(const treePreorder& tree, const T* dist, T cut, Steps&& forEachStep) {
  const std::size_t count = tree.nodes.size();
  const int* position = tree.position.data();
  // Every step between reached nodes once, by origin's position.
  stepStart.assign(count + 1, 0);
  origin.clear();
  targetOf.clear();
  weightOf.clear();
  for (std::size_t p = 0; p < count; ++p) {
    forEachStep(tree.nodes[p], [&](int y, float w) {
      if (position[y] < 0 || position[y] == static_cast<int>(p)) return;
      origin.push_back(static_cast<int>(p));
      targetOf.push_back(y);
      weightOf.push_back(w);
    });
    stepStart[p + 1] = origin.size();
  }
  // Keys, each at the later end in preorder, where the path from the root
  // to it holds every ancestor of both: the lowest common ancestor is the
  // deepest of them at or before the other end.
  const std::size_t m = origin.size();
  keyOf.assign(m, 0);
  byTarget.assign(count + 1, 0);
  for (std::size_t e = 0; e < m; ++e) ++byTarget[position[targetOf[e]] + 1];
  for (std::size_t p = 0; p < count; ++p) byTarget[p + 1] += byTarget[p];
  incoming.resize(m);
  fill.assign(byTarget.begin(), byTarget.end() - 1);
  for (std::size_t e = 0; e < m; ++e) incoming[fill[position[targetOf[e]]]++] = e;
  path.clear();
  auto key = [&](int later, int earlier) {
    const int d = tree.depth[later];
    int lo = 0, hi = d;  // the deepest depth whose path position is at most `earlier`
    while (lo < hi) {
      const int mid = (lo + hi + 1) / 2;
      if (path[mid] <= earlier) lo = mid; else hi = mid - 1;
    }
    return path[lo] == earlier ? lo - 1 : lo;
  };
  for (std::size_t p = 0; p < count; ++p) {
    path.resize(static_cast<std::size_t>(tree.depth[p]) + 1);
    path[tree.depth[p]] = static_cast<int>(p);
    const int at = static_cast<int>(p);
    for (std::size_t e = stepStart[p]; e < stepStart[p + 1]; ++e)
      if (position[targetOf[e]] < at) keyOf[e] = key(at, position[targetOf[e]]);
    for (std::size_t i = byTarget[p]; i < byTarget[p + 1]; ++i)
      if (origin[incoming[i]] < at) keyOf[incoming[i]] = key(at, origin[incoming[i]]);
  }
  // The steps, highest key first; the entries from nodes that step on,
  // lowest key first, with the least two of every prefix.
  steps.resize(m);
  for (std::size_t e = 0; e < m; ++e) steps[e] = {targetOf[e], keyOf[e], weightOf[e]};
  // Whole orders, so that the lists come out the same on every machine.
  for (std::size_t p = 0; p < count; ++p)
    std::sort(steps.begin() + stepStart[p], steps.begin() + stepStart[p + 1],
              [](const step& a, const step& b) { return a.key > b.key || (a.key == b.key && a.to < b.to); });
  entryStart.assign(count + 1, 0);
  entries.clear();
  for (std::size_t p = 0; p < count; ++p) {
    for (std::size_t i = byTarget[p]; i < byTarget[p + 1]; ++i) {
      const std::size_t e = incoming[i];
      const int u = tree.nodes[origin[e]];
      if (!(dist[u] <= cut)) continue;
      entries.push_back({u, keyOf[e], dist[u] + static_cast<T>(weightOf[e])});
    }
    entryStart[p + 1] = entries.size();
    std::sort(entries.begin() + entryStart[p], entries.end(),
              [](const entry& a, const entry& b) { return a.key < b.key || (a.key == b.key && a.from < b.from); });
  }
  entryKeys.resize(entries.size());
  for (std::size_t e = 0; e < entries.size(); ++e) entryKeys[e] = entries[e].key;
  prefix.resize(entries.size());
  const T none = std::numeric_limits<T>::infinity();
  for (std::size_t p = 0; p < count; ++p) {
    leastTwo two{none, none, -1, -1};
    for (std::size_t e = entryStart[p]; e < entryStart[p + 1]; ++e) {
      const entry& x = entries[e];
      if (x.alt < two.best) {
        two.second = two.best;
        two.secondFrom = two.bestFrom;
        two.best = x.alt;
        two.bestFrom = x.from;
      } else if (x.alt < two.second) {
        two.second = x.alt;
        two.secondFrom = x.from;
      }
      prefix[e] = two;
    }
  }
}

}  // namespace verdalis
