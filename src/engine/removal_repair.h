#pragma once
// The search from one source with one node k removed, repaired from the
// global search: only the nodes below k in the tree of best paths can
// change, and their new distances are the least fixed point of the
// variant's relaxations. O(|D| · entries) for the D nodes below k, not
// O(n²).
//
// The nodes below k are one stretch of the tree's preorder
// (tree_preorder.h). One sweep over them in that order gives each node its
// best entry from the unchanged part of the tree and from the nodes swept
// before it, and hands its value on to the nodes it steps to; a node
// whose value drops after it was swept waits in a heap, and the heap then
// settles those, nearest first. Most nodes keep the shape of the old tree
// below a detour and are settled by the sweep alone, without a heap.
//
// Which pairs a node below k may enter by: over a dense matrix without a
// cut, the kept pairs (kept_entries.h: a pair beaten through another node
// never gives a least value or a tie); over a dense matrix with a cut, the
// best entries of the global search (best_entries.h); over compressed rows,
// its links. In double precision the repaired values are the scan's only
// when every moved node passes the float-class checks (float_class.h);
// otherwise the caller searches the source again in full.
#include <limits>
#include <type_traits>
#include <vector>

#include "engine/best_entries.h"
#include "engine/float_class.h"
#include "engine/global_searches.h"
#include "engine/kept_entries.h"
#include "engine/source_terms.h"
#include "engine/tree_entries.h"
#include "engine/tree_preorder.h"
#include "engine/tuning.h"
#include "graph/exact_search.h"
#include "graph/min_heap.h"
#include "graph/search_weights.h"

namespace verdalis {

// What one source gives every removal, for the repairs: its distances (n
// entries), its tree of best paths in preorder and what the float-class
// checks know of its search. A repair reads a source through these members
// only, so that the full form (rows kept for every source) and the form by
// neighbour (one search at a time) share it.
template <class T>
struct removalSource {
  sourceRows rows;
  std::vector<int> reach;     // nodes the PC search reached, in position order
  std::vector<char> critical; // sole shortest-path parent of some node
  bestEntries<T> entries;     // dense matrix with a cut only
  treePreorder tree;
  const treeEntries<T>* keyed = nullptr;  // not built for the full form
  const T* dist = nullptr;
  bool delicate = false;
  const std::vector<std::pair<int, int>>* ties = nullptr;
  // Nodes this far from the source or farther add nothing to any sum.
  T negligibleFrom = std::numeric_limits<T>::infinity();

  int source() const { return rows.s; }
};

// The working memory of one thread, kept between repairs: only the nodes of
// each repair are touched.
template <class T>
struct removalScratch {
  std::vector<int> set;  // the nodes below k, in preorder
  std::vector<T> newDist;
  std::vector<int> newPred;
  std::vector<int> ids;
  std::vector<T> vals;
  indexedHeap<T> heap;
  // Pairs beaten through the removed node only, between nodes below it,
  // for the repair at hand.
  stepsByOrigin extra;
  searchRow<T> full;
  std::vector<char> flags;
  // The stretch of the preorder below k: positions (lo, hi), exclusive.
  // `set` leaves out the subtrees that lie at `limit` or beyond: their
  // terms add nothing, and they hand nothing on.
  const int* position = nullptr;
  int lo = 0, hi = 0;
  T limit = std::numeric_limits<T>::infinity();
  bool below(int v) const {
    const int at = position[v];
    return at > lo && at < hi;
  }
};

// The values a sweep lowers, held in locals for its inner loop. Most steps
// do not lower the value they reach, and which ones do cannot be
// predicted: the update is written as selects, and only the rare push into
// the heap branches. A node waits in the heap when it is lowered from the
// heap, or in the sweep by a node after it (y at position at).
template <class T>
struct sweepValues {
  T* value;
  int* parent;
  const int* position;
  indexedHeap<T>& heap;

