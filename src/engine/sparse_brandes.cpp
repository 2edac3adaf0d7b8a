// BC of a landscape held by neighbour: Brandes' algorithm over the
// compressed links, one breadth-first pass per source and the dependencies
// gathered back along the shortest paths. O(n + links) memory and, per
// source, work over what it reaches: the arrays of n entries are cleared
// only where the source reached, so that a landscape of many small
// components does not cost n per source.
//
// The pass is the full form's (algBRANDS.cpp): the links come by ascending
// neighbour, the order of its adjacency lists, so the queue, the path counts
// and the predecessor lists come out the same, and the dependencies are
// formed by the same single-precision expression in the same order. A
// source's dependencies go to the sums in stack order and the sources in
// ascending order (betweennessSums), the order of the full form's single
// loop, so the threads change no bit. Unreached nodes add nothing there.
#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "engine/betweenness_sums.h"
#include "engine/sparse_betweenness.h"
#include "graph/path_dag.h"
#include "indices/indexBC.h"

namespace verdalis {

namespace {

// Dependencies of source s on every node it reaches, farthest first, as
// (node, dependency) terms; delta is left at 0.
void dependencies(int s, const pathDag<int>& dag, std::vector<float>& delta,
                  std::vector<std::pair<int, float>>& terms) {
  for (auto at = dag.order.rbegin(); at != dag.order.rend(); ++at) {
    const int w = *at;
    for (int v : dag.parents[w]) {
      const float share = static_cast<float>(dag.total[v]) / static_cast<float>(dag.total[w]);
      delta[v] = delta[v] + share * (1.0f + delta[w]);
    }
    if (w != s) terms.push_back({w, delta[w]});
  }
  for (int v : dag.order) delta[v] = 0;
}

}  // namespace

void measureBCSparse(const sparseLandscape& land, std::vector<float>& out, unsigned threads) {
  const int n = land.n;
  indexBC index(n);
  std::fill(index.betweenness.begin(), index.betweenness.end(), 0.0f);
  std::vector<pathDag<int>> dags(threads);
  std::vector<std::vector<float>> deltas(threads);
  betweennessSums(n, threads, index.betweenness,
                  [&](int s, unsigned id, std::vector<std::pair<int, float>>& terms) {
                    pathDag<int>& dag = dags[id];
                    binaryDag(s, n, linksOf(land), dag);
                    std::vector<float>& delta = deltas[id];
                    if (delta.size() != static_cast<std::size_t>(n)) delta.assign(static_cast<std::size_t>(n), 0.0f);
                    dependencies(s, dag, delta, terms);
                  });
  out.assign(static_cast<std::size_t>(n), 0.0f);
  index.value(out.data());
}

}  // namespace verdalis
