#pragma once
// What one source of a landscape held by neighbour gives every measured
// pair change: its PC and breadth-first terms in target order and, for the
// pairs that change its searches, their own terms as events at the targets
// that move. O(reached nodes + their pairs + moved nodes) per source, with
// working memory of n entries per thread that is cleared over what each
// source touched.
//
// A pair changes the PC search from s only when it makes a step of the tree
// of best paths heavier or a direction lighter (link_pc_row.h repairs it
// from the search's own view), and the breadth-first row only when a
// removed link is some node's sole shortest-path parent link, or an added
// one brings an end nearer (binary_rows.h). A pair neither of whose ends
// the source reaches changes neither.
#include <cstddef>
#include <vector>

#include "engine/binary_rows.h"
#include "engine/components_without.h"
#include "engine/link_pc_row.h"
#include "graph/local_search.h"
#include "landscape/sparse_landscape.h"

namespace verdalis {

// A lane's own term at one target: in place of the plain term of a target
// the plain terms reach, or at its place in target order when they do not.
// For PC the term itself; for the breadth-first rows the new distance
// (kUnreached: no term).
template <class V>
struct laneEvent {
  int node = 0;
  int lane = 0;
  V value = V();
};

// The lanes of a pair analysis: the pairs, and those at every node.
struct pairLanes {
  std::vector<linkPair> pairs;
  std::vector<std::size_t> start;  // n + 1
  std::vector<int> lanes;          // the lanes of the pairs at each node, ascending

  void index(int n);
  // Calls f(lane) for every pair at v that is to be handled at v: at its
  // end a, or at b when a is not reached.
  template <class Reached, class F>
  void forEachAt(int v, Reached&& reached, F&& f) const {
    for (std::size_t e = start[v]; e < start[v + 1]; ++e) {
      const linkPair& c = pairs[lanes[e]];
      if (v == c.a || !reached(c.a)) f(lanes[e]);
    }
  }
};

template <class T>
struct linkSource {
  int s = -1;
  std::vector<int> pcReach;  // reached nodes, ascending
  std::vector<double> pcTerms;
  std::vector<laneEvent<double>> pcEvents;  // by lane block, node, lane
  std::vector<int> binReach;                // the component of s, ascending
  std::vector<int> binLinks;
  std::vector<laneEvent<int>> binEvents;
};

// The source view the link repairs read: the thread's search and its tree.
template <class T>
struct localLinkSource {
  int s = -1;
  const T* dist = nullptr;
  const int* pred = nullptr;
  bool delicate = false;
  const std::vector<int>* sameClass = nullptr;
  const int* firstChild = nullptr;
  const int* nextSibling = nullptr;
  template <class F>
  void forEachChild(int v, F&& f) const {
    for (int c = firstChild[v]; c >= 0; c = nextSibling[c]) f(c);
  }
};

// The working memory of one thread.
template <class T>
struct linkSourceScratch {
  localSearch<T> search, again;
  localBreadthFirst breadth;
  std::vector<int> firstChild, nextSibling, sameClass;
  linkScratch<T> repair;
  binaryScratch binary;
  std::vector<int> curNl, sole, moved;
};

template <class T>
class linkSourcePreparer {
 public:
  linkSourcePreparer(const sparseLandscape& land, const searchWeights& weights, T cut, const binaryGraph& links,
                     const componentIndex& components, const pairLanes& lanes, bool pc, bool binary)
      : g(land), w(weights), cut(cut), links(links), components(components), lanes(lanes), pc(pc),
        binary(binary), repairs(weights, cut) {}

  void prepare(int s, linkSource<T>& d, linkSourceScratch<T>& x) const;

 private:
  const sparseLandscape& g;
  const searchWeights& w;
  const T cut;
  const binaryGraph& links;
  const componentIndex& components;
  const pairLanes& lanes;
  const bool pc, binary;
  linkPCRows<T> repairs;

  void pcSide(int s, linkSource<T>& d, linkSourceScratch<T>& x) const;
  bool classify(linkSourceScratch<T>& x) const;
  void pcChange(int lane, const localLinkSource<T>& view, linkSource<T>& d, linkSourceScratch<T>& x) const;
  void binarySide(int s, linkSource<T>& d, linkSourceScratch<T>& x) const;
  void binaryChange(int lane, const int* nl, linkSource<T>& d, linkSourceScratch<T>& x) const;
};

// Sorts events by lane block (lanesPerBlock lanes each), then target, then
// lane: each block task reads its own stretch in target order.
template <class V>
void sortEvents(std::vector<laneEvent<V>>& events, int lanesPerBlock);

}  // namespace verdalis
