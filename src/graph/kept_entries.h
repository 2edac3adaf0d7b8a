#pragma once
// The pairs a best path can still end with after any one node is taken away.
//
// A pair (u, y) is beaten through m when w(u,m) + w(m,y) is below w(u,y) by
// more than the rounding of any path sum: from whatever distance a search
// reaches u, the step through m gives y a strictly smaller value than the
// direct step, so the direct step is never the best entry of y, nor a tie.
// Without a cut every node steps on, so this holds in every landscape that
// keeps m. A pair beaten through two nodes is never needed when one node
// goes; a pair beaten through one node only is needed when that node goes.
//
// With a margin of a few float units instead, the pairs beaten are those
// whose step lands in a higher float class than the best entry of y; the
// checks that compare every entry with the float class of its node need
// only look at the others.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <numeric>
#include <vector>

#include "graph/exact_search.h"
#include "support/parallel.h"

namespace verdalis {

struct keptEntries {
  int n = 0;
  // By destination: the entries of y in increasing order of the node they
  // come from. witness = the one node that beats the pair, -1 for none.
  std::vector<std::size_t> inStart;
  std::vector<int> inFrom, inWitness;
  std::vector<float> inWeight;
  // By origin, the same pairs.
  std::vector<std::size_t> outStart;
  std::vector<int> outTo, outWitness;
  std::vector<float> outWeight;

