#pragma once
// Building a landscape from the loaded arrays, and the component queries.
// Included from landscape_impl.h only.
#include <cstddef>

#include "landscape/landscape.h"
#include "support/messages.h"

namespace verdalis {

// Allocates n nodes, each built empty.
inline void allocateNodes(std::vector<tessella>& nodes, int n) {
  guardAlloc(kNoMemory, [&] { nodes.assign(static_cast<std::size_t>(n), tessella()); });
}

// The per-node rows of n entries: nl when adjacency is built, p and
// p_maxim_product (all 0) when probabilities are.
inline void allocateRows(std::vector<tessella>& nodes, int n, bool adjType, bool probType) {
  const std::size_t width = static_cast<std::size_t>(n);
  guardAlloc(kNoMemoryRows, [&] {
    for (tessella& node : nodes) {
      if (adjType) node.nl.assign(width, 0);
      if (probType) {
        node.p.assign(width, 0.0f);
        node.p_maxim_product.assign(width, 0.0f);
      }
    }
  });
}

// Removes the first entry equal to value; tells whether there was one.
inline bool removeFirst(adjacency& list, int value) {
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (*it != value) continue;
    list.erase(it);
    return true;
  }
  return false;
}

inline bool contains(const adjacency& list, int value) {
  for (int entry : list)
    if (entry == value) return true;
  return false;
}

template <class T>
void landscape<T>::erase_arrays() {
  std::vector<tessella>().swap(nodes);
  std::vector<int>().swap(componentId);
  componentsReady = false;
}

template <class T>
void landscape<T>::create_land(const float* sizeParam, const int* labelParam,
                               const matrix<float>& connections, int nNodesParam,
                               long long sizeLandscapeAreaParam, bool adjType, bool probType, bool inputDist,
                               bool inputProb, bool inputAdjacen, float adjacentTail, float kProbProb,
                               float kDistanceProb, float minProbp, bool allpathsp) {
  allocateNodes(nodes, nNodesParam);
  std::vector<int>().swap(componentId);
  componentsReady = false;
  nNodes = nNodesParam;
  minProb = minProbp;
  allpaths = allpathsp;
  sizeTotalHabitat = 0;
  nEdgesPC = 0;
  nEdges = 0;
  for (int i = 0; i < nNodes; ++i) {
    nodes[i].label = labelParam[i];
    nodes[i].size = sizeParam[i];
    sizeTotalHabitat += sizeParam[i];
  }
  sizeLandscapeArea = static_cast<float>(sizeLandscapeAreaParam);
  allocateRows(nodes, nNodes, adjType, probType);

  if (adjType) {
    // Only the lower triangle decides a binary link: the value from the later
    // node towards the earlier one.
    for (int i = 0; i < nNodes; ++i) {
      for (int j = 0; j < i; ++j) {
        if (!isBinaryLink(connections(i, j), inputDist, inputProb, inputAdjacen, adjacentTail)) continue;
        nodes[i].list_adjacency.push_back(j);
        nodes[j].list_adjacency.push_back(i);
        ++nEdges;
      }
    }
  }

  if (probType && inputDist) {
    const float c = probabilityConstant(kProbProb, kDistanceProb);
    for (int i = 0; i < nNodes; ++i) {
      for (int j = 0; j < nNodes; ++j) {
        if (i == j) {
          nodes[i].p[i] = 1.0f;
          nodes[i].p_maxim_product[i] = 0.0f;
        } else {
          nodes[i].p[j] = distanceToProbability(c, connections(i, j));
          nodes[j].p_maxim_product[i] = 0.0f;
        }
      }
    }
  } else if (probType && inputProb) {
    for (int i = 0; i < nNodes; ++i)
      for (int j = 0; j < nNodes; ++j) nodes[i].p[j] = (i == j) ? 1.0f : connections(i, j);
  }
}

template <class T>
std::vector<adjacency*> landscape<T>::adjacencyPointers() {
  std::vector<adjacency*> pointers;
  guardAlloc(kNoMemory, [&] { pointers.reserve(nodes.size()); });
  for (tessella& node : nodes) pointers.push_back(&node.list_adjacency);
  return pointers;
}

template <class T>
int landscape<T>::whichComponent(int i) {
  if (!componentsReady) generate_index_NC();
  return componentId[i];
}

template <class T>
float landscape<T>::mida_del_component_del_node(int i) {
  const int component = whichComponent(i);
  float total = 0;
  for (int j = 0; j < nNodes; ++j)
    if (componentId[j] == component) total += nodes[j].size;
  return total;
}

template <class T>
int landscape<T>::nombre_de_nodes_del_component_del_node(int i) {
  const int component = whichComponent(i);
  int count = 0;
  for (int j = 0; j < nNodes; ++j)
    if (componentId[j] == component) ++count;
  return count;
}

template <class T>
float landscape<T>::mida_del_component_del_node_sense_i(int i) {
  const int component = whichComponent(i);
  float total = 0;
  for (int j = 0; j < nNodes; ++j)
    if (j != i && componentId[j] == component) total += nodes[j].size;
  return total;
}

}  // namespace verdalis
