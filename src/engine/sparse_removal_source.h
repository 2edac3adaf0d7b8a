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
#include <utility>
#include <vector>

#include "engine/binary_rows.h"
#include "engine/components_without.h"
#include "engine/engine.h"
#include "engine/removal_repair.h"
#include "graph/local_search.h"
#include "landscape/sparse_landscape.h"

namespace verdalis {

// A lane whose sums differ from the plain terms of the source: the moved
// nodes' new values lie in [first, last) of the source's change lists;
// `whole` when those are every term of a search made again in full.
struct laneChange {
  int k = 0;
  std::size_t first = 0, last = 0;
  bool whole = false;
};

template <class T>
struct laneSource {
  int s = -1;
  std::vector<int> pcReach;         // reached nodes, ascending
  std::vector<double> pcTerms;      // a_s a_j p*_sj
  std::vector<float> pcBest;        // p*_sj, for the fractions
  std::vector<laneChange> pcChanges;
  std::vector<int> pcChangedNode;
  std::vector<double> pcChangedTerm;
  std::vector<int> binReach;        // the component of s, ascending
  std::vector<int> binLinks;        // breadth-first distances
  std::vector<laneChange> binChanges;
  std::vector<int> binChangedNode;
  std::vector<int> binChangedLinks; // kUnreached when cut off
};

// The source view the repairs read: the thread's search and its tree.
template <class T>
struct localTreeSource {
  explicit localTreeSource(const bestEntries<T>& best) : entries(best) {}
  int s = -1;
  const T* dist = nullptr;
  bool delicate = false;
  const std::vector<std::pair<int, int>>* ties = nullptr;
  const int* firstChild = nullptr;
  const int* nextSibling = nullptr;
  const bestEntries<T>& entries;  // built when no kept pairs are walked
  int source() const { return s; }
  template <class F>
  void forEachChild(int v, F&& f) const {
    for (int c = firstChild[v]; c >= 0; c = nextSibling[c]) f(c);
  }
};

// The working memory of one thread.
template <class T>
struct laneScratch {
  localSearch<T> search, again;
  localBreadthFirst breadth;
  std::vector<int> firstChild, nextSibling;
  std::vector<char> critical;
  std::vector<std::pair<int, int>> ties;
  removalScratch<T> repair;
  bestEntries<T> entries;
  binaryScratch binary;
  std::vector<std::pair<int, double>> moved;
};

template <class T>
class laneSourcePreparer {
 public:
  laneSourcePreparer(const sparseLandscape& land, const searchWeights& weights, T cut, const binaryGraph& links,
                     const componentIndex& components, bool pc, bool binary, variantRange removals,
                     const engineLimits& limits)
      : g(land), w(weights), cut(cut), links(links), components(components), pc(pc), binary(binary),
        removals(removals), repairs(weights, cut, limits) {}

  // Without a cut, the searches and repairs walk only the pairs that can
  // end a best path (kept_entries.h).
  void useLists(unsigned threads, std::atomic<long long>& cpuMicros);
  void prepare(int s, laneSource<T>& d, laneScratch<T>& x) const;

 private:
  const sparseLandscape& g;
  const searchWeights& w;
  const T cut;
  const binaryGraph& links;
  const componentIndex& components;
  const bool pc, binary;
  const variantRange removals;  // only their changed terms are prepared
  removalRepair<T> repairs;
  searchWeights unbeaten;  // the pairs no node beats, when kept
  const searchWeights& searchWeightsOf() const { return repairs.keptLists() != nullptr ? unbeaten : w; }

  void pcSide(int s, laneSource<T>& d, laneScratch<T>& x) const;
  bool classify(int s, laneScratch<T>& x) const;
  void pcChange(int k, localTreeSource<T>& view, laneSource<T>& d, laneScratch<T>& x) const;
  void binarySide(int s, laneSource<T>& d, laneScratch<T>& x) const;
};

}  // namespace verdalis
