#pragma once
// The variants of a landscape with one node or link removed, added or
// changed, each built by copying a source landscape. Included from
// landscape_impl.h only.
#include <cstddef>

#include "landscape/landscape.h"
#include "landscape/landscape_build.h"
#include "support/messages.h"

namespace verdalis {

// Common start of every copy: the node array, the settings, no labelling.
template <class T>
void startCopy(landscape<T>& target, const landscape<T>& land, int n) {
  allocateNodes(target.nodes, n);
  std::vector<int>().swap(target.componentId);
  target.componentsReady = false;
  target.nNodes = n;
  target.minProb = land.minProb;
  target.allpaths = land.allpaths;
}

// Labels, attributes, lists and p rows of a copy with the same nodes.
template <class T>
void copySameNodes(landscape<T>& target, const landscape<T>& land, bool adjType, bool probType) {
  startCopy(target, land, land.nNodes);
  target.sizeTotalHabitat = land.sizeTotalHabitat;
  target.sizeLandscapeArea = land.sizeLandscapeArea;
  allocateRows(target.nodes, target.nNodes, adjType, probType);
  target.nEdges = adjType ? land.nEdges : 0;
  for (int i = 0; i < target.nNodes; ++i) {
    tessella& node = target.nodes[i];
    const tessella& from = land.nodes[i];
    node.label = from.label;
    node.size = from.size;
    if (adjType) guardAlloc(kNoMemoryRows, [&] { node.list_adjacency = from.list_adjacency; });
    if (probType)
      for (int j = 0; j < target.nNodes; ++j) node.p[j] = from.p[j];
  }
}

// Links a pair that is not linked.
template <class T>
void addLink(landscape<T>& target, int a, int b) {
  ++target.nEdges;
  target.nodes[a].list_adjacency.push_back(b);
  target.nodes[b].list_adjacency.push_back(a);
}

// The direct probability of a connection value, as create_land gives it.
inline float connectionProbability(float value, bool inputDist, float c) {
  return inputDist ? distanceToProbability(c, value) : value;
}

template <class T>
void landscape<T>::create_land_with_copy_deleting_one(landscape<T>* land, int nerased, bool adjType,
                                                     bool probType) {
  startCopy(*this, *land, land->nNodes - 1);
  sizeTotalHabitat = 0;
  for (int i = 0, from = 0; i < nNodes; ++i, ++from) {
    if (from == nerased) ++from;
    nodes[i].label = land->nodes[from].label;
    nodes[i].size = land->nodes[from].size;
    sizeTotalHabitat += nodes[i].size;
  }
  sizeLandscapeArea = land->sizeLandscapeArea;
  allocateRows(nodes, nNodes, adjType, probType);
  nEdges = 0;

  if (adjType) {
    nEdges = land->nEdges;
    for (int i = 0, from = 0; i < nNodes; ++i, ++from) {
      if (from == nerased) ++from;
      guardAlloc(kNoMemoryRows,
                           [&] { nodes[i].list_adjacency = land->nodes[from].list_adjacency; });
    }
    const adjacency& gone = land->nodes[nerased].list_adjacency;
    nEdges -= static_cast<int>(gone.size());
    for (int g : gone) removeFirst(nodes[g > nerased ? g - 1 : g].list_adjacency, nerased);
    for (tessella& node : nodes)
      for (int& entry : node.list_adjacency)
        if (entry > nerased) --entry;
  }

  if (probType) {
    for (int i = 0, fi = 0; i < nNodes; ++i, ++fi) {
      if (fi == nerased) ++fi;
      for (int j = 0, fj = 0; j < nNodes; ++j, ++fj) {
        if (fj == nerased) ++fj;
        nodes[i].p[j] = land->nodes[fi].p[fj];
      }
    }
  }
}

template <class T>
void landscape<T>::create_land_with_copy_deleting_one_connection(landscape<T>* land, int nerased1, int nerased2,
                                                                bool adjType, bool probType) {
  copySameNodes(*this, *land, adjType, probType);
  if (adjType) {
    removeFirst(nodes[nerased1].list_adjacency, nerased2);
    if (removeFirst(nodes[nerased2].list_adjacency, nerased1)) --nEdges;
  }
  if (probType) {
    nodes[nerased1].p[nerased2] = 0.0f;
    nodes[nerased2].p[nerased1] = 0.0f;
  }
}

template <class T>
void landscape<T>::create_land_with_copy_adding_one(float sizeAdd, int labelAdd, const float* connectionsAdd,
                                                   bool adjType, bool probType, bool inputDist, bool inputProb,
                                                   bool inputAdjacen, float adjacentTail, float kProbProb,
                                                   float kDistanceProb, landscape<T>* land) {
  const int n = land->nNodes;
  startCopy(*this, *land, n + 1);
  sizeTotalHabitat = 0;
  for (int i = 0; i < n; ++i) {
    nodes[i].label = land->nodes[i].label;
    nodes[i].size = land->nodes[i].size;
    sizeTotalHabitat += nodes[i].size;
  }
  nodes[n].label = labelAdd;
  nodes[n].size = sizeAdd;
  sizeTotalHabitat += sizeAdd;
  // A candidate may push the habitat past the landscape attribute, which
  // would let IIC and PC exceed 1.
  sizeLandscapeArea = land->sizeLandscapeArea;
  if (sizeLandscapeArea < sizeTotalHabitat) sizeLandscapeArea = sizeTotalHabitat;
  allocateRows(nodes, nNodes, adjType, probType);
  nEdges = 0;

  if (adjType) {
    nEdges = land->nEdges;
    for (int i = 0; i < n; ++i)
      guardAlloc(kNoMemoryRows,
                           [&] { nodes[i].list_adjacency = land->nodes[i].list_adjacency; });
    for (int r = 0; r < n; ++r)
      if (isBinaryLink(connectionsAdd[r], inputDist, inputProb, inputAdjacen, adjacentTail))
        addLink(*this, r, n);
  }

  if (probType) {
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) nodes[i].p[j] = land->nodes[i].p[j];
    if (inputDist || inputProb) {
      const float c = inputDist ? probabilityConstant(kProbProb, kDistanceProb) : 0.0f;
      for (int r = 0; r < n; ++r) {
        const float p = connectionProbability(connectionsAdd[r], inputDist, c);
        nodes[n].p[r] = p;
        nodes[r].p[n] = p;
      }
    }
    nodes[n].p[n] = 1.0f;
  }
}

