#pragma once
// What one source of a landscape held by neighbour gives every node
// removal: its PC and IIC terms in target order, and, for the removals that
// change its searches, the terms that change. O(reached nodes + repaired
// subtrees) per source, with working memory of n entries per thread that
// is cleared over what each source touched.
//
// A removed node k changes the PC search from s only when k has children in
// its tree of best paths (then the subtree below k is repaired, as in the
// full form: removal_repair.h), and the breadth-first row only when k is
// the sole shortest-path parent of some node (binary_rows.h).
#include <limits>
#include <utility>
#include <vector>

#include "engine/binary_rows.h"
#include "engine/components_without.h"
#include "engine/engine.h"
#include "engine/lane_exceptions.h"
#include "engine/negligible_terms.h"
#include "engine/pair_owners.h"
#include "engine/removal_repair.h"
#include "engine/tree_preorder.h"
#include "graph/local_search.h"
#include "landscape/sparse_landscape.h"

namespace verdalis {

template <class T>
struct laneSource {
  int s = -1;
  std::vector<int> pcReach;         // reached nodes, ascending
  std::vector<double> pcTerms;      // a_s a_j p*_sj
  std::vector<float> pcBest;        // p*_sj, for the fractions
  std::vector<int> pcLanes;         // the positions whose terms can change a sum
  // The terms of the removals that change the search, by position in
  // pcReach: those of the nodes that moved, repaired or searched again in
  // full (+0 for a node no longer reached).
  laneExceptions<double> pcMoved;
  // With drops: for each removal that changes the search, the sum of its
  // old terms minus its new ones, in the order of the repair.
  std::vector<std::pair<int, double>> pcDrops;
  std::vector<int> binReach;        // the component of s, ascending
  std::vector<int> binLinks;        // breadth-first distances
  laneExceptions<int> binMoved;     // new distances, kUnreached when cut off
};

// The source view the repairs read: the thread's search and its tree.
template <class T>
struct localTreeSource {
  localTreeSource(const bestEntries<T>& best, const treePreorder& order) : entries(best), tree(order) {}
  int s = -1;
  const T* dist = nullptr;
  bool delicate = false;
  bool unchecked = false;  // drops without a cut: a repair is taken as it is
  const std::vector<std::pair<int, int>>* ties = nullptr;
  T negligibleFrom = std::numeric_limits<T>::infinity();
  const bestEntries<T>& entries;  // not built: the repairs read `keyed`
  const treePreorder& tree;
  const treeEntries<T>* keyed = nullptr;
  int source() const { return s; }
};

// The working memory of one thread.
template <class T>
struct laneScratch {
  localSearch<T> search, again;
  localBreadthFirst breadth;
  std::vector<int> firstChild, nextSibling;
  treePreorder tree;
  treeEntries<T> keyed;
  std::vector<char> critical;
  std::vector<std::pair<int, int>> ties;
  removalScratch<T> repair;
  bestEntries<T> entries;
  binaryScratch binary;
  std::vector<int> position;  // of each reached node in the row, -1 elsewhere
  // By tree position: whether a node the source adds pairs with lies below.
  std::vector<char> ownedBelow;
  // The pairs that only a removed node beats, for a search made again
  // without it.
  stepsByOrigin witnessed;
  std::vector<laneRecord<double>> pcRecords;
  std::vector<laneRecord<int>> binRecords;
};

template <class T>
class laneSourcePreparer {
 public:
  laneSourcePreparer(const sparseLandscape& land, const searchWeights& weights, T cut, const binaryGraph& links,
                     const componentIndex& components, bool pc, bool binary, variantRange removals,
                     const laneTasks& tasks, const engineLimits& limits, bool drops, int measuredBelow)
      : g(land), w(weights), cut(cut), links(links), components(components), pc(pc), binary(binary),
        drops(drops), measuredBelow(measuredBelow), removals(removals), tasks(tasks), repairs(weights, cut, limits),
        negligible(land.sizes) {}

  // Without a cut, the searches and repairs walk only the pairs that can
  // end a best path (kept_entries.h).
  // With a group, its processes build the kept pairs together.
  void useLists(unsigned threads, std::atomic<long long>& cpuMicros, processGroup* group = nullptr);
  void prepare(int s, laneSource<T>& d, laneScratch<T>& x) const;

 private:
  const sparseLandscape& g;
  const searchWeights& w;
  const T cut;
  const binaryGraph& links;
  const componentIndex& components;
  const bool pc, binary;
  const bool drops;  // the drops of PC, not each removal's terms
  const int measuredBelow;  // the PC removals of the nodes below it are measured
  const variantRange removals;  // only their changed terms are prepared
  const laneTasks tasks;
  removalRepair<T> repairs;
  negligibleTerms<T> negligible;
  searchWeights unbeaten;  // the pairs no node beats, when kept
  pairOwners<T> owners;     // drops over symmetric weights: one end adds a pair
  const searchWeights& searchWeightsOf() const { return repairs.keptLists() != nullptr ? unbeaten : w; }

  void pcSide(int s, laneSource<T>& d, laneScratch<T>& x) const;
  void pcRemovals(int s, double below, laneSource<T>& d, laneScratch<T>& x) const;
  bool classify(int s, laneScratch<T>& x) const;
  void pcChange(int k, double below, localTreeSource<T>& view, laneSource<T>& d, laneScratch<T>& x) const;
  template <class Counted, class Moved>
  void forEachMoved(int k, localTreeSource<T>& view, const laneSource<T>& d, laneScratch<T>& x, Counted&& counted,
                    Moved&& moved) const;
  void markOwnedBelow(int s, laneScratch<T>& x) const;
  void searchWithout(int s, int k, laneScratch<T>& x) const;
  void markPositions(const std::vector<int>& row, laneScratch<T>& x) const;
  void clearPositions(const std::vector<int>& row, laneScratch<T>& x) const;
  void binarySide(int s, laneSource<T>& d, laneScratch<T>& x) const;
};

}  // namespace verdalis
