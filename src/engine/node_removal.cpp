// Every existing node removed in turn, from the searches of the global
// landscape. For each source, the removals that leave its tree of best
// paths as it is (k has no child in it) add the source's global terms; the
// others repair the part below k (removal_repair.h) and add the new terms
// of the nodes that moved. Binary indices likewise, with the nodes whose
// every shortest path passes through k (binary_rows.h). Each removal's sums
// keep the order and precision of the straightforward computation; many of
// them run side by side (lane_sums.h). O(n · Σ repaired subtrees) in all.
#include <atomic>
#include <cmath>
#include <limits>
#include <type_traits>
#include <vector>

#include "engine/binary_rows.h"
#include "engine/components.h"
#include "engine/engine.h"
#include "engine/lane_sums.h"
#include "engine/removal_repair.h"
#include "engine/timed_passes.h"
#include "engine/tuning.h"
#include "landscape/fragmentIIC.h"
#include "landscape/fragmentPC.h"
#include "support/messages.h"
#include "support/parallel.h"

namespace verdalis {

namespace {

template <class T>
struct removalWork {
  removalScratch<T> repair;
  binaryScratch binary;
  laneBatch<T> lanes;
};

template <class T>
class nodeRemovalRun {
 public:
  explicit nodeRemovalRun(const engineRequest<T>& r)
      : request(r),
        g(*r.land),
        n(r.land->nNodes),
        threads(r.threads),
        pc(r.indices.pc),
        binaryIndices(r.indices.iic || r.indices.h),
        repairs(searchesOrNone(r.searches).weights, searchesOrNone(r.searches).cut, r.limits) {}

  removalResult<T> run();

 private:
  const engineRequest<T>& request;
  const landscape<T>& g;
  const int n;
  const unsigned threads;
  const bool pc, binaryIndices;
  removalRepair<T> repairs;
  breadthFirstRows<T> binary;
  removalSums<T> sums;
  std::atomic<long long> pcMicros{0}, binaryMicros{0};