template <class T>
void landscape<T>::create_land_with_copy_with_one_connection_sure(landscape<T>* land, int node1, int node2,
                                                                 bool adjType, bool probType) {
  copySameNodes(*this, *land, adjType, probType);
  if (adjType && !contains(nodes[node1].list_adjacency, node2)) addLink(*this, node1, node2);
  if (probType) {
    nodes[node1].p[node2] = 1.0f;
    nodes[node2].p[node1] = 1.0f;
  }
}

template <class T>
void landscape<T>::create_land_with_copy_with_one_connection_Diff(landscape<T>* land, int node1, int node2,
                                                                 float valueDiff, bool adjType, bool probType,
                                                                 bool inputDist, bool inputProb,
                                                                 bool inputAdjacen, float adjacentTail,
                                                                 float kProbProb, float kDistanceProb,
                                                                 float /*minProbp*/, bool /*allpathsp*/) {
  copySameNodes(*this, *land, adjType, probType);
  if (adjType) {
    const bool linkedAfter = isBinaryLink(valueDiff, inputDist, inputProb, inputAdjacen, adjacentTail);
    const bool linkedBefore = contains(nodes[node1].list_adjacency, node2);
    if (linkedAfter && !linkedBefore) {
      addLink(*this, node1, node2);
    } else if (!linkedAfter && linkedBefore) {
      --nEdges;
      removeFirst(nodes[node1].list_adjacency, node2);
      removeFirst(nodes[node2].list_adjacency, node1);
    }
  }
  if (probType && (inputDist || inputProb)) {
    const float c = inputDist ? probabilityConstant(kProbProb, kDistanceProb) : 0.0f;
    const float p = connectionProbability(valueDiff, inputDist, c);
    nodes[node1].p[node2] = p;
    nodes[node2].p[node1] = p;
  }
}

}  // namespace verdalis
