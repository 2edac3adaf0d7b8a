// BC(IIC) and BC(PC) from one path-counting search per source instead of one
// per (node, source) pair: O(n) searches and O(n · paths below each node)
// bookkeeping, against O(n²) searches.
//
// A search from source i records, for every node, the neighbours that reached
// it by a path of its final length (its parents). Those arrivals do not depend
// on the node k being counted: only the bookkeeping does. The paths from i to
// j through k are then the paths from i to k times the paths from k to j along
// parents, so one search and one walk down from every k give every count.
// out[k] receives its terms in the same order as when k is the outer loop
// (source i ascending, then target j ascending), so the sums are the same to
// the last bit.
#include "engine/betweenness.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "engine/tuning.h"
#include "graph/exact_search.h"
#include "indices/terms.h"
#include "support/messages.h"
#include "support/parallel.h"

namespace verdalis {

namespace {


// The parents of each node, node by node in treatment order.
struct pathDag {
  std::vector<int> order;                  // treated nodes, source first
  std::vector<std::vector<int>> parents;   // per node
  std::vector<double> total;               // shortest paths from the source
};

// Path counting over complete weights in the treatment order of the
// linear-scan search (the parents only depend on the distances at the time
// each node is treated).
template <class T>
void weightedDag(int source, const matrix<T>& probLog, pathDag& dag, std::vector<T>& dist) {
  const int n = static_cast<int>(probLog.rows());
  dist.assign(n, unreachedDistance<T>());
  dag.order.clear();
  dag.parents.assign(n, {});
  dag.total.assign(n, 0.0);
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

// The same with unit weights over the binary links; distances are exact
// integers, so the parents are the neighbours one link closer.
inline void binaryDag(int source, const std::vector<tessella>& nodes, pathDag& dag, std::vector<int>& dist) {
  const int n = static_cast<int>(nodes.size());
  dist.assign(n, kUnreached);
  dag.order.clear();
  dag.parents.assign(n, {});
  dag.total.assign(n, 0.0);
  dist[source] = 0;
  dag.total[source] = 1;
  dag.order.push_back(source);
  for (std::size_t head = 0; head < dag.order.size(); ++head) {
    const int u = dag.order[head];
    for (int v : nodes[u].list_adjacency) {
      if (dist[v] == kUnreached) {
        dist[v] = dist[u] + 1;
        dag.order.push_back(v);
      }
      if (dist[v] == dist[u] + 1) {
        // A link listed twice counts twice, as in the search it replaces.
        dag.parents[v].push_back(u);
        dag.total[v] += dag.total[u];
      }
    }
  }
}

// Scratch of throughEveryNode, kept between sources.
struct throughScratch {
  std::vector<std::vector<int>> children;
  std::vector<int> rank;
  std::vector<double> down;  // paths from k along parents
  std::vector<char> seen;
  std::vector<int> below;
};

// Calls add(k, j, np) for every node k with paths through it and every
// target j below k, j ascending, with np the number of shortest paths from
// the source to j that pass through k.
template <class Add>
void throughEveryNode(const pathDag& dag, int n, throughScratch& w, Add&& add) {
  w.children.assign(n, {});
  for (int v : dag.order)
    for (int u : dag.parents[v]) w.children[u].push_back(v);
  w.rank.assign(n, -1);
  for (std::size_t r = 0; r < dag.order.size(); ++r) w.rank[dag.order[r]] = static_cast<int>(r);
  w.down.assign(n, 0.0);
  w.seen.assign(n, 0);
  for (std::size_t r = 1; r < dag.order.size(); ++r) {
    const int k = dag.order[r];
    if (w.children[k].empty()) continue;
    w.below.clear();
    for (int c : w.children[k])
      if (!w.seen[c]) {
        w.seen[c] = 1;
        w.below.push_back(c);
      }
    for (std::size_t b = 0; b < w.below.size(); ++b)
      for (int c : w.children[w.below[b]])
        if (!w.seen[c]) {
          w.seen[c] = 1;
          w.below.push_back(c);
        }
    // Counts flow along parents, so take the nodes in treatment order.
    std::sort(w.below.begin(), w.below.end(), [&](int a, int b) { return w.rank[a] < w.rank[b]; });
    w.down[k] = 1;
    for (int v : w.below) {
      double paths = 0;
      for (int u : dag.parents[v]) paths += w.down[u];
      w.down[v] = paths;
    }
    const double throughK = dag.total[k];
    std::sort(w.below.begin(), w.below.end());
    for (int j : w.below) add(k, j, throughK * w.down[j]);
    w.down[k] = 0;
    for (int v : w.below) {
      w.down[v] = 0;
      w.seen[v] = 0;
    }
  }
}

// Runs count(i, terms) for every source in parallel blocks; each fills the
// (k, addend) pairs of its source in order, and they are added to out[k] in
// source order, so that every sum keeps its order whatever the threads.
template <class Count>
void betweennessSums(int n, unsigned threads, std::vector<float>& out, Count&& count) {
  const int block = kSourcesPerBetweennessTask;
  const int blocks = (n + block - 1) / block;
  std::vector<std::vector<std::pair<int, float>>> terms(static_cast<std::size_t>(n));
  if (n < kThreadedBetweennessFromNodes) threads = 1;
  orderedParallel(
      blocks, threads,
      [&](int b, unsigned id) {
        for (int i = b * block; i < std::min(n, (b + 1) * block); ++i) count(i, id, terms[i]);
      },
      [&](int b) {
        for (int i = b * block; i < std::min(n, (b + 1) * block); ++i) {
          for (const auto& t : terms[i]) out[t.first] += t.second;
          std::vector<std::pair<int, float>>().swap(terms[i]);
        }
      });
}

}  // namespace

template <class T>
void measureBCIIC(const landscape<T>& land, std::vector<float>& out, unsigned threads) {
  const int n = land.nNodes;
  out.assign(static_cast<std::size_t>(n), 0.0f);
  const float unreached = static_cast<float>(kUnreached);
  std::vector<pathDag> dags(threads);
  std::vector<std::vector<int>> dists(threads);
  std::vector<throughScratch> scratch(threads);
  betweennessSums(n, threads, out, [&](int i, unsigned id, std::vector<std::pair<int, float>>& terms) {
    pathDag& dag = dags[id];
    std::vector<int>& dist = dists[id];
    binaryDag(i, land.nodes, dag, dist);
    const float ai = land.nodes[i].size;
    throughEveryNode(dag, n, scratch[id], [&](int k, int j, double paths) {
      const float nl = static_cast<float>(dist[j]);
      const float nt = static_cast<float>(dag.total[j]);
      const float np = static_cast<float>(paths);
      if (!(np > 0) || nl == unreached) return;
      terms.push_back({k, ai * land.nodes[j].size * bciicShare(nl, nt, np)});
    });
  });
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
  std::vector<pathDag> dags(threads);
  std::vector<std::vector<T>> dists(threads);
  std::vector<throughScratch> scratch(threads);
  betweennessSums(n, threads, out, [&](int i, unsigned id, std::vector<std::pair<int, float>>& terms) {
    pathDag& dag = dags[id];
    std::vector<T>& dist = dists[id];
    weightedDag(i, probLog, dag, dist);
    const float ai = land.nodes[i].size;
    throughEveryNode(dag, n, scratch[id], [&](int k, int j, double paths) {
      const float nt = static_cast<float>(dag.total[j]);
      const float np = static_cast<float>(paths);
      if (!(np > 0)) return;
      terms.push_back({k, ai * land.nodes[j].size * bcpcShare(dist[j], nt, np)});
    });
  });
}

template void measureBCIIC(const landscape<float>&, std::vector<float>&, unsigned);
template void measureBCIIC(const landscape<double>&, std::vector<float>&, unsigned);
template void measureBCPC(const landscape<float>&, std::vector<float>&, unsigned);
template void measureBCPC(const landscape<double>&, std::vector<float>&, unsigned);

}  // namespace verdalis
