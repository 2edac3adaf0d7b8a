#include <memory>

#include "graph/algBFS.h"
#include "graph/algDIJKSTRA.h"
#include "graph/selection.h"

namespace verdalis {

// The same counting as the weighted form, with unit weights and integer
// distances, and the nodes treated in the same order (smallest distance,
// ties to the highest position).
void algBFS::distances_minpath_search_amb_node_prior(int inicial, int prior, adjacency* const* list_edges,
                                                     int nElems, int* minPath, int* drecera,
                                                     double* nodeprior, double* nodetotal) {
  std::unique_ptr<bool[]> treated = pathCountFlags(nElems);
  pathCountStart(inicial, nElems, kUnreached, minPath, drecera, nodeprior, nodetotal);
  while (!conjuntBuitBFS(treated.get(), nElems)) {
    const int u = minValue(minPath, treated.get(), nElems);
    treated[u] = true;
    // The rest lie in other components. Going on would also add 1 to the
    // unreached marker, which overflows.
    if (minPath[u] == kUnreached) break;
    const int alt = minPath[u] + 1;
    for (int v : *list_edges[u]) {
      if (treated[v]) continue;
      if (alt < minPath[v]) {
        minPath[v] = alt;
        pathCountShorter(u, v, prior, drecera, nodeprior, nodetotal);
      } else if (alt == minPath[v]) {
        pathCountTied(u, v, prior, drecera, nodeprior, nodetotal);
      }
    }
  }
}

}  // namespace verdalis
