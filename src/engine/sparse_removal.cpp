#include "engine/sparse_removal.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "engine/components_without.h"
#include "engine/lane_add.h"
#include "engine/lane_exceptions.h"
#include "engine/sparse_removal_source.h"
#include "engine/sparse_weights.h"
#include "engine/timed_passes.h"
#include "engine/tuning.h"
#include "indices/terms.h"
#include "support/messages.h"
#include "support/parallel.h"
#include "support/lead_sums.h"
#include "support/plain_bytes.h"

namespace verdalis {

namespace {

template <class T>
class sparseRemovalRun {
 public:
  explicit sparseRemovalRun(const engineRequest<T>& r)
      : request(r), g(*r.sparse), n(r.sparse->n), want(r.indices), pc(r.indices.pc),
        binary(r.indices.iic || r.indices.h), drops(r.pcDrops && r.indices.pc),
        measuredBelow(drops && r.pcDropNodes > 0 ? r.pcDropNodes : r.sparse->n) {}
  removalResult<T> run();

 private:
  const engineRequest<T>& request;
  const sparseLandscape& g;
  const int n;
  const indexSelection want;
  const bool pc, binary;
  const bool drops;  // PC's drops summed from the changed terms, no PC lanes
  const int measuredBelow;  // with drops, only the nodes below it are measured
  searchWeights weights;
  T cut = 0;
  binaryGraph links;
  componentIndex components;
  std::vector<T> accPC, accIIC;
  std::vector<float> accH, accF, accAWF, total;
  std::vector<double> fluxPC, fluxIIC;
  std::vector<double> connectorPC;  // with drops
  std::vector<int> lane;  // the lane of each node, -1 when its removal is not asked for
  std::atomic<long long> pcMicros{0}, binaryMicros{0}, fMicros{0};

