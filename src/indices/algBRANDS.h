#pragma once
// Brandes' betweenness on the binary graph: one breadth-first pass per
// source, then the dependencies gathered back along the shortest paths.
#include "graph/tessella.h"

namespace verdalis {

class algBRANDS {
 public:
  int nElems;
  explicit algBRANDS(int n) : nElems(n) {}

  // betweenness[v]: the sum over ordered pairs of the share of their shortest
  // paths through v (not normalised).
  void betweenness_centrality_search(adjacency* const* list_edges, float* betweenness);
};

}  // namespace verdalis
