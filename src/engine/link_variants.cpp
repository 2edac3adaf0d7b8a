// Every listed pair removed, made sure or changed, from the searches of the
// global landscape. For each source and pair, PC adds the source's global
// terms when the pair leaves its search as it is, and the new terms of the
// moved nodes otherwise (link_pc_row.h); IIC and H likewise over
// breadth-first rows (binary_rows.h); F and AWF replace the pair's own
// terms. Every pair's sums keep the order and precision of the
// straightforward computation. O(pairs · n) terms, plus the repairs.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <vector>

#include "engine/binary_rows.h"
#include "engine/components.h"
#include "engine/engine.h"
#include "engine/link_pc_row.h"
#include "engine/tuning.h"
#include "indices/terms.h"
#include "support/messages.h"
#include "support/parallel.h"

namespace verdalis {

namespace {

template <class T>
class linkVariantsRun {
 public:
  linkVariantsRun(const engineRequest<T>& r, linkChange kind)
      : request(r),
        g(*r.land),
        n(r.land->nNodes),
        threads(r.threads),
        kind(kind),
        pc(r.indices.pc),
        binaryIndices(r.adjType && (r.indices.iic || r.indices.h)),
        pcRows(searchesOrNone(r.searches)) {}

  linkResult<T> run(const std::vector<pairChange>& asked);

 private:
  const engineRequest<T>& request;
  const landscape<T>& g;
  const int n;
  const unsigned threads;
  const linkChange kind;
  const bool pc, binaryIndices;
  linkPCRows<T> pcRows;
  breadthFirstRows<T> binary;
  std::vector<linkPair> pairs;
  std::vector<T> accPC, accIIC;
  std::vector<float> accH, accF, accAWF;
  std::atomic<long long> pcMicros{0}, binaryMicros{0}, fMicros{0};

