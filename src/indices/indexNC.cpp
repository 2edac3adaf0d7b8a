#include "indices/indexNC.h"

#include "graph/algDFS.h"

namespace verdalis {

void indexNC::generate(int* ncid, adjacency* const* list_edges) {
  index = 0;
  if (nNodes <= 0) return;
  algDFS search(nNodes);
  search.components_search(list_edges, ncid, index);
}

}  // namespace verdalis
