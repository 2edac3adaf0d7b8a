#include "engine/sparse_link_source.h"

#include <algorithm>
#include <tuple>
#include <type_traits>

#include "engine/float_class.h"
#include "engine/source_terms.h"
#include "indices/terms.h"

namespace verdalis {

void pairLanes::index(int n) {
  start.assign(static_cast<std::size_t>(n) + 1, 0);
  for (const linkPair& c : pairs) {
    ++start[c.a + 1];
    ++start[c.b + 1];
  }
  for (int v = 0; v < n; ++v) start[v + 1] += start[v];
  lanes.resize(start[n]);
  std::vector<std::size_t> fill(start.begin(), start.end() - 1);
  for (std::size_t k = 0; k < pairs.size(); ++k) {
    lanes[fill[pairs[k].a]++] = static_cast<int>(k);
    lanes[fill[pairs[k].b]++] = static_cast<int>(k);
  }
}

template <class V>
void sortEvents(std::vector<laneEvent<V>>& events, int lanesPerBlock) {
  std::sort(events.begin(), events.end(), [lanesPerBlock](const laneEvent<V>& x, const laneEvent<V>& y) {
    return std::make_tuple(x.lane / lanesPerBlock, x.node, x.lane) < std::make_tuple(y.lane / lanesPerBlock, y.node, y.lane);
  });
}

template <class T>
void linkSourcePreparer<T>::prepare(int s, linkSource<T>& d, linkSourceScratch<T>& x) const {
  d.s = s;
  if (pc) pcSide(s, d, x);
  if (binary) binarySide(s, d, x);
}

// Double precision: whether the repairs can vouch for the search from s,
// and the nodes reached from a node of their own float class, which rely on
// every entry keeping its class.
template <class T>
bool linkSourcePreparer<T>::classify(linkSourceScratch<T>& x) const {
  x.sameClass.clear();
  if constexpr (std::is_same_v<T, float>) return false;
  const localSearch<T>& search = x.search;
  auto value = [&](int u) { return search.dist(u); };
  for (int v : x.search.reachedAscending()) {
    const int u = search.pred(v);
    if (u < 0 || !sameFloatClass(search.dist(u), search.dist(v))) continue;
    if (!entriesKeepValue(w, v, cut, value, pairOverride(), -1)) return true;
    x.sameClass.push_back(v);
  }
  return false;
}

template <class T>
void linkSourcePreparer<T>::pcSide(int s, linkSource<T>& d, linkSourceScratch<T>& x) const {
  const T unreached = unreachedDistance<T>();
  const std::size_t n = static_cast<std::size_t>(g.n);
  linkScratch<T>& r = x.repair;
  if (r.cur.size() != n) {
    r.cur.assign(n, unreached);
    r.changed.assign(n, 0);
    r.inSet.assign(n, 0);
    r.realizer.assign(n, -1);
    x.firstChild.assign(n, -1);
    x.nextSibling.assign(n, -1);
  }
  localSearch<T>& search = x.search;
  search.run(s, w, cut);
  const std::vector<int>& reached = search.reachedAscending();
  const float as = g.sizes[s];
  d.pcReach.assign(reached.begin(), reached.end());
  d.pcTerms.clear();
  for (int j : reached) d.pcTerms.push_back(pcTerm(as, g.sizes[j], search.dist(j)));
  // The tree of best paths as lists of children, and the repairs' row.
  for (int v : search.order()) {
    r.cur[v] = search.dist(v);
    const int parent = search.pred(v);
    if (parent < 0) continue;
    x.nextSibling[v] = x.firstChild[parent];
    x.firstChild[parent] = v;
  }
  localLinkSource<T> view;
  view.s = s;
  view.dist = search.distances();
  view.pred = search.parents();
  view.delicate = classify(x);
  view.sameClass = &x.sameClass;
  view.firstChild = x.firstChild.data();
  view.nextSibling = x.nextSibling.data();
  d.pcEvents.clear();
  auto isReached = [&](int v) { return search.dist(v) != unreached; };
  for (int v : reached) lanes.forEachAt(v, isReached, [&](int lane) { pcChange(lane, view, d, x); });
  for (int v : reached) {
    x.firstChild[v] = x.nextSibling[v] = -1;
    r.cur[v] = unreached;
  }
}

// The terms of the search from s with one pair changed that differ from
// the plain ones; a search made again gives every target of either search.
template <class T>
void linkSourcePreparer<T>::pcChange(int lane, const localLinkSource<T>& view, linkSource<T>& d,
                                     linkSourceScratch<T>& x) const {
  const linkPair& c = lanes.pairs[lane];
  linkScratch<T>& r = x.repair;
  const rowSource how = repairs.repair(view, c, r);
  const float as = g.sizes[view.s];
  if (how == rowSource::repaired) {
    for (int v : r.changedList) d.pcEvents.push_back({v, lane, pcTerm(as, g.sizes[v], r.cur[v])});
  } else if (how == rowSource::searchedAgain) {
    x.again.run(view.s, w, cut, -1, pairOverride{c.a, c.b, c.weight});
    for (int v : x.search.order()) d.pcEvents.push_back({v, lane, pcTerm(as, g.sizes[v], x.again.dist(v))});
    for (int v : x.again.order())
      if (view.dist[v] == unreachedDistance<T>()) d.pcEvents.push_back({v, lane, pcTerm(as, g.sizes[v], x.again.dist(v))});
  }
  for (int v : r.changedList) {
    r.cur[v] = view.dist[v];
    r.changed[v] = 0;
    r.realizer[v] = -1;
  }
  r.changedList.clear();
}

template <class T>
void linkSourcePreparer<T>::binarySide(int s, linkSource<T>& d, linkSourceScratch<T>& x) const {
  const std::size_t n = static_cast<std::size_t>(g.n);
  if (x.curNl.size() != n) {
    x.curNl.assign(n, kUnreached);
    x.sole.assign(n, -1);
  }
  x.breadth.run(links, s);
  const int* nl = x.breadth.distances();
  const int c = components.id[s];
  d.binReach.assign(components.members.begin() + components.start[c],
                    components.members.begin() + components.start[c + 1]);
  d.binLinks.clear();
  for (int j : d.binReach) {
    d.binLinks.push_back(nl[j]);
    x.curNl[j] = nl[j];
    if (j != s) x.sole[j] = soleParent(links, nl, j);
  }
  d.binEvents.clear();
  auto inComponent = [&](int v) { return components.id[v] == c; };
  for (int v : d.binReach) lanes.forEachAt(v, inComponent, [&](int lane) { binaryChange(lane, nl, d, x); });
  for (int j : d.binReach) {
    x.curNl[j] = kUnreached;
    x.sole[j] = -1;
  }
}

// The new distances of the nodes a link removed or added moves.
template <class T>
void linkSourcePreparer<T>::binaryChange(int lane, const int* nl, linkSource<T>& d, linkSourceScratch<T>& x) const {
  const linkPair& c = lanes.pairs[lane];
  if (c.linkedBefore == c.linkedAfter) return;
  if (c.linkedBefore) {
    const int child = x.sole[c.b] == c.a ? c.b : (x.sole[c.a] == c.b ? c.a : -1);
    if (child < 0) return;
    binaryLostWithoutLink(links, nl, child == c.b ? c.a : c.b, child, x.binary);
    for (int y : x.binary.set) d.binEvents.push_back({y, lane, x.binary.lostNl[y]});
    return;
  }
  x.moved.clear();
  binaryRowWithLink(links, nl, c.a, c.b, x.curNl.data(), x.binary.queue, [&](int v) { x.moved.push_back(v); });
  for (int v : x.moved) {
    if (x.curNl[v] == nl[v]) continue;  // listed twice
    d.binEvents.push_back({v, lane, x.curNl[v]});
    x.curNl[v] = nl[v];
  }
}

template class linkSourcePreparer<float>;
template class linkSourcePreparer<double>;
template void sortEvents(std::vector<laneEvent<double>>&, int);
template void sortEvents(std::vector<laneEvent<int>>&, int);

}  // namespace verdalis
