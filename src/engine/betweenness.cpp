// BC(IIC) and BC(PC) from one path-counting search per source instead of one
// per (node, source) pair: O(n) searches and O(n · paths below each node)
// bookkeeping, against O(n²) searches.
//
// A search from source i records, for every node, the neighbours that reached
// it by a path of its final length (its parents). Those arrivals do not depend
// on the node k being counted: only the bookkeeping does. The paths from i to
// j through k are then the paths from i to k times the paths from k to j along
// parents, so one search and one walk down from every k give every count
// (betweenness_sums.h). out[k] receives its terms in the same order as when k
// is the outer loop (source i ascending, then target j ascending), so the sums
// are the same to the last bit.
#include "engine/betweenness.h"

#include <cstddef>
#include <vector>

#include "engine/betweenness_sums.h"
#include "graph/exact_search.h"
#include "graph/path_dag.h"
#include "indices/terms.h"
#include "support/messages.h"

namespace verdalis {

namespace {

// Path counting over complete weights in the treatment order of the
// linear-scan search (the parents only depend on the distances at the time
// each node is treated).
template <class T>
void weightedDag(int source, const matrix<T>& probLog, pathDag<T>& dag) {
  const int n = static_cast<int>(probLog.rows());
  dag.reset(n);
  std::vector<T>& dist = dag.dist;
  std::vector<int> untreated;
  for (int v = 0; v < n; ++v)
    if (v != source) untreated.push_back(v);
  dist[source] = 0;
  dag.total[source] = 1;
  const T missing = static_cast<T>(kUnreached);
  const float unreached = static_cast<float>(unreachedDistance<T>());
  int u = source;
  for (;;) {
    dag.order.push_back(u);
    const T du = dist[u];
    const T* row = probLog.row(u);
    scanTracker<T> next;
    const int m = static_cast<int>(untreated.size());
    for (int at = 0; at < m; ++at) {
      const int v = untreated[at];
      if (row[v] != missing) {
        const T alt = du + row[v];
        if (alt < dist[v]) {
          dist[v] = alt;
          dag.parents[v].assign(1, u);
          dag.total[v] = dag.total[u];
        } else if (alt == dist[v]) {
          dag.parents[v].push_back(u);
          dag.total[v] += dag.total[u];
        }
      }
      next.see(v, at, dist[v]);
    }
    const int at = next.selectedAt();
    if (at < 0 || next.smallest == unreached) break;
    u = untreated[at];
    untreated[at] = untreated.back();
    untreated.pop_back();
  }
}

}  // namespace

template <class T>
void measureBCIIC(const landscape<T>& land, std::vector<float>& out, unsigned threads) {
  const int n = land.nNodes;
  out.assign(static_cast<std::size_t>(n), 0.0f);
  bciicSums(
      n, threads,
      [&](int u, auto&& visit) {
        for (int v : land.nodes[u].list_adjacency) visit(v);
      },
      [&](int v) { return land.nodes[v].size; }, out);
}

template <class T>
void measureBCPC(const landscape<T>& land, std::vector<float>& out, unsigned threads) {
  const int n = land.nNodes;
  out.assign(static_cast<std::size_t>(n), 0.0f);
  matrix<T> probLog;
  guardAlloc(kNoMemory, [&] { probLog.assign(n, n, T(0)); });
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      if (i == j) continue;
      const float p = land.nodes[i].p[j];
      probLog(i, j) = p > 0 ? static_cast<T>(pcWeight(p)) : static_cast<T>(kUnreached);
    }
  bcpcSums<T>(
      n, threads, [&](int i, unsigned, pathDag<T>& dag) { weightedDag(i, probLog, dag); },
      [&](int v) { return land.nodes[v].size; }, out);
}

template void measureBCIIC(const landscape<float>&, std::vector<float>&, unsigned);
template void measureBCIIC(const landscape<double>&, std::vector<float>&, unsigned);
template void measureBCPC(const landscape<float>&, std::vector<float>&, unsigned);
template void measureBCPC(const landscape<double>&, std::vector<float>&, unsigned);

}  // namespace verdalis
