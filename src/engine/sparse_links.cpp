#include "engine/sparse_links.h"

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

#include "engine/components_link.h"
#include "engine/lane_add.h"
#include "engine/sparse_link_source.h"
#include "engine/sparse_weights.h"
#include "engine/timed_passes.h"
#include "engine/tuning.h"
#include "indices/terms.h"
#include "support/messages.h"
#include "support/parallel.h"

namespace verdalis {

namespace {

template <class V>
using eventRange = std::pair<const laneEvent<V>*, const laneEvent<V>*>;

// The events of the lanes of one block, from events sorted by sortEvents.
template <class V>
eventRange<V> eventsOfBlock(const std::vector<laneEvent<V>>& events, int block, int lanesPerBlock) {
  auto before = [lanesPerBlock](const laneEvent<V>& e, int b) { return e.lane / lanesPerBlock < b; };
  const auto first = std::lower_bound(events.begin(), events.end(), block, before);
  const auto last = std::lower_bound(first, events.end(), block + 1, before);
  return {events.data() + (first - events.begin()), events.data() + (last - events.begin())};
}

// Adds one source's (or row's) terms to the lanes of a block in target
// order: plain(idx) adds the term of targets[idx] to every lane of the
// block at once. A lane with an event at a target takes own(event), its
// value after its own term, instead; at a target the plain terms do not
// have, in addition at its place. set(event, value) stores a lane's value.
template <class V, class Own, class Plain, class Set>
void addInTargetOrder(const int* targets, std::size_t count, eventRange<V> events, Own&& own, Plain&& plain,
                      Set&& set) {
  using value = decltype(own(*events.first));
  const laneEvent<V>* e = events.first;
  const laneEvent<V>* const end = events.second;
  std::vector<value> held;
  for (std::size_t idx = 0; idx < count; ++idx) {
    const int j = targets[idx];
    for (; e != end && e->node < j; ++e) set(*e, own(*e));
    const laneEvent<V>* const at = e;
    held.clear();
    for (; e != end && e->node == j; ++e) held.push_back(own(*e));
    plain(idx);
    for (std::size_t k = 0; k < held.size(); ++k) set(at[k], held[k]);
  }
  for (; e != end; ++e) set(*e, own(*e));
}

template <class T>
class sparseLinkRun {
 public:
  explicit sparseLinkRun(const engineRequest<T>& r)
      : request(r), g(*r.sparse), n(r.sparse->n), want(r.indices), pc(r.indices.pc), binary(r.indices.iic || r.indices.h) {}
  linkResult<T> run(const std::vector<pairChange>& asked);

 private:
  const engineRequest<T>& request;
  const sparseLandscape& g;
  const int n;
  const indexSelection want;
  const bool pc, binary;
  pairLanes lanes;
  int laneBlock = 1;
  searchWeights weights;
  T cut = 0;
  binaryGraph links;
  componentIndex components;
  withoutValues whole;
  std::vector<T> accPC, accIIC;
  std::vector<float> accH, accF, accAWF;
  std::atomic<long long> pcMicros{0}, binaryMicros{0}, fMicros{0};

