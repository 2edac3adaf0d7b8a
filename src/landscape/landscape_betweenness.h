#pragma once
// The betweenness indices BC, BC(PC) and BC(IIC) of every node. Included
// from landscape.h only.
#include <cstddef>
#include <vector>

#include "indices/indexBC.h"
#include "indices/indexBCIIC.h"
#include "indices/indexBCPC.h"
#include "landscape/landscape.h"
#include "support/messages.h"

namespace verdalis {

template <class T>
void landscape<T>::generate_index_BC() {
  guardAlloc(kNoMemoryRows, [&] { bc.assign(static_cast<std::size_t>(nNodes), 0.0f); });
  std::vector<adjacency*> pointers = adjacencyPointers();
  indexBC index(nNodes);
  index.generate(pointers.data());
  index.value(bc.data());
}

template <class T>
void landscape<T>::generate_index_BCPC() {
  guardAlloc(kNoMemoryRows, [&] { bcpc.assign(static_cast<std::size_t>(nNodes), 0.0f); });
  indexBCPC<T> index(nNodes);
  index.generate(nodes.data(), sizeLandscapeArea, allpaths, minProb);
  index.value(bcpc.data());
}

template <class T>
void landscape<T>::generate_index_BCIIC() {
  guardAlloc(kNoMemoryRows, [&] { bciic.assign(static_cast<std::size_t>(nNodes), 0.0f); });
  std::vector<adjacency*> pointers = adjacencyPointers();
  std::vector<float> sizes;
  std::vector<int> labels;
  guardAlloc(kNoMemory, [&] {
    sizes.reserve(nodes.size());
    labels.reserve(nodes.size());
  });
  for (const tessella& node : nodes) {
    sizes.push_back(node.size);
    labels.push_back(node.label);
  }
  indexBCIIC<T> index(nNodes);
  index.generate(pointers.data(), sizes.data(), sizeLandscapeArea, labels.data());
  index.value(bciic.data());
}

}  // namespace verdalis