  std::size_t size() const { return inFrom.size(); }
};

// The same pairs split for the searches without one node: the pairs no node
// beats, by destination and by origin, and those beaten through one node
// only, listed under that node (needed only when it goes).
struct removalEntries {
  int n = 0;
  std::vector<std::size_t> inStart, outStart;
  std::vector<int> inFrom, outTo;
  std::vector<float> inWeight, outWeight;
  std::vector<std::size_t> byWitnessStart;
  std::vector<int> byWitnessFrom, byWitnessTo;
  std::vector<float> byWitnessWeight;
};

inline removalEntries splitByWitness(const keptEntries& kept) {
  removalEntries r;
  const int n = kept.n;
  r.n = n;
  r.inStart.assign(static_cast<std::size_t>(n) + 1, 0);
  r.outStart.assign(static_cast<std::size_t>(n) + 1, 0);
  r.byWitnessStart.assign(static_cast<std::size_t>(n) + 1, 0);
  for (int v = 0; v < n; ++v) {
    for (std::size_t e = kept.inStart[v]; e < kept.inStart[v + 1]; ++e) {
      if (kept.inWitness[e] >= 0) {
        ++r.byWitnessStart[kept.inWitness[e] + 1];
        continue;
      }
      r.inFrom.push_back(kept.inFrom[e]);
      r.inWeight.push_back(kept.inWeight[e]);
    }
    r.inStart[v + 1] = r.inFrom.size();
    for (std::size_t e = kept.outStart[v]; e < kept.outStart[v + 1]; ++e) {
      if (kept.outWitness[e] >= 0) continue;
      r.outTo.push_back(kept.outTo[e]);
      r.outWeight.push_back(kept.outWeight[e]);
    }
    r.outStart[v + 1] = r.outTo.size();
  }
  for (int m = 0; m < n; ++m) r.byWitnessStart[m + 1] += r.byWitnessStart[m];
  const std::size_t beaten = r.byWitnessStart[n];
  r.byWitnessFrom.resize(beaten);
  r.byWitnessTo.resize(beaten);
  r.byWitnessWeight.resize(beaten);
  std::vector<std::size_t> fill(r.byWitnessStart.begin(), r.byWitnessStart.end() - 1);
  for (int v = 0; v < n; ++v)
    for (std::size_t e = kept.inStart[v]; e < kept.inStart[v + 1]; ++e) {
      const int m = kept.inWitness[e];
      if (m < 0) continue;
      const std::size_t at = fill[m]++;
      r.byWitnessFrom[at] = kept.inFrom[e];
      r.byWitnessTo[at] = v;
      r.byWitnessWeight[at] = kept.inWeight[e];
    }
  return r;
}

// The pairs of a dense weight matrix that fewer than two nodes beat, for
// searches without a cut. A pair is beaten when the step through the other
// node is shorter by more than margin times the longest path sum; false
// when more than maxKept pairs remain (the lists would not pay).
// The most pairs worth listing for n nodes: an eighth of the matrix, and
// every pair of a small landscape.
inline std::size_t keptPairsWorthIt(int n) {
  const std::size_t size = static_cast<std::size_t>(n);
  return std::max(size * size / 8, size * 64);
}

// cpuMicros receives the processor time of the work, summed over threads.
inline bool buildKeptEntries(const searchWeights& w, double margin, std::size_t maxKept, unsigned threads,
                             keptEntries& kept, std::atomic<long long>& cpuMicros) {
  const int n = w.n;
  double heaviest = 0;
  for (float x : w.matrix)
    if (x != kNoLink) heaviest = std::max(heaviest, static_cast<double>(x));
  // No path sum of a search exceeds n steps of the heaviest weight.
  const double longest = (static_cast<double>(n) + 1) * heaviest * 1.01;
  struct pairOf {
    int to, witness;
    float weight;
  };
  std::vector<std::vector<pairOf>> byOrigin(static_cast<std::size_t>(n));
  std::atomic<std::size_t> total{0};
  std::atomic<bool> tooMany{false};
  const unsigned workers = n < 256 ? 1u : threads;
  std::vector<std::vector<int>> orders(workers);
  orderedParallel(
      n, workers,
      [&](int u, unsigned id) {
        if (tooMany.load()) return;
        const double started = threadCpuMillis();
        const float* row = w.matrix.data() + static_cast<std::size_t>(u) * n;
        std::vector<int>& order = orders[id];
        order.clear();
        for (int m = 0; m < n; ++m)
          if (m != u && row[m] != kNoLink) order.push_back(m);
        std::sort(order.begin(), order.end(), [&](int a, int b) { return row[a] < row[b] || (row[a] == row[b] && a < b); });
        std::vector<pairOf>& out = byOrigin[u];
        for (int y : order) {
          const double direct = row[y];
          const float* col = w.column(y);
          int beaten = 0, witness = -1;
          for (int m : order) {
            const double first = row[m];
            if (!(first < direct)) break;
            if (m == y || col[m] == kNoLink) continue;
            const double through = first + static_cast<double>(col[m]);
            if (through < direct - margin * (longest + through)) {
              if (++beaten == 1) witness = m;
              if (beaten == 2) break;
            }
          }
          if (beaten < 2) out.push_back({y, beaten == 0 ? -1 : witness, row[y]});
        }
        std::sort(out.begin(), out.end(), [](const pairOf& a, const pairOf& b) { return a.to < b.to; });
        if (total.fetch_add(out.size()) + out.size() > maxKept) tooMany = true;
        cpuMicros += static_cast<long long>((threadCpuMillis() - started) * 1000.0);
      },
      [](int) {});
  if (tooMany.load()) return false;
  kept = keptEntries();
  kept.n = n;
  const std::size_t count = total.load();
  kept.outStart.assign(static_cast<std::size_t>(n) + 1, 0);
  kept.outTo.reserve(count);
  kept.outWitness.reserve(count);
  kept.outWeight.reserve(count);
  kept.inStart.assign(static_cast<std::size_t>(n) + 1, 0);
  for (int u = 0; u < n; ++u) {
    for (const pairOf& e : byOrigin[u]) {
      kept.outTo.push_back(e.to);
      kept.outWitness.push_back(e.witness);
      kept.outWeight.push_back(e.weight);
      ++kept.inStart[e.to + 1];
    }
    kept.outStart[u + 1] = kept.outTo.size();
    std::vector<pairOf>().swap(byOrigin[u]);
  }
  for (int v = 0; v < n; ++v) kept.inStart[v + 1] += kept.inStart[v];
  kept.inFrom.resize(count);
  kept.inWitness.resize(count);
  kept.inWeight.resize(count);
  std::vector<std::size_t> fill(kept.inStart.begin(), kept.inStart.end() - 1);
  for (int u = 0; u < n; ++u)
    for (std::size_t e = kept.outStart[u]; e < kept.outStart[u + 1]; ++e) {
      const std::size_t at = fill[kept.outTo[e]]++;
      kept.inFrom[at] = u;
      kept.inWitness[at] = kept.outWitness[e];
      kept.inWeight[at] = kept.outWeight[e];
    }
  return true;
}

// Whether the step from u into y stays beaten through witness when the pair
// (a, b) changes: a detour over the changed pair may be gone. A pair beaten
// through two nodes keeps one of them, since no single pair lies on both.
inline bool witnessHolds(int u, int witness, int y, int a, int b) {
  auto changed = [&](int p, int q) { return (p == a && q == b) || (p == b && q == a); };
  return !changed(u, witness) && !changed(witness, y);
}

}  // namespace verdalis
