#pragma once
// The best entries into every node from one source, for repairs over a
// dense matrix with a cut: per node, the perNode smallest values
// dist(u) + w(u, y) over the nodes u the search steps from, smallest first,
// ties by position. O(n² · perNode) per source at worst, about
// O(n²) on real landscapes.
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
  std::vector<int> from;   // n * perNode
  std::vector<T> alt;      // n * perNode
  std::vector<int> count;  // per node

  void build(const searchWeights& w, const T* dist, T cut);
};

template <class T>
void bestEntries<T>::build(const searchWeights& w, const T* dist, T cut) {
  const int n = w.n;
  const int M = perNode;
  const T unreached = unreachedDistance<T>();
  from.assign(static_cast<std::size_t>(n) * M, -1);
  alt.assign(static_cast<std::size_t>(n) * M, std::numeric_limits<T>::infinity());
  count.assign(n, 0);
  // The nodes a search may step from, in position order.
  std::vector<int> steps;
  for (int u = 0; u < n; ++u)
    if (dist[u] != unreached && dist[u] <= cut) steps.push_back(u);
  for (int y = 0; y < n; ++y) {
    const float* col = w.column(y);
    T* alts = alt.data() + static_cast<std::size_t>(y) * M;
    int* froms = from.data() + static_cast<std::size_t>(y) * M;
    int kept = 0;
    T worst = std::numeric_limits<T>::infinity();
    for (int u : steps) {
      if (col[u] == kNoLink || u == y) continue;
      const T value = dist[u] + static_cast<T>(col[u]);
      if (kept == M && !(value < worst)) continue;
      // Insert keeping (value, position) order; positions come in
      // increasing order, so an equal value goes after the ones there.
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
    }
    count[y] = kept;
  }
}

}  // namespace verdalis
