#pragma once
// The PC search from one source with one pair's weight changed both ways,
// repaired from the global search.
//
// A direction made heavier that is no step of the source's tree of best
// paths leaves the search unchanged (as a removed node does). One that is a
// step invalidates the nodes below it, which take their best entry from the
// rest of the tree and settle among themselves. A direction made lighter
// can only lower distances; they are lowered from it outwards. In both
// cases the new distances are the least fixed point of the variant's
// relaxations, the one the scan reaches whenever every node is reached from
// a node whose distance rounds to a smaller float (always in single
// precision, checked in double precision, searched again in full
// otherwise). Without a cut, lowering walks only the pairs no longer than
// the best path between their ends: a longer pair stays longer when
// distances drop. O(moved nodes · their entries) per pair and source.
//
// The repair reads a source through a view (its distances, predecessors,
// tree and float-class facts), so that the full form, which keeps the rows
// of every source, and the form by neighbour, which searches one source at
// a time, share it.
#include <algorithm>
#include <atomic>
#include <limits>
#include <type_traits>
#include <vector>

#include "engine/float_class.h"
#include "engine/global_searches.h"
#include "engine/kept_entries.h"
#include "engine/rounding_margins.h"
#include "engine/source_terms.h"
#include "graph/exact_search.h"
#include "graph/min_heap.h"

namespace verdalis {

// Where the distances of a source in a variant come from.
enum class rowSource { global, repaired, searchedAgain };

// A measured pair and what it changes.
struct linkPair {
  int a, b;       // a > b
  float p;        // new direct probability both ways
  float weight;   // new search weight both ways (kNoLink: not walked)
  bool linkedBefore, linkedAfter;
};

// The binary links of a landscape of `edges` once the pair is changed.
inline int edgesWith(int edges, const linkPair& c) {
  if (c.linkedBefore && !c.linkedAfter) return edges - 1;
  if (!c.linkedBefore && c.linkedAfter) return edges + 1;
  return edges;
}

// The working memory of one thread for the pairs of one source: the
// variant's rows, global where unchanged, and the nodes that moved.
template <class T>
struct linkScratch {
  std::vector<T> cur;
  std::vector<int> curNl;
  std::vector<char> changed;
  std::vector<int> changedList;
  std::vector<char> inSet;
  std::vector<int> set, queue;
  std::vector<int> realizer;  // the entry that gave a moved node its value
  searchRow<T> full;
  std::vector<char> flags;
  indexedHeap<T> heap;
  int loadedSource = -1;

  void mark(int v) {
    if (!changed[v]) {
      changed[v] = 1;
      changedList.push_back(v);
    }
  }
};

// A source as the full form keeps it: its rows of the global searches and
// its tree in compressed form.
template <class T>
struct keptRowsSource {
  int s = -1;
  const T* dist = nullptr;
  const int* pred = nullptr;
  bool delicate = false;
  const std::vector<int>* sameClass = nullptr;
  const sourceRows* rows = nullptr;
  template <class F>
  void forEachChild(int v, F&& f) const {
    for (int k = rows->childStart[v]; k < rows->childStart[v + 1]; ++k) f(rows->children[k]);
  }
};

// Pairs that can be the last step of a best path after some distances drop:
// the pairs no longer than the best path between their ends, with the
// useful-pair margin. Only for searches without a cut (a cut depends on the
// source, so a path that is shorter from one node may not be walked from
// another).
template <class T>
searchWeights usefulPairs(const searchWeights& w, const globalSearches<T>& rows) {
  const int n = w.n;
  T longest = 0;
  for (T d : rows.dist)
    if (d != unreachedDistance<T>()) longest = std::max(longest, d);
  searchWeights useful;
  useful.n = n;
  useful.dense = false;
  useful.start.assign(static_cast<std::size_t>(n) + 1, 0);
  for (int u = 0; u < n; ++u) {
    const T* best = rows.distRow(u);
    w.forEachOut(u, [&](int v, float weight) {
      const double margin = usefulPairMargin<T>(n, static_cast<double>(longest), weight);
      if (static_cast<double>(weight) <= static_cast<double>(best[v]) + margin) {
        useful.target.push_back(v);
        useful.weight.push_back(weight);
      }
    });
    useful.start[u + 1] = useful.target.size();
  }
  return useful;
}

template <class T>
class linkPCRows {
 public:
  explicit linkPCRows(const pcSearches<T>& searches)
      : w(searches.weights), cut(searches.cut), rows(&searches.rows), n(w.n) {}
  // Searches over compressed rows that keep no rows of their sources: the
  // sources come as views to repair().
  linkPCRows(const searchWeights& weights, T cutValue) : w(weights), cut(cutValue), rows(nullptr), n(w.n) {}

