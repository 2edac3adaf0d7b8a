#pragma once
// The probabilistic indices of a landscape: F, AWF, PC with its numerator and
// EC(PC), and the three parts of PCnum (intra, direct, step).
#include <cmath>

#include "indices/indexPC.h"
#include "landscape/landscape.h"
#include "support/messages.h"

namespace verdalis {

// Makes sure every node has a best-path row of n entries for PC to fill.
inline void ensureBestPathRows(std::vector<tessella>& nodes) {
  const std::size_t n = nodes.size();
  guardAlloc(kNoMemoryRows, [&] {
    for (tessella& node : nodes)
      if (node.p_maxim_product.size() != n) node.p_maxim_product.assign(n, 0.0f);
  });
}

// Every ordered pair i != j contributes its own direction, in single precision.
template <class T>
void landscape<T>::generate_index_F() {
  float sum = 0;
  for (int i = 0; i < nNodes; ++i)
    for (int j = 0; j < nNodes; ++j)
      if (i != j) sum += nodes[i].p[j];
  f = sum;
}

template <class T>
void landscape<T>::generate_index_AWF() {
  float sum = 0;
  for (int i = 0; i < nNodes; ++i)
    for (int j = 0; j < nNodes; ++j)
      if (i != j) sum += (nodes[i].size * nodes[j].size) * nodes[i].p[j];
  awf = sum;
}

// Also leaves the best-path probabilities in every node's p_maxim_product row,
// where the fractions and PCstep read them.
template <class T>
void landscape<T>::generate_index_PC() {
  ensureBestPathRows(nodes);
  indexPC<T> index(nNodes);
  index.generate(nodes.data(), sizeLandscapeArea, allpaths, minProb);
  pcnum = index.valueIndexNumerator();
  pc = index.value();
}

template <class T>
void landscape<T>::generate_index_PCEC() {
  pcec = equivalentConnected(pcnum);
}

template <class T>
void landscape<T>::CalculaPcIntraGlob() {
  pcIntraGlob = 0;
  for (int i = 0; i < nNodes; ++i) {
    float term = nodes[i].size * nodes[i].size;
    pcIntraGlob += term;
  }
}

template <class T>
void landscape<T>::CalculaPcDirectGlob() {
  pcDirectGlob = 0;
  for (int i = 0; i < nNodes; ++i)
    for (int j = 0; j < nNodes; ++j)
      if (i != j) {
        float term = nodes[i].size * nodes[j].size * nodes[i].p[j];
        pcDirectGlob += term;
      }
}

// What stepping-stone paths add beyond the direct links; needs PC first.
template <class T>
void landscape<T>::CalculaPcStepGlob() {
  pcStepGlob = 0;
  for (int i = 0; i < nNodes; ++i)
    for (int j = 0; j < nNodes; ++j)
      if (i != j) {
        float term = nodes[i].size * nodes[j].size * (nodes[i].p_maxim_product[j] - nodes[i].p[j]);
        pcStepGlob += term;
      }
}

template <class T>
void landscape<T>::generate_index_PC_DijkstraSaving_Write() {
  ensureBestPathRows(nodes);
  indexPC<T> index(nNodes);
  index.generateWrite(nodes.data(), sizeLandscapeArea, allpaths, minProb);
  pcnum = index.valueIndexNumerator();
  pc = index.value();
}

// node: the removed node's position in the landscape whose searches were saved.
template <class T>
void landscape<T>::generate_index_PC_DijkstraSaving_Read(int node) {
  ensureBestPathRows(nodes);
  indexPC<T> index(nNodes);
  index.generateRead(node, nodes.data(), sizeLandscapeArea, allpaths, minProb);
  pcnum = index.valueIndexNumerator();
  pc = index.value();
}

}  // namespace verdalis
