#include "engine/global_pc.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include "engine/float_class.h"
#include "engine/tuning.h"
#include "graph/exact_search.h"
#include "indices/terms.h"
#include "support/messages.h"
#include "support/parallel.h"

namespace verdalis {

template <class T>
void pcSearchSetup(const landscape<T>& land, searchWeights& w, T& cut, const engineLimits& limits) {
  const int n = land.nNodes;
  w = searchWeights();
  w.n = n;
  guardAlloc(kNoMemory, [&] { w.matrix.assign(static_cast<std::size_t>(n) * n, kNoLink); });
  cut = std::numeric_limits<T>::infinity();
  if (land.allpaths || land.minProb != 0) {
    // Both directions from the probability of the later node towards the
    // earlier one.
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < i; ++j) {
        const float p = land.nodes[i].p[j];
        if (!pcSearchKeeps(p, land.allpaths, land.minProb)) continue;
        const float v = pcWeight(p);
        w.matrix[static_cast<std::size_t>(i) * n + j] = v;
        w.matrix[static_cast<std::size_t>(j) * n + i] = v;
      }
    if (!land.allpaths) cut = static_cast<T>(-std::log(land.minProb));
  } else {
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) {
        const float p = land.nodes[i].p[j];
        if (i != j && pcSearchKeeps(p, false, 0)) w.matrix[static_cast<std::size_t>(i) * n + j] = pcWeight(p);
      }
  }
  w.compactIfSparse(limits.compactFromNodes, limits.compactBelowShare);
}

namespace {

// Double precision: which nodes of the search from s were reached from a
// node of their own float class, and whether their entries vouch for them
// (the repairs rely on it; a source whose entries do not is delicate).
template <class T>
void classifySource(int s, const searchWeights& w, T cut, const searchRow<T>& row, globalSearches<T>& rows) {
  const int n = rows.n;
  rows.sameClass[s].clear();
  rows.sameClassTies[s].clear();
  auto value = [&](int u) { return row.dist[u]; };
  for (int v = 0; v < n && !rows.delicate[s]; ++v) {
    const int u = row.pred[v];
    if (u < 0 || !sameFloatClass(row.dist[u], row.dist[v])) continue;
    if (!entriesKeepValue(w, v, cut, value, pairOverride(), -1)) {
      rows.delicate[s] = 1;
      continue;
    }
    rows.sameClass[s].push_back(v);
    w.forEachIn(v, [&](int from, float weight) {
      const T df = row.dist[from];
      if (from == u || from == v || df == unreachedDistance<T>() || !(df <= cut)) return;
      if (df + static_cast<T>(weight) == row.dist[v]) rows.sameClassTies[s].push_back({v, from});
    });
  }
}

template <class T>
void allocateSearchRows(landscape<T>& land, globalSearches<T>& rows) {
  const int n = land.nNodes;
  rows.n = n;
  guardAlloc(kNoMemory, [&] {
    rows.dist.assign(static_cast<std::size_t>(n) * n, T(0));
    rows.pred.assign(static_cast<std::size_t>(n) * n, -1);
    rows.delicate.assign(static_cast<std::size_t>(n), 0);
    rows.sameClass.assign(static_cast<std::size_t>(n), {});
    rows.sameClassTies.assign(static_cast<std::size_t>(n), {});
    for (tessella& node : land.nodes)
      if (node.p_maxim_product.size() != static_cast<std::size_t>(n)) node.p_maxim_product.assign(n, 0.0f);
  });
}

}  // namespace

template <class T>
void measurePC(landscape<T>& land, unsigned threads, pcSearches<T>& searches, const sourcesDone& progress,
               const engineLimits& limits) {
  pcSearchSetup(land, searches.weights, searches.cut, limits);
  const searchWeights& w = searches.weights;
  const T cut = searches.cut;
  globalSearches<T>& rows = searches.rows;
  allocateSearchRows(land, rows);
  const int n = land.nNodes;
  if (n < kThreadedSearchFromNodes) threads = 1;
  const int block = kSourcesPerGlobalTask;
  const int blocks = (n + block - 1) / block;
  std::vector<searchRow<T>> scratch(threads);
  std::vector<std::vector<char>> flags(threads);
  T index = 0;
  orderedParallel(
      blocks, threads,
      [&](int b, unsigned id) {
        for (int s = b * block; s < std::min(n, (b + 1) * block); ++s) {
          searchRow<T>& row = scratch[id];
          exactSearch(s, w, cut, -1, row, flags[id]);
          std::copy(row.dist.begin(), row.dist.end(), rows.dist.begin() + static_cast<std::ptrdiff_t>(s) * n);
          std::copy(row.pred.begin(), row.pred.end(), rows.pred.begin() + static_cast<std::ptrdiff_t>(s) * n);
          if constexpr (!std::is_same_v<T, float>) classifySource(s, w, cut, row, rows);
        }
      },
      [&](int b) {
        const int end = std::min(n, (b + 1) * block);
        progress(b * block, end);
        for (int s = b * block; s < end; ++s) {
          const T* d = rows.distRow(s);
          const float ai = land.nodes[s].size;
          float* best = land.nodes[s].p_maxim_product.data();
          for (int j = 0; j < n; ++j) {
            index = addPCTerm(index, pcTerm(ai, land.nodes[j].size, d[j]));
            best[j] = static_cast<float>(bestPathProbability(d[j]));
          }
        }
      });
  land.pcnum = index;
  land.pc = normalisedByArea(index, land.sizeLandscapeArea, n);
}

template <class T>
bool probabilitiesWithinRange(const landscape<T>& land) {
  for (const tessella& node : land.nodes)
    for (float p : node.p)
      if (p > 1.0f) return false;
  return true;
}

#define VERDALIS_GLOBAL_PC(T)                                                                        \
  template void pcSearchSetup<T>(const landscape<T>&, searchWeights&, T&, const engineLimits&);   \
  template void measurePC<T>(landscape<T>&, unsigned, pcSearches<T>&, const sourcesDone&,          \
                             const engineLimits&);                                                 \
  template bool probabilitiesWithinRange<T>(const landscape<T>&);
VERDALIS_GLOBAL_PC(float)
VERDALIS_GLOBAL_PC(double)
#undef VERDALIS_GLOBAL_PC

}  // namespace verdalis
