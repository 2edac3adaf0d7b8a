#include "graph/algDFS.h"

#include <vector>

namespace verdalis {

void algDFS::components_search(adjacency* const* list_edges, int* ncid, int& nComponents) {
  nComponents = 0;
  if (nElems <= 0) return;  // no node: no component, and no start node to label
  for (int i = 0; i < nElems; ++i) ncid[i] = -1;
  std::vector<int> stack;
  int start = 0;
  while (true) {
    ncid[start] = nComponents;
    stack.push_back(start);
    while (!stack.empty()) {
      const int taken = stack.back();
      stack.pop_back();
      for (int w : *list_edges[taken]) {
        if (ncid[w] != -1) continue;
        ncid[w] = nComponents;
        stack.push_back(w);
      }
    }
    // Components are numbered by their lowest position: the next start is
    // the first node still unlabelled.
    while (start < nElems && ncid[start] != -1) ++start;
    ++nComponents;
    if (start == nElems) return;
  }
}

}  // namespace verdalis
