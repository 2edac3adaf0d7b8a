#pragma once
// Shortest paths on weights -ln p: the path of maximum product probability.
#include "graph/tessella.h"
#include "support/matrix.h"

namespace verdalis {

template <class T>
class algDIJKSTRA {
 public:
  int nElems;
  explicit algDIJKSTRA(int n) : nElems(n) {}

  // Over the listed links (list_adjacency is an array of nElems lists).
  void distances_minpath_search_DIJKSTRA_LIST(int inicial, int nElems, const matrix<T>& probLog,
                                              const adjacency* list_adjacency, T* minPath, int* drecera);
  // Over the complete graph.
  void distances_minpath_search_DIJKSTRA_ARRAY(int inicial, const matrix<T>& probLog, int nElems,
                                               T* minPath, int* drecera);
  // Over the listed links, not expanding nodes beyond -ln(minProb).
  void distances_minpath_search_DIJKSTRA_LIST_MINPROB(int inicial, int nElems,
                                                      const matrix<T>& probLog,
                                                      const adjacency* list_adjacency, T* minPath,
                                                      float minProb, int* drecera);
  // Path counting through prior over the complete matrix (kUnreached entries
  // are missing links); counts as in algBFS.
  void distances_minpath_search_DIJKSTRA_ARRAY_amb_node_prior(int inicial, int prior,
                                                              const matrix<T>& probLog,
                                                              int nElems, T* minPath, int* drecera,
                                                              double* nodeprior, double* nodetotal);
};

}  // namespace verdalis

#include "graph/algDIJKSTRA_search.h"
#include "graph/algDIJKSTRA_paths.h"
