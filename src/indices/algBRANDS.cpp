#include "indices/algBRANDS.h"

#include <cstddef>
#include <vector>

#include "support/messages.h"

namespace verdalis {

namespace {

// Working data of the search, sized once and reused for every source so
// that no allocation happens inside the passes. Path counts are doubles:
// exact up to 2^53, and they do not wrap where the number of shortest paths
// passes 2^31 (a chain of 31 diamonds is enough).
struct brandesWork {
  std::vector<std::vector<int>> predecessors;
  std::vector<double> sigma;
  std::vector<int> distance;
  std::vector<float> delta;
  std::vector<int> queue;
  std::vector<int> stack;

  brandesWork(int n, adjacency* const* list_edges) {
    guardAlloc(kNoMemory, [&] {
      const std::size_t size = static_cast<std::size_t>(n);
      predecessors.resize(size);
      for (int w = 0; w < n; ++w) predecessors[w].reserve(list_edges[w]->size());
      sigma.resize(size);
      distance.resize(size);
      delta.resize(size);
      queue.reserve(size);
      stack.reserve(size);
    });
  }
};

// Breadth-first from s: distances, path counts and the predecessors on
// shortest paths; the stack ends up holding the nodes by distance.
void countPaths(int s, int n, adjacency* const* list_edges, brandesWork& work) {
  work.stack.clear();
  for (std::vector<int>& list : work.predecessors) list.clear();
  for (int t = 0; t < n; ++t) {
    work.sigma[t] = 0;
    work.distance[t] = -1;
  }
  work.sigma[s] = 1;
  work.distance[s] = 0;
  work.queue.clear();
  work.queue.push_back(s);
  for (std::size_t front = 0; front < work.queue.size(); ++front) {
    const int v = work.queue[front];
    work.stack.push_back(v);
    for (int w : *list_edges[v]) {
      if (work.distance[w] < 0) {
        work.queue.push_back(w);
        work.distance[w] = work.distance[v] + 1;
      }
      if (work.distance[w] == work.distance[v] + 1) {
        work.sigma[w] += work.sigma[v];
        work.predecessors[w].push_back(v);
      }
    }
  }
}

// Dependencies of s on every node, farthest nodes first, in single precision.
void accumulate(int s, int n, brandesWork& work, float* betweenness) {
  for (int v = 0; v < n; ++v) work.delta[v] = 0;
  while (!work.stack.empty()) {
    const int w = work.stack.back();
    work.stack.pop_back();
    for (int v : work.predecessors[w]) {
      const float share = static_cast<float>(work.sigma[v]) / static_cast<float>(work.sigma[w]);
      work.delta[v] = work.delta[v] + share * (1.0f + work.delta[w]);
    }
    if (w != s) betweenness[w] += work.delta[w];
  }
}

}  // namespace

void algBRANDS::betweenness_centrality_search(adjacency* const* list_edges, float* betweenness) {
  brandesWork work(nElems, list_edges);
  for (int v = 0; v < nElems; ++v) betweenness[v] = 0;
  for (int s = 0; s < nElems; ++s) {
    countPaths(s, nElems, list_edges, work);
    accumulate(s, nElems, work, betweenness);
  }
}

}  // namespace verdalis
