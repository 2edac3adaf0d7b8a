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

  // One term added the way every H sum adds it: in double, kept in float.
  static float addTerm(float sum, int distance) {
    return static_cast<float>(static_cast<double>(sum) + 1.0 / static_cast<double>(distance));
  }
};

}  // namespace verdalis