  // Builds the lists the repairs walk and check, when they pay. Pairs
  // removed or made sure only lengthen paths or weigh 0, so no path sum
  // outgrows the bound the class lists are drawn with.
  void useLists(bool weightsBounded, std::size_t maxKept, unsigned threads, std::atomic<long long>& cpuMicros);

  // The distances from d.s in the variant of c: in the global row, in x.cur
  // (moved nodes listed) or in x.full.
  rowSource row(const sourceRows& d, const linkPair& c, linkScratch<T>& x) const;

  // The same from a source view whose distances x.cur holds on entry: the
  // moved nodes' new values in x.cur, listed in x.changedList; or
  // searchedAgain when the checks fail, the search left to the caller.
  template <class Source>
  rowSource repair(const Source& d, const linkPair& c, linkScratch<T>& x) const;

 private:
  const searchWeights& w;
  const T cut;
  const globalSearches<T>* rows;
  const int n;
  searchWeights useful;
  bool haveUseful = false;
  keptEntries classKept;
  bool useClassKept = false;

  float weightOf(int u, int v, const linkPair& c) const {
    if ((u == c.a && v == c.b) || (u == c.b && v == c.a)) return c.weight;
    return w.at(u, v);
  }
  // Calls f(z, weight) for every step out of y in the variant of c.
  template <class F>
  void forEachStep(const searchWeights& walk, int y, const linkPair& c, F&& f) const {
    const int other = y == c.a ? c.b : (y == c.b ? c.a : -1);
    walk.forEachOut(y, [&](int z, float weight) {
      if (z != other) f(z, weight);
    });
    if (other >= 0 && c.weight != kNoLink) f(other, c.weight);
  }
  template <class Source>
  void enterBelow(int root, const Source& d, const linkPair& c, linkScratch<T>& x) const;
  void settleAmong(const linkPair& c, linkScratch<T>& x) const;
  void settleListed(const linkPair& c, linkScratch<T>& x) const;
  void lowerFrom(bool downAB, bool downBA, const linkPair& c, linkScratch<T>& x) const;
  template <class Source>
  bool classesHold(const Source& d, const linkPair& c, const linkScratch<T>& x) const;
  bool entriesKeepClass(int y, const linkPair& c, const linkScratch<T>& x, bool onlyChanged) const;
};

template <class T>
void linkPCRows<T>::useLists(bool weightsBounded, std::size_t maxKept, unsigned threads,
                             std::atomic<long long>& cpuMicros) {
  if (cut != std::numeric_limits<T>::infinity() || rows == nullptr) return;
  useful = usefulPairs(w, *rows);
  haveUseful = true;
  if constexpr (!std::is_same_v<T, float>)
    if (w.dense && weightsBounded) useClassKept = buildClassEntries(w, maxKept, threads, classKept, cpuMicros);
}

template <class T>
rowSource linkPCRows<T>::row(const sourceRows& d, const linkPair& c, linkScratch<T>& x) const {
  keptRowsSource<T> view;
  view.s = d.s;
  view.dist = rows->distRow(d.s);
  view.pred = rows->predRow(d.s);
  view.delicate = rows->delicate[d.s] != 0;
  view.sameClass = &rows->sameClass[d.s];
  view.rows = &d;
  const rowSource how = repair(view, c, x);
  if (how == rowSource::searchedAgain)
    exactSearch(d.s, w, cut, -1, x.full, x.flags, pairOverride{c.a, c.b, c.weight});
  return how;
}

template <class T>
template <class Source>
rowSource linkPCRows<T>::repair(const Source& d, const linkPair& c, linkScratch<T>& x) const {
  const int* pred = d.pred;
  const float oldAB = w.at(c.a, c.b), oldBA = w.at(c.b, c.a);
  const bool upAB = c.weight > oldAB, upBA = c.weight > oldBA;
  const bool downAB = c.weight < oldAB, downBA = c.weight < oldBA;
  const int invalidRoot = (upAB && pred[c.b] == c.a) ? c.b : ((upBA && pred[c.a] == c.b) ? c.a : -1);
  if (invalidRoot < 0 && !downAB && !downBA) return rowSource::global;
  if (invalidRoot >= 0) enterBelow(invalidRoot, d, c, x);
  lowerFrom(downAB, downBA, c, x);
  if constexpr (!std::is_same_v<T, float>) {
    if (!classesHold(d, c, x)) return rowSource::searchedAgain;
  }
  return rowSource::repaired;
}

// A heavier step of the tree: the nodes below root take their best entry
// from the rest of the tree, then settle among themselves.
template <class T>
template <class Source>
void linkPCRows<T>::enterBelow(int root, const Source& d, const linkPair& c, linkScratch<T>& x) const {
  const T* dist = d.dist;
  const T unreached = unreachedDistance<T>();
  x.set.assign(1, root);
  for (std::size_t at = 0; at < x.set.size(); ++at) {
    const int v = x.set[at];
    x.inSet[v] = 1;
    d.forEachChild(v, [&](int child) { x.set.push_back(child); });
  }
  for (int y : x.set) {
    x.mark(y);
    x.cur[y] = unreached;
  }
  auto enter = [&](int y, int u, float weight) {
    if (x.inSet[u] || dist[u] == unreached || !(dist[u] <= cut)) return;
    const T alt = dist[u] + static_cast<T>(weight);
    if (alt < x.cur[y]) {
      x.cur[y] = alt;
      x.realizer[y] = u;
    }
  };
  for (int y : x.set) {
    if (w.dense) {
      for (int u = 0; u < n; ++u) enter(y, u, weightOf(u, y, c));
      continue;
    }
    for (std::size_t e = w.inStart[y]; e < w.inStart[y + 1]; ++e) enter(y, w.inSource[e], weightOf(w.inSource[e], y, c));
    // The changed pair itself may be missing from the sparse lists.
    const int other = y == c.a ? c.b : (y == c.b ? c.a : -1);
    if (other >= 0 && c.weight != kNoLink) enter(y, other, c.weight);
  }
  if (w.dense)
    settleAmong(c, x);
  else
    settleListed(c, x);
  for (int y : x.set) x.inSet[y] = 0;
}

// Complete graphs: the nearest node left relaxes every other one.
template <class T>
void linkPCRows<T>::settleAmong(const linkPair& c, linkScratch<T>& x) const {
  const T unreached = unreachedDistance<T>();
  std::vector<int>& left = x.queue;
  left.assign(x.set.begin(), x.set.end());
  while (!left.empty()) {
    std::size_t at = 0;
    for (std::size_t m = 1; m < left.size(); ++m)
      if (x.cur[left[m]] < x.cur[left[at]]) at = m;
    const int y = left[at];
    left[at] = left.back();
    left.pop_back();
    const T dy = x.cur[y];
    if (dy == unreached) break;
    if (!(dy <= cut)) continue;
    for (int z : left) {
      const T alt = dy + static_cast<T>(weightOf(y, z, c));
      if (alt < x.cur[z]) {
        x.cur[z] = alt;
        x.realizer[z] = y;
      }
    }
  }
}

// Compressed rows: a heap over the nodes below, each relaxing its own steps;
// the least fixed point is the same whichever of equal nodes goes first.
template <class T>
void linkPCRows<T>::settleListed(const linkPair& c, linkScratch<T>& x) const {
  const T unreached = unreachedDistance<T>();
  indexedHeap<T>& heap = x.heap;
  heap.prepare(n);
  for (int y : x.set)
    if (x.cur[y] != unreached) heap.push({x.cur[y], y});
  while (!heap.empty()) {
    const int y = heap.top().second;
    const T dy = heap.top().first;
    heap.pop();
    x.inSet[y] = 2;  // settled
    if (!(dy <= cut)) continue;
    forEachStep(w, y, c, [&](int z, float weight) {
      if (x.inSet[z] != 1) return;
      const T alt = dy + static_cast<T>(weight);
      if (alt < x.cur[z]) {
        x.cur[z] = alt;
        x.realizer[z] = y;
        heap.push({alt, z});
      }
    });
  }
}

// Lighter directions: distances drop from them outwards.
template <class T>
void linkPCRows<T>::lowerFrom(bool downAB, bool downBA, const linkPair& c, linkScratch<T>& x) const {
  using entry = std::pair<T, int>;
  const T unreached = unreachedDistance<T>();
  indexedHeap<T>& heap = x.heap;
  heap.prepare(n);
  auto lower = [&](int u, int v, float weight) {
    const T du = x.cur[u];
    if (du == unreached || !(du <= cut) || weight == kNoLink) return;
    const T alt = du + static_cast<T>(weight);
    if (alt < x.cur[v]) {
      x.cur[v] = alt;
      x.realizer[v] = u;
      x.mark(v);
      heap.push({alt, v});
    }
  };
  if (downAB) lower(c.a, c.b, c.weight);
  if (downBA) lower(c.b, c.a, c.weight);
  const searchWeights& walk = haveUseful ? useful : w;
  while (!heap.empty()) {
    const entry top = heap.top();
    heap.pop();
    const int y = top.second;
    if (top.first != x.cur[y]) continue;
    forEachStep(walk, y, c, [&](int z, float weight) { lower(y, z, weight); });
  }
}

template <class T>
template <class Source>
bool linkPCRows<T>::classesHold(const Source& d, const linkPair& c, const linkScratch<T>& x) const {
  if (d.delicate) return false;
  for (int v : x.changedList) {
    const int u = x.realizer[v];
    if (u >= 0 && sameFloatClass(x.cur[u], x.cur[v]) && !entriesKeepClass(v, c, x, false)) return false;
  }
  // The nodes that kept their value but relied on every entry keeping its
  // class: the entries from changed nodes, and the changed pair, must still.
  for (int y : *d.sameClass)
    if (!x.changed[y] && !entriesKeepClass(y, c, x, true)) return false;
  return true;
}

// Whether the entries of y in the variant of c give its value or a higher
// float class; with onlyChanged, those from changed nodes and the changed
// pair only (the others are as in the global landscape).
template <class T>
bool linkPCRows<T>::entriesKeepClass(int y, const linkPair& c, const linkScratch<T>& x, bool onlyChanged) const {
  auto value = [&](int u) { return x.cur[u]; };
  if (!useClassKept && !onlyChanged) return entriesKeepValue(w, y, cut, value, pairOverride{c.a, c.b, c.weight}, -1);
  const T unreached = unreachedDistance<T>();
  const T target = x.cur[y];
  auto keeps = [&](int u, float weight) {
    const T du = x.cur[u];
    if (du == unreached || !(du <= cut) || weight == kNoLink) return true;
    return keepsFloatClass(du + static_cast<T>(weight), target);
  };
  const bool end = y == c.a || y == c.b;
  const int other = y == c.a ? c.b : c.a;
  if (useClassKept) {
    auto skip = [&](int u, int witness) {
      return (end && u == other) || (onlyChanged && !x.changed[u]) ||
             (witness >= 0 && witnessHolds(u, witness, y, c.a, c.b));
    };
    if (!listedEntriesKeepClass(classKept, y, target, value, skip)) return false;
  } else if (w.dense) {
    for (int u : x.changedList)
      if (u != y && !(end && u == other) && !keeps(u, w.at(u, y))) return false;
  } else {
    bool all = true;
    w.forEachIn(y, [&](int u, float weight) {
      if (all && x.changed[u] && u != y && !(end && u == other) && !keeps(u, weight)) all = false;
    });
    if (!all) return false;
  }
  return !end || keeps(other, c.weight);
}

}  // namespace verdalis
