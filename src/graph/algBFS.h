#pragma once
// Breadth-first searches on the binary graph.
#include "graph/tessella.h"

namespace verdalis {

class algBFS {
 public:
  int nElems;
  explicit algBFS(int n) : nElems(n) {}

  // Topological distances from inicial; kUnreached for other components.
  void distances_search(int inicial, adjacency* const* list_edges, int* minPath);

  // Distances, predecessors, number of shortest paths (nodetotal) and number
  // of those through prior (nodeprior), with unit weights. The counts are
  // doubles: exact up to 2^53 and never wrapping, where lattice-like
  // landscapes pass 2^31 shortest paths with a few hundred nodes.
  void distances_minpath_search_amb_node_prior(int inicial, int prior, adjacency* const* list_edges,
                                               int nElems, int* minPath, int* drecera,
                                               double* nodeprior, double* nodetotal);
};

}  // namespace verdalis
