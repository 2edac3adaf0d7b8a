#include "graph/algBFS.h"

#include <vector>

namespace verdalis {

void algBFS::distances_search(int inicial, adjacency* const* list_edges, int* minPath) {
  for (int i = 0; i < nElems; ++i) minPath[i] = kUnreached;
  minPath[inicial] = 0;
  // Every node enters the queue at most once, so a vector read from a moving
  // front is a first-in first-out queue.
  std::vector<int> queue;
  queue.reserve(static_cast<std::size_t>(nElems));
  queue.push_back(inicial);
  for (std::size_t front = 0; front < queue.size(); ++front) {
    const int taken = queue[front];
    for (int w : *list_edges[taken]) {
      if (minPath[w] != kUnreached) continue;
      minPath[w] = minPath[taken] + 1;
      queue.push_back(w);
    }
  }
}

}  // namespace verdalis
