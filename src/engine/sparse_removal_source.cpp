#include "engine/sparse_removal_source.h"

#include <algorithm>
#include <limits>
#include <type_traits>

#include "engine/float_class.h"
#include "engine/source_terms.h"
#include "indices/terms.h"

namespace verdalis {

template <class T>
void laneSourcePreparer<T>::useLists(unsigned threads, std::atomic<long long>& cpuMicros, processGroup* group) {
  repairs.useLists(threads, cpuMicros, group);
  if (repairs.keptLists() != nullptr) unbeaten = unbeatenWeights(*repairs.keptLists());
  // Under a cut a pair's two searches may differ on whether a node within
  // rounding of the cut steps on, and over directed weights they are two
  // paths: there each source adds its own pairs.
  if (drops && !(cut < std::numeric_limits<T>::infinity()) && symmetricRows(w)) owners.build(w);
}

template <class T>
void laneSourcePreparer<T>::prepare(int s, laneSource<T>& d, laneScratch<T>& x) const {
  d.s = s;
  if (pc) pcSide(s, d, x);
  if (binary) binarySide(s, d, x);
}

// Double precision: whether the repairs can vouch for the search from s
// (every node reached from a node of its own float class keeps its value
// over all its entries), and the entries that tie such a node's value.
template <class T>
bool laneSourcePreparer<T>::classify(int s, laneScratch<T>& x) const {
  x.ties.clear();
  if constexpr (std::is_same_v<T, float>) return false;
  const localSearch<T>& search = x.search;
  auto value = [&](int u) { return search.dist(u); };
  for (int v : search.order()) {
    const int u = search.pred(v);
    if (u < 0 || !sameFloatClass(search.dist(u), search.dist(v))) continue;
    if (!entriesKeepValue(w, v, cut, value, pairOverride(), -1)) return true;
    w.forEachIn(v, [&](int from, float weight) {
      const T df = search.dist(from);
      if (from == u || from == v || df == unreachedDistance<T>() || !(df <= cut)) return;
      if (df + static_cast<T>(weight) == search.dist(v)) x.ties.push_back({v, from});
    });
  }
  (void)s;
  return false;
}

template <class T>
void laneSourcePreparer<T>::pcSide(int s, laneSource<T>& d, laneScratch<T>& x) const {
  x.search.run(s, searchWeightsOf(), cut);
  const std::vector<int>& reached = x.search.reachedAscending();
  const float as = g.sizes[s];
  d.pcReach.assign(reached.begin(), reached.end());
  d.pcTerms.clear();
  d.pcBest.clear();
  d.pcLanes.clear();
  d.pcDrops.clear();
  // Drops are summed from every term that changes, however small.
  const double below = drops ? -std::numeric_limits<double>::infinity() : negligible.termBelow(s);
  for (int j : reached) {
    const double p = bestPathProbability(x.search.dist(j));
    const double term = pcTermOfProbability(as, g.sizes[j], p);
    if (!drops && !(term < below)) d.pcLanes.push_back(static_cast<int>(d.pcTerms.size()));
    d.pcTerms.push_back(term);
    d.pcBest.push_back(static_cast<float>(p));
  }
  x.pcRecords.clear();
  // A source of no attribute (a stepping stone) has every term 0 with or
  // without any node: no removal moves one, and its tree is not needed.
  if (as != 0) pcRemovals(s, below, d, x);
  d.pcMoved.group(x.pcRecords, static_cast<int>(d.pcReach.size()), tasks);
}

// The removals that change the search from s, each repaired over the tree
// of best paths, into the source's records or drops.
template <class T>
void laneSourcePreparer<T>::pcRemovals(int s, double below, laneSource<T>& d, laneScratch<T>& x) const {
  const std::vector<int>& reached = x.search.reachedAscending();
  // The tree of best paths, as lists of children.
  if (x.firstChild.size() != static_cast<std::size_t>(g.n)) {
    x.firstChild.assign(g.n, -1);
    x.nextSibling.assign(g.n, -1);
  }
  for (int v : x.search.order()) {
    const int parent = x.search.pred(v);
    if (parent < 0) continue;
    x.nextSibling[v] = x.firstChild[parent];
    x.firstChild[parent] = v;
  }
  // Children in the reverse of their treatment order, so that the preorder
  // takes the nearer ones first.
  x.tree.build(
      g.n, s, [&](int v, auto&& f) { for (int c = x.firstChild[v]; c >= 0; c = x.nextSibling[c]) f(c); },
      [&](int v) { return x.search.pred(v); });
  if (const removalEntries* kept = repairs.keptLists())
    x.keyed.build(x.tree, x.search.distances(), cut, [&](int u, auto&& f) {
      for (std::size_t e = kept->outStart[u]; e < kept->outStart[u + 1]; ++e) f(kept->outTo[e], kept->outWeight[e]);
    });
  else
    x.keyed.build(x.tree, x.search.distances(), cut, [&](int u, auto&& f) {
      for (std::size_t e = w.start[u]; e < w.start[u + 1]; ++e) f(w.target[e], w.weight[e]);
    });
  localTreeSource<T> view(x.entries, x.tree);
  view.keyed = &x.keyed;
  view.s = s;
  view.dist = x.search.distances();
  // Without a cut, drops take the repair's least paths whatever the
  // double-precision checks would say, so none is made. With a cut, a value
  // the search keeps within rounding of a lower one can decide whether a
  // node steps on, and the checks stay.
  view.unchecked = drops && !(cut < std::numeric_limits<T>::infinity());
  view.delicate = !view.unchecked && classify(s, x);
  view.ties = &x.ties;
  if (!drops) view.negligibleFrom = negligible.distanceFrom(s, g.sizes[s]);
  markPositions(d.pcReach, x);
  if (owners.built()) markOwnedBelow(s, x);
  for (int k : reached)
    if (k != s && k < measuredBelow && x.firstChild[k] >= 0 && removals.contains(k, g.n) &&
        view.dist[k] < view.negligibleFrom && (!owners.built() || x.ownedBelow[x.tree.position[k]]))
      pcChange(k, below, view, d, x);
  clearPositions(d.pcReach, x);
  for (int v : reached) x.firstChild[v] = x.nextSibling[v] = -1;
}

// From the leaves up: a node comes after its parent in preorder.
template <class T>
void laneSourcePreparer<T>::markOwnedBelow(int s, laneScratch<T>& x) const {
  const treePreorder& tree = x.tree;
  x.ownedBelow.assign(tree.nodes.size(), 0);
  for (std::size_t at = tree.nodes.size(); at-- > 1;) {
    const int v = tree.nodes[at];
    if (owners.owns(s, v) || x.ownedBelow[at]) x.ownedBelow[tree.position[x.search.pred(v)]] = 1;
  }
}

template <class T>
void laneSourcePreparer<T>::markPositions(const std::vector<int>& row, laneScratch<T>& x) const {
  if (x.position.size() != static_cast<std::size_t>(g.n)) x.position.assign(g.n, -1);
  for (std::size_t at = 0; at < row.size(); ++at) x.position[row[at]] = static_cast<int>(at);
}

template <class T>
void laneSourcePreparer<T>::clearPositions(const std::vector<int>& row, laneScratch<T>& x) const {
  for (int v : row) x.position[v] = -1;
}

// Calls moved(at, term) with the new term of the positions of the row
// that k's removal can move (+0 for a node no longer reached) and that
// counted(node) takes: every node of the repair when the checks vouch for
// it, or when it is taken unchecked; else the nodes whose distance moved in
// a search made again.
template <class T>
template <class Counted, class Moved>
void laneSourcePreparer<T>::forEachMoved(int k, localTreeSource<T>& view, const laneSource<T>& d,
                                         laneScratch<T>& x, Counted&& counted, Moved&& moved) const {
  const float as = g.sizes[view.s];
  auto termOf = [&](int y, T now) { return now == unreachedDistance<T>() ? 0.0 : pcTerm(as, g.sizes[y], now); };
  bool vouched = true;
  if (view.unchecked) repairs.settle(view, k, x.repair);
  else vouched = repairs.repair(view, k, x.repair);
  if (vouched) {
    for (int y : x.repair.set)
      if (counted(y)) moved(x.position[y], termOf(y, x.repair.newDist[y]));
    return;
  }
  searchWithout(view.s, k, x);
  for (std::size_t at = 0; at < d.pcReach.size(); ++at) {
    const int j = d.pcReach[at];
    if (j != k && x.again.dist(j) != view.dist[j] && counted(j))
      moved(static_cast<int>(at), termOf(j, x.again.dist(j)));
  }
}

// The terms of the search from s without k that differ from the plain
// ones, for k's lane; or, with drops, their old values minus the new ones,
// in the order of the repair or of the row.
template <class T>
void laneSourcePreparer<T>::pcChange(int k, double below, localTreeSource<T>& view, laneSource<T>& d,
                                     laneScratch<T>& x) const {
  if (drops) {
    // Over symmetric weights one end of each pair adds it, for both.
    const bool halves = owners.built();
    double drop = 0;
    forEachMoved(
        k, view, d, x, [&](int y) { return !halves || owners.owns(view.s, y); },
        [&](int at, double term) { drop += d.pcTerms[at] - term; });
    d.pcDrops.push_back({k, halves ? 2 * drop : drop});
    return;
  }
  const int lane = tasks.laneOf(k);
  forEachMoved(k, view, d, x, [](int) { return true; }, [&](int at, double term) {
    if (!(d.pcTerms[at] < below)) x.pcRecords.push_back({lane, at, term});  // else no lane adds it
  });
}

// The search from s without k in full. With the kept pairs, over those no
// node beats and those only k beats: the others stay beaten without k, so
// they give no least value and no tie.
template <class T>
void laneSourcePreparer<T>::searchWithout(int s, int k, laneScratch<T>& x) const {
  const removalEntries* kept = repairs.keptLists();
  if (kept == nullptr) {
    x.again.run(s, w, cut, k);
    return;
  }
  x.witnessed.reset(g.n);
  for (std::size_t e = kept->byWitnessStart[k]; e < kept->byWitnessStart[k + 1]; ++e)
    x.witnessed.add(kept->byWitnessFrom[e], kept->byWitnessTo[e], kept->byWitnessWeight[e]);
  x.again.run(s, unbeaten, cut, k, pairOverride(), &x.witnessed);
}

template <class T>
void laneSourcePreparer<T>::binarySide(int s, laneSource<T>& d, laneScratch<T>& x) const {
  x.breadth.run(links, s);
  const int* nl = x.breadth.distances();
  const int c = components.id[s];
  d.binReach.assign(components.members.begin() + components.start[c],
                    components.members.begin() + components.start[c + 1]);
  d.binLinks.clear();
  for (int j : d.binReach) d.binLinks.push_back(nl[j]);
  if (x.critical.size() != static_cast<std::size_t>(g.n)) x.critical.assign(g.n, 0);
  for (int v : d.binReach) {
    if (v == s) continue;
    const int parent = soleParent(links, nl, v);
    if (parent >= 0) x.critical[parent] = 1;
  }
  markPositions(d.binReach, x);
  x.binRecords.clear();
  for (int k : d.binReach) {
    if (!x.critical[k] || k == s || !removals.contains(k, g.n)) continue;
    binaryLostWithout(links, nl, k, x.binary);
    const int lane = tasks.laneOf(k);
    for (int y : x.binary.set) x.binRecords.push_back({lane, x.position[y], x.binary.lostNl[y]});
  }
  d.binMoved.group(x.binRecords, static_cast<int>(d.binReach.size()), tasks);
  clearPositions(d.binReach, x);
  for (int v : d.binReach) x.critical[v] = 0;
}

template class laneSourcePreparer<float>;
template class laneSourcePreparer<double>;

}  // namespace verdalis