  linkPair describe(const pairChange& asked) const;
  void prepare(int s, sourceRows& d) const;
  void load(const sourceRows& d, linkScratch<T>& x) const;
  void revert(linkScratch<T>& x) const;
  void pairsOfSource(const sourceRows& d, int first, int last, linkScratch<T>& x);
  void pcPairs(const sourceRows& d, int first, int last, linkScratch<T>& x);
  void binaryPairs(const sourceRows& d, int first, int last, linkScratch<T>& x);
  void fluxPairs(const sourceRows& d, int first, int last);
  linkValues<T> finish(std::size_t index) const;
};

template <class T>
linkPair linkVariantsRun<T>::describe(const pairChange& asked) const {
  linkPair c{asked.a, asked.b, asked.p, kNoLink, false, asked.linkedAfter};
  const adjacency& links = g.nodes[c.a].list_adjacency;
  c.linkedBefore = std::find(links.begin(), links.end(), c.b) != links.end();
  if (pc && pcSearchKeeps(c.p, g.allpaths, g.minProb)) c.weight = pcWeight(c.p);
  return c;
}

template <class T>
void linkVariantsRun<T>::prepare(int s, sourceRows& d) const {
  d.s = s;
  if (pc) fillPCTerms(g, request.searches->rows.distRow(s), request.searches->rows.predRow(s), d);
  if (binaryIndices) fillBinaryTerms(g, binary.graph(), binary.row(s), d);
}

template <class T>
void linkVariantsRun<T>::load(const sourceRows& d, linkScratch<T>& x) const {
  if (x.loadedSource == d.s) return;
  if (pc) x.cur.assign(request.searches->rows.distRow(d.s), request.searches->rows.distRow(d.s) + n);
  if (binaryIndices) x.curNl.assign(binary.row(d.s), binary.row(d.s) + n);
  x.changed.assign(n, 0);
  x.changedList.clear();
  x.inSet.assign(n, 0);
  x.realizer.assign(n, -1);
  x.loadedSource = d.s;
}

template <class T>
void linkVariantsRun<T>::revert(linkScratch<T>& x) const {
  const int s = x.loadedSource;
  for (int v : x.changedList) {
    if (pc) x.cur[v] = request.searches->rows.distRow(s)[v];
    if (binaryIndices) x.curNl[v] = binary.row(s)[v];
    x.changed[v] = 0;
    x.realizer[v] = -1;
  }
  x.changedList.clear();
}

template <class T>
void linkVariantsRun<T>::pcPairs(const sourceRows& d, int first, int last, linkScratch<T>& x) {
  const float as = g.nodes[d.s].size;
  for (int index = first; index < last; ++index) {
    const rowSource how = pcRows.row(d, pairs[index], x);
    T acc = accPC[index];
    if (how == rowSource::global) {
      for (int j = 0; j < n; ++j) acc = addPCTerm(acc, d.termPC[j]);
    } else {
      const T* dist = how == rowSource::repaired ? x.cur.data() : x.full.dist.data();
      for (int j = 0; j < n; ++j) {
        const bool moved = how == rowSource::searchedAgain || x.changed[j];
        acc = addPCTerm(acc, moved ? pcTerm(as, g.nodes[j].size, dist[j]) : d.termPC[j]);
      }
    }
    accPC[index] = acc;
    revert(x);
  }
}

template <class T>
void linkVariantsRun<T>::binaryPairs(const sourceRows& d, int first, int last, linkScratch<T>& x) {
  const int s = d.s;
  const float as = g.nodes[s].size;
  const bool iic = request.indices.iic, h = request.indices.h;
  for (int index = first; index < last; ++index) {
    const linkPair& c = pairs[index];
    T acc = accIIC[index];
    float harary = accH[index];
    const bool moved = binaryRowWithPair(binary.graph(), s, binary.row(s), d.soleParent, c.a, c.b, c.linkedBefore, c.linkedAfter,
                                         x.curNl.data(), x.queue, [&](int v) { x.mark(v); });
    if (!moved) {
      for (int j = 0; j < n; ++j) {
        if (iic) acc = static_cast<T>(acc + d.termIIC[j]);
        if (h && d.termH[j] != 0) harary = static_cast<float>(static_cast<double>(harary) + d.termH[j]);
      }
    } else {
      for (int j = 0; j < n; ++j) {
        const int links = x.curNl[j];
        if (links == kUnreached) continue;
        if (iic) acc = addIICTerm(acc, as, g.nodes[j].size, links);
        if (h && j != s) harary = addHararyTerm(harary, links);
      }
    }
    accIIC[index] = acc;
    accH[index] = harary;
    revert(x);
  }
}

template <class T>
void linkVariantsRun<T>::fluxPairs(const sourceRows& d, int first, int last) {
  const int s = d.s;
  const float as = g.nodes[s].size;
  const float* row = g.nodes[s].p.data();
  for (int index = first; index < last; ++index) {
    const linkPair& c = pairs[index];
    float f = accF[index], awf = accAWF[index];
    for (int j = 0; j < n; ++j) {
      if (j == s) continue;
      const bool pair = (s == c.a && j == c.b) || (s == c.b && j == c.a);
      const float pj = pair ? c.p : row[j];
      f += pj;
      awf += (as * g.nodes[j].size) * pj;
    }
    accF[index] = f;
    accAWF[index] = awf;
  }
}

template <class T>
void linkVariantsRun<T>::pairsOfSource(const sourceRows& d, int first, int last, linkScratch<T>& x) {
  load(d, x);
  double start = threadCpuMillis();
  auto lap = [&](std::atomic<long long>& micros) {
    const double now = threadCpuMillis();
    micros += static_cast<long long>((now - start) * 1000.0);
    start = now;
  };
  if (pc) {
    pcPairs(d, first, last, x);
    lap(pcMicros);
  }
  if (binaryIndices) {
    binaryPairs(d, first, last, x);
    lap(binaryMicros);
  }
  if (request.indices.f || request.indices.awf) {
    fluxPairs(d, first, last);
    lap(fMicros);
  }
}

template <class T>
linkValues<T> linkVariantsRun<T>::finish(std::size_t index) const {
  const indexSelection& want = request.indices;
  const linkPair& c = pairs[index];
  linkValues<T> values;
  if (want.nl) values.nl = request.adjType ? edgesWith(g.nEdges, c) : 0;
  if (want.nc || want.ccp || want.lcp) {
    auto isPair = [&](int u, int z) { return (u == c.a && z == c.b) || (u == c.b && z == c.a); };
    std::vector<int> component;
    const int count = labelComponents(n, -1, component, [&](int u, auto& visit) {
      for (int z : g.nodes[u].list_adjacency)
        if (!isPair(u, z) || c.linkedAfter) visit(z);
      if (c.linkedAfter && !c.linkedBefore && (u == c.a || u == c.b)) visit(u == c.a ? c.b : c.a);
    });
    values.nc = count;
    std::vector<float> sizes(n);
    for (int v = 0; v < n; ++v) sizes[v] = g.nodes[v].size;
    const coincidenceValues k = coincidence(n, count, component.data(), sizes.data(), g.sizeTotalHabitat,
                                            g.sizeLandscapeArea, want.ccp, want.lcp);
    values.ccp = k.ccp;
    values.lcp = k.lcp;
  }
  if (want.h) values.h = accH[index] / 2.0f;
  if (want.iic) values.iic = normalisedByArea(accIIC[index], g.sizeLandscapeArea, n);
  if (want.f) values.f = accF[index];
  if (want.awf) values.awf = accAWF[index];
  if (want.pc) values.pc = normalisedByArea(accPC[index], g.sizeLandscapeArea, n);
  return values;
}

template <class T>
linkResult<T> linkVariantsRun<T>::run(const std::vector<pairChange>& asked) {
  if (pc) pcRows.useLists(kind != linkChange::changed, request.limits.keptPairsWorthIt(n), threads, pcMicros);
  if (binaryIndices) binary.build(g, request.indices.iic);
  const std::size_t count = asked.size();
  guardAlloc(kNoMemory, [&] {
    pairs.reserve(count);
    for (const pairChange& a : asked) pairs.push_back(describe(a));
    accPC.assign(count, T(0));
    accIIC.assign(count, T(0));
    accH.assign(count, 0.0f);
    accF.assign(count, 0.0f);
    accAWF.assign(count, 0.0f);
  });
  if (count > 0 && (pc || binaryIndices || request.indices.f || request.indices.awf)) {
    const int chunk = static_cast<int>(std::max(1u, threads)) * kLinkSourcesPerThread;
    std::vector<sourceRows> data(static_cast<std::size_t>(chunk));
    std::vector<linkScratch<T>> work(threads);
    const int ranges = static_cast<int>(std::min<std::size_t>(threads * kLinkTasksPerThread, count));
    const int span = static_cast<int>((count + ranges - 1) / ranges);
    for (int first = 0; first < n; first += chunk) {
      const int sources = std::min(chunk, n - first);
      orderedParallel(
          sources, threads, [&](int i, unsigned) { prepare(first + i, data[i]); }, [](int) {});
      orderedParallel(
          ranges, threads,
          [&](int r, unsigned id) {
            const int lo = r * span, hi = std::min<int>(static_cast<int>(count), (r + 1) * span);
            for (int i = 0; i < sources; ++i) pairsOfSource(data[i], lo, hi, work[id]);
          },
          [](int) {});
      if (request.progress != nullptr) request.progress->advance(sources);
    }
  }
  linkResult<T> result;
  guardAlloc(kNoMemory, [&] { result.values.resize(count); });
  orderedParallel(
      static_cast<int>(count), threads, [&](int i, unsigned) { result.values[i] = finish(i); }, [](int) {});
  result.times = {pcMicros.load(), binaryMicros.load(), fMicros.load()};
  return result;
}

}  // namespace

template <class T>
linkResult<T> measureLinkChangesDense(const engineRequest<T>& request, linkChange kind,
                                      const std::vector<pairChange>& pairs) {
  return linkVariantsRun<T>(request, kind).run(pairs);
}

template linkResult<float> measureLinkChangesDense(const engineRequest<float>&, linkChange,
                                                   const std::vector<pairChange>&);
template linkResult<double> measureLinkChangesDense(const engineRequest<double>&, linkChange,
                                                    const std::vector<pairChange>&);

}  // namespace verdalis
