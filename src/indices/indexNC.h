#pragma once
// NC: the number of connected components of the binary graph.
#include "graph/tessella.h"

namespace verdalis {

class indexNC {
 public:
  int index;
  int nNodes;
  explicit indexNC(int n) : index(0), nNodes(n) {}

  // Labels every node with its component number into ncid.
  void generate(int* ncid, adjacency* const* list_edges);
  int value() const { return index; }
};

}  // namespace verdalis