  void prepare(int s, removalSource<T>& d) const;
  void pcLanes(const removalSource<T>& d, int first, int stride, removalWork<T>& x);
  void binaryLanes(const removalSource<T>& d, int first, int stride, removalWork<T>& x);
  void pcOfSource(const removalSource<T>& d, int k, removalScratch<T>& x);
  void binaryOfSource(const removalSource<T>& d, int k, binaryScratch& x);
  removalValues<T> finish(int k) const;
};

template <class T>
void nodeRemovalRun<T>::prepare(int s, removalSource<T>& d) const {
  d.rows.s = s;
  if (pc) {
    const globalSearches<T>& rows = request.searches->rows;
    const T* dist = rows.distRow(s);
    d.dist = dist;
    d.delicate = rows.delicate[s] != 0;
    d.ties = &rows.sameClassTies[s];
    fillPCTerms(g, dist, rows.predRow(s), d.rows);
    const int* pred = rows.predRow(s);
    d.tree.build(
        n, s, [&](int v, auto&& f) { for (int c = d.rows.childStart[v]; c < d.rows.childStart[v + 1]; ++c) f(d.rows.children[c]); },
        [&](int v) { return pred[v]; });
    d.reach.clear();
    for (int j = 0; j < n; ++j)
      if (dist[j] != unreachedDistance<T>()) d.reach.push_back(j);
    if (repairs.needsBestEntries()) {
      d.entries.perNode = repairs.bestEntriesPerNode();
      d.entries.build(request.searches->weights, dist, request.searches->cut);
    }
  }
  if (binaryIndices) {
    fillBinaryTerms(g, binary.graph(), binary.row(s), d.rows);
    d.critical.assign(n, 0);
    for (int v = 0; v < n; ++v)
      if (d.rows.soleParent[v] >= 0) d.critical[d.rows.soleParent[v]] = 1;
  }
}

// PC of the source without k, repaired or searched again, into k's sum.
template <class T>
void nodeRemovalRun<T>::pcOfSource(const removalSource<T>& d, int k, removalScratch<T>& x) {
  const int s = d.rows.s;
  T acc = sums.pc[sums.slot(k)];
  const float as = g.nodes[s].size;
  if (repairs.repair(d, k, x)) {
    for (int j : d.reach) {
      if (j == k) continue;
      const double term = x.below(j) ? pcTerm(as, g.nodes[j].size, x.newDist[j]) : d.rows.termPC[j];
      acc = addPCTerm(acc, term);
    }
  } else {
    const pcSearches<T>& searches = *request.searches;
    exactSearch(s, searches.weights, searches.cut, k, x.full, x.flags);
    for (int j = 0; j < n; ++j)
      if (j != k) acc = addPCTerm(acc, pcTerm(as, g.nodes[j].size, x.full.dist[j]));
  }
  sums.pc[sums.slot(k)] = acc;
}

// IIC and H of the source without k, into k's sums.
template <class T>
void nodeRemovalRun<T>::binaryOfSource(const removalSource<T>& d, int k, binaryScratch& x) {
  const int s = d.rows.s;
  const bool iic = request.indices.iic, h = request.indices.h;
  const std::size_t at = sums.slot(k);
  T acc = sums.iic[at];
  float harary = sums.h[at];
  const double* t = d.rows.termIIC.data();
  const double* th = d.rows.termH.data();
  if (!d.critical[k]) {
    for (int j = 0; j < n; ++j) {
      if (j == k) continue;
      if (iic) acc = static_cast<T>(acc + t[j]);
      if (h && th[j] != 0) harary = static_cast<float>(static_cast<double>(harary) + th[j]);
    }
  } else {
    binaryRowWithout(binary.graph(), binary.row(s), k, x);
    const float as = g.nodes[s].size;
    for (int j = 0; j < n; ++j) {
      if (j == k) continue;
      const int links = x.newNl[j];
      if (links == kUnreached) continue;
      if (iic) acc = addIICTerm(acc, as, g.nodes[j].size, links);
      if (h && j != s) harary = addHararyTerm(harary, links);
    }
  }
  sums.iic[at] = acc;
  sums.h[at] = harary;
}

// The removals of every stride-th node from first: those k leaves the tree
// of unchanged run side by side as lanes, the others one by one.
template <class T>
void nodeRemovalRun<T>::pcLanes(const removalSource<T>& d, int first, int stride, removalWork<T>& x) {
  laneBatch<T>& b = x.lanes;
  b.nodes.clear();
  for (int k = first; k < n; k += stride) {
    if (k == d.rows.s || !request.variants.contains(k, n)) continue;
    if (d.rows.childStart[k + 1] == d.rows.childStart[k]) {
      b.nodes.push_back(k);
      continue;
    }
    pcOfSource(d, k, x.repair);
  }
  const int m = static_cast<int>(b.nodes.size());
  b.sumT.resize(m);
  for (int i = 0; i < m; ++i) b.sumT[i] = sums.pc[sums.slot(b.nodes[i])];
  addReachedSkipping(b.sumT.data(), b.nodes.data(), m, d.rows.termPC.data(), d.reach);
  for (int i = 0; i < m; ++i) sums.pc[sums.slot(b.nodes[i])] = b.sumT[i];
}

template <class T>
void nodeRemovalRun<T>::binaryLanes(const removalSource<T>& d, int first, int stride, removalWork<T>& x) {
  const bool iic = request.indices.iic, h = request.indices.h;
  laneBatch<T>& b = x.lanes;
  b.nodes.clear();
  for (int k = first; k < n; k += stride) {
    if (k == d.rows.s || !request.variants.contains(k, n)) continue;
    if (d.critical[k] || (h && !iic))
      binaryOfSource(d, k, x.binary);
    else
      b.nodes.push_back(k);
  }
  const int m = static_cast<int>(b.nodes.size());
  b.sumT.resize(m);
  b.sumF.resize(m);
  for (int i = 0; i < m; ++i) b.sumT[i] = sums.iic[sums.slot(b.nodes[i])];
  addRowSkipping(b.sumT.data(), b.nodes.data(), m, d.rows.termIIC.data(), n);
  if (h) {
    for (int i = 0; i < m; ++i) b.sumF[i] = sums.h[sums.slot(b.nodes[i])];
    // H adds only its non-zero terms; a zero term added in double and kept
    // in float leaves the sum as it is all the same.
    addRowSkipping(b.sumF.data(), b.nodes.data(), m, d.rows.termH.data(), n);
    for (int i = 0; i < m; ++i) sums.h[sums.slot(b.nodes[i])] = b.sumF[i];
  }
  for (int i = 0; i < m; ++i) sums.iic[sums.slot(b.nodes[i])] = b.sumT[i];
}

template <class T>
removalResult<T> nodeRemovalRun<T>::run() {
  if (pc) repairs.useLists(threads, pcMicros, request.group);
  if (binaryIndices) binary.build(g, request.indices.iic);
  sums.reset(n, static_cast<int>(std::min<unsigned>(threads * kRemovalTasksPerThread,
                                                    static_cast<unsigned>(std::max(1, n)))));
  if (pc || binaryIndices) {
    const int chunk = static_cast<int>(std::max(1u, threads)) * kRemovalSourcesPerThread;
    std::vector<removalSource<T>> data(static_cast<std::size_t>(chunk));
    std::vector<removalWork<T>> work(threads);
    for (int first = 0; first < n; first += chunk) {
      const int count = std::min(chunk, n - first);
      orderedParallel(
          count, threads, [&](int i, unsigned) { prepare(first + i, data[i]); }, [](int) {});
      orderedParallel(
          sums.tasks, threads,
          [&](int r, unsigned id) {
            timedPasses(
                count, pc, binaryIndices, [&](int i) { pcLanes(data[i], r, sums.tasks, work[id]); },
                [&](int i) { binaryLanes(data[i], r, sums.tasks, work[id]); }, pcMicros, binaryMicros);
          },
          [](int) {});
      if (request.progress != nullptr) request.progress->advance(count);
    }
  }
  removalResult<T> result;
  guardAlloc(kNoMemory, [&] { result.variants.resize(static_cast<std::size_t>(n)); });
  const int first = request.variants.first, stride = request.variants.stride;
  orderedParallel(
      request.variants.size(n), threads,
      [&](int i, unsigned) { result.variants[first + i * stride] = finish(first + i * stride); }, [](int) {});
  result.times.pcMicros = pcMicros.load();
  result.times.binaryMicros = binaryMicros.load();
  return result;
}

// The sum of a pair term over the pairs with k as one end, in the order of
// the fractions' double loop (row k whole, column k elsewhere), in O(n).
template <class Term>
double fluxThrough(int n, int k, Term&& term) {
  double flux = 0;
  for (int i = 0; i < n; ++i) {
    if (i != k) {
      flux += term(i, k);
      continue;
    }
    for (int j = 0; j < n; ++j)
      if (j != k) flux += term(k, j);
  }
  return flux;
}

// NC, CCP and LCP without k; the attributes in node order.
template <class T>
void componentsWithout(const landscape<T>& g, int k, const indexSelection& want, removalValues<T>& v) {
  const int n = g.nNodes;
  std::vector<int> component;
  const int count = labelComponents(n, k, component, [&](int u, auto& visit) {
    for (int z : g.nodes[u].list_adjacency) visit(z);
  });
  std::vector<int> ids;
  std::vector<float> sizes;
  ids.reserve(n);
  sizes.reserve(n);
  for (int u = 0; u < n; ++u)
    if (u != k) {
      ids.push_back(component[u]);
      sizes.push_back(g.nodes[u].size);
    }
  v.nComponents = count;
  v.nc = count;
  const coincidenceValues c = coincidence(n - 1, count, ids.data(), sizes.data(), v.sizeTotalHabitat,
                                          g.sizeLandscapeArea, want.ccp, want.lcp);
  v.ccp = c.ccp;
  v.lcp = c.lcp;
  v.lcpnum = c.lcpnum;
}

// F and AWF without k: every ordered pair of the others, in float.
template <class T>
void fluxesWithout(const landscape<T>& g, int k, float& f, float& awf) {
  const int n = g.nNodes;
  f = 0;
  awf = 0;
  for (int i = 0; i < n; ++i) {
    if (i == k) continue;
    const float* row = g.nodes[i].p.data();
    const float ai = g.nodes[i].size;
    for (int j = 0; j < n; ++j) {
      if (j == i || j == k) continue;
      f += row[j];
      awf += (ai * g.nodes[j].size) * row[j];
    }
  }
}

template <class T>
removalValues<T> nodeRemovalRun<T>::finish(int k) const {
  const indexSelection& want = request.indices;
  const std::size_t at = sums.slot(k);
  const int m = n - 1;
  const float area = g.sizeLandscapeArea;
  removalValues<T> v;
  for (int i = 0; i < n; ++i)
    if (i != k) v.sizeTotalHabitat += g.nodes[i].size;
  if (request.adjType) v.nEdges = g.nEdges - static_cast<int>(g.nodes[k].list_adjacency.size());
  if (want.nl) v.nl = v.nEdges;
  if (want.nc || want.ccp || want.lcp) componentsWithout(g, k, want, v);
  if (want.h) v.h = sums.h[at] / 2.0f;
  if (want.iic) {
    v.iicnum = sums.iic[at];
    v.iic = normalisedByArea(v.iicnum, area, m);
    v.iicec = equivalentConnected(v.iicnum);
  }
  if (want.f || want.awf) {
    float f = 0, awf = 0;
    fluxesWithout(g, k, f, awf);
    if (want.f) v.f = f;
    if (want.awf) v.awf = awf;
  }
  if (want.pc) {
    v.pcnum = sums.pc[at];
    v.pc = normalisedByArea(v.pcnum, area, m);
    v.pcec = equivalentConnected(v.pcnum);
  }
  // Fractions: the sums over the global landscape come from the same pass.
  if (want.iic) {
    const fragmentIIC<T> fractions(&g, nullptr, k);
    const double squared = fractions.areaSquared();
    v.iicFractions.intra = fractions.intraValue();
    v.iicFractions.flux = fluxThrough(n, k, [&](int i, int j) { return fragmentIIC<T>::term(g, i, j); }) / squared;
    v.iicFractions.connector = connectorOf(static_cast<T>(g.iic - v.iic), v.iicFractions.intra, v.iicFractions.flux);
  }
  if (want.pc) {
    const fragmentPC<T> fractions(&g, nullptr, k);
    const double squared = fractions.areaSquared();
    v.pcFractions.intra = fractions.intraSum(g) / squared;
    v.pcFractions.flux = fluxThrough(n, k, [&](int i, int j) { return fragmentPC<T>::term(g, i, j); }) / squared;
    v.pcFractions.connector = connectorOf(static_cast<T>(g.pc - v.pc), v.pcFractions.intra, v.pcFractions.flux);
  }
  return v;
}

}  // namespace

template <class T>
removalResult<T> measureNodeRemovalsDense(const engineRequest<T>& request) {
  return nodeRemovalRun<T>(request).run();
}

template removalResult<float> measureNodeRemovalsDense(const engineRequest<float>&);
template removalResult<double> measureNodeRemovalsDense(const engineRequest<double>&);

}  // namespace verdalis