  unsigned threads() const { return std::max(1u, request.threads); }
  // The requested removals are the lanes: lane i is node first + i · stride,
  // so that a process that takes every N-th node holds its sums side by
  // side. Their tasks are of equal size, as many as the threads or a
  // multiple of them, each small enough to keep its accumulators in cache.
  laneTasks tasks;
  int lanes() const { return tasks.lanes; }
  int nodeOf(int i) const { return request.variants.first + i * request.variants.stride; }
  void prepareAll();
  void sourcePasses();
  void sharedSourcePasses();
  void shareSums();
  void pcLanes(const laneSource<T>& d, int task);
  void binaryLanes(const laneSource<T>& d, int task);
  void addFluxes(const laneSource<T>& d);
  void addDrops(const laneSource<T>& d);
  void pairLanes();
  void totalLanes();
  removalValues<T> finish(int k, componentsScratch& x) const;
};

// Adds t to every lane of [lo, hi) but lane `skip`, which adds nothing.
template <class Acc>
void addBut(Acc* acc, int lo, int hi, int skip, double t) {
  if (skip < lo || skip >= hi) {
    addToAll(acc + lo, static_cast<std::size_t>(hi - lo), t);
    return;
  }
  const Acc keep = acc[skip];
  addToAll(acc + lo, static_cast<std::size_t>(hi - lo), t);
  acc[skip] = keep;
}

template <class T>
void sparseRemovalRun<T>::pcLanes(const laneSource<T>& d, int task) {
  T* acc = accPC.data();
  const auto [lo, hi] = tasks.range(task);
  const int sourceLane = lane[d.s];
  const bool ownLane = sourceLane >= lo && sourceLane < hi;
  const T own = ownLane ? acc[sourceLane] : T(0);
  const laneExceptions<double>& moved = d.pcMoved;
  std::vector<T> saved;
  for (int idx : d.pcLanes) {
    const auto [first, last] = moved.at(task, idx);
    saved.resize(last - first);
    for (std::size_t e = first; e < last; ++e) saved[e - first] = acc[moved.lane[e]];
    addBut(acc, lo, hi, lane[d.pcReach[idx]], d.pcTerms[idx]);
    // The lanes whose removal changes the search take their own terms.
    for (std::size_t e = first; e < last; ++e) acc[moved.lane[e]] = addPCTerm(saved[e - first], moved.value[e]);
  }
  if (ownLane) acc[sourceLane] = own;
}

template <class T>
void sparseRemovalRun<T>::binaryLanes(const laneSource<T>& d, int task) {
  T* iic = accIIC.data();
  float* h = accH.data();
  const auto [lo, hi] = tasks.range(task);
  const int sourceLane = lane[d.s];
  const bool ownLane = sourceLane >= lo && sourceLane < hi;
  const std::pair<T, float> own =
      ownLane ? std::make_pair(iic[sourceLane], h[sourceLane]) : std::make_pair(T(0), 0.0f);
  const float as = g.sizes[d.s];
  const laneExceptions<int>& moved = d.binMoved;
  std::vector<std::pair<T, float>> saved;
  for (std::size_t idx = 0; idx < d.binReach.size(); ++idx) {
    const int j = d.binReach[idx];
    const auto [first, last] = moved.at(task, static_cast<int>(idx));
    saved.resize(last - first);
    for (std::size_t e = first; e < last; ++e) saved[e - first] = {iic[moved.lane[e]], h[moved.lane[e]]};
    if (want.iic) addBut(iic, lo, hi, lane[j], iicTerm(as, g.sizes[j], d.binLinks[idx]));
    if (want.h && j != d.s) addBut(h, lo, hi, lane[j], hararyTerm(d.binLinks[idx]));
    for (std::size_t e = first; e < last; ++e) {
      const int at = moved.lane[e], nl = moved.value[e];
      T a = saved[e - first].first;
      float harary = saved[e - first].second;
      if (nl != kUnreached) {
        if (want.iic) a = addIICTerm(a, as, g.sizes[j], nl);
        if (want.h && j != d.s) harary = addHararyTerm(harary, nl);
      }
      iic[at] = a;
      h[at] = harary;
    }
  }
  if (ownLane) {
    iic[sourceLane] = own.first;
    h[sourceLane] = own.second;
  }
}

// The flux fractions: the pairs with k as one end, column k from every
// source in order and, at source k, row k, as the full form sums them.
template <class T>
void sparseRemovalRun<T>::addFluxes(const laneSource<T>& d) {
  const int s = d.s;
  const float as = g.sizes[s];
  if (want.pc)
    for (std::size_t idx = 0; idx < d.pcReach.size(); ++idx) {
      const int j = d.pcReach[idx];
      if (j == s) continue;
      const double t = pcFractionTerm(as, g.sizes[j], d.pcBest[idx]);
      fluxPC[j] += t;
      fluxPC[s] += t;
    }
  if (want.iic)
    for (std::size_t idx = 0; idx < d.binReach.size(); ++idx) {
      const int j = d.binReach[idx];
      if (j == s) continue;
      const double t = iicTerm(as, g.sizes[j], d.binLinks[idx]);
      fluxIIC[j] += t;
      fluxIIC[s] += t;
    }
}

// PC's drops, sources in order: row s and, at every other source, the
// term of the pair (s, k) go with k's flux (in double, unlike the fractions
// of the lanes); the other terms that change go with the removal that
// changed them, as one old-minus-new sum per source.
template <class T>
void sparseRemovalRun<T>::addDrops(const laneSource<T>& d) {
  const int s = d.s;
  for (std::size_t idx = 0; idx < d.pcReach.size(); ++idx) {
    const int j = d.pcReach[idx];
    if (j == s) continue;
    fluxPC[j] += d.pcTerms[idx];
    fluxPC[s] += d.pcTerms[idx];
  }
  for (const auto& [k, drop] : d.pcDrops) connectorPC[k] += drop;
}

// What addDrops reads of a source, as bytes for rank 0.
template <class T>
void putDropSource(std::string& out, const laneSource<T>& d) {
  putBytes(out, d.s);
  putVector(out, d.pcReach);
  putVector(out, d.pcTerms);
  putBytes(out, static_cast<unsigned long long>(d.pcDrops.size()));
  for (const auto& [k, drop] : d.pcDrops) {
    putBytes(out, k);
    putBytes(out, drop);
  }
}

template <class T>
void takeDropSource(const std::string& in, std::size_t& at, laneSource<T>& d) {
  takeBytes(in, at, d.s);
  takeVector(in, at, d.pcReach);
  takeVector(in, at, d.pcTerms);
  unsigned long long count = 0;
  takeBytes(in, at, count);
  d.pcDrops.resize(static_cast<std::size_t>(count));
  for (auto& [k, drop] : d.pcDrops) {
    takeBytes(in, at, k);
    takeBytes(in, at, drop);
  }
}

// The drops with the sources shared among the processes (engine.h,
// removalsShareSources). In each round every process prepares its
// interleaved share of the round's sources on its threads, and rank 0 adds
// every source's changes in source order, as one process adds them: the
// sums are those of one process, byte for byte. The round ends with the
// exchange, so a process waits there for the slowest; interleaving gives
// each a like mix of the round's sources.
template <class T>
void sparseRemovalRun<T>::sharedSourcePasses() {
  processGroup& group = *request.group;
  const unsigned workers = threads();
  laneSourcePreparer<T> preparer(g, weights, cut, links, components, pc, binary, request.variants, tasks,
                                 request.limits, drops, measuredBelow);
  preparer.useLists(workers, pcMicros, &group);
  const int size = group.size;
  const int perProcess = static_cast<int>(workers) * kLaneSourcesPerThread * kSharedSourceRounds;
  const int span = perProcess * size;
  std::vector<laneSource<T>> data(static_cast<std::size_t>(perProcess));
  std::vector<laneScratch<T>> scratch(workers);
  laneSource<T> taken;
  for (int base = 0; base < n; base += span) {
    const int end = std::min(n, base + span);
    const int mine = std::max(0, (end - base - group.rank + size - 1) / size);
    std::string out;
    bool failed = false;
    try {
      orderedParallel(
          mine, workers,
          [&](int i, unsigned id) {
            const double start = threadCpuMillis();
            preparer.prepare(base + group.rank + i * size, data[static_cast<std::size_t>(i)], scratch[id]);
            pcMicros += static_cast<long long>((threadCpuMillis() - start) * 1000.0);
          },
          [](int) {});
      for (int i = 0; i < mine; ++i) putDropSource(out, data[static_cast<std::size_t>(i)]);
    } catch (...) {
      failed = true;
      out.clear();
    }
    // Every process learns here of a failure anywhere, and throws.
    std::vector<std::string> parts;
    if (group.gather(out, failed, parts)) throw failureEverywhere();
    if (group.lead()) {
      std::vector<std::size_t> at(static_cast<std::size_t>(size), 0);
      for (int s = base; s < end; ++s) {
        const std::size_t r = static_cast<std::size_t>((s - base) % size);
        takeDropSource(parts[r], at[r], taken);
        addDrops(taken);
      }
    }
    if (request.progress != nullptr) request.progress->advance(end - base);
  }
}

// Rank 0's sums to every process, and the processor time of every process
// to each: every process then finishes every removal alike.
template <class T>
void sparseRemovalRun<T>::shareSums() {
  pcMicros = sumsFromLead(
      *request.group, pcMicros.load(),
      [&](std::string& sums) {
        putVector(sums, fluxPC);
        putVector(sums, connectorPC);
      },
      [&](const std::string& sums, std::size_t& at) {
        takeVector(sums, at, fluxPC);
        takeVector(sums, at, connectorPC);
      });
}

template <class T>
void sparseRemovalRun<T>::sourcePasses() {
  const unsigned workers = threads();
  laneSourcePreparer<T> preparer(g, weights, cut, links, components, pc, binary, request.variants, tasks,
                                 request.limits, drops, measuredBelow);
  if (pc) preparer.useLists(workers, pcMicros);
  const int chunk = static_cast<int>(workers) * kLaneSourcesPerThread;
  const int ahead = kLaneRoundsInHand;
  std::vector<laneSource<T>> data(static_cast<std::size_t>(chunk) * ahead);
  std::vector<laneScratch<T>> scratch(workers);
  auto firstOf = [&](int round) { return round * chunk; };
  auto countOf = [&](int round) { return std::min(chunk, n - firstOf(round)); };
  auto slotOf = [&](int round) { return data.data() + static_cast<std::size_t>(round % ahead) * chunk; };
  // The lane tasks, then one part that adds the fluxes in source order.
  const int fluxPart = tasks.count();
  roundStages stages;
  stages.rounds = (n + chunk - 1) / chunk;
  stages.parts = fluxPart + 1;
  stages.ahead = ahead;
  stages.itemsOf = countOf;
  stages.prepare = [&](int round, int i, unsigned id) {
    const double start = threadCpuMillis();
    preparer.prepare(firstOf(round) + i, slotOf(round)[i], scratch[id]);
    pcMicros += static_cast<long long>((threadCpuMillis() - start) * 1000.0);
  };
  stages.consume = [&](int round, int part, unsigned) {
    laneSource<T>* batch = slotOf(round);
    const int count = countOf(round);
    if (part == fluxPart) {
      for (int i = 0; i < count; ++i) {
        if (drops)
          addDrops(batch[i]);
        else
          addFluxes(batch[i]);
      }
      if (request.progress != nullptr) request.progress->advance(count);
      return;
    }
    timedPasses(
        count, pc && !drops, binary, [&](int i) { pcLanes(batch[i], part); },
        [&](int i) { binaryLanes(batch[i], part); }, pcMicros, binaryMicros);
  };
  pipelinedRounds(stages, workers);
}

// F and AWF without k: every listed pair in row order, in every lane but
// those of its two ends.
template <class T>
void sparseRemovalRun<T>::pairLanes() {
  orderedParallel(
      tasks.count(), threads(),
      [&](int b, unsigned) {
        const double start = threadCpuMillis();
        const auto [lo, hi] = tasks.range(b);
        for (int i = 0; i < n; ++i)
          for (std::size_t e = g.probStart[i]; e < g.probStart[i + 1]; ++e) {
            const int j = g.probTo[e];
            const float p = g.prob[e];
            const int li = lane[i], lj = lane[j];
            const bool keepI = li >= lo && li < hi, keepJ = lj >= lo && lj < hi;
            const float fi = keepI ? accF[li] : 0, fj = keepJ ? accF[lj] : 0;
            const float ai = keepI ? accAWF[li] : 0, aj = keepJ ? accAWF[lj] : 0;
            if (want.f) addToAll(accF.data() + lo, static_cast<std::size_t>(hi - lo), p);
            if (want.awf) addToAll(accAWF.data() + lo, static_cast<std::size_t>(hi - lo), (g.sizes[i] * g.sizes[j]) * p);
            if (keepI) {
              accF[li] = fi;
              accAWF[li] = ai;
            }
            if (keepJ) {
              accF[lj] = fj;
              accAWF[lj] = aj;
            }
          }
        fMicros += static_cast<long long>((threadCpuMillis() - start) * 1000.0);
      },
      [](int) {});
}

// The attribute of the landscape without k, summed in node order.
template <class T>
void sparseRemovalRun<T>::totalLanes() {
  orderedParallel(
      tasks.count(), threads(),
      [&](int b, unsigned) {
        const auto [lo, hi] = tasks.range(b);
        for (int j = 0; j < n; ++j) addBut(total.data(), lo, hi, lane[j], g.sizes[j]);
      },
      [](int) {});
}

template <class T>
removalValues<T> sparseRemovalRun<T>::finish(int k, componentsScratch& x) const {
  const landscape<T>& global = *request.land;
  const int m = n - 1;
  const float area = g.sizeLandscapeArea;
  const int at = lane[k];
  removalValues<T> v;
  v.sizeTotalHabitat = total.empty() ? 0.0f : total[at];
  if (request.adjType) v.nEdges = g.nEdges - g.degree(k);
  if (want.nl) v.nl = v.nEdges;
  if (want.nc || want.ccp || want.lcp) {
    const withoutValues c = componentsWithoutNode(g, components, k, v.sizeTotalHabitat, want.ccp, want.lcp, x);
    v.nComponents = c.nc;
    v.nc = c.nc;
    v.ccp = c.coincidence.ccp;
    v.lcp = c.coincidence.lcp;
    v.lcpnum = c.coincidence.lcpnum;
  }
  if (want.h) v.h = accH[at] / 2.0f;
  if (want.f) v.f = accF[at];
  if (want.awf) v.awf = accAWF[at];
  const float a = g.sizes[k];
  const float squaredFloat = area * area;
  const double squared = squaredFloat;
  if (want.iic) {
    v.iicnum = accIIC[at];
    v.iic = normalisedByArea(v.iicnum, area, m);
    v.iicec = equivalentConnected(v.iicnum);
    const float quotient = (a * a) / static_cast<float>(0 + 1);
    v.iicFractions.intra = static_cast<double>(quotient) / squared;
    v.iicFractions.flux = fluxIIC[k] / squared;
    v.iicFractions.connector =
        connectorOf(static_cast<T>(global.iic - v.iic), v.iicFractions.intra, v.iicFractions.flux);
  }
  if (want.pc && k >= measuredBelow) {
    const double none = std::numeric_limits<double>::quiet_NaN();
    v.pcnum = v.pc = v.pcec = static_cast<T>(none);
    v.pcFractions = {none, none, none};
  } else if (want.pc && drops) {
    const double intra = pcTermOfProbability(a, a, 1.0), flux = fluxPC[k], connector = connectorPC[k];
    v.pcnum = static_cast<T>(global.pcnum - (intra + flux + connector));
    v.pc = normalisedByArea(v.pcnum, area, m);
    v.pcec = equivalentConnected(v.pcnum);
    v.pcFractions = {intra / squared, flux / squared, connector / squared};
  } else if (want.pc) {
    v.pcnum = accPC[at];
    v.pc = normalisedByArea(v.pcnum, area, m);
    v.pcec = equivalentConnected(v.pcnum);
    v.pcFractions.intra = static_cast<double>(pcFractionTerm(a, a, 1.0f)) / squared;
    v.pcFractions.flux = fluxPC[k] / squared;
    v.pcFractions.connector = connectorOf(static_cast<T>(global.pc - v.pc), v.pcFractions.intra, v.pcFractions.flux);
  }
  return v;
}

template <class T>
void sparseRemovalRun<T>::prepareAll() {
  tasks.first = request.variants.first;
  tasks.stride = request.variants.stride;
  tasks.lanes = request.variants.size(n);
  const int workers = static_cast<int>(threads());
  const int least = (tasks.lanes + kLanesPerTask - 1) / kLanesPerTask;
  const int count = std::max(1, (least + workers - 1) / workers * workers);
  tasks.perTask = std::max(1, (tasks.lanes + count - 1) / count);
  const std::size_t size = static_cast<std::size_t>(n), lanesAsked = static_cast<std::size_t>(lanes());
  guardAlloc(kNoMemory, [&] {
    lane.assign(size, -1);
    for (int i = 0; i < lanes(); ++i) lane[nodeOf(i)] = i;
    if (pc) {
      pcSearchSetupSparse(g, weights, cut);
      if (!drops) accPC.assign(lanesAsked, T(0));
      fluxPC.assign(size, 0.0);
      if (drops) connectorPC.assign(size, 0.0);
    }
    if (binary) {
      accIIC.assign(lanesAsked, T(0));
      accH.assign(lanesAsked, 0.0f);
      fluxIIC.assign(size, 0.0);
    }
    links.n = n;
    links.start = g.linkStart;
    links.target = g.linkTo;
    if (binary || want.nc || want.ccp || want.lcp) components.build(g);
    if (want.f || want.awf) {
      accF.assign(lanesAsked, 0.0f);
      accAWF.assign(lanesAsked, 0.0f);
    }
    if (want.ccp) total.assign(lanesAsked, 0.0f);
  });
}

template <class T>
removalResult<T> sparseRemovalRun<T>::run() {
  prepareAll();
  if (removalsShareSources(request)) {
    sharedSourcePasses();
    shareSums();
  } else if (pc || binary) {
    sourcePasses();
  }
  if (want.f || want.awf) pairLanes();
  if (want.ccp) totalLanes();
  removalResult<T> result;
  guardAlloc(kNoMemory, [&] { result.variants.resize(static_cast<std::size_t>(n)); });
  std::vector<componentsScratch> scratch(threads());
  orderedParallel(
      lanes(), threads(), [&](int i, unsigned id) { result.variants[nodeOf(i)] = finish(nodeOf(i), scratch[id]); },
      [](int) {});
  result.times = {pcMicros.load(), binaryMicros.load(), fMicros.load()};
  return result;
}

}  // namespace

template <class T>
removalResult<T> measureNodeRemovalsSparse(const engineRequest<T>& request) {
  return sparseRemovalRun<T>(request).run();
}

template removalResult<float> measureNodeRemovalsSparse(const engineRequest<float>&);
template removalResult<double> measureNodeRemovalsSparse(const engineRequest<double>&);

}  // namespace verdalis