  // A sweep starts with an empty heap over the n nodes.
  sweepValues(removalScratch<T>& x, int n)
      : value(x.newDist.data()), parent(x.newPred.data()), position(x.position), heap(x.heap) {
    heap.prepare(n);
  }
  void lower(int y, int at, bool swept, int z, T alt) const {
    const T old = value[z];
    const bool lowers = alt < old;
    value[z] = lowers ? alt : old;
    parent[z] = lowers ? y : parent[z];
    if (lowers & (!swept | (position[z] < at))) heap.push({alt, z});
  }
};

template <class T>
class removalRepair {
 public:
  removalRepair(const searchWeights& weights, T cutValue, const engineLimits& engineLimits)
      : w(weights), cut(cutValue), n(w.n), limits(engineLimits) {}

  // Builds the lists of pairs the repairs walk and check, when they pay.
  // Builds the kept pairs; with a group, its processes share the work.
  void useLists(unsigned threads, std::atomic<long long>& cpuMicros, processGroup* group = nullptr);
  int bestEntriesPerNode() const { return limits.bestEntriesPerNode; }
  // The kept pairs, when the repairs walk them (null otherwise).
  const removalEntries* keptLists() const { return useKept ? &kept : nullptr; }
  bool needsBestEntries() const { return w.dense && !useKept; }

  // New distances of the nodes below k in x.newDist over x.set (x.below
  // tells them); false when the double-precision checks fail and the source
  // must be searched again in full. Source: removalSource or a type with
  // the same members.
  template <class Source>
  bool repair(const Source& d, int k, removalScratch<T>& x) const;
  // The same least fixed point without the checks, for a caller that takes
  // it whatever they would say.
  template <class Source>
  void settle(const Source& d, int k, removalScratch<T>& x) const;

 private:
  const searchWeights& w;
  const T cut;
  const int n;
  const engineLimits limits;
  removalEntries kept;  // dense, no cut: the pairs a repaired path can end with
  bool useKept = false;
  keptEntries classKept;  // the same with float-class margins
  bool useClassKept = false;

