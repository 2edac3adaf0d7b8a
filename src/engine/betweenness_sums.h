#pragma once
// The betweenness sums from one path-counting search per source: the paths
// from the source to j through k are the paths from the source to k times
// the paths from k down to j along parents, so one walk down from every k
// gives every count. O(paths below each node) per source, with n-entry
// scratch kept between sources and cleared only where a source reached.
//
// A node's sum receives its terms in the order of the straightforward
// double loop over (source, target) for that node: sources ascending (the
// ordered hand-over), targets ascending within a source.
#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "engine/tuning.h"
#include "graph/path_dag.h"
#include "graph/tessella.h"
#include "indices/terms.h"
#include "support/parallel.h"

namespace verdalis {

// Scratch of throughEveryNode, kept between sources.
struct throughScratch {
  std::vector<std::vector<int>> children;
  std::vector<int> rank;
  std::vector<double> down;  // paths from k along parents
  std::vector<char> seen;
  std::vector<int> below;

  // Ready for a search whose treated nodes are `order`: only those have
  // children or are read.
  void prepare(int n, const std::vector<int>& order) {
    if (rank.size() != static_cast<std::size_t>(n)) {
      children.assign(static_cast<std::size_t>(n), {});
      rank.assign(static_cast<std::size_t>(n), -1);
      down.assign(static_cast<std::size_t>(n), 0.0);
      seen.assign(static_cast<std::size_t>(n), 0);
    }
    for (int v : order) children[v].clear();
  }
};

// Calls add(k, j, np) for every node k with paths through it and every
// target j below k, j ascending, with np the number of shortest paths from
// the source to j that pass through k.
template <class D, class Add>
void throughEveryNode(const pathDag<D>& dag, int n, throughScratch& w, Add&& add) {
  w.prepare(n, dag.order);
  for (int v : dag.order)
    for (int u : dag.parents[v]) w.children[u].push_back(v);
  for (std::size_t r = 0; r < dag.order.size(); ++r) w.rank[dag.order[r]] = static_cast<int>(r);
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

// Runs count(i, thread, terms) for every source in parallel blocks; each
// fills the (node, addend) pairs of its source in order, and they are added
// to out in source order, so that every sum keeps its order whatever the
// threads. A block's terms are released once they are added.
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

// BC(IIC) into out (n zeros), from breadth-first path counting over
// neighbours(u, visit); size(v) is the attribute of v.
template <class Neighbours, class Size>
void bciicSums(int n, unsigned threads, Neighbours&& neighbours, Size&& size, std::vector<float>& out) {
  const float unreached = static_cast<float>(kUnreached);
  std::vector<pathDag<int>> dags(threads);
  std::vector<throughScratch> scratch(threads);
  betweennessSums(n, threads, out, [&](int i, unsigned id, std::vector<std::pair<int, float>>& terms) {
    pathDag<int>& dag = dags[id];
    binaryDag(i, n, neighbours, dag);
    const float ai = size(i);
    throughEveryNode(dag, n, scratch[id], [&](int k, int j, double paths) {
      const float nl = static_cast<float>(dag.dist[j]);
      const float nt = static_cast<float>(dag.total[j]);
      const float np = static_cast<float>(paths);
      if (!(np > 0) || nl == unreached) return;
      terms.push_back({k, ai * size(j) * bciicShare(nl, nt, np)});
    });
  });
}

// BC(PC) into out (n zeros), from search(i, thread, dag), which fills the
// path counting of source i in the treatment order of the linear scan.
template <class T, class Search, class Size>
void bcpcSums(int n, unsigned threads, Search&& search, Size&& size, std::vector<float>& out) {
  std::vector<pathDag<T>> dags(threads);
  std::vector<throughScratch> scratch(threads);
  betweennessSums(n, threads, out, [&](int i, unsigned id, std::vector<std::pair<int, float>>& terms) {
    pathDag<T>& dag = dags[id];
    search(i, id, dag);
    const float ai = size(i);
    throughEveryNode(dag, n, scratch[id], [&](int k, int j, double paths) {
      const float nt = static_cast<float>(dag.total[j]);
      const float np = static_cast<float>(paths);
      if (!(np > 0)) return;
      terms.push_back({k, ai * size(j) * bcpcShare(dag.dist[j], nt, np)});
    });
  });
}

}  // namespace verdalis