  unsigned threads() const { return std::max(1u, request.threads); }
  int count() const { return static_cast<int>(lanes.pairs.size()); }
  int blocks() const { return (count() + laneBlock - 1) / laneBlock; }
  linkPair describe(const pairChange& asked) const;
  void prepareAll(const std::vector<pairChange>& asked);
  void sourcePasses();
  void pcLanes(const linkSource<T>& d, int block);
  void binaryLanes(const linkSource<T>& d, int block);
  void fluxLanes(int block, std::vector<laneEvent<float>>& events);
  linkValues<T> finish(int k, componentsScratch& x) const;
};

template <class T>
linkPair sparseLinkRun<T>::describe(const pairChange& asked) const {
  linkPair c{asked.a, asked.b, asked.p, kNoLink, g.linked(asked.a, asked.b), asked.linkedAfter};
  if (pc && pcSearchKeeps(c.p, g.allpaths, g.minProb)) c.weight = pcWeight(c.p);
  return c;
}

template <class T>
void sparseLinkRun<T>::prepareAll(const std::vector<pairChange>& asked) {
  const std::size_t size = asked.size();
  // Blocks small enough that every thread has some.
  const std::size_t share = (size + threads() - 1) / threads();
  laneBlock = static_cast<int>(std::max<std::size_t>(1, std::min<std::size_t>(kLanesPerTask, share)));
  guardAlloc(kNoMemory, [&] {
    lanes.pairs.reserve(size);
    for (const pairChange& a : asked) lanes.pairs.push_back(describe(a));
    lanes.index(n);
    if (pc) {
      pcSearchSetupSparse(g, weights, cut);
      accPC.assign(size, T(0));
    }
    if (binary) {
      accIIC.assign(size, T(0));
      accH.assign(size, 0.0f);
    }
    links.n = n;
    links.start = g.linkStart;
    links.target = g.linkTo;
    if (binary || want.nc || want.ccp || want.lcp) components.build(g);
    if (want.f || want.awf) {
      accF.assign(size, 0.0f);
      accAWF.assign(size, 0.0f);
    }
  });
  if (want.nc || want.ccp || want.lcp) whole = componentsOfWhole(g, components, want.ccp, want.lcp);
}

template <class T>
void sparseLinkRun<T>::pcLanes(const linkSource<T>& d, int block) {
  T* acc = accPC.data();
  const int lo = block * laneBlock, hi = std::min(count(), lo + laneBlock);
  addInTargetOrder(
      d.pcReach.data(), d.pcReach.size(), eventsOfBlock(d.pcEvents, block, laneBlock),
      [&](const laneEvent<double>& e) { return addPCTerm(acc[e.lane], e.value); },
      [&](std::size_t idx) { addToAll(acc + lo, static_cast<std::size_t>(hi - lo), d.pcTerms[idx]); },
      [&](const laneEvent<double>& e, T v) { acc[e.lane] = v; });
}

template <class T>
void sparseLinkRun<T>::binaryLanes(const linkSource<T>& d, int block) {
  T* iic = accIIC.data();
  float* h = accH.data();
  const int lo = block * laneBlock, hi = std::min(count(), lo + laneBlock);
  const std::size_t width = static_cast<std::size_t>(hi - lo);
  const float as = g.sizes[d.s];
  addInTargetOrder(
      d.binReach.data(), d.binReach.size(), eventsOfBlock(d.binEvents, block, laneBlock),
      [&](const laneEvent<int>& e) {
        std::pair<T, float> v{iic[e.lane], h[e.lane]};
        if (e.value == kUnreached) return v;
        if (want.iic) v.first = addIICTerm(v.first, as, g.sizes[e.node], e.value);
        if (want.h && e.node != d.s) v.second = addHararyTerm(v.second, e.value);
        return v;
      },
      [&](std::size_t idx) {
        const int j = d.binReach[idx];
        if (want.iic) addToAll(iic + lo, width, iicTerm(as, g.sizes[j], d.binLinks[idx]));
        if (want.h && j != d.s) addToAll(h + lo, width, hararyTerm(d.binLinks[idx]));
      },
      [&](const laneEvent<int>& e, const std::pair<T, float>& v) {
        iic[e.lane] = v.first;
        h[e.lane] = v.second;
      });
}

template <class T>
void sparseLinkRun<T>::sourcePasses() {
  const unsigned workers = threads();
  linkSourcePreparer<T> preparer(g, weights, cut, links, components, lanes, pc, binary);
  const int chunk = static_cast<int>(workers) * kLinkSourcesPerThread;
  std::vector<linkSource<T>> data(static_cast<std::size_t>(chunk));
  std::vector<linkSourceScratch<T>> scratch(workers);
  for (int first = 0; first < n; first += chunk) {
    const int sources = std::min(chunk, n - first);
    orderedParallel(
        sources, workers,
        [&](int i, unsigned id) {
          const double start = threadCpuMillis();
          preparer.prepare(first + i, data[i], scratch[id]);
          sortEvents(data[i].pcEvents, laneBlock);
          sortEvents(data[i].binEvents, laneBlock);
          pcMicros += static_cast<long long>((threadCpuMillis() - start) * 1000.0);
        },
        [](int) {});
    orderedParallel(
        blocks(), workers,
        [&](int b, unsigned) {
          timedPasses(
              sources, pc, binary, [&](int i) { pcLanes(data[i], b); }, [&](int i) { binaryLanes(data[i], b); },
              pcMicros, binaryMicros);
        },
        [](int) {});
    if (request.progress != nullptr) request.progress->advance(sources);
  }
}

// F and AWF: every listed probability in row order; a pair's own two
// directions replaced, or entered at their place when no line lists them.
template <class T>
void sparseLinkRun<T>::fluxLanes(int block, std::vector<laneEvent<float>>& events) {
  const int lo = block * laneBlock, hi = std::min(count(), lo + laneBlock);
  const std::size_t width = static_cast<std::size_t>(hi - lo);
  float* f = accF.data();
  float* awf = accAWF.data();
  for (int i = 0; i < n; ++i) {
    events.clear();
    for (std::size_t e = lanes.start[i]; e < lanes.start[i + 1]; ++e) {
      const int lane = lanes.lanes[e];
      if (lane < lo || lane >= hi) continue;
      const linkPair& c = lanes.pairs[lane];
      events.push_back({c.a == i ? c.b : c.a, lane, c.p});
    }
    std::sort(events.begin(), events.end(), [](const laneEvent<float>& x, const laneEvent<float>& y) {
      return x.node != y.node ? x.node < y.node : x.lane < y.lane;
    });
    const float ai = g.sizes[i];
    const std::size_t row = g.probStart[i];
    addInTargetOrder(
        g.probTo.data() + row, g.probStart[i + 1] - row, eventRange<float>{events.data(), events.data() + events.size()},
        [&](const laneEvent<float>& e) {
          return std::make_pair(f[e.lane] + e.value, awf[e.lane] + (ai * g.sizes[e.node]) * e.value);
        },
        [&](std::size_t idx) {
          const float p = g.prob[row + idx];
          if (want.f) addToAll(f + lo, width, p);
          if (want.awf) addToAll(awf + lo, width, (ai * g.sizes[g.probTo[row + idx]]) * p);
        },
        [&](const laneEvent<float>& e, const std::pair<float, float>& v) {
          f[e.lane] = v.first;
          awf[e.lane] = v.second;
        });
  }
}

template <class T>
linkValues<T> sparseLinkRun<T>::finish(int k, componentsScratch& x) const {
  const linkPair& c = lanes.pairs[k];
  const float area = g.sizeLandscapeArea;
  linkValues<T> values;
  if (want.nl) values.nl = request.adjType ? edgesWith(g.nEdges, c) : 0;
  if (want.nc || want.ccp || want.lcp) {
    const withoutValues v =
        componentsWithLink(g, components, c.a, c.b, c.linkedBefore, c.linkedAfter, want.ccp, want.lcp, whole, x);
    values.nc = v.nc;
    values.ccp = v.coincidence.ccp;
    values.lcp = v.coincidence.lcp;
  }
  if (want.h) values.h = accH[k] / 2.0f;
  if (want.iic) values.iic = normalisedByArea(accIIC[k], area, n);
  if (want.f) values.f = accF[k];
  if (want.awf) values.awf = accAWF[k];
  if (want.pc) values.pc = normalisedByArea(accPC[k], area, n);
  return values;
}

template <class T>
linkResult<T> sparseLinkRun<T>::run(const std::vector<pairChange>& asked) {
  prepareAll(asked);
  if (count() > 0 && (pc || binary)) sourcePasses();
  if (count() > 0 && (want.f || want.awf)) {
    std::vector<std::vector<laneEvent<float>>> events(threads());
    orderedParallel(
        blocks(), threads(),
        [&](int b, unsigned id) {
          const double start = threadCpuMillis();
          fluxLanes(b, events[id]);
          fMicros += static_cast<long long>((threadCpuMillis() - start) * 1000.0);
        },
        [](int) {});
  }
  linkResult<T> result;
  guardAlloc(kNoMemory, [&] { result.values.resize(asked.size()); });
  std::vector<componentsScratch> scratch(threads());
  orderedParallel(
      count(), threads(), [&](int k, unsigned id) { result.values[k] = finish(k, scratch[id]); }, [](int) {});
  result.times = {pcMicros.load(), binaryMicros.load(), fMicros.load()};
  return result;
}

}  // namespace

template <class T>
linkResult<T> measureLinkChangesSparse(const engineRequest<T>& request, const std::vector<pairChange>& pairs) {
  return sparseLinkRun<T>(request).run(pairs);
}

template linkResult<float> measureLinkChangesSparse(const engineRequest<float>&, const std::vector<pairChange>&);
template linkResult<double> measureLinkChangesSparse(const engineRequest<double>&, const std::vector<pairChange>&);

}  // namespace verdalis
