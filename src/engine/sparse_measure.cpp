#include "engine/sparse_measure.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "engine/components.h"
#include "engine/kept_entries.h"
#include "engine/sparse_weights.h"
#include "engine/tuning.h"
#include "graph/breadth_first.h"
#include "indices/terms.h"
#include "support/messages.h"
#include "support/parallel.h"
#include "support/lead_sums.h"
#include "support/plain_bytes.h"

namespace verdalis {

bool sparseProductsFinite(const std::vector<float>& sizes) {
  // The largest product in magnitude is that of the two largest magnitudes.
  float first = 0, second = 0;
  for (float a : sizes) {
    const float m = std::fabs(a);
    if (m > first) {
      second = first;
      first = m;
    } else if (m > second) {
      second = m;
    }
  }
  return std::isfinite(first * second);
}

namespace {

// What one source adds to the sums, in target order.
struct sourceSums {
  std::vector<double> pc, step, iic;
  std::vector<float> best;  // p*_sj of the reached nodes
  std::vector<int> hararyLinks;  // the distances of the H terms
  std::vector<double> pcFocusRow, iicFocusRow;  // the focus node's own row
  double pcToFocus = 0, iicToFocus = 0;         // the source's term towards the focus node
};

// The members of every component, ascending within each.
struct componentMembers {
  std::vector<int> start, nodes;
};

template <class T>
class sparseRun {
 public:
  sparseRun(const engineRequest<T>& r, landscape<T>& values) : request(r), g(*r.sparse), out(values) {}
  engineTimes run(focusSums* focus);

 private:
  const engineRequest<T>& request;
  const sparseLandscape& g;
  landscape<T>& out;
  engineTimes times;
  binaryGraph links;
  componentMembers members;
  searchWeights weights;
  T cut = 0;

