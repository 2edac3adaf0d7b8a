#pragma once
// BC(PC): the sum of BC(IIC) with the pair term a_i a_j p*_ij, p*_ij the
// maximum product probability, over the paths of maximum product (shortest
// on weights -ln p). Not normalised; single-precision sums in both builds,
// T only types the weights and the search.
#include <cmath>
#include <cstddef>
#include <vector>

#include "graph/algDIJKSTRA.h"
#include "graph/tessella.h"
#include "indices/pc_progress.h"
#include "indices/terms.h"
#include "support/matrix.h"
#include "support/messages.h"
#include "support/numfmt.h"

namespace verdalis {

template <class T>
class indexBCPC {
 public:
  std::vector<float> bcpc;  // -1 until computed
  int nNodes;

  explicit indexBCPC(int n);
  // allpaths and minProb do not change this index: every pair is counted.
  void generate(const tessella* nodes, float sizeLandscapeArea, bool allpaths, float minProb);
  void generate_2_BC(int k, const tessella* nodes, float sizeLandscapeArea);
  void value(float* out) const;

  // Weights -ln p of every direction; kUnreached where p is 0 (no link).
  void buildWeights(const tessella* nodes, matrix<T>& probLog) const;
  // Adds to bcpc[k] the pairs of source i, from the results of its search.
  void addSource(int k, int i, const tessella* nodes, const std::vector<T>& minPath,
                 const std::vector<double>& nodeprior, const std::vector<double>& nodetotal);
};

template <class T>
indexBCPC<T>::indexBCPC(int n) : nNodes(n) {
  guardAlloc(kNoMemory,
                       [&] { bcpc.assign(static_cast<std::size_t>(n > 0 ? n : 0), -1.0f); });
}

template <class T>
void indexBCPC<T>::generate(const tessella* nodes, float sizeLandscapeArea, bool /*allpaths*/,
                            float /*minProb*/) {
  for (int k = 0; k < nNodes; ++k) {
    std::string line;
    appendBetweennessProgress(line, "BC(PC)", nodes[k].label, k, nNodes);
    say(line);
    generate_2_BC(k, nodes, sizeLandscapeArea);
  }
}

template <class T>
void indexBCPC<T>::generate_2_BC(int k, const tessella* nodes, float /*sizeLandscapeArea*/) {
  const std::size_t size = static_cast<std::size_t>(nNodes);
  matrix<T> probLog;
  std::vector<T> minPath;
  std::vector<int> drecera;
  std::vector<double> nodeprior, nodetotal;
  guardAlloc(kNoMemory, [&] {
    probLog.assign(size, size, T(0));
    minPath.resize(size);
    drecera.resize(size);
    nodeprior.resize(size);
    nodetotal.resize(size);
  });
  buildWeights(nodes, probLog);
  algDIJKSTRA<T> search(nNodes);
  bcpc[k] = 0;
  for (int i = 0; i < nNodes; ++i) {
    if (i == k) continue;
    search.distances_minpath_search_DIJKSTRA_ARRAY_amb_node_prior(i, k, probLog, nNodes, minPath.data(),
                                                                  drecera.data(), nodeprior.data(),
                                                                  nodetotal.data());
    addSource(k, i, nodes, minPath, nodeprior, nodetotal);
  }
}

template <class T>
void indexBCPC<T>::buildWeights(const tessella* nodes, matrix<T>& probLog) const {
  for (int i = 0; i < nNodes; ++i) {
    for (int j = 0; j < nNodes; ++j) {
      if (i == j) {
        probLog(i, j) = 0;
        continue;
      }
      const float p = nodes[i].p[j];
      probLog(i, j) = (p > 0) ? static_cast<T>(pcWeight(p)) : static_cast<T>(kUnreached);
    }
  }
}

template <class T>
void indexBCPC<T>::addSource(int k, int i, const tessella* nodes, const std::vector<T>& minPath,
                             const std::vector<double>& nodeprior, const std::vector<double>& nodetotal) {
  for (int j = 0; j < nNodes; ++j) {
    if (j == k) continue;
    const float nt = static_cast<float>(nodetotal[j]);
    const float np = static_cast<float>(nodeprior[j]);
    if (!(np > 0)) continue;
    bcpc[k] += nodes[i].size * nodes[j].size * bcpcShare(minPath[j], nt, np);
  }
}

template <class T>
void indexBCPC<T>::value(float* out) const {
  for (int i = 0; i < nNodes; ++i) out[i] = bcpc[i];
}

}  // namespace verdalis
