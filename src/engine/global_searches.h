#pragma once
// The PC searches of the global landscape, kept for the variants: one row
// of distances and best-path predecessors per source, with what the
// double-precision checks of the repairs need to know about each source.
// O(n²) distances and predecessors.
#include <cstddef>
#include <utility>
#include <vector>

#include "graph/search_weights.h"

namespace verdalis {

template <class T>
struct globalSearches {
  int n = 0;
  std::vector<T> dist;         // n*n
  std::vector<int> pred;       // n*n
  std::vector<char> delicate;  // per source: the repairs cannot vouch for its search
  // Per source, the nodes reached from a node of their own float class whose
  // every entry gives their own value or a higher float class.
  std::vector<std::vector<int>> sameClass;
  // Per source, the entries (node, from) of those nodes that give exactly
  // their value without being their best-path parent.
  std::vector<std::vector<std::pair<int, int>>> sameClassTies;
  const T* distRow(int s) const { return dist.data() + static_cast<std::size_t>(s) * n; }
  const int* predRow(int s) const { return pred.data() + static_cast<std::size_t>(s) * n; }
};

// Everything the variants reuse of the PC computation of a landscape: the
// weights its searches walked, the expansion cut of the heuristic (infinite
// without one) and the rows of every source.
template <class T>
struct pcSearches {
  searchWeights weights;
  T cut = 0;
  globalSearches<T> rows;
};

// The searches of a request, or none (empty) when it measures no PC.
template <class T>
const pcSearches<T>& searchesOrNone(const pcSearches<T>* searches) {
  static const pcSearches<T> none;
  return searches != nullptr ? *searches : none;
}

}  // namespace verdalis
