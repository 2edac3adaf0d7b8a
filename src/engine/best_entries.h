#pragma once
// The best entries into every node from one source, for repairs with a
// cut: per node, the perNode smallest values
// dist(u) + w(u, y) over the nodes u the search steps from, smallest first,
// ties by position. O(n² · perNode) per source at worst over a dense
// matrix, about O(n²) on real landscapes; O(reached · in-degree) over
// compressed weights.
//
// A repair below a removed node gives each node the first of its entries
// whose origin is still in place: the least value over every entry from the
// unchanged part of the tree, with the tie to the lowest position, as a scan
// over the whole column would give. A node whose listed entries all come
// from below the removed node reads its column in full.
#include <limits>
#include <vector>

#include "engine/tuning.h"
#include "graph/exact_search.h"
#include "graph/search_weights.h"

namespace verdalis {

template <class T>
struct bestEntries {
  int perNode = kBestEntriesPerNode;
  std::vector<int> from;   // rows of perNode
  std::vector<T> alt;      // rows of perNode
  std::vector<int> count;  // per row
  // Compressed weights: a row for each reached node only, slot[y] its row
  // (n entries, -1 elsewhere, kept clear between sources).
  std::vector<int> slot;
  std::vector<int> rowNodes;

  bool built() const { return !count.empty(); }
  int rowOf(int y) const { return slot.empty() ? y : slot[y]; }
  // Dense weights: a row for every node.
  void build(const searchWeights& w, const T* dist, T cut);
  // Compressed weights: rows for the reached nodes (ascending).
  void buildReached(const searchWeights& w, const T* dist, T cut, const std::vector<int>& reached);

 private:
  template <class Entries>
  void fillRow(int row, T cut, const T* dist, Entries&& forEachEntry);
};

// Keeps the perNode smallest entries of one row in (value, position) order;
// positions come in increasing order, so an equal value goes after the ones
// already there.
template <class T>
template <class Entries>
void bestEntries<T>::fillRow(int row, T cut, const T* dist, Entries&& forEachEntry) {
  const int M = perNode;
  const T unreached = unreachedDistance<T>();
  T* alts = alt.data() + static_cast<std::size_t>(row) * M;
  int* froms = from.data() + static_cast<std::size_t>(row) * M;
  int kept = 0;
  T worst = std::numeric_limits<T>::infinity();
  forEachEntry([&](int u, float weight) {
    if (weight == kNoLink || dist[u] == unreached || !(dist[u] <= cut)) return;
    const T value = dist[u] + static_cast<T>(weight);
    if (kept == M && !(value < worst)) return;
    int at = kept < M ? kept : M - 1;
    while (at > 0 && value < alts[at - 1]) {
      alts[at] = alts[at - 1];
      froms[at] = froms[at - 1];
      --at;
    }
    alts[at] = value;
    froms[at] = u;
    if (kept < M) ++kept;
    if (kept == M) worst = alts[M - 1];
  });
  count[row] = kept;
}

template <class T>
void bestEntries<T>::buildReached(const searchWeights& w, const T* dist, T cut, const std::vector<int>& reached) {
  if (slot.size() != static_cast<std::size_t>(w.n)) slot.assign(w.n, -1);
  for (int y : rowNodes) slot[y] = -1;
  rowNodes = reached;
  const std::size_t rows = reached.size(), M = static_cast<std::size_t>(perNode);
  from.assign(rows * M, -1);
  alt.assign(rows * M, std::numeric_limits<T>::infinity());
  count.assign(rows, 0);
  for (std::size_t r = 0; r < rows; ++r) {
    const int y = reached[r];
    slot[y] = static_cast<int>(r);
    fillRow(static_cast<int>(r), cut, dist, [&](auto&& take) {
      for (std::size_t e = w.inStart[y]; e < w.inStart[y + 1]; ++e)
        if (w.inSource[e] != y) take(w.inSource[e], w.inWeight[e]);
    });
  }
}

template <class T>
void bestEntries<T>::build(const searchWeights& w, const T* dist, T cut) {
  const int n = w.n;
  const std::size_t M = static_cast<std::size_t>(perNode);
  slot.clear();
  from.assign(static_cast<std::size_t>(n) * M, -1);
  alt.assign(static_cast<std::size_t>(n) * M, std::numeric_limits<T>::infinity());
  count.assign(n, 0);
  const T unreached = unreachedDistance<T>();
  // The nodes a search may step from, in position order.
  std::vector<int> steps;
  for (int u = 0; u < n; ++u)
    if (dist[u] != unreached && dist[u] <= cut) steps.push_back(u);
  for (int y = 0; y < n; ++y) {
    const float* col = w.column(y);
    fillRow(y, cut, dist, [&](auto&& take) {
      for (int u : steps)
        if (u != y) take(u, col[u]);
    });
  }
}

}  // namespace verdalis
