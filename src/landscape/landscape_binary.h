#pragma once
// The binary indices of a landscape: NC, NL, H, CCP, LCP, IIC and EC(IIC).
// Included from landscape_impl.h only.
#include <cmath>
#include <cstddef>

#include "graph/algBFS.h"
#include "indices/indexCCP.h"
#include "indices/indexH.h"
#include "indices/indexLCP.h"
#include "indices/indexNC.h"
#include "indices/terms.h"
#include "landscape/landscape.h"
#include "support/messages.h"

namespace verdalis {

// The attributes in node order, the form the component sums take.
inline std::vector<float> nodeSizes(const std::vector<tessella>& nodes) {
  std::vector<float> sizes;
  guardAlloc(kNoMemory, [&] { sizes.reserve(nodes.size()); });
  for (const tessella& node : nodes) sizes.push_back(node.size);
  return sizes;
}

// Makes sure every node has an nl row of n entries for the searches to fill.
inline void ensureDistanceRows(std::vector<tessella>& nodes) {
  const std::size_t n = nodes.size();
  guardAlloc(kNoMemoryRows, [&] {
    for (tessella& node : nodes)
      if (node.nl.size() != n) node.nl.assign(n, 0);
  });
}

template <class T>
void landscape<T>::generate_index_NC() {
  if (!componentsReady) {
    std::vector<adjacency*> lists;
    guardAlloc(kNoMemory, [&] {
      componentId.assign(static_cast<std::size_t>(nNodes), -1);
      lists = adjacencyPointers();
    });
    indexNC count(nNodes);
    count.generate(componentId.data(), lists.data());
    nComponents = count.value();
    componentsReady = true;
  }
  nc = nComponents;
}

template <class T>
void landscape<T>::generate_index_NL() {
  nl = nEdges;
}

template <class T>
void landscape<T>::generate_index_H() {
  std::vector<adjacency*> lists = adjacencyPointers();
  indexH harary(nNodes);
  harary.generate(lists.data());
  h = harary.value();
}

template <class T>
void landscape<T>::generate_index_CCP() {
  if (!componentsReady) generate_index_NC();
  const std::vector<float> sizes = nodeSizes(nodes);
  indexCCP coincidence(nNodes);
  coincidence.generate(nComponents, componentId.data(), sizes.data(), sizeTotalHabitat);
  ccp = coincidence.value();
}

template <class T>
void landscape<T>::generate_index_LCP() {
  if (!componentsReady) generate_index_NC();
  const std::vector<float> sizes = nodeSizes(nodes);
  indexLCP coincidence(nNodes);
  coincidence.generate(nComponents, componentId.data(), sizes.data(), sizeLandscapeArea);
  lcp = coincidence.value();
  lcpnum = coincidence.valueIndexNumerator();
}

template <class T>
void landscape<T>::generate_index_IIC() {
  std::vector<adjacency*> lists = adjacencyPointers();
  ensureDistanceRows(nodes);
  algBFS search(nNodes);
  T sum = 0;
  for (int i = 0; i < nNodes; ++i) {
    int* row = nodes[i].nl.data();
    search.distances_search(i, lists.data(), row);
    for (int j = 0; j < nNodes; ++j)
      if (row[j] != kUnreached) sum = addIICTerm(sum, nodes[i].size, nodes[j].size, row[j]);
  }
  iicnum = sum;
  iic = normalisedByArea(sum, sizeLandscapeArea, nNodes);
}

template <class T>
void landscape<T>::generate_index_H_IIC() {
  std::vector<adjacency*> lists = adjacencyPointers();
  ensureDistanceRows(nodes);
  algBFS search(nNodes);
  T sum = 0;
  float harary = 0;
  for (int i = 0; i < nNodes; ++i) {
    int* row = nodes[i].nl.data();
    search.distances_search(i, lists.data(), row);
    for (int j = 0; j < nNodes; ++j) {
      if (row[j] == kUnreached) continue;
      sum = addIICTerm(sum, nodes[i].size, nodes[j].size, row[j]);
      if (j != i) harary = addHararyTerm(harary, row[j]);
    }
  }
  iicnum = sum;
  iic = normalisedByArea(sum, sizeLandscapeArea, nNodes);
  h = harary / 2.0f;
}

template <class T>
void landscape<T>::generate_index_IICEC() {
  iicec = equivalentConnected(iicnum);
}

}  // namespace verdalis
