#pragma once
// Depth-first search: connected components of the binary graph.
#include "graph/tessella.h"

namespace verdalis {

class algDFS {
 public:
  int errors;
  int nElems;
  explicit algDFS(int n) : errors(0), nElems(n) {}

  // Component number of every node (numbered by lowest position) and the count.
  void components_search(adjacency* const* list_edges, int* ncid, int& nComponents);
};

}  // namespace verdalis
