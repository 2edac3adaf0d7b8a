#pragma once
// BC: shortest-path betweenness of every node on the binary graph,
// normalised by the number of unordered pairs.
#include <vector>

#include "graph/tessella.h"

namespace verdalis {

class indexBC {
 public:
  int nNodes;
  std::vector<float> betweenness;  // -1 until computed

  explicit indexBC(int n);
  void generate(adjacency* const* list_edges);
  // out[i] = betweenness[i] / (n(n-1)/2). A single node gives 0/0, not a
  // number, and is kept so.
  void value(float* out) const;
};

}  // namespace verdalis
