#include "indices/indexBC.h"

#include <cstddef>

#include "indices/algBRANDS.h"
#include "support/messages.h"

namespace verdalis {

indexBC::indexBC(int n) : nNodes(n) {
  guardAlloc(kNoMemory,
                       [&] { betweenness.assign(static_cast<std::size_t>(n > 0 ? n : 0), -1.0f); });
}

void indexBC::generate(adjacency* const* list_edges) {
  algBRANDS search(nNodes);
  search.betweenness_centrality_search(list_edges, betweenness.data());
}

void indexBC::value(float* out) const {
  // The pair count is formed in 64 bits: n(n-1) leaves the int range beyond
  // 46341 nodes.
  const long long n = nNodes;
  const float pairs = static_cast<float>(n * (n - 1) / 2);
  for (int i = 0; i < nNodes; ++i) out[i] = betweenness[i] / pairs;
}

}  // namespace verdalis
