#include "engine/kept_entries.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "engine/rounding_margins.h"
#include "engine/tuning.h"
#include "support/parallel.h"
#include "support/plain_bytes.h"

namespace verdalis {

removalEntries splitByWitness(const keptEntries& kept) {
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

namespace {

struct keptPair {
  int to, witness;
  float weight;
};

// The kept pairs out of each origin of [first, last), into byOrigin, on
// `threads` threads; stops early (tooMany) once more than maxKept are kept.
void keptOfOrigins(const searchWeights& w, double margin, std::size_t maxKept, int first, int last,
                   unsigned threads, std::vector<std::vector<keptPair>>& byOrigin, bool& tooManyKept,
                   std::atomic<long long>& cpuMicros) {
  double heaviest = 0;
  for (float x : w.dense ? w.matrix : w.weight)
    if (x != kNoLink) heaviest = std::max(heaviest, static_cast<double>(x));
  const double longest = pathSumBound(w.n, heaviest);
  std::atomic<std::size_t> total{0};
  std::atomic<bool> tooMany{false};
  const unsigned workers = w.n < kThreadedKeptFromNodes ? 1u : threads;
  std::vector<std::vector<std::pair<float, int>>> orders(workers);
  orderedParallel(
      last - first, workers,
      [&](int i, unsigned id) {
        if (tooMany.load()) return;
        const int u = first + i;
        const double started = threadCpuMillis();
        // The steps out of u, lightest first, ties by position.
        std::vector<std::pair<float, int>>& order = orders[id];
        order.clear();
        w.forEachOut(u, [&](int m, float weight) {
          if (m != u) order.push_back({weight, m});
        });
        std::sort(order.begin(), order.end());
        std::vector<keptPair>& out = byOrigin[u];
        for (const auto& [weight, y] : order) {
          const double direct = weight;
          const float* col = w.dense ? w.column(y) : nullptr;
          int beaten = 0, witness = -1;
          for (const auto& [firstStep, m] : order) {
            if (!(firstStep < direct)) break;
            const float second = col != nullptr ? col[m] : w.at(m, y);
            if (m == y || second == kNoLink) continue;
            const double through = static_cast<double>(firstStep) + static_cast<double>(second);
            if (through < direct - margin * (longest + through)) {
              if (++beaten == 1) witness = m;
              if (beaten == 2) break;
            }
          }
          if (beaten < 2) out.push_back({y, beaten == 0 ? -1 : witness, weight});
        }
        std::sort(out.begin(), out.end(), [](const keptPair& a, const keptPair& b) { return a.to < b.to; });
        if (total.fetch_add(out.size()) + out.size() > maxKept) tooMany = true;
        cpuMicros += static_cast<long long>((threadCpuMillis() - started) * 1000.0);
      },
      [](int) {});
  tooManyKept = tooMany.load();
}

// The origins split among the processes of a group: each finds the pairs of
// its share, and every process receives all of them.
bool keptOfOriginsShared(const searchWeights& w, double margin, std::size_t maxKept, unsigned threads,
                         std::vector<std::vector<keptPair>>& byOrigin, std::atomic<long long>& cpuMicros,
                         processGroup& group) {
  auto shareOf = [&](int r) { return blockOf(w.n, r, group.size); };
  const auto [first, last] = shareOf(group.rank);
  std::string mine;
  bool failed = false, tooMany = false;
  try {
    keptOfOrigins(w, margin, maxKept, first, last, threads, byOrigin, tooMany, cpuMicros);
    putBytes(mine, tooMany);
    for (int u = first; u < last; ++u) putVector(mine, byOrigin[u]);
  } catch (...) {
    failed = true;
    mine.clear();
  }
  std::vector<std::string> parts;
  if (group.allGather(mine, failed, parts)) throw failureEverywhere();
  for (int r = 0; r < group.size; ++r) {
    std::size_t at = 0;
    bool theirs = false;
    takeBytes(parts[r], at, theirs);
    tooMany = tooMany || theirs;
    if (r != group.rank)
      for (int u = shareOf(r).first; u < shareOf(r).second; ++u) takeVector(parts[r], at, byOrigin[u]);
  }
  return tooMany;
}

}  // namespace

bool buildKeptEntries(const searchWeights& w, double margin, std::size_t maxKept, unsigned threads,
                      keptEntries& kept, std::atomic<long long>& cpuMicros, processGroup* group) {
  const int n = w.n;
  std::vector<std::vector<keptPair>> byOrigin(static_cast<std::size_t>(n));
  bool tooMany = false;
  if (group != nullptr && group->size > 1)
    tooMany = keptOfOriginsShared(w, margin, maxKept, threads, byOrigin, cpuMicros, *group);
  else
    keptOfOrigins(w, margin, maxKept, 0, n, threads, byOrigin, tooMany, cpuMicros);
  std::size_t count = 0;
  for (const std::vector<keptPair>& out : byOrigin) count += out.size();
  if (tooMany || count > maxKept) return false;
  kept = keptEntries();
  kept.n = n;
  kept.outStart.assign(static_cast<std::size_t>(n) + 1, 0);
  kept.outTo.reserve(count);
  kept.outWitness.reserve(count);
  kept.outWeight.reserve(count);
  for (int u = 0; u < n; ++u) {
    for (const keptPair& e : byOrigin[u]) {
      kept.outTo.push_back(e.to);
      kept.outWitness.push_back(e.witness);
      kept.outWeight.push_back(e.weight);
    }
    kept.outStart[u + 1] = kept.outTo.size();
    std::vector<keptPair>().swap(byOrigin[u]);
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

template <class T>
bool buildSearchEntries(const searchWeights& w, std::size_t maxKept, unsigned threads, keptEntries& kept,
                        std::atomic<long long>& cpuMicros, processGroup* group) {
  return buildKeptEntries(w, searchMargin<T>(), maxKept, threads, kept, cpuMicros, group);
}

template bool buildSearchEntries<float>(const searchWeights&, std::size_t, unsigned, keptEntries&,
                                        std::atomic<long long>&, processGroup*);
template bool buildSearchEntries<double>(const searchWeights&, std::size_t, unsigned, keptEntries&,
                                         std::atomic<long long>&, processGroup*);

bool buildClassEntries(const searchWeights& w, std::size_t maxKept, unsigned threads, keptEntries& kept,
                       std::atomic<long long>& cpuMicros, processGroup* group) {
  return buildKeptEntries(w, classMargin(), maxKept, threads, kept, cpuMicros, group);
}

searchWeights unbeatenWeights(const removalEntries& kept) {
  searchWeights w;
  w.n = kept.n;
  w.dense = false;
  w.start = kept.outStart;
  w.target = kept.outTo;
  w.weight = kept.outWeight;
  w.indexByDestination();
  return w;
}

}  // namespace verdalis
