#pragma once
// Small landscapes for the tests: inputs as the loader leaves them (cells no
// line sets hold the no-link value) and a random generator.
#include <limits>
#include <random>
#include <vector>

#include "landscape/landscape.h"

namespace verdalis {

namespace testland {

constexpr float kNoLinkDistance = std::numeric_limits<float>::max();

struct Input {
  std::vector<float> sizes;
  std::vector<int> labels;
  matrix<float> connections;
  float threshold = 0;
  float kProb = 0.5f;
  float kDist = 1000.0f;
  long long area = 1;
  bool dist = true;
  bool prob = false;
  bool binary = false;

  int n() const { return static_cast<int>(sizes.size()); }
};

// n nodes of the given sizes, labels 10, 11, ...; no connection set yet.
inline Input distanceInput(std::vector<float> sizes, float threshold) {
  Input in;
  in.sizes = std::move(sizes);
  for (int i = 0; i < in.n(); ++i) in.labels.push_back(10 + i);
  in.connections.assign(in.sizes.size(), in.sizes.size(), kNoLinkDistance);
  in.threshold = threshold;
  return in;
}

// Both directions of a pair, as a symmetric connection file gives them.
inline void connect(Input& in, int i, int j, float value) {
  in.connections(i, j) = value;
  in.connections(j, i) = value;
}

template <class T>
void build(landscape<T>& land, const Input& in, bool adjType = true, bool probType = true) {
  land.create_land(in.sizes.data(), in.labels.data(), in.connections, in.n(), in.area, adjType, probType,
                   in.dist, in.prob, in.binary, in.threshold, in.kProb, in.kDist, 0.01f, false);
}

// A random distance landscape of n nodes: some pairs unlisted, some listed
// in one direction only, distances around the threshold 100.
inline Input randomInput(std::mt19937& rng, int n) {
  std::uniform_real_distribution<float> size(0.5f, 20.0f);
  std::uniform_int_distribution<int> cell(0, 5);
  std::uniform_real_distribution<float> distance(0.0f, 200.0f);
  std::vector<float> sizes;
  for (int i = 0; i < n; ++i) sizes.push_back(size(rng));
  Input in = distanceInput(sizes, 100.0f);
  in.kDist = 100.0f;
  in.area = 1000;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < i; ++j) {
      const int kind = cell(rng);
      if (kind == 0) continue;
      const float d = distance(rng);
      if (kind == 1) in.connections(j, i) = d;         // earlier node first only
      else if (kind == 2) in.connections(i, j) = d;    // later node first only
      else connect(in, i, j, d);
    }
  return in;
}

// The same with distances on a coarse grid, so that ties between paths are
// common.
inline Input tiedInput(std::mt19937& rng, int n) {
  Input in = randomInput(rng, n);
  std::uniform_int_distribution<int> step(0, 4);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      if (in.connections(i, j) != kNoLinkDistance && step(rng) > 0)
        in.connections(i, j) = 50.0f * static_cast<float>(step(rng));
  return in;
}

// The same input without node k.
inline Input withoutNode(const Input& in, int k) {
  Input out = in;
  out.sizes.erase(out.sizes.begin() + k);
  out.labels.erase(out.labels.begin() + k);
  const int n = out.n();
  out.connections.assign(n, n, kNoLinkDistance);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) out.connections(i, j) = in.connections(i < k ? i : i + 1, j < k ? j : j + 1);
  return out;
}

}  // namespace testland

}  // namespace verdalis
