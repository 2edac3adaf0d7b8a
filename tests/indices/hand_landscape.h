#pragma once
// Landscapes filled by hand for the probabilistic tests: attributes, direct
// probabilities (1 towards itself, 0 elsewhere until set) and room for the
// best-path rows; topological distances when asked for.
#include <cmath>
#include <random>
#include <vector>

#include "landscape/landscape.h"

namespace verdalis {

namespace handland {

template <class T>
landscape<T> make(const std::vector<float>& sizes, float area, float minProb = 0, bool allpaths = false) {
  landscape<T> land;
  land.nNodes = static_cast<int>(sizes.size());
  land.nodes.resize(sizes.size());
  for (int i = 0; i < land.nNodes; ++i) {
    tessella& node = land.nodes[i];
    node.size = sizes[i];
    node.label = 100 + i;
    node.p.assign(sizes.size(), 0.0f);
    node.p[i] = 1.0f;
    node.p_maxim_product.assign(sizes.size(), -1.0f);
    land.sizeTotalHabitat += sizes[i];
  }
  land.sizeLandscapeArea = area;
  land.minProb = minProb;
  land.allpaths = allpaths;
  return land;
}

// Both directions of a pair.
template <class T>
void setP(landscape<T>& land, int i, int j, float p) {
  land.nodes[i].p[j] = p;
  land.nodes[j].p[i] = p;
}

// The landscape without node k, positions after k moved down by one.
template <class T>
landscape<T> without(const landscape<T>& land, int k) {
  std::vector<float> sizes;
  for (int i = 0; i < land.nNodes; ++i)
    if (i != k) sizes.push_back(land.nodes[i].size);
  landscape<T> out = make<T>(sizes, land.sizeLandscapeArea, land.minProb, land.allpaths);
  for (int i = 0; i < out.nNodes; ++i)
    for (int j = 0; j < out.nNodes; ++j) out.nodes[i].p[j] = land.nodes[i < k ? i : i + 1].p[j < k ? j : j + 1];
  return out;
}

// Random attributes and probabilities on n nodes; about a third of the pairs
// unlinked. Symmetric, or each direction drawn on its own.
template <class T>
landscape<T> random(std::mt19937& rng, int n, bool symmetric) {
  std::uniform_real_distribution<float> size(0.5f, 10.0f);
  std::uniform_real_distribution<float> prob(0.01f, 1.0f);
  std::uniform_int_distribution<int> linked(0, 2);
  std::vector<float> sizes;
  for (int i = 0; i < n; ++i) sizes.push_back(size(rng));
  landscape<T> land = make<T>(sizes, 30.0f);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < i; ++j) {
      float a = linked(rng) ? prob(rng) : 0.0f;
      float b = symmetric ? a : (linked(rng) ? prob(rng) : 0.0f);
      land.nodes[i].p[j] = a;
      land.nodes[j].p[i] = b;
    }
  return land;
}

// The largest product of direct probabilities over all simple paths i -> j
// (1 for i = j), by enumeration.
template <class T>
double bestPathByEnumeration(const landscape<T>& land, int from, int to) {
  if (from == to) return 1.0;
  std::vector<bool> visited(land.nNodes, false);
  double best = 0;
  auto walk = [&](auto&& self, int at, double product) -> void {
    if (at == to) {
      if (product > best) best = product;
      return;
    }
    visited[at] = true;
    for (int next = 0; next < land.nNodes; ++next) {
      double p = land.nodes[at].p[next];
      if (!visited[next] && next != at && p > 0) self(self, next, product * p);
    }
    visited[at] = false;
  };
  walk(walk, from, 1.0);
  return best;
}

}  // namespace handland

}  // namespace verdalis
