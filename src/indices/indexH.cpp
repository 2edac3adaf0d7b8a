#include "indices/indexH.h"

#include <vector>

#include "graph/algBFS.h"
#include "indices/terms.h"
#include "support/messages.h"

namespace verdalis {

void indexH::generate(adjacency* const* list_edges) {
  std::vector<int> row;
  guardAlloc(kNoMemory, [&] { row.assign(static_cast<std::size_t>(nNodes), 0); });
  algBFS search(nNodes);
  float sum = 0;
  for (int i = 0; i < nNodes; ++i) {
    search.distances_search(i, list_edges, row.data());
    for (int j = 0; j < nNodes; ++j)
      if (j != i && row[j] != kUnreached) sum = addHararyTerm(sum, row[j]);
  }
  index = sum / 2.0f;
}

}  // namespace verdalis
