#pragma once
// Path counting over compressed weights in the treatment order of the
// linear-scan search: O(reached · log reached + their pairs) per source,
// where the scan costs n per step.
//
// The parents of a node depend on the distances at the moment each of its
// neighbours is treated, so the nodes must be treated in the scan's order,
// not merely in an order of equal distances: each step takes the scan's
// choice among every waiting node of the smallest float class
// (takeScanChoice, local_search.h), as localSearch does. A relaxation from the
// treated node to an untreated one that lowers a distance makes the node its
// only parent; one that meets the distance exactly adds the node as a parent.
// The scan does the same over every untreated node, and a pair without a
// weight changes nothing there, so the parents, their order and the path
// counts are the scan's.
#include <cstddef>
#include <vector>

#include "graph/local_search.h"
#include "graph/class_heap.h"
#include "graph/path_dag.h"
#include "graph/search_weights.h"

namespace verdalis {

template <class T>
class scanOrderDag {
 public:
  // The search from source over w (no cut, no pair left out).
  void run(int source, const searchWeights& w, pathDag<T>& dag);

 private:
  std::vector<char> treated;
  std::vector<int> group;
  // Each waiting node once, at the float class of its current distance.
  classHeap heap;
};

template <class T>
void scanOrderDag<T>::run(int source, const searchWeights& w, pathDag<T>& dag) {
  const int n = w.n;
  dag.reset(n);
  if (treated.size() != static_cast<std::size_t>(n)) treated.assign(static_cast<std::size_t>(n), 0);
  heap.prepare(n);
  T* dist = dag.dist.data();
  dist[source] = 0;
  dag.total[source] = 1;
  heap.push(source, T(0));
  while (!heap.empty()) {
    const int u = takeScanChoice(heap, group, dist);
    treated[u] = 1;
    dag.order.push_back(u);
    const T du = dist[u];
    for (std::size_t e = w.start[u]; e < w.start[u + 1]; ++e) {
      const int v = w.target[e];
      if (treated[v]) continue;
      const T alt = du + static_cast<T>(w.weight[e]);
      if (alt < dist[v]) {
        dist[v] = alt;
        dag.parents[v].assign(1, u);
        dag.total[v] = dag.total[u];
        heap.push(v, alt);
      } else if (alt == dist[v]) {
        dag.parents[v].push_back(u);
        dag.total[v] += dag.total[u];
      }
    }
  }
  // Left clear for the next search.
  for (int v : dag.order) treated[v] = 0;
}

}  // namespace verdalis
