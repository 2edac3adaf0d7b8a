#include "graph/search_weights.h"

namespace verdalis {

void searchWeights::keepColumns() {
  transposed.clear();
  const std::size_t size = static_cast<std::size_t>(n);
  auto symmetric = [&] {
    for (std::size_t u = 0; u < size; ++u)
      for (std::size_t v = 0; v < u; ++v)
        if (matrix[u * size + v] != matrix[v * size + u]) return false;
    return true;
  };
  if (symmetric()) return;
  transposed.resize(matrix.size());
  for (std::size_t u = 0; u < size; ++u)
    for (std::size_t v = 0; v < size; ++v) transposed[v * size + u] = matrix[u * size + v];
}

void searchWeights::compactIfSparse(int fromNodes, std::size_t belowShare) {
  std::size_t links = 0;
  for (float w : matrix)
    if (w != kNoLink) ++links;
  if (n < fromNodes || links * belowShare > static_cast<std::size_t>(n) * n) {
    keepColumns();
    return;
  }
  start.assign(static_cast<std::size_t>(n) + 1, 0);
  target.reserve(links);
  weight.reserve(links);
  for (int u = 0; u < n; ++u) {
    const float* row = matrix.data() + static_cast<std::size_t>(u) * n;
    for (int v = 0; v < n; ++v)
      if (row[v] != kNoLink) {
        target.push_back(v);
        weight.push_back(row[v]);
      }
    start[u + 1] = target.size();
  }
  dense = false;
  std::vector<float>().swap(matrix);
  indexByDestination();
}

void searchWeights::indexByDestination() {
  inStart.assign(static_cast<std::size_t>(n) + 1, 0);
  for (int t : target) ++inStart[t + 1];
  for (int v = 0; v < n; ++v) inStart[v + 1] += inStart[v];
  inSource.resize(target.size());
  inWeight.resize(target.size());
  std::vector<std::size_t> fill(inStart.begin(), inStart.end() - 1);
  for (int u = 0; u < n; ++u)
    for (std::size_t e = start[u]; e < start[u + 1]; ++e) {
      const std::size_t at = fill[target[e]]++;
      inSource[at] = u;
      inWeight[at] = weight[e];
    }
}

}  // namespace verdalis
