#include "engine/sparse_removal_source.h"

#include <algorithm>
#include <type_traits>

#include "engine/float_class.h"
#include "engine/source_terms.h"
#include "indices/terms.h"

namespace verdalis {

template <class T>
void laneSourcePreparer<T>::useLists(unsigned threads, std::atomic<long long>& cpuMicros) {
  repairs.useLists(threads, cpuMicros);
  if (repairs.keptLists() != nullptr) unbeaten = unbeatenWeights(*repairs.keptLists());
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
  for (int j : reached) {
    d.pcTerms.push_back(pcTerm(as, g.sizes[j], x.search.dist(j)));
    d.pcBest.push_back(static_cast<float>(bestPathProbability(x.search.dist(j))));
  }
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
  // Repairs that walk no kept pairs take the best entries of each node.
  if (repairs.keptLists() == nullptr) {
    x.entries.perNode = repairs.bestEntriesPerNode();
    x.entries.buildReached(w, x.search.distances(), cut, reached);
  }
  localTreeSource<T> view(x.entries);
  view.s = s;
  view.dist = x.search.distances();
  view.delicate = classify(s, x);
  view.ties = &x.ties;
  view.firstChild = x.firstChild.data();
  view.nextSibling = x.nextSibling.data();
  d.pcChanges.clear();
  d.pcChangedNode.clear();
  d.pcChangedTerm.clear();
  for (int k : reached)
    if (k != s && x.firstChild[k] >= 0 && removals.contains(k, g.n)) pcChange(k, view, d, x);
  for (int v : reached) x.firstChild[v] = x.nextSibling[v] = -1;
}

// The terms of the search from s without k that differ from the plain ones.
template <class T>
void laneSourcePreparer<T>::pcChange(int k, localTreeSource<T>& view, laneSource<T>& d, laneScratch<T>& x) const {
  const int s = view.s;
  const float as = g.sizes[s];
  laneChange change;
  change.k = k;
  change.first = d.pcChangedNode.size();
  if (repairs.repair(view, k, x.repair)) {
    x.moved.clear();
    for (int y : x.repair.set) x.moved.push_back({y, pcTerm(as, g.sizes[y], x.repair.newDist[y])});
    std::sort(x.moved.begin(), x.moved.end());
    for (const auto& [y, t] : x.moved) {
      d.pcChangedNode.push_back(y);
      d.pcChangedTerm.push_back(t);
    }
  } else {
    change.whole = true;
    x.again.run(s, w, cut, k);
    for (int j : x.again.reachedAscending()) {
      d.pcChangedNode.push_back(j);
      d.pcChangedTerm.push_back(pcTerm(as, g.sizes[j], x.again.dist(j)));
    }
  }
  for (int y : x.repair.set) x.repair.state[y] = repairState::outside;
  change.last = d.pcChangedNode.size();
  d.pcChanges.push_back(change);
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
  d.binChanges.clear();
  d.binChangedNode.clear();
  d.binChangedLinks.clear();
  for (int k : d.binReach) {
    if (!x.critical[k] || k == s || !removals.contains(k, g.n)) continue;
    binaryLostWithout(links, nl, k, x.binary);
    std::sort(x.binary.set.begin(), x.binary.set.end());
    laneChange change;
    change.k = k;
    change.first = d.binChangedNode.size();
    for (int y : x.binary.set) {
      d.binChangedNode.push_back(y);
      d.binChangedLinks.push_back(x.binary.lostNl[y]);
    }
    change.last = d.binChangedNode.size();
    d.binChanges.push_back(change);
  }
  for (int v : d.binReach) x.critical[v] = 0;
}

template class laneSourcePreparer<float>;
template class laneSourcePreparer<double>;

}  // namespace verdalis
