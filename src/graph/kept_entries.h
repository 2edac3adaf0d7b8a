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
#include <cmath>
#include <cstddef>
#include <type_traits>
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

// Lists the pairs of lists grouped by start (group g holds the pairs
// start[g] to start[g+1]) under the group key(g, e) names instead, or drops
// them when it names -1; within a group they keep their order. size(count)
// is called before emit(slot, g, e) places them. Gives the new start.
template <class Key, class Size, class Emit>
std::vector<std::size_t> groupBy(int n, const std::vector<std::size_t>& start, Key&& key, Size&& size, Emit&& emit) {
  std::vector<std::size_t> grouped(static_cast<std::size_t>(n) + 1, 0);
  for (int g = 0; g < n; ++g)
    for (std::size_t e = start[g]; e < start[g + 1]; ++e) {
      const int k = key(g, e);
      if (k >= 0) ++grouped[k + 1];
    }
  for (int k = 0; k < n; ++k) grouped[k + 1] += grouped[k];
  size(grouped[n]);
  std::vector<std::size_t> fill(grouped.begin(), grouped.end() - 1);
  for (int g = 0; g < n; ++g)
    for (std::size_t e = start[g]; e < start[g + 1]; ++e) {
      const int k = key(g, e);
      if (k >= 0) emit(fill[k]++, g, e);
    }
  return grouped;
}

inline removalEntries splitByWitness(const keptEntries& kept) {
  removalEntries r;
  const int n = kept.n;
  r.n = n;
  auto unbeaten = [](const std::vector<int>& witness) {
    return [&witness](int g, std::size_t e) { return witness[e] < 0 ? g : -1; };
  };
  r.inStart = groupBy(
      n, kept.inStart, unbeaten(kept.inWitness),
      [&](std::size_t count) {
        r.inFrom.resize(count);
        r.inWeight.resize(count);
      },
      [&](std::size_t at, int, std::size_t e) {
        r.inFrom[at] = kept.inFrom[e];
        r.inWeight[at] = kept.inWeight[e];
      });
  r.outStart = groupBy(
      n, kept.outStart, unbeaten(kept.outWitness),
      [&](std::size_t count) {
        r.outTo.resize(count);
        r.outWeight.resize(count);
      },
      [&](std::size_t at, int, std::size_t e) {
        r.outTo[at] = kept.outTo[e];
        r.outWeight[at] = kept.outWeight[e];
      });
  r.byWitnessStart = groupBy(
      n, kept.inStart, [&](int, std::size_t e) { return kept.inWitness[e]; },
      [&](std::size_t count) {
        r.byWitnessFrom.resize(count);
        r.byWitnessTo.resize(count);
        r.byWitnessWeight.resize(count);
      },
      [&](std::size_t at, int y, std::size_t e) {
        r.byWitnessFrom[at] = kept.inFrom[e];
        r.byWitnessTo[at] = y;
        r.byWitnessWeight[at] = kept.inWeight[e];
      });
  return r;
}

// The most pairs worth listing for n nodes: an eighth of the matrix, and
// every pair of a small landscape.
inline std::size_t keptPairsWorthIt(int n) {
  const std::size_t size = static_cast<std::size_t>(n);
  return std::max(size * size / 8, size * 64);
}

// The pairs of a dense weight matrix that fewer than two nodes beat, for
// searches without a cut. A pair is beaten when the step through the other
// node is shorter by more than margin times the longest path sum; false
// when more than maxKept pairs remain (the lists would not pay).
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
  for (int u = 0; u < n; ++u) {
    for (const pairOf& e : byOrigin[u]) {
      kept.outTo.push_back(e.to);
      kept.outWitness.push_back(e.witness);
      kept.outWeight.push_back(e.weight);
    }
    kept.outStart[u + 1] = kept.outTo.size();
    std::vector<pairOf>().swap(byOrigin[u]);
  }
  // By destination, in increasing order of origin.
  kept.inStart = groupBy(
      n, kept.outStart, [&](int, std::size_t e) { return kept.outTo[e]; },
      [&](std::size_t size) {
        kept.inFrom.resize(size);
        kept.inWitness.resize(size);
        kept.inWeight.resize(size);
      },
      [&](std::size_t at, int u, std::size_t e) {
        kept.inFrom[at] = u;
        kept.inWitness[at] = kept.outWitness[e];
        kept.inWeight[at] = kept.outWeight[e];
      });
  return true;
}

// The pairs for the repair searches in precision T: beaten by eight
// rounding units of the sums.
template <class T>
bool buildSearchEntries(const searchWeights& w, unsigned threads, keptEntries& kept,
                        std::atomic<long long>& cpuMicros) {
  const double unit = std::is_same_v<T, float> ? 5.97e-8 : 1.12e-16;
  return buildKeptEntries(w, 8 * unit, keptPairsWorthIt(w.n), threads, kept, cpuMicros);
}

// The pairs for the float-class checks of double-precision searches: beaten
// by a few float units.
inline bool buildClassEntries(const searchWeights& w, unsigned threads, keptEntries& kept,
                              std::atomic<long long>& cpuMicros) {
  return buildKeptEntries(w, std::ldexp(1.0, -20), keptPairsWorthIt(w.n), threads, kept, cpuMicros);
}

// Whether every listed entry of y, in a landscape whose distances value(u)
// gives, leaves y's value target as the scan takes it; skip(u, witness)
// names the entries to pass over.
template <class T, class Values, class Skip>
bool listedEntriesKeepClass(const keptEntries& list, int y, T target, Values&& value, Skip&& skip) {
  for (std::size_t e = list.inStart[y]; e < list.inStart[y + 1]; ++e) {
    const int u = list.inFrom[e];
    if (skip(u, list.inWitness[e])) continue;
    const T du = value(u);
    if (du == unreachedDistance<T>()) continue;
    if (!keepsFloatClass(du + static_cast<T>(list.inWeight[e]), target)) return false;
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
