// The pairs dropped from the kept lists must never matter: with any one node
// taken away, best paths over the kept pairs give the same distances as over
// every pair, and a pair dropped with float-class margins lands in a higher
// float class than the node's value.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <queue>
#include <random>
#include <vector>

#include "graph/exact_search.h"
#include "engine/float_class.h"
#include "engine/kept_entries.h"

namespace verdalis {

namespace {


searchWeights weightsOf(int n, const std::vector<float>& matrix) {
  searchWeights w;
  w.n = n;
  w.matrix = matrix;
  w.keepColumns();
  return w;
}

keptEntries keptOf(const searchWeights& w, double margin) {
  keptEntries kept;
  std::atomic<long long> micros{0};
  EXPECT_TRUE(buildKeptEntries(w, margin, static_cast<std::size_t>(w.n) * w.n, 2, kept, micros));
  return kept;
}

TEST(KeptEntries, PairsBeatenTwiceAreDroppedOnceKeptWithTheirWitness) {
  // 0 -> 2 directly costs 3; through 1 or through 3 it costs 2.
  const float x = kNoLink;
  std::vector<float> m = {x, 1, 3, 1,  //
                          1, x, 1, x,  //
                          3, 1, x, 1,  //
                          1, x, 1, x};
  keptEntries two = keptOf(weightsOf(4, m), 1e-12);
  for (std::size_t e = two.outStart[0]; e < two.outStart[1]; ++e) EXPECT_NE(two.outTo[e], 2);
  // Without node 3's links, only node 1 beats the pair.
  m[3] = m[12] = m[11] = m[14] = x;
  keptEntries one = keptOf(weightsOf(4, m), 1e-12);
  bool found = false;
  for (std::size_t e = one.inStart[2]; e < one.inStart[3]; ++e)
    if (one.inFrom[e] == 0) {
      found = true;
      EXPECT_EQ(one.inWitness[e], 1);
      EXPECT_EQ(one.inWeight[e], 3.0f);
    }
  EXPECT_TRUE(found);
  // A detour shorter only by less than the margin does not beat the pair.
  m[2] = m[8] = 2.0f + 1e-6f;
  keptEntries close = keptOf(weightsOf(4, m), 1e-3);
  found = false;
  for (std::size_t e = close.inStart[2]; e < close.inStart[3]; ++e)
    if (close.inFrom[e] == 0) found = close.inWitness[e] == -1;
  EXPECT_TRUE(found);
}

// Least values from s without k, relaxing the pairs that entries(u, f) hands out.
template <class T>
std::vector<T> leastValues(int n, int s, int k, const std::function<void(int, const std::function<void(int, float)>&)>& entries) {
  std::vector<T> d(n, unreachedDistance<T>());
  std::vector<char> done(n, 0);
  using item = std::pair<T, int>;
  std::priority_queue<item, std::vector<item>, std::greater<item>> heap;
  d[s] = 0;
  heap.push({T(0), s});
  while (!heap.empty()) {
    const int u = heap.top().second;
    heap.pop();
    if (done[u]) continue;
    done[u] = 1;
    entries(u, [&](int v, float weight) {
      if (v == k) return;
      const T alt = d[u] + static_cast<T>(weight);
      if (alt < d[v]) {
        d[v] = alt;
        heap.push({alt, v});
      }
    });
  }
  return d;
}

// Clustered points with edge-to-edge-like weights, some of them zero.
std::vector<float> clusteredWeights(std::mt19937& rng, int n) {
  std::uniform_real_distribution<double> unit(0, 1);
  std::vector<double> px(n), py(n), radius(n);
  for (int i = 0; i < n; ++i) {
    const int cluster = i % 4;
    px[i] = cluster * 10 + unit(rng) * 3;
    py[i] = (cluster % 2) * 10 + unit(rng) * 3;
    radius[i] = unit(rng) * 0.8;
  }
  std::vector<float> m(static_cast<std::size_t>(n) * n, kNoLink);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      if (i != j) {
        const double gap = std::hypot(px[i] - px[j], py[i] - py[j]) - radius[i] - radius[j];
        m[static_cast<std::size_t>(i) * n + j] = static_cast<float>(std::max(0.0, gap) * 0.0693);
      }
  return m;
}

template <class T>
void checkEveryRemoval(const searchWeights& w, const keptEntries& kept,
                       const keptEntries& classKept) {
  const int n = w.n;
  const removalEntries removal = splitByWitness(kept);
  for (int k = 0; k < n; ++k)
    for (int s = 0; s < n; s += 5) {
      if (s == k) continue;
      auto full = leastValues<T>(n, s, k, [&](int u, const std::function<void(int, float)>& f) { w.forEachOut(u, f); });
      auto pruned = leastValues<T>(n, s, k, [&](int u, const std::function<void(int, float)>& f) {
        for (std::size_t e = kept.outStart[u]; e < kept.outStart[u + 1]; ++e)
          if (kept.outWitness[e] < 0 || kept.outWitness[e] == k) f(kept.outTo[e], kept.outWeight[e]);
      });
      ASSERT_EQ(full, pruned) << "source " << s << " without " << k;
      // The same pairs split into those no node beats and those k alone beats.
      auto split = leastValues<T>(n, s, k, [&](int u, const std::function<void(int, float)>& f) {
        for (std::size_t e = removal.outStart[u]; e < removal.outStart[u + 1]; ++e) f(removal.outTo[e], removal.outWeight[e]);
        for (std::size_t e = removal.byWitnessStart[k]; e < removal.byWitnessStart[k + 1]; ++e)
          if (removal.byWitnessFrom[e] == u) f(removal.byWitnessTo[e], removal.byWitnessWeight[e]);
      });
      ASSERT_EQ(full, split) << "source " << s << " without " << k;
      // Every entry missing from the class lists for this k gives a higher float class.
      for (int y = 0; y < n; ++y) {
        if (y == k || y == s) continue;
        std::vector<char> listed(n, 0);
        for (std::size_t e = classKept.inStart[y]; e < classKept.inStart[y + 1]; ++e)
          if (classKept.inWitness[e] < 0 || classKept.inWitness[e] == k) listed[classKept.inFrom[e]] = 1;
        w.forEachIn(y, [&](int u, float weight) {
          if (u == k || listed[u]) return;
          const T alt = full[u] + static_cast<T>(weight);
          EXPECT_TRUE(alt == full[y] || static_cast<float>(alt) > static_cast<float>(full[y]));
        });
      }
    }
}

TEST(KeptEntries, RemovingAnyNodeKeepsEveryDistanceAndFloatClass) {
  std::mt19937 rng(11);
  for (int trial = 0; trial < 3; ++trial) {
    const int n = 40 + trial * 10;
    const searchWeights w = weightsOf(n, clusteredWeights(rng, n));
    const keptEntries classKept = keptOf(w, std::ldexp(1.0, -20));
    checkEveryRemoval<double>(w, keptOf(w, 8 * 1.12e-16), classKept);
    checkEveryRemoval<float>(w, keptOf(w, 8 * 5.97e-8), classKept);
    EXPECT_LT(keptOf(w, 8 * 1.12e-16).size(), static_cast<std::size_t>(n) * n / 2);
  }
}

}  // namespace

}  // namespace verdalis
