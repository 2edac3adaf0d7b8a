#include "graph/breadth_first.h"

#include "graph/tessella.h"

namespace verdalis {

void breadthFirst(const binaryGraph& g, int source, int excluded, int cutA, int cutB, int addA, int addB,
                         int* dist, std::vector<int>& queue) {
  for (int v = 0; v < g.n; ++v) dist[v] = kUnreached;
  queue.clear();
  dist[source] = 0;
  queue.push_back(source);
  auto visit = [&](int u, int v) {
    if (v == excluded || dist[v] != kUnreached) return;
    dist[v] = dist[u] + 1;
    queue.push_back(v);
  };
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const int u = queue[head];
    for (std::size_t e = g.start[u]; e < g.start[u + 1]; ++e) {
      const int v = g.target[e];
      if ((u == cutA && v == cutB) || (u == cutB && v == cutA)) continue;
      visit(u, v);
    }
    if (u == addA) visit(u, addB);
    if (u == addB) visit(u, addA);
  }
}

}  // namespace verdalis
