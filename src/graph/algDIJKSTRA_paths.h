#pragma once
// Path counting through one node: the number of shortest paths from a source
// to every node, and how many of them pass through the node `prior`. The
// breadth-first form (unit weights, algBFS) shares the counting rules below.
#include <memory>

#include "graph/algDIJKSTRA.h"
#include "graph/selection.h"
#include "support/messages.h"

namespace verdalis {

// Treated flags of one counting search, all false.
inline std::unique_ptr<bool[]> pathCountFlags(int n) {
  std::unique_ptr<bool[]> flags;
  guardAlloc(kNoMemory, [&] { flags.reset(new bool[n > 0 ? n : 1]()); });
  return flags;
}

// Every node unreached and without paths; the source reached by one path.
template <class D>
void pathCountStart(int inicial, int n, D unreached, D* minPath, int* drecera,
                    double* nodeprior, double* nodetotal) {
  for (int i = 0; i < n; ++i) {
    minPath[i] = unreached;
    drecera[i] = -1;
    nodetotal[i] = 0;
    nodeprior[i] = 0;
  }
  nodetotal[inicial] = 1;
  minPath[inicial] = 0;
}

// u gives v a strictly shorter distance: v's paths are now exactly u's,
// each extended by the step u-v.
inline void pathCountShorter(int u, int v, int prior, int* drecera, double* nodeprior,
                             double* nodetotal) {
  nodetotal[v] = nodetotal[u];
  nodeprior[v] = (v == prior) ? nodetotal[u] : nodeprior[u];
  drecera[v] = u;
}

// u reaches v by another path of the same length: v gains all of u's paths.
inline void pathCountTied(int u, int v, int prior, int* drecera, double* nodeprior, double* nodetotal) {
  nodetotal[v] += nodetotal[u];
  if (v == prior) {
    drecera[v] = u;
    nodeprior[v] += nodetotal[u];
    return;
  }
  // u is treated, so nodeprior[u] already counts every shortest path to u
  // through prior, whichever predecessor of u it comes by. All of them go on
  // to v. Asking instead whether prior lies on u's chain of first
  // predecessors would drop the paths that reach u by its other predecessors
  // and leave the count too low wherever paths tie (and the betweenness of
  // prior with it). Where no paths tie the two agree.
  nodeprior[v] += nodeprior[u];
}

template <class T>
void algDIJKSTRA<T>::distances_minpath_search_DIJKSTRA_ARRAY_amb_node_prior(int inicial, int prior,
                                                                            const matrix<T>& probLog,
                                                                            int nElems, T* minPath, int* drecera,
                                                                            double* nodeprior,
                                                                            double* nodetotal) {
  const T unreached = static_cast<T>(kUnreached);
  std::unique_ptr<bool[]> treated = pathCountFlags(nElems);
  pathCountStart(inicial, nElems, unreached, minPath, drecera, nodeprior, nodetotal);
  while (!conjuntBuit<T>(treated.get(), nElems)) {
    const int u = minValue<T>(minPath, treated.get(), nElems);
    treated[u] = true;
    // The closest untreated node is out of reach, so are all the others:
    // nothing more can be counted.
    if (minPath[u] == unreached) break;
    const T* weights = probLog.row(u);
    for (int v = 0; v < nElems; ++v) {
      if (treated[v] || weights[v] == unreached) continue;
      const T alt = minPath[u] + weights[v];
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
