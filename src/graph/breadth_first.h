#pragma once
// Breadth-first (topological) distances over the binary links in compact
// form: O(n + links) per source.
#include <cstddef>
#include <vector>

namespace verdalis {

// The binary links of every node, in compressed rows.
struct binaryGraph {
  int n = 0;
  std::vector<std::size_t> start;
  std::vector<int> target;
  std::vector<int> degree() const {
    std::vector<int> d(n);
    for (int v = 0; v < n; ++v) d[v] = static_cast<int>(start[v + 1] - start[v]);
    return d;
  }
};

// Topological distances; `excluded` takes no part; the pair (cutA, cutB)
// (or -1) is not walked; (addA, addB) (or -1) is walked as a link.
void breadthFirst(const binaryGraph& g, int source, int excluded, int cutA, int cutB, int addA, int addB, int* dist,
                  std::vector<int>& queue);

}  // namespace verdalis
