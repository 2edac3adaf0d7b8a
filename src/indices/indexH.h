#pragma once
// H, the Harary index: half the sum of 1 / nl_ij over ordered pairs of
// distinct nodes in the same component.
#include "graph/tessella.h"

namespace verdalis {

class indexH {
 public:
  float index;
  int nNodes;
  explicit indexH(int n) : index(0), nNodes(n) {}

  void generate(adjacency* const* list_edges);
  float value() const { return index; }
};

}  // namespace verdalis
