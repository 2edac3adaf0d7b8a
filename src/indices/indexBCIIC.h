#pragma once
// BC(IIC): for every node k, the sum over ordered pairs (i, j) of other nodes
// of a_i a_j / (1 + links on the shortest path), weighted by the share of
// the pair's shortest paths that pass through k. Not normalised. The sums
// are single precision in both builds.
#include <cstddef>
#include <vector>

#include "graph/algBFS.h"
#include "graph/tessella.h"
#include "indices/pc_progress.h"
#include "indices/terms.h"
#include "support/messages.h"
#include "support/numfmt.h"

namespace verdalis {

template <class T>
class indexBCIIC {
 public:
  std::vector<float> bciic;     // -1 until computed
  int nNodes;
  std::vector<int> distancies;  // distances of the latest search

  explicit indexBCIIC(int n);
  void generate(adjacency* const* list_edges, const float* sizes, float sizeLandscapeArea, const int* nodesId);
  void value(float* out) const;

  // Adds to bciic[k] the pairs of source i, from the counts of its search.
  void addSource(int k, int i, const float* sizes, const std::vector<double>& nodeprior,
                 const std::vector<double>& nodetotal);
};

template <class T>
indexBCIIC<T>::indexBCIIC(int n) : nNodes(n) {
  guardAlloc(kNoMemory, [&] {
    const std::size_t size = static_cast<std::size_t>(n > 0 ? n : 0);
    bciic.assign(size, -1.0f);
    distancies.resize(size);
  });
}

template <class T>
void indexBCIIC<T>::generate(adjacency* const* list_edges, const float* sizes, float /*sizeLandscapeArea*/,
                             const int* nodesId) {
  std::vector<int> drecera;
  std::vector<double> nodeprior, nodetotal;
  guardAlloc(kNoMemory, [&] {
    drecera.resize(distancies.size());
    nodeprior.resize(distancies.size());
    nodetotal.resize(distancies.size());
  });
  algBFS search(nNodes);
  for (int k = 0; k < nNodes; ++k) {
    std::string line;
    appendBetweennessProgress(line, "BC(IIC)", nodesId[k], k, nNodes);
    say(line);
    bciic[k] = 0;
    for (int i = 0; i < nNodes; ++i) {
      if (i == k) continue;
      search.distances_minpath_search_amb_node_prior(i, k, list_edges, nNodes, distancies.data(), drecera.data(),
                                                     nodeprior.data(), nodetotal.data());
      addSource(k, i, sizes, nodeprior, nodetotal);
    }
  }
}

template <class T>
void indexBCIIC<T>::addSource(int k, int i, const float* sizes, const std::vector<double>& nodeprior,
                              const std::vector<double>& nodetotal) {
  const float unreached = static_cast<float>(kUnreached);
  for (int j = 0; j < nNodes; ++j) {
    if (j == k) continue;
    const float nl = static_cast<float>(distancies[j]);
    const float nt = static_cast<float>(nodetotal[j]);
    const float np = static_cast<float>(nodeprior[j]);
    if (!(np > 0) || nl == unreached) continue;
    bciic[k] += sizes[i] * sizes[j] * bciicShare(nl, nt, np);
  }
}

template <class T>
void indexBCIIC<T>::value(float* out) const {
  for (int i = 0; i < nNodes; ++i) out[i] = bciic[i];
}

}  // namespace verdalis
