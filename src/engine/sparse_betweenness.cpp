// BC(IIC) and BC(PC) of a landscape held by neighbour, from one
// path-counting search per source over the compressed rows: the search of
// the full form's engine (betweenness.cpp) with the work of each source
// following what it reaches. O(n + links) memory, with n entries of scratch
// per thread.
//
// The links are held by ascending neighbour, the order of the full form's
// adjacency lists, so the breadth-first parents come in the same order. The
// weights of BC(PC) are -ln p of every direction with p > 0, the entries of
// the full form's logarithm matrix that are not "no link", and the search
// treats the nodes in the linear scan's order and records the parents as it
// does (scan_order_dag.h). The terms and their order are then those of the
// full form (betweenness_sums.h), so the sums are the same to the bit.
#include "engine/sparse_betweenness.h"

#include <cstddef>
#include <vector>

#include "engine/betweenness_sums.h"
#include "engine/sparse_weights.h"
#include "graph/scan_order_dag.h"
#include "graph/search_weights.h"

namespace verdalis {

void measureBCIICSparse(const sparseLandscape& land, std::vector<float>& out, unsigned threads) {
  out.assign(static_cast<std::size_t>(land.n), 0.0f);
  bciicSums(land.n, threads, linksOf(land), [&](int v) { return land.sizes[v]; }, out);
}

template <class T>
void measureBCPCSparse(const sparseLandscape& land, std::vector<float>& out, unsigned threads) {
  out.assign(static_cast<std::size_t>(land.n), 0.0f);
  searchWeights weights;
  betweennessWeightsSparse(land, weights);
  std::vector<scanOrderDag<T>> searches(threads);
  bcpcSums<T>(
      land.n, threads, [&](int i, unsigned id, pathDag<T>& dag) { searches[id].run(i, weights, dag); },
      [&](int v) { return land.sizes[v]; }, out);
}

template void measureBCPCSparse<float>(const sparseLandscape&, std::vector<float>&, unsigned);
template void measureBCPCSparse<double>(const sparseLandscape&, std::vector<float>&, unsigned);

}  // namespace verdalis
