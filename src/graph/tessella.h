#pragma once
// One habitat node of a landscape.
#include <vector>

namespace verdalis {

// Positions of the nodes joined to a node by a binary link, in the order the
// links were added.
using adjacency = std::vector<int>;

// Marker of an unreached node in the topological distances (and, as a
// floating value, in the weighted searches).
constexpr int kUnreached = 2147483647;

class tessella {
 public:
  float size = 0;             // the node attribute (area, quality, ...)
  int label = 0;              // identifier from the node file
  adjacency list_adjacency;   // binary neighbours
  std::vector<int> nl;        // topological distances to every node (empty: not built)
  std::vector<float> p;       // direct probabilities to every node (empty: not built)
  std::vector<float> p_maxim_product;  // best-path probabilities (empty: not built)
  float pc_area = 0;          // kept in the record; nothing reads it
};

}  // namespace verdalis
