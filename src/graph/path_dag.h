#pragma once
// The shortest paths from one source as a graph of parents, with the number
// of shortest paths to every node, and its breadth-first search over the
// binary links: O(reached + their links) per source.
//
// The parents of a node are the neighbours that reached it by a path of its
// final length, listed in the order they did, so that every walk over them
// meets its terms in the order of the searches it stands for. The arrays of
// n entries are kept between sources, and only the nodes the last search
// reached are cleared: a landscape of many small components costs what its
// components hold, not n per source.
#include <cstddef>
#include <vector>

#include "graph/tessella.h"

namespace verdalis {

// D is the type of the distances: int for links, the precision of the run
// for weighted paths.
template <class D>
struct pathDag {
  std::vector<int> order;                  // treated nodes, source first
  std::vector<std::vector<int>> parents;   // per node
  std::vector<double> total;               // shortest paths from the source
  std::vector<D> dist;                     // unreached: kUnreached

  // Ready for a search over n nodes. Every node a search gives a distance
  // is treated by it, so the previous order names all there is to clear.
  void reset(int n) {
    const D unreached = static_cast<D>(kUnreached);
    if (dist.size() != static_cast<std::size_t>(n)) {
      parents.assign(static_cast<std::size_t>(n), {});
      total.assign(static_cast<std::size_t>(n), 0.0);
      dist.assign(static_cast<std::size_t>(n), unreached);
    } else {
      for (int v : order) {
        parents[v].clear();
        total[v] = 0;
        dist[v] = unreached;
      }
    }
    order.clear();
  }
};

// Path counting with unit weights; distances are exact integers, so the
// parents are the neighbours one link closer, in the order the queue takes
// them. neighbours(u, visit) calls visit(v) for every link of u, in list
// order. The path counts are those of Brandes' search, added in the same
// order.
template <class Neighbours>
void binaryDag(int source, int n, Neighbours&& neighbours, pathDag<int>& dag) {
  dag.reset(n);
  std::vector<int>& dist = dag.dist;
  dist[source] = 0;
  dag.total[source] = 1;
  dag.order.push_back(source);
  for (std::size_t head = 0; head < dag.order.size(); ++head) {
    const int u = dag.order[head];
    neighbours(u, [&](int v) {
      if (dist[v] == kUnreached) {
        dist[v] = dist[u] + 1;
        dag.order.push_back(v);
      }
      if (dist[v] == dist[u] + 1) {
        // A link listed twice counts twice, as in the search it replaces.
        dag.parents[v].push_back(u);
        dag.total[v] += dag.total[u];
      }
    });
  }
}

}  // namespace verdalis
