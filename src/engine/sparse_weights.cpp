#include "engine/sparse_weights.h"

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "indices/terms.h"
#include "support/messages.h"

namespace verdalis {

namespace {

// Compressed rows from (origin, target, weight) triples listed in the order
// each row keeps.
void rowsFrom(int n, const std::vector<std::pair<int, int>>& ends, const std::vector<float>& weights,
              searchWeights& w) {
  w = searchWeights();
  w.n = n;
  w.dense = false;
  guardAlloc(kNoMemory, [&] {
    w.start.assign(static_cast<std::size_t>(n) + 1, 0);
    w.target.resize(ends.size());
    w.weight.resize(ends.size());
  });
  for (const auto& e : ends) ++w.start[e.first + 1];
  for (int v = 0; v < n; ++v) w.start[v + 1] += w.start[v];
  std::vector<std::size_t> fill(w.start.begin(), w.start.end() - 1);
  for (std::size_t k = 0; k < ends.size(); ++k) {
    const std::size_t at = fill[ends[k].first]++;
    w.target[at] = ends[k].second;
    w.weight[at] = weights[k];
  }
  guardAlloc(kNoMemory, [&] { w.indexByDestination(); });
}

}  // namespace

template <class T>
void pcSearchSetupSparse(const sparseLandscape& land, searchWeights& w, T& cut) {
  const int n = land.n;
  std::vector<std::pair<int, int>> ends;
  std::vector<float> weights;
  cut = std::numeric_limits<T>::infinity();
  const bool mirrored = land.allpaths || land.minProb != 0;
  for (int i = 0; i < n; ++i)
    for (std::size_t e = land.probStart[i]; e < land.probStart[i + 1]; ++e) {
      const int j = land.probTo[e];
      const float p = land.prob[e];
      if (mirrored ? (j > i || !pcSearchKeeps(p, land.allpaths, land.minProb)) : !pcSearchKeeps(p, false, 0))
        continue;
      guardAlloc(kNoMemory, [&] {
        ends.push_back({i, j});
        weights.push_back(pcWeight(p));
        if (!mirrored) return;
        ends.push_back({j, i});
        weights.push_back(pcWeight(p));
      });
    }
  if (mirrored && !land.allpaths) cut = static_cast<T>(-std::log(land.minProb));
  rowsFrom(n, ends, weights, w);
}

void betweennessWeightsSparse(const sparseLandscape& land, searchWeights& w) {
  std::vector<std::pair<int, int>> ends;
  std::vector<float> weights;
  for (int i = 0; i < land.n; ++i)
    for (std::size_t e = land.probStart[i]; e < land.probStart[i + 1]; ++e)
      if (land.prob[e] > 0) {
        guardAlloc(kNoMemory, [&] {
          ends.push_back({i, land.probTo[e]});
          weights.push_back(pcWeight(land.prob[e]));
        });
      }
  rowsFrom(land.n, ends, weights, w);
}

template void pcSearchSetupSparse<float>(const sparseLandscape&, searchWeights&, float&);
template void pcSearchSetupSparse<double>(const sparseLandscape&, searchWeights&, double&);

}  // namespace verdalis