  bool binary() const { return request.indices.iic || request.indices.h; }
  void components();
  void fluxes();
  bool sharesSources(const focusSums* focus) const {
    return request.group != nullptr && request.group->size > 1 && focus == nullptr && request.indices.pc && !binary();
  }
  void walkUnbeatenOnly(processGroup* group);
  void perSource(focusSums* focus);
  void perSourceShared();
  void store(int n, T pcnum, double step, T iicnum, float harary);
  void pcOfSource(int s, localSearch<T>& search, sourceSums& r) const;
  void binaryOfSource(int s, localBreadthFirst& search, sourceSums& r) const;
  void addInOrder(int s, const sourceSums& r, T& pcnum, double& step, T& iicnum, float& harary,
                  focusSums* focus) const;
};

template <class T>
void sparseRun<T>::components() {
  const double start = threadCpuMillis();
  links.n = g.n;
  links.start = g.linkStart;
  links.target = g.linkTo;
  std::vector<int>& id = out.componentId;
  out.nComponents = labelComponents(g.n, -1, id, [&](int u, auto& visit) {
    for (std::size_t e = g.linkStart[u]; e < g.linkStart[u + 1]; ++e) visit(g.linkTo[e]);
  });
  out.componentsReady = true;
  members.start.assign(static_cast<std::size_t>(out.nComponents) + 1, 0);
  for (int v = 0; v < g.n; ++v) ++members.start[id[v] + 1];
  for (int c = 0; c < out.nComponents; ++c) members.start[c + 1] += members.start[c];
  members.nodes.resize(static_cast<std::size_t>(g.n));
  std::vector<int> fill(members.start.begin(), members.start.end() - 1);
  for (int v = 0; v < g.n; ++v) members.nodes[fill[id[v]]++] = v;
  const indexSelection& want = request.indices;
  if (want.nc) out.nc = out.nComponents;
  times.ncMicros += static_cast<long long>((threadCpuMillis() - start) * 1000.0);
  const double middle = threadCpuMillis();
  const coincidenceValues c = coincidence(g.n, out.nComponents, id.data(), g.sizes.data(), g.sizeTotalHabitat,
                                          g.sizeLandscapeArea, want.ccp, want.lcp);
  if (want.ccp) out.ccp = c.ccp;
  if (want.lcp) {
    out.lcp = c.lcp;
    out.lcpnum = c.lcpnum;
  }
  times.ccpMicros += static_cast<long long>((threadCpuMillis() - middle) * 1000.0);
}

// F and AWF, and PCdirect: every ordered pair with a direct probability, in
// row order; the pairs without one add 0.
template <class T>
void sparseRun<T>::fluxes() {
  const double start = threadCpuMillis();
  float f = 0, awf = 0;
  double direct = 0;
  for (int i = 0; i < g.n; ++i)
    for (std::size_t e = g.probStart[i]; e < g.probStart[i + 1]; ++e) {
      const float p = g.prob[e];
      const float aj = g.sizes[g.probTo[e]];
      f += p;
      awf += (g.sizes[i] * aj) * p;
      const float term = g.sizes[i] * aj * p;
      direct += term;
    }
  if (request.indices.f) out.f = f;
  if (request.indices.awf) out.awf = awf;
  if (request.pcParts) {
    out.pcDirectGlob = direct;
    out.pcIntraGlob = 0;
    for (float a : g.sizes) {
      const float term = a * a;
      out.pcIntraGlob += term;
    }
  }
  times.fMicros += static_cast<long long>((threadCpuMillis() - start) * 1000.0);
}

// The reached nodes ascending, their PC terms and, for PCstep, the terms of
// every target that is reached or has a direct probability.
template <class T>
void sparseRun<T>::pcOfSource(int s, localSearch<T>& search, sourceSums& r) const {
  search.run(s, weights, cut);
  const std::vector<int>& reached = search.reachedAscending();
  const float as = g.sizes[s];
  r.pc.clear();
  r.step.clear();
  r.pcFocusRow.clear();
  r.pcToFocus = 0;
  // exp once per pair: the terms and the stepping-stone part read the same
  // probability.
  r.best.clear();
  for (int j : reached) {
    const double p = bestPathProbability(search.dist(j));
    r.best.push_back(static_cast<float>(p));
    r.pc.push_back(pcTermOfProbability(as, g.sizes[j], p));
  }
  auto best = [&](int j) { return static_cast<float>(bestPathProbability(search.dist(j))); };
  if (request.focus >= 0 && s != request.focus && search.dist(request.focus) != unreachedDistance<T>())
    r.pcToFocus = pcFractionTerm(as, g.sizes[request.focus], best(request.focus));
  if (s == request.focus)
    for (int j : reached)
      if (j != s) r.pcFocusRow.push_back(pcFractionTerm(as, g.sizes[j], best(j)));
  if (!request.pcParts) return;
  // Merge of the reached nodes and the direct probabilities, both ascending.
  std::size_t a = 0, e = g.probStart[s];
  const std::size_t end = g.probStart[s + 1];
  while (a < reached.size() || e < end) {
    const int j = e == end || (a < reached.size() && reached[a] < g.probTo[e]) ? reached[a] : g.probTo[e];
    const float maxProduct = a < reached.size() && reached[a] == j ? r.best[a] : 0.0f;
    const float direct = e < end && g.probTo[e] == j ? g.prob[e] : 0.0f;
    if (a < reached.size() && reached[a] == j) ++a;
    if (e < end && g.probTo[e] == j) ++e;
    if (j == s) continue;
    const float term = as * g.sizes[j] * (maxProduct - direct);
    r.step.push_back(term);
  }
}

template <class T>
void sparseRun<T>::binaryOfSource(int s, localBreadthFirst& search, sourceSums& r) const {
  search.run(links, s);
  const float as = g.sizes[s];
  const int c = out.componentId[s];
  r.iic.clear();
  r.hararyLinks.clear();
  r.iicFocusRow.clear();
  r.iicToFocus = 0;
  for (int k = members.start[c]; k < members.start[c + 1]; ++k) {
    const int j = members.nodes[k];
    const int nl = search.dist(j);
    r.iic.push_back(iicTerm(as, g.sizes[j], nl));
    if (j != s) r.hararyLinks.push_back(nl);
    if (s == request.focus && j != s) r.iicFocusRow.push_back(iicTerm(as, g.sizes[j], nl));
  }
  const int f = request.focus;
  if (f >= 0 && s != f && out.componentId[f] == c) r.iicToFocus = iicTerm(as, g.sizes[f], search.dist(f));
}

template <class T>
void sparseRun<T>::addInOrder(int s, const sourceSums& r, T& pcnum, double& step, T& iicnum, float& harary,
                              focusSums* focus) const {
  for (double t : r.pc) pcnum = addPCTerm(pcnum, t);
  for (double t : r.step) step += t;
  for (double t : r.iic) iicnum = static_cast<T>(iicnum + t);
  for (int links : r.hararyLinks) harary = addHararyTerm(harary, links);
  if (focus == nullptr) return;
  if (s != request.focus) {
    focus->pcFlux += r.pcToFocus;
    focus->iicFlux += r.iicToFocus;
    return;
  }
  for (double t : r.pcFocusRow) focus->pcFlux += t;
  for (double t : r.iicFocusRow) focus->iicFlux += t;
}

// Without a cut, the searches need only the pairs that can end a best path
// (kept_entries.h), often a fraction of the listed ones.
template <class T>
void sparseRun<T>::walkUnbeatenOnly(processGroup* group) {
  if (cut != std::numeric_limits<T>::infinity()) return;
  std::atomic<long long> micros{0};
  keptEntries kept;
  if (buildSearchEntries<T>(weights, engineLimits().keptPairsWorthIt(g.n), request.threads, kept, micros, group))
    weights = unbeatenWeights(splitByWitness(kept));
  times.pcMicros += micros.load();
}

template <class T>
void sparseRun<T>::perSource(focusSums* focus) {
  const int n = g.n;
  const bool pc = request.indices.pc;
  if (pc) {
    pcSearchSetupSparse(g, weights, cut);
    walkUnbeatenOnly(sharesSources(focus) ? request.group : nullptr);
  }
  if (sharesSources(focus)) {
    perSourceShared();
    return;
  }
  unsigned threads = n < kThreadedSearchFromNodes ? 1u : request.threads;
  const int block = kSourcesPerGlobalTask;
  const int blocks = (n + block - 1) / block;
  std::vector<std::vector<sourceSums>> results(static_cast<std::size_t>(blocks));
  std::vector<localSearch<T>> searches(threads);
  std::vector<localBreadthFirst> breadth(threads);
  std::atomic<long long> pcMicros{0}, binaryMicros{0};
  T pcnum = 0, iicnum = 0;
  float harary = 0;
  double step = 0;
  orderedParallel(
      blocks, threads,
      [&](int b, unsigned id) {
        const int first = b * block, last = std::min(n, first + block);
        std::vector<sourceSums>& r = results[b];
        r.resize(static_cast<std::size_t>(last - first));
        for (int s = first; s < last; ++s) {
          const double start = threadCpuMillis();
          if (pc) pcOfSource(s, searches[id], r[s - first]);
          const double middle = threadCpuMillis();
          if (binary()) binaryOfSource(s, breadth[id], r[s - first]);
          pcMicros += static_cast<long long>((middle - start) * 1000.0);
          binaryMicros += static_cast<long long>((threadCpuMillis() - middle) * 1000.0);
        }
      },
      [&](int b) {
        const int first = b * block, last = std::min(n, first + block);
        if (pc && request.pcProgress) request.pcProgress(first, last);
        for (int s = first; s < last; ++s) addInOrder(s, results[b][s - first], pcnum, step, iicnum, harary, focus);
        std::vector<sourceSums>().swap(results[b]);
      });
  times.pcMicros += pcMicros.load();
  times.binaryMicros += binaryMicros.load();
  store(n, pcnum, step, iicnum, harary);
}

template <class T>
void sparseRun<T>::store(int n, T pcnum, double step, T iicnum, float harary) {
  const indexSelection& want = request.indices;
  const bool pc = want.pc;
  if (want.iic) {
    out.iicnum = iicnum;
    out.iic = normalisedByArea(iicnum, g.sizeLandscapeArea, n);
    out.iicec = equivalentConnected(iicnum);
  }
  if (want.h) out.h = harary / 2.0f;
  if (pc) {
    out.pcnum = pcnum;
    out.pc = normalisedByArea(pcnum, g.sizeLandscapeArea, n);
    out.pcec = equivalentConnected(pcnum);
    if (request.pcParts) out.pcStepGlob = step;
  }
}

// PC with the sources shared among the processes of the request's group:
// in each round every process searches its block of the round's sources,
// and rank 0 adds every term in source order, as one process adds them, so
// the sums are the same bytes; then it hands them to every process.
template <class T>
void sparseRun<T>::perSourceShared() {
  processGroup& group = *request.group;
  const int n = g.n, size = group.size;
  const unsigned threads = std::max(1u, request.threads);
  const int block = kSourcesPerGlobalTask;
  const int perProcess = block * static_cast<int>(threads) * kSharedSourceRounds;
  std::vector<sourceSums> results(static_cast<std::size_t>(perProcess));
  std::vector<localSearch<T>> searches(threads);
  std::atomic<long long> pcMicros{0};
  T pcnum = 0, iicnum = 0;
  float harary = 0;
  double step = 0;
  sourceSums taken;
  for (int base = 0; base < n; base += perProcess * size) {
    const int first = std::min(n, base + group.rank * perProcess), last = std::min(n, first + perProcess);
    std::string out;
    bool failed = false;
    try {
      const int blocks = (last - first + block - 1) / block;
      orderedParallel(
          blocks, threads,
          [&](int b, unsigned id) {
            for (int s = first + b * block; s < std::min(last, first + (b + 1) * block); ++s) {
              const double start = threadCpuMillis();
              pcOfSource(s, searches[id], results[static_cast<std::size_t>(s - first)]);
              pcMicros += static_cast<long long>((threadCpuMillis() - start) * 1000.0);
            }
          },
          [](int) {});
      for (int s = first; s < last; ++s) {
        putVector(out, results[static_cast<std::size_t>(s - first)].pc);
        putVector(out, results[static_cast<std::size_t>(s - first)].step);
      }
    } catch (...) {
      failed = true;
      out.clear();
    }
    // Every process learns here of a failure anywhere, and throws.
    std::vector<std::string> parts;
    if (group.gather(out, failed, parts)) throw failureEverywhere();
    if (!group.lead()) continue;
    for (int r = 0; r < size; ++r) {
      const int from = std::min(n, base + r * perProcess), to = std::min(n, from + perProcess);
      std::size_t at = 0;
      for (int s = from; s < to; ++s) {
        takeVector(parts[static_cast<std::size_t>(r)], at, taken.pc);
        takeVector(parts[static_cast<std::size_t>(r)], at, taken.step);
        addInOrder(s, taken, pcnum, step, iicnum, harary, nullptr);
      }
      if (request.pcProgress && to > from) request.pcProgress(from, to);
    }
  }
  times.pcMicros += sumsFromLead(
      group, pcMicros.load(),
      [&](std::string& sums) {
        putBytes(sums, pcnum);
        putBytes(sums, step);
      },
      [&](const std::string& sums, std::size_t& at) {
        takeBytes(sums, at, pcnum);
        takeBytes(sums, at, step);
      });
  store(n, pcnum, step, iicnum, harary);
}

template <class T>
engineTimes sparseRun<T>::run(focusSums* focus) {
  const indexSelection& want = request.indices;
  out.nNodes = g.n;
  out.nEdges = request.adjType ? g.nEdges : 0;
  out.sizeTotalHabitat = g.sizeTotalHabitat;
  out.sizeLandscapeArea = g.sizeLandscapeArea;
  out.minProb = g.minProb;
  out.allpaths = g.allpaths;
  if (want.nl) out.nl = out.nEdges;
  if (want.nc || want.ccp || want.lcp || binary()) components();
  if (want.f || want.awf || request.pcParts) fluxes();
  if (focus != nullptr && request.focus >= 0) {
    const float a = g.sizes[request.focus];
    focus->iicIntra = iicTerm(a, a, 0);
    focus->pcIntra = pcFractionTerm(a, a, 1.0f);
  }
  if (want.pc || binary()) perSource(focus);
  return times;
}

}  // namespace

template <class T>
engineTimes measureSparse(const engineRequest<T>& request, landscape<T>& out, focusSums* focus) {
  return sparseRun<T>(request, out).run(focus);
}

template <class T>
bestPathRows<T>::bestPathRows(const sparseLandscape& land) {
  pcSearchSetupSparse(land, weights, cut);
}

template <class T>
void bestPathRows<T>::row(int source, std::vector<float>& out) {
  out.assign(static_cast<std::size_t>(weights.n), 0.0f);
  search.run(source, weights, cut);
  for (int j : search.order()) out[j] = static_cast<float>(bestPathProbability(search.dist(j)));
}

template engineTimes measureSparse(const engineRequest<float>&, landscape<float>&, focusSums*);
template engineTimes measureSparse(const engineRequest<double>&, landscape<double>&, focusSums*);
template class bestPathRows<float>;
template class bestPathRows<double>;

}  // namespace verdalis