  template <class Source>
  void collectBelow(const Source& d, int k, removalScratch<T>& x) const;
  void witnessPairs(int k, removalScratch<T>& x, const T* dist) const;
  void entryKept(int y, int k, const removalScratch<T>& x, const T* dist, T& best, int& from) const;
  void entryListed(const bestEntries<T>& entries, int y, int k, const removalScratch<T>& x, const T* dist, T& best,
                   int& from) const;
  void entryRows(int y, int k, const removalScratch<T>& x, const T* dist, T& best, int& from) const;
  void settleDense(removalScratch<T>& x) const;
  template <class Entry, class Steps>
  void sweep(removalScratch<T>& x, Entry&& entry, Steps&& steps) const;
  void sweepKeyed(const treeEntries<T>& keyed, int k, int dk, removalScratch<T>& x) const;
  bool classesHold(bool delicate, const std::vector<std::pair<int, int>>& ties, int k, const removalScratch<T>& x,
                   const T* dist) const;
  template <class Values>
  bool entriesKeepClass(int y, int k, Values&& value) const;
  bool stepsFrom(int u, int k, const removalScratch<T>& x, const T* dist) const {
    return u != k && !x.below(u) && dist[u] != unreachedDistance<T>() && dist[u] <= cut;
  }
};

template <class T>
void removalRepair<T>::useLists(unsigned threads, std::atomic<long long>& cpuMicros, processGroup* group) {
  if (cut != std::numeric_limits<T>::infinity()) return;
  keptEntries pairs;
  const std::size_t maxKept = limits.keptPairsWorthIt(n);
  useKept = buildSearchEntries<T>(w, maxKept, threads, pairs, cpuMicros, group);
  if (useKept) kept = splitByWitness(pairs);
  if constexpr (!std::is_same_v<T, float>)
    useClassKept = useKept && buildClassEntries(w, maxKept, threads, classKept, cpuMicros, group);
}

template <class T>
template <class Source>
void removalRepair<T>::collectBelow(const Source& d, int k, removalScratch<T>& x) const {
  const treePreorder& tree = d.tree;
  x.position = tree.position.data();
  x.lo = tree.position[k];
  x.hi = tree.end[x.lo];
  x.limit = d.negligibleFrom;
  // A subtree lies no nearer than its root: one at the limit is passed over whole.
  x.set.clear();
  for (int at = x.lo + 1; at < x.hi;) {
    const int y = tree.nodes[at];
    if (d.dist[y] >= x.limit) {
      at = tree.end[at];
      continue;
    }
    x.set.push_back(y);
    ++at;
  }
  if (x.newDist.size() != static_cast<std::size_t>(n)) {
    x.newDist.assign(n, unreachedDistance<T>());
    x.newPred.assign(n, -1);
  }
  for (int y : x.set) {
    x.newDist[y] = unreachedDistance<T>();
    x.newPred[y] = -1;
  }
}

template <class T>
template <class Source>
bool removalRepair<T>::repair(const Source& d, int k, removalScratch<T>& x) const {
  settle(d, k, x);
  if constexpr (!std::is_same_v<T, float>) return classesHold(d.delicate, *d.ties, k, x, d.dist);
  return true;
}

template <class T>
template <class Source>
void removalRepair<T>::settle(const Source& d, int k, removalScratch<T>& x) const {
  const T* dist = d.dist;
  collectBelow(d, k, x);
  auto rowSteps = [&](int y, auto&& relax) {
    for (std::size_t e = w.start[y]; e < w.start[y + 1]; ++e) relax(w.target[e], w.weight[e]);
  };
  if (d.keyed != nullptr) {
    if (useKept) witnessPairs(k, x, dist);
    sweepKeyed(*d.keyed, k, d.tree.depth[x.lo], x);
  } else if (useKept) {
    witnessPairs(k, x, dist);
    sweep(
        x, [&](int y, T& best, int& from) { entryKept(y, k, x, dist, best, from); },
        [&](int y, auto&& relax) {
          for (std::size_t e = kept.outStart[y]; e < kept.outStart[y + 1]; ++e) relax(kept.outTo[e], kept.outWeight[e]);
          x.extra.forEachFrom(y, relax);
        });
  } else if (d.entries.built() && w.dense) {
    for (int y : x.set) entryListed(d.entries, y, k, x, dist, x.newDist[y], x.newPred[y]);
    settleDense(x);
  } else if (d.entries.built()) {
    sweep(
        x, [&](int y, T& best, int& from) { entryListed(d.entries, y, k, x, dist, best, from); }, rowSteps);
  } else {
    sweep(
        x, [&](int y, T& best, int& from) { entryRows(y, k, x, dist, best, from); }, rowSteps);
  }
}

// The pairs that only k beat: from the unchanged part, entries of the
// nodes below k; between nodes below k, steps kept for the repair at hand.
template <class T>
void removalRepair<T>::witnessPairs(int k, removalScratch<T>& x, const T* dist) const {
  x.extra.reset(n);
  for (std::size_t e = kept.byWitnessStart[k]; e < kept.byWitnessStart[k + 1]; ++e) {
    const int y = kept.byWitnessTo[e];
    if (!x.below(y)) continue;
    const int u = kept.byWitnessFrom[e];
    if (x.below(u)) {
      x.extra.add(u, y, kept.byWitnessWeight[e]);
      continue;
    }
    if (dist[u] == unreachedDistance<T>()) continue;
    const T alt = dist[u] + static_cast<T>(kept.byWitnessWeight[e]);
    if (alt < x.newDist[y]) {
      x.newDist[y] = alt;
      x.newPred[y] = u;
    }
  }
}

// The best entry of y from the unchanged part of the tree, over the pairs
// that can still end a best path without k.
template <class T>
void removalRepair<T>::entryKept(int y, int k, const removalScratch<T>& x, const T* dist, T& best, int& from) const {
  const T unreached = unreachedDistance<T>();
  for (std::size_t e = kept.inStart[y]; e < kept.inStart[y + 1]; ++e) {
    const int u = kept.inFrom[e];
    if (u == k || x.below(u) || dist[u] == unreached) continue;
    const T alt = dist[u] + static_cast<T>(kept.inWeight[e]);
    if (alt < best) {
      best = alt;
      from = u;
    }
  }
}

// The first listed best entry still in place; a node whose every listed
// entry comes from below k reads all its entries.
template <class T>
void removalRepair<T>::entryListed(const bestEntries<T>& entries, int y, int k, const removalScratch<T>& x,
                                   const T* dist, T& best, int& from) const {
  const int M = entries.perNode;
  const std::size_t row = static_cast<std::size_t>(entries.rowOf(y));
  const int* froms = entries.from.data() + row * M;
  const T* alts = entries.alt.data() + row * M;
  const int count = entries.count[row];
  int at = 0;
  while (at < count && !stepsFrom(froms[at], k, x, dist)) ++at;
  if (at < count) {
    if (alts[at] < best) {
      best = alts[at];
      from = froms[at];
    }
    return;
  }
  if (count < M) return;  // no entry at all from the unchanged part
  w.forEachIn(y, [&](int u, float weight) {
    if (!stepsFrom(u, k, x, dist)) return;
    const T alt = dist[u] + static_cast<T>(weight);
    if (alt < best) {
      best = alt;
      from = u;
    }
  });
}

template <class T>
void removalRepair<T>::entryRows(int y, int k, const removalScratch<T>& x, const T* dist, T& best, int& from) const {
  for (std::size_t e = w.inStart[y]; e < w.inStart[y + 1]; ++e) {
    const int u = w.inSource[e];
    if (!stepsFrom(u, k, x, dist)) continue;
    const T alt = dist[u] + static_cast<T>(w.inWeight[e]);
    if (alt < best) {
      best = alt;
      from = u;
    }
  }
}

// One pass over the nodes below k in preorder: each takes its best entry
// from the unchanged part (entry), on top of what the nodes before it
// handed on, and hands its value on (steps) to the nodes it reaches. A
// node whose value drops after its turn waits in the heap, which then
// settles the waiting nodes nearest first. Every value is that of a path
// of the variant, and at the end no step lowers any, so they are the least
// fixed point, whatever the order of the pass.
template <class T>
template <class Entry, class Steps>
void removalRepair<T>::sweep(removalScratch<T>& x, Entry&& entry, Steps&& steps) const {
  const sweepValues<T> v(x, n);
  indexedHeap<T>& heap = v.heap;
  T* value = v.value;
  int* parent = v.parent;
  const T unreached = unreachedDistance<T>();
  const T limit = x.limit;
  auto handOn = [&](int y, bool swept) {
    const T dy = value[y];
    if (dy == unreached || !(dy <= cut) || !(dy < limit)) return;
    const int at = v.position[y];
    steps(y, [&](int z, float weight) {
      if (x.below(z)) v.lower(y, at, swept, z, dy + static_cast<T>(weight));
    });
  };
  for (int y : x.set) {
    entry(y, value[y], parent[y]);
    handOn(y, true);
  }
  while (!heap.empty()) {
    const int y = heap.top().second;
    heap.pop();
    handOn(y, false);
  }
}

// The sweep over lists keyed by subtree (tree_entries.h): a node reads its
// best entry from outside the subtree of k at once, and walks only the
// steps that stay below k, then those that only k beat.
template <class T>
void removalRepair<T>::sweepKeyed(const treeEntries<T>& keyed, int k, int dk, removalScratch<T>& x) const {
  const sweepValues<T> v(x, n);
  indexedHeap<T>& heap = v.heap;
  T* value = v.value;
  int* parent = v.parent;
  const int* position = v.position;
  const T unreached = unreachedDistance<T>();
  const bool extras = useKept;
  const T limit = x.limit;
  auto handOn = [&](int y, int at, bool swept) {
    const T dy = value[y];
    if (dy == unreached || !(dy <= cut) || !(dy < limit)) return;
    auto relax = [&](int z, float weight) { v.lower(y, at, swept, z, dy + static_cast<T>(weight)); };
    keyed.forEachStepBelow(at, dk, relax);
    if (extras) x.extra.forEachFrom(y, relax);
  };
  for (int y : x.set) {
    const int at = position[y];
    T best;
    int from;
    if (keyed.bestOutside(at, dk, k, best, from) && best < value[y]) {
      value[y] = best;
      parent[y] = from;
    }
    handOn(y, at, true);
  }
  while (!heap.empty()) {
    const int y = heap.top().second;
    heap.pop();
    handOn(y, position[y], false);
  }
}

// Complete graphs: a linear pass over compact copies of the distances below
// k relaxes from the node just taken and finds the next one.
template <class T>
void removalRepair<T>::settleDense(removalScratch<T>& x) const {
  const T unreached = unreachedDistance<T>();
  const int count = static_cast<int>(x.set.size());
  x.ids.assign(x.set.begin(), x.set.end());
  x.vals.resize(count);
  for (int m = 0; m < count; ++m) x.vals[m] = x.newDist[x.ids[m]];
  int remaining = count;
  int best = 0;
  for (int m = 1; m < remaining; ++m)
    if (x.vals[m] < x.vals[best]) best = m;
  while (remaining > 0) {
    const int y = x.ids[best];
    const T dy = x.vals[best];
    x.newDist[y] = dy;
    --remaining;
    x.ids[best] = x.ids[remaining];
    x.vals[best] = x.vals[remaining];
    if (dy == unreached) break;  // the rest is unreachable too
    int next = 0;
    if (dy <= cut) {
      const float* row = w.matrix.data() + static_cast<std::size_t>(y) * n;
      for (int m = 0; m < remaining; ++m) {
        const T alt = dy + static_cast<T>(row[x.ids[m]]);
        if (alt < x.vals[m]) {
          x.vals[m] = alt;
          x.newPred[x.ids[m]] = y;
        }
        if (x.vals[m] < x.vals[next]) next = m;
      }
    } else {
      for (int m = 1; m < remaining; ++m)
        if (x.vals[m] < x.vals[next]) next = m;
    }
    best = next;
  }
  for (int m = 0; m < remaining; ++m) x.newDist[x.ids[m]] = x.vals[m];
}

// Whether every entry of y gives its value or a higher float class, in the
// landscape without k; the entries beaten by a margin of float classes
// through a node other than k do.
template <class T>
template <class Values>
bool removalRepair<T>::entriesKeepClass(int y, int k, Values&& value) const {
  if (!useClassKept) return entriesKeepValue(w, y, cut, value, pairOverride(), k);
  return listedEntriesKeepClass(classKept, y, value(y), value, [k](int u, int witness) {
    return (witness >= 0 && witness != k) || u == k;
  });
}

template <class T>
bool removalRepair<T>::classesHold(bool delicate, const std::vector<std::pair<int, int>>& ties, int k,
                                   const removalScratch<T>& x, const T* dist) const {
  if (delicate) return false;
  const T unreached = unreachedDistance<T>();
  // A node left out of the repair is at least as far as before, which only
  // makes an entry from it look nearer: the checks stay on the safe side.
  auto value = [&](int u) { return x.below(u) && dist[u] < x.limit ? x.newDist[u] : dist[u]; };
  for (int y : x.set) {
    if (!(x.newDist[y] < x.limit)) continue;  // adds nothing to any sum
    const int u = x.newPred[y];
    if (u < 0 || !sameFloatClass(value(u), x.newDist[y])) continue;
    if (!entriesKeepClass(y, k, value)) return false;
  }
  // Nodes that relied on every entry keeping their class: distances only
  // grow when a node goes, so an entry that gave a higher class still does,
  // and only the entries that gave exactly their value, from a node that
  // moved, need a look.
  for (const auto& [y, u] : ties) {
    if (x.below(y) || y == k || !x.below(u) || !(dist[y] < x.limit)) continue;
    const T du = x.newDist[u];
    if (du == unreached || !(du <= cut)) continue;
    const T alt = du + static_cast<T>(w.at(u, y));
    if (!keepsFloatClass(alt, dist[y])) return false;
  }
  return true;
}

}  // namespace verdalis
