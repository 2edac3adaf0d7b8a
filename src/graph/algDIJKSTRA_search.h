#pragma once
// The three plain Dijkstra forms. They share one frame: every node starts
// unreached, the untreated node of smallest distance is treated next (the
// linear selection, whose tie rule the results depend on), and a neighbour's
// distance only changes when strictly improved, so that on ties the first
// predecessor found stays.
#include <cmath>
#include <memory>

#include "graph/algDIJKSTRA.h"
#include "graph/selection.h"
#include "support/messages.h"

namespace verdalis {

// Treated flags of one search, all false.
inline std::unique_ptr<bool[]> dijkstraFlags(int n) {
  std::unique_ptr<bool[]> flags;
  guardAlloc(kNoMemory, [&] { flags.reset(new bool[n > 0 ? n : 1]()); });
  return flags;
}

// Distances unreached, the source at 0, predecessors (when asked for) none.
template <class T>
void dijkstraStart(int inicial, int n, T* minPath, int* drecera) {
  for (int i = 0; i < n; ++i) minPath[i] = static_cast<T>(kUnreached);
  if (drecera != nullptr)
    for (int i = 0; i < n; ++i) drecera[i] = -1;
  minPath[inicial] = 0;
}

// One relaxation of v from u over the weight w.
template <class T>
void dijkstraRelax(int u, int v, T w, const bool* treated, T* minPath, int* drecera) {
  if (treated[v]) return;
  T alt = minPath[u] + w;
  if (minPath[v] > alt) {
    minPath[v] = alt;
    if (drecera != nullptr) drecera[v] = u;
  }
}

template <class T>
void algDIJKSTRA<T>::distances_minpath_search_DIJKSTRA_LIST(int inicial, int nElems,
                                                           const matrix<T>& probLog,
                                                           const adjacency* list_adjacency, T* minPath,
                                                           int* drecera) {
  std::unique_ptr<bool[]> treated = dijkstraFlags(nElems);
  dijkstraStart(inicial, nElems, minPath, drecera);
  while (!conjuntBuit<T>(treated.get(), nElems)) {
    int u = minValue<T>(minPath, treated.get(), nElems);
    treated[u] = true;
    for (int v : list_adjacency[u]) dijkstraRelax(u, v, probLog(u, v), treated.get(), minPath, drecera);
  }
}

template <class T>
void algDIJKSTRA<T>::distances_minpath_search_DIJKSTRA_ARRAY(int inicial, const matrix<T>& probLog,
                                                            int nElems, T* minPath, int* drecera) {
  std::unique_ptr<bool[]> treated = dijkstraFlags(nElems);
  dijkstraStart(inicial, nElems, minPath, drecera);
  while (!conjuntBuit<T>(treated.get(), nElems)) {
    int u = minValue<T>(minPath, treated.get(), nElems);
    treated[u] = true;
    const T* weights = probLog.row(u);
    for (int v = 0; v < nElems; ++v) dijkstraRelax(u, v, weights[v], treated.get(), minPath, drecera);
  }
}

template <class T>
void algDIJKSTRA<T>::distances_minpath_search_DIJKSTRA_LIST_MINPROB(int inicial, int nElems,
                                                                   const matrix<T>& probLog,
                                                                   const adjacency* list_adjacency,
                                                                   T* minPath, float minProb, int* drecera) {
  // A node whose best probability from the source is below minProb is still
  // reached, but no path goes on through it.
  const float cutFloat = -std::log(minProb);
  const T cut = static_cast<T>(cutFloat);
  std::unique_ptr<bool[]> treated = dijkstraFlags(nElems);
  dijkstraStart(inicial, nElems, minPath, drecera);
  while (!conjuntBuit<T>(treated.get(), nElems)) {
    int u = minValue<T>(minPath, treated.get(), nElems);
    treated[u] = true;
    if (!(minPath[u] <= cut)) continue;
    for (int v : list_adjacency[u]) dijkstraRelax(u, v, probLog(u, v), treated.get(), minPath, drecera);
  }
}

}  // namespace verdalis
