#pragma once
// The fast engine: the values that building and measuring every variant
// landscape gives, computed from the searches of the global landscape.
//
// Why the results are the same to the last bit:
//  - Every search follows the selection rule of the linear scan (see
//    graph/exact_search.h), so the global searches are those of the scan.
//  - A node k that is the predecessor of no node in the search from source s
//    leaves that search unchanged when removed: the scan selects the same
//    nodes in the same order without it (removing a node that is never
//    selected before its time, or raising a value that is not selected, never
//    changes the scan's choice), so the source's distances are the global
//    ones with k left out.
//  - Otherwise only the nodes below k in the tree of best paths can change.
//    Their new distances are the least fixed point of the variant's
//    relaxations, which a plain Dijkstra from the rest of the tree computes.
//    The scan reaches the same fixed point whenever every node is reached
//    from a node whose distance rounds to a smaller float; in single
//    precision that always holds, in double precision it is checked, and a
//    source that fails the check is searched again in full.
//  - Without a cut, that Dijkstra walks only the pairs that can end a best
//    path once k is gone (graph/kept_entries.h): a pair beaten by a detour
//    through another node by more than any rounding never gives a least
//    value, nor a tie, so leaving it out changes no distance. Which of
//    several equal entries a repaired node keeps as its parent does not
//    matter either: one entry from a smaller float class is enough for the
//    check above, and a parent of its own class only makes it look at
//    every entry.
//  - Breadth-first distances are exact integers: a node keeps its distance
//    unless every one of its shortest paths passes through the removed node.
//  - Every sum is formed term by term in the order and precision of the
//    straightforward computation; a source row that did not change simply
//    supplies the same terms. Sums for many variants run side by side, each
//    with its own accumulator, so that the order within each is untouched.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <limits>
#include <queue>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "graph/exact_search.h"
#include "graph/kept_entries.h"
#include "graph/min_heap.h"
#include "landscape/fast_betweenness.h"
#include "landscape/fragmentIIC.h"
#include "landscape/fragmentPC.h"
#include "landscape/landscape.h"
#include "support/messages.h"
#include "support/numfmt.h"
#include "support/parallel.h"

namespace verdalis {

// The progress line of the PC computation for one source, written fast.
inline void appendPCProgress(std::string& out, int source, int n) {
  out += "Processing node number ";
  out += std::to_string(source);
  out += " of ";
  out += std::to_string(n);
  out += " (";
  out += std::to_string(static_cast<long long>(source) * 100 / n);
  out += "%)\r";
}

// The PC search of a landscape as the straightforward computation chooses it:
// every pair (allpaths), the pairs above minProb with the expansion cut, or
// every pair with a positive probability in its own direction.
template <class T>
void pcSearchSetup(const landscape<T>& land, searchWeights& w, T& cut) {
  const int n = land.nNodes;
  w = searchWeights();
  w.n = n;
  guardAlloc(kNoMemory, [&] { w.matrix.assign(static_cast<std::size_t>(n) * n, kNoLink); });
  auto weight = [](float p) { return -std::log(p); };
  cut = std::numeric_limits<T>::infinity();
  if (land.allpaths || land.minProb != 0) {
    const bool everyPair = land.allpaths;
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < i; ++j) {
        const float p = land.nodes[i].p[j];
        if (!(p > 0) || (!everyPair && !(p > land.minProb))) continue;
        const float v = weight(p);
        w.matrix[static_cast<std::size_t>(i) * n + j] = v;
        w.matrix[static_cast<std::size_t>(j) * n + i] = v;
      }
    if (!everyPair) cut = static_cast<T>(-std::log(land.minProb));
  } else {
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) {
        const float p = land.nodes[i].p[j];
        if (i != j && p > 0) w.matrix[static_cast<std::size_t>(i) * n + j] = weight(p);
      }
  }
  w.compactIfSparse();
}

// Whether every probability keeps the searches' weights non-negative; the
// engine relies on it and leaves other landscapes to the straightforward
// computation.
template <class T>
bool probabilitiesWithinRange(const landscape<T>& land) {
  for (const tessella& node : land.nodes)
    for (float p : node.p)
      if (p > 1.0f) return false;
  return true;
}

// In double precision the scan may take a node whose distance is a hair
// above another one's of the same float class. A node reached from a node of
// a smaller float class can never be taken before its value is final; nor
// can one whose every entry gives either its own value or a value of a
// higher float class. Values(u) is the distance of u in the landscape at
// hand; change and excluded describe how it differs from the weights.
template <class T, class Values>
bool entriesKeepValue(const searchWeights& w, int v, T cut, Values&& value, const pairOverride& change,
                      int excluded) {
  const T unreached = unreachedDistance<T>();
  const T target = value(v);
  bool keeps = true;
  auto check = [&](int u, float weight) {
    if (!keeps || u == v || u == excluded) return;
    const T du = value(u);
    if (du == unreached || !(du <= cut) || weight == kNoLink) return;
    const T alt = du + static_cast<T>(weight);
    if (!keepsFloatClass(alt, target)) keeps = false;
  };
  w.forEachIn(v, [&](int u, float weight) {
    if (!(change.touches(u) && change.other(u) == v)) check(u, weight);
  });
  if (change.touches(v)) check(change.other(v), change.w);
  return keeps;
}

// PC of the global landscape with the exact searches, in parallel; the sum,
// the best-path rows and the progress lines are those of indexPC.
template <class T>
void fastGlobalPC(landscape<T>& land, const searchWeights& w, T cut, unsigned threads, globalSearches<T>& rows) {
  const int n = land.nNodes;
  rows.n = n;
  guardAlloc(kNoMemory, [&] {
    rows.dist.assign(static_cast<std::size_t>(n) * n, T(0));
    rows.pred.assign(static_cast<std::size_t>(n) * n, -1);
    rows.delicate.assign(static_cast<std::size_t>(n), 0);
    rows.sameClass.assign(static_cast<std::size_t>(n), {});
    rows.sameClassTies.assign(static_cast<std::size_t>(n), {});
    for (tessella& node : land.nodes)
      if (node.p_maxim_product.size() != static_cast<std::size_t>(n)) node.p_maxim_product.assign(n, 0.0f);
  });
  T index = 0;
  // Small landscapes are searched faster than threads start.
  if (n < 128) threads = 1;
  const int block = 16;
  const int blocks = (n + block - 1) / block;
  std::vector<searchRow<T>> scratch(threads);
  std::vector<std::vector<char>> flags(threads);
  std::string progress;
  orderedParallel(
      blocks, threads,
      [&](int b, unsigned id) {
        for (int s = b * block; s < std::min(n, (b + 1) * block); ++s) {
          searchRow<T>& row = scratch[id];
          exactSearch(s, w, cut, -1, row, flags[id]);
          std::copy(row.dist.begin(), row.dist.end(), rows.dist.begin() + static_cast<std::ptrdiff_t>(s) * n);
          std::copy(row.pred.begin(), row.pred.end(), rows.pred.begin() + static_cast<std::ptrdiff_t>(s) * n);
          if constexpr (!std::is_same_v<T, float>) {
            rows.sameClass[s].clear();
            rows.sameClassTies[s].clear();
            auto value = [&](int u) { return row.dist[u]; };
            for (int v = 0; v < n && !rows.delicate[s]; ++v) {
              const int u = row.pred[v];
              if (u < 0 || !sameFloatClass(row.dist[u], row.dist[v])) continue;
              if (!entriesKeepValue(w, v, cut, value, pairOverride(), -1)) {
                rows.delicate[s] = 1;
                continue;
              }
              rows.sameClass[s].push_back(v);
              w.forEachIn(v, [&](int from, float weight) {
                const T df = row.dist[from];
                if (from == u || from == v || df == unreachedDistance<T>() || !(df <= cut)) return;
                if (df + static_cast<T>(weight) == row.dist[v]) rows.sameClassTies[s].push_back({v, from});
              });
            }
          }
        }
      },
      [&](int b) {
        progress.clear();
        for (int s = b * block; s < std::min(n, (b + 1) * block); ++s) {
          appendPCProgress(progress, s, n);
          const T* d = rows.distRow(s);
          const float ai = land.nodes[s].size;
          float* best = land.nodes[s].p_maxim_product.data();
          for (int j = 0; j < n; ++j) {
            const float aiaj = ai * land.nodes[j].size;
            const double probability = std::exp(-static_cast<double>(d[j]));
            index = static_cast<T>(index + static_cast<double>(aiaj) * probability);
            best[j] = static_cast<float>(probability);
          }
        }
        say(progress);
      });
  land.pcnum = index;
  const float areaSquared = land.sizeLandscapeArea * land.sizeLandscapeArea;
  land.pc = n == 0 ? T(0) : index / areaSquared;
}

// H alone keeps no distance rows in the landscape; the variants need them.
template <class T>
void fillDistanceRows(landscape<T>& land, const binaryGraph& binary) {
  ensureDistanceRows(land.nodes);
  std::vector<int> queue;
  for (int s = 0; s < land.nNodes; ++s) breadthFirst(binary, s, -1, -1, -1, -1, -1, land.nodes[s].nl.data(), queue);
}

// The children of every node in a tree of best paths, from its predecessor
// row, in compact form.
inline void childrenOf(const int* pred, int n, std::vector<int>& start, std::vector<int>& children) {
  start.assign(static_cast<std::size_t>(n) + 1, 0);
  for (int v = 0; v < n; ++v)
    if (pred[v] >= 0) ++start[pred[v] + 1];
  for (int v = 0; v < n; ++v) start[v + 1] += start[v];
  children.assign(static_cast<std::size_t>(start[n]), 0);
  std::vector<int> fill(start.begin(), start.end() - 1);
  for (int v = 0; v < n; ++v)
    if (pred[v] >= 0) children[fill[pred[v]]++] = v;
}

// The only shortest-path parent of a node in the breadth-first rows from a
// source (-1 when it has none or several).
inline int soleParent(const binaryGraph& binary, const int* nl, int v) {
  int parent = -1;
  for (std::size_t e = binary.start[v]; e < binary.start[v + 1]; ++e) {
    const int u = binary.target[e];
    if (nl[u] != nl[v] - 1) continue;
    if (parent < 0)
      parent = u;
    else if (u != parent)
      return -1;
  }
  return parent;
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

// The binary graph of a landscape in compact form.
template <class T>
binaryGraph binaryOf(const landscape<T>& land) {
  binaryGraph g;
  g.n = land.nNodes;
  g.start.assign(static_cast<std::size_t>(g.n) + 1, 0);
  for (int v = 0; v < g.n; ++v) {
    for (int u : land.nodes[v].list_adjacency) g.target.push_back(u);
    g.start[v + 1] = g.target.size();
  }
  return g;
}

// Everything one node removal needs beyond the global landscape, for all
// removals at once.
template <class T>
class fastNodeRemoval {
 public:
  quivaraProgram<T>& p;
  landscape<T>& g;
  int n;
  unsigned threads;
  bool pc, iic, h;
  const searchWeights& w;  // PC search of the global landscape
  T cut = 0;
  const globalSearches<T>* rows = nullptr;
  binaryGraph binary;
  // Complete graphs without a cut: the pairs a repaired path can end with.
  removalEntries kept;
  bool useKept = false;
  // The same with float-class margins, for the double-precision checks.
  keptEntries classKept;
  bool useClassKept = false;

  // One accumulator per removed node and sum, those of one task side by
  // side (every ranges-th node), so that tasks on different threads do not
  // write into the same cache lines.
  std::vector<T> accPC, accIIC;
  std::vector<float> accH;
  std::vector<double> restIIC, restPC;
  int ranges = 1, perRange = 0;
  std::size_t slot(int k) const {
    return static_cast<std::size_t>(k % ranges) * perRange + static_cast<std::size_t>(k / ranges);
  }
  std::atomic<long long> pcMicros{0}, iicMicros{0};

  fastNodeRemoval(quivaraProgram<T>& program, unsigned threadCount)
      : p(program), g(*program.landGlobal), n(program.landGlobal->nNodes), threads(threadCount), w(program.pcWeights) {}

  void run(const globalSearches<T>* globalRows, T cutValue);

 private:
  // Derived data of one source, shared by every removal.
  struct sourceData {
    int s = -1;
    std::vector<double> termPC, termU, termIIC, termH;
    std::vector<int> reach;                 // nodes the search from s reaches, in order
    std::vector<int> childStart, children;  // tree of best paths
    std::vector<char> critical;             // sole shortest-path parent of some node
    // Dense searches: the best entries into each node (alt = distance of the
    // entering node plus the weight), smallest first, ties by position.
    static constexpr int kEntries = 16;
    std::vector<int> entryFrom;
    std::vector<T> entryAlt;
    std::vector<int> entryCount;
  };
  struct scratch {
    std::vector<char> inSet;
    std::vector<int> set;
    std::vector<T> newDist;
    std::vector<int> newPred;
    std::vector<int> newNl;
    std::vector<int> queue;
    std::vector<int> ids, local, lanes;
    std::vector<char> inD;  // below the removed node, during one repair
    std::vector<T> vals, sumT;
    std::vector<double> sumD;
    std::vector<float> sumF;
    searchRow<T> full;
    std::vector<char> flags;
    indexedHeap<T> heap;
    indexedHeap<int> levels;
    // Pairs beaten through the removed node only, between nodes below it:
    // a list per origin (head, next), for the repair at hand.
    std::vector<int> extraHead, extraNext, extraTo, extraUsed;
    std::vector<float> extraWeight;
  };

  void prepareSource(int s, sourceData& d) const;
  void bestEntries(sourceData& d, const T* dist) const;
  void removalsOfSource(const sourceData& d, int first, int stride, scratch& x);
  void pcOfSource(const sourceData& d, int k, scratch& x);
  void binaryOfSource(const sourceData& d, int k, scratch& x);
  bool repairPC(const sourceData& d, int k, scratch& x) const;
  void settleDense(scratch& x) const;
  void settleSparse(scratch& x) const;
  void enterKept(int k, scratch& x, const T* dist) const;
  void settleKept(scratch& x) const;
  template <class Steps>
  void settle(scratch& x, Steps&& steps) const;
  template <class Values>
  bool entriesKeepClass(int y, int k, Values&& value) const;
  void repairBinary(int s, int k, scratch& x) const;
  void finishVariant(int k);
  void componentIndices(int k, landscape<T>& variant) const;
};

template <class T>
void fastNodeRemoval<T>::bestEntries(sourceData& d, const T* dist) const {
  constexpr int M = sourceData::kEntries;
  const T unreached = unreachedDistance<T>();
  d.entryFrom.assign(static_cast<std::size_t>(n) * M, -1);
  d.entryAlt.assign(static_cast<std::size_t>(n) * M, std::numeric_limits<T>::infinity());
  d.entryCount.assign(n, 0);
  // The nodes a search may step from, in position order.
  std::vector<int> from;
  for (int u = 0; u < n; ++u)
    if (dist[u] != unreached && dist[u] <= cut) from.push_back(u);
  for (int y = 0; y < n; ++y) {
    const float* col = w.column(y);
    T* alts = d.entryAlt.data() + static_cast<std::size_t>(y) * M;
    int* froms = d.entryFrom.data() + static_cast<std::size_t>(y) * M;
    int count = 0;
    T worst = std::numeric_limits<T>::infinity();
    for (int u : from) {
      if (col[u] == kNoLink || u == y) continue;
      const T alt = dist[u] + static_cast<T>(col[u]);
      if (count == M && !(alt < worst)) continue;
      // Insert keeping (alt, position) order; positions come in increasing
      // order, so an equal alt goes after the ones already there.
      int at = count < M ? count : M - 1;
      while (at > 0 && alt < alts[at - 1]) {
        alts[at] = alts[at - 1];
        froms[at] = froms[at - 1];
        --at;
      }
      alts[at] = alt;
      froms[at] = u;
      if (count < M) ++count;
      if (count == M) worst = alts[M - 1];
    }
    d.entryCount[y] = count;
  }
}

template <class T>
void fastNodeRemoval<T>::prepareSource(int s, sourceData& d) const {
  d.s = s;
  const float as = g.nodes[s].size;
  if (pc) {
    const T* dist = rows->distRow(s);
    const int* pred = rows->predRow(s);
    const float* best = g.nodes[s].p_maxim_product.data();
    d.termPC.resize(n);
    d.termU.resize(n);
    d.reach.clear();
    for (int j = 0; j < n; ++j)
      if (dist[j] != unreachedDistance<T>()) d.reach.push_back(j);
    for (int j = 0; j < n; ++j) {
      const float aiaj = as * g.nodes[j].size;
      d.termPC[j] = static_cast<double>(aiaj) * std::exp(-static_cast<double>(dist[j]));
      d.termU[j] = static_cast<float>(as * g.nodes[j].size * best[j]);
    }
    childrenOf(pred, n, d.childStart, d.children);
    if (w.dense && !useKept) bestEntries(d, dist);
  }
  if (iic || h) {
    const int* nl = g.nodes[s].nl.data();
    d.termIIC.assign(n, 0.0);
    d.termH.assign(n, 0.0);
    for (int j = 0; j < n; ++j) {
      if (nl[j] == kUnreached) continue;
      const float product = as * g.nodes[j].size;
      d.termIIC[j] = static_cast<double>(product) / (1.0 + static_cast<double>(nl[j]));
      if (j != s) d.termH[j] = 1.0 / static_cast<double>(nl[j]);
    }
    d.critical.assign(n, 0);
    for (int v = 0; v < n; ++v) {
      if (v == s || nl[v] == kUnreached) continue;
      const int parent = soleParent(binary, nl, v);
      if (parent >= 0) d.critical[parent] = 1;
    }
  }
}

// New distances of the nodes below k in the tree from s, with k removed.
// Leaves them in x.newDist over x.set; false when the double-precision check
// fails and the source must be searched again in full.
// Complete graphs: a linear pass over compact copies of the distances below
// k relaxes from the node just taken and finds the next one.
template <class T>
void fastNodeRemoval<T>::settleDense(scratch& x) const {
  const T unreached = unreachedDistance<T>();
  const int count = static_cast<int>(x.set.size());
  x.ids.assign(x.set.begin(), x.set.end());
  x.vals.resize(count);
  for (int m = 0; m < count; ++m) x.vals[m] = x.newDist[x.ids[m]];
  int remaining = count;
  int best = 0;
  for (int m = 1; m < remaining; ++m)
    if (x.vals[m] < x.vals[best]) best = m;
  while (remaining > 0) {
    const int y = x.ids[best];
    const T dy = x.vals[best];
    x.newDist[y] = dy;
    --remaining;
    x.ids[best] = x.ids[remaining];
    x.vals[best] = x.vals[remaining];
    if (dy == unreached) break;  // the rest is unreachable too
    int next = 0;
    if (dy <= cut) {
      const float* row = w.matrix.data() + static_cast<std::size_t>(y) * n;
      for (int m = 0; m < remaining; ++m) {
        const T alt = dy + static_cast<T>(row[x.ids[m]]);
        if (alt < x.vals[m]) {
          x.vals[m] = alt;
          x.newPred[x.ids[m]] = y;
        }
        if (x.vals[m] < x.vals[next]) next = m;
      }
    } else {
      for (int m = 1; m < remaining; ++m)
        if (x.vals[m] < x.vals[next]) next = m;
    }
    best = next;
  }
  for (int m = 0; m < remaining; ++m) x.newDist[x.ids[m]] = x.vals[m];
}

// A heap over the nodes below k; steps(y, relax) walks the steps out of y.
template <class T>
template <class Steps>
void fastNodeRemoval<T>::settle(scratch& x, Steps&& steps) const {
  using entry = std::pair<T, int>;
  indexedHeap<T>& heap = x.heap;
  heap.prepare(n);
  const T unreached = unreachedDistance<T>();
  for (int y : x.set)
    if (x.newDist[y] != unreached) heap.push({x.newDist[y], y});
  while (!heap.empty()) {
    const entry top = heap.top();
    heap.pop();
    const int y = top.second;
    if (x.inD[y] != 1 || top.first != x.newDist[y]) continue;
    x.inD[y] = 2;  // settled
    const T dy = x.newDist[y];
    if (!(dy <= cut)) continue;
    auto relax = [&](int z, float weight) {
      if (x.inD[z] != 1) return;
      const T alt = dy + static_cast<T>(weight);
      if (alt < x.newDist[z]) {
        x.newDist[z] = alt;
        x.newPred[z] = y;
        heap.push({alt, z});
      }
    };
    steps(y, relax);
  }
  for (int y : x.set) x.inD[y] = 1;
}

// Sparse graphs: along their links.
template <class T>
void fastNodeRemoval<T>::settleSparse(scratch& x) const {
  settle(x, [&](int y, auto& relax) {
    for (std::size_t e = w.start[y]; e < w.start[y + 1]; ++e) relax(w.target[e], w.weight[e]);
  });
}

// Complete graphs without a cut: along the kept pairs.
template <class T>
void fastNodeRemoval<T>::settleKept(scratch& x) const {
  settle(x, [&](int y, auto& relax) {
    for (std::size_t e = kept.outStart[y]; e < kept.outStart[y + 1]; ++e) relax(kept.outTo[e], kept.outWeight[e]);
    for (int e = x.extraHead[y]; e >= 0; e = x.extraNext[e]) relax(x.extraTo[e], x.extraWeight[e]);
  });
  for (int u : x.extraUsed) x.extraHead[u] = -1;
}

// The best entry of each node below k from the rest of the tree, over the
// pairs that can still end a best path without k.
template <class T>
void fastNodeRemoval<T>::enterKept(int k, scratch& x, const T* dist) const {
  const T unreached = unreachedDistance<T>();
  for (int y : x.set) {
    T best = unreached;
    int from = -1;
    for (std::size_t e = kept.inStart[y]; e < kept.inStart[y + 1]; ++e) {
      const int u = kept.inFrom[e];
      if (u == k || x.inD[u] || dist[u] == unreached) continue;
      const T alt = dist[u] + static_cast<T>(kept.inWeight[e]);
      if (alt < best) {
        best = alt;
        from = u;
      }
    }
    x.newDist[y] = best;
    x.newPred[y] = from;
  }
  // The pairs only k beat: entries from the rest of the tree, and steps
  // among the nodes below k for the settling.
  if (x.extraHead.size() != static_cast<std::size_t>(n)) x.extraHead.assign(n, -1);
  x.extraNext.clear();
  x.extraTo.clear();
  x.extraWeight.clear();
  x.extraUsed.clear();
  for (std::size_t e = kept.byWitnessStart[k]; e < kept.byWitnessStart[k + 1]; ++e) {
    const int y = kept.byWitnessTo[e];
    if (!x.inD[y]) continue;
    const int u = kept.byWitnessFrom[e];
    if (x.inD[u]) {
      if (x.extraHead[u] < 0) x.extraUsed.push_back(u);
      x.extraNext.push_back(x.extraHead[u]);
      x.extraHead[u] = static_cast<int>(x.extraTo.size());
      x.extraTo.push_back(y);
      x.extraWeight.push_back(kept.byWitnessWeight[e]);
      continue;
    }
    if (dist[u] == unreached) continue;
    const T alt = dist[u] + static_cast<T>(kept.byWitnessWeight[e]);
    if (alt < x.newDist[y]) {
      x.newDist[y] = alt;
      x.newPred[y] = u;
    }
  }
}

// Whether every entry of y gives its value or a higher float class, in the
// landscape without k; the entries beaten by a margin of float classes
// through a node other than k do.
template <class T>
template <class Values>
bool fastNodeRemoval<T>::entriesKeepClass(int y, int k, Values&& value) const {
  if (!useClassKept) return entriesKeepValue(w, y, cut, value, pairOverride(), k);
  return listedEntriesKeepClass(classKept, y, value(y), value, [k](int u, int witness) {
    return (witness >= 0 && witness != k) || u == k;
  });
}

template <class T>
bool fastNodeRemoval<T>::repairPC(const sourceData& d, int k, scratch& x) const {
  const int s = d.s;
  const T* dist = rows->distRow(s);
  const T unreached = unreachedDistance<T>();
  // The nodes below k in the tree of best paths.
  x.set.clear();
  if (x.inD.size() != static_cast<std::size_t>(n)) {
    // Kept clear between repairs: only the nodes of each repair are touched.
    x.inD.assign(n, 0);
    x.newDist.assign(n, unreached);
    x.newPred.assign(n, -1);
  }
  for (int c = d.childStart[k]; c < d.childStart[k + 1]; ++c) x.set.push_back(d.children[c]);
  for (std::size_t at = 0; at < x.set.size(); ++at) {
    const int v = x.set[at];
    x.inD[v] = 1;
    for (int c = d.childStart[v]; c < d.childStart[v + 1]; ++c) x.set.push_back(d.children[c]);
  }
  for (int y : x.set) {
    x.newDist[y] = unreached;
    x.newPred[y] = -1;
  }
  // Best entry into each node from the unchanged part of the tree.
  auto valid = [&](int u) { return u != k && !x.inD[u] && dist[u] != unreached && dist[u] <= cut; };
  if (useKept) {
    enterKept(k, x, dist);
  } else if (w.dense) {
    constexpr int M = sourceData::kEntries;
    x.ids.clear();
    for (int y : x.set) {
      const int* from = d.entryFrom.data() + static_cast<std::size_t>(y) * M;
      const T* alts = d.entryAlt.data() + static_cast<std::size_t>(y) * M;
      const int count = d.entryCount[y];
      int at = 0;
      while (at < count && !valid(from[at])) ++at;
      if (at < count) {
        x.newDist[y] = alts[at];
        x.newPred[y] = from[at];
        continue;
      }
      if (count < M) continue;  // no entry at all from the unchanged part
      x.ids.push_back(y);       // every kept entry comes from below k
    }
    // Those nodes look at every entry.
    for (int y : x.ids) {
      const float* col = w.column(y);
      T best = x.newDist[y];
      int bestFrom = x.newPred[y];
      for (int u = 0; u < n; ++u) {
        if (!valid(u)) continue;
        const T alt = dist[u] + static_cast<T>(col[u]);
        if (alt < best) {
          best = alt;
          bestFrom = u;
        }
      }
      x.newDist[y] = best;
      x.newPred[y] = bestFrom;
    }
  } else {
    for (int y : x.set)
      for (std::size_t e = w.inStart[y]; e < w.inStart[y + 1]; ++e) {
        const int u = w.inSource[e];
        if (!valid(u)) continue;
        const T alt = dist[u] + static_cast<T>(w.inWeight[e]);
        if (alt < x.newDist[y]) {
          x.newDist[y] = alt;
          x.newPred[y] = u;
        }
      }
  }
  // Then among themselves, nearest first.
  if (useKept)
    settleKept(x);
  else if (w.dense)
    settleDense(x);
  else
    settleSparse(x);
  if constexpr (!std::is_same_v<T, float>) {
    if (rows->delicate[s]) return false;
    auto value = [&](int u) { return x.inD[u] ? x.newDist[u] : dist[u]; };
    for (int y : x.set) {
      const int u = x.newPred[y];
      if (u < 0 || !sameFloatClass(value(u), x.newDist[y])) continue;
      if (!entriesKeepClass(y, k, value)) return false;
    }
    // Nodes that relied on every entry keeping their class: distances only
    // grow when a node goes, so an entry that gave a higher class still
    // does, and only the entries that gave exactly their value, from a node
    // that moved, need a look.
    for (const auto& [y, u] : rows->sameClassTies[s]) {
      if (x.inD[y] || y == k || !x.inD[u]) continue;
      const T du = x.newDist[u];
      if (du == unreached || !(du <= cut)) continue;
      const T alt = du + static_cast<T>(w.at(u, y));
      if (!keepsFloatClass(alt, dist[y])) return false;
    }
  }
  return true;
}

template <class T>
void fastNodeRemoval<T>::pcOfSource(const sourceData& d, int k, scratch& x) {
  const int s = d.s;
  T acc = accPC[slot(k)];
  const float as = g.nodes[s].size;
  if (repairPC(d, k, x)) {
    for (int j : d.reach) {
      if (j == k) continue;
      double term = d.termPC[j];
      if (x.inD[j]) {
        const float aiaj = as * g.nodes[j].size;
        term = static_cast<double>(aiaj) * std::exp(-static_cast<double>(x.newDist[j]));
      }
      acc = static_cast<T>(acc + term);
    }
  } else {
    exactSearch(s, w, cut, k, x.full, x.flags);
    for (int j = 0; j < n; ++j) {
      if (j == k) continue;
      const float aiaj = as * g.nodes[j].size;
      acc = static_cast<T>(acc + static_cast<double>(aiaj) * std::exp(-static_cast<double>(x.full.dist[j])));
    }
  }
  for (int y : x.set) x.inD[y] = 0;
  accPC[slot(k)] = acc;
}

// Distances from s with k removed: the nodes all of whose shortest paths
// pass through k get new ones; x.newNl holds the whole row.
template <class T>
void fastNodeRemoval<T>::repairBinary(int s, int k, scratch& x) const {
  const int* nl = g.nodes[s].nl.data();
  x.newNl.assign(nl, nl + n);
  x.inSet.assign(n, 0);
  x.set.clear();
  // Lost nodes, level by level below k.
  std::vector<int>& q = x.queue;
  q.clear();
  x.inSet[k] = 2;  // removed
  q.push_back(k);
  for (std::size_t head = 0; head < q.size(); ++head) {
    const int u = q[head];
    for (std::size_t e = binary.start[u]; e < binary.start[u + 1]; ++e) {
      const int v = binary.target[e];
      if (x.inSet[v] || nl[v] != nl[u] + 1) continue;
      bool lost = true;
      for (std::size_t f = binary.start[v]; f < binary.start[v + 1] && lost; ++f) {
        const int parent = binary.target[f];
        if (nl[parent] == nl[v] - 1 && !x.inSet[parent]) lost = false;
      }
      // A node seen here is decided now: all its parents are one level up.
      if (!lost) continue;
      x.inSet[v] = 1;
      x.set.push_back(v);
      q.push_back(v);
    }
  }
  // New distances: from the unchanged nodes around, then among the lost ones.
  using entry = std::pair<int, int>;
  indexedHeap<int>& heap = x.levels;
  heap.prepare(n);
  for (int y : x.set) {
    int best = kUnreached;
    for (std::size_t e = binary.start[y]; e < binary.start[y + 1]; ++e) {
      const int u = binary.target[e];
      if (x.inSet[u] || nl[u] == kUnreached) continue;
      best = std::min(best, nl[u] + 1);
    }
    x.newNl[y] = best;
    if (best != kUnreached) heap.push({best, y});
  }
  while (!heap.empty()) {
    const entry top = heap.top();
    heap.pop();
    if (top.first != x.newNl[top.second]) continue;
    const int y = top.second;
    for (std::size_t e = binary.start[y]; e < binary.start[y + 1]; ++e) {
      const int z = binary.target[e];
      if (x.inSet[z] != 1) continue;
      if (x.newNl[y] + 1 < x.newNl[z]) {
        x.newNl[z] = x.newNl[y] + 1;
        heap.push({x.newNl[z], z});
      }
    }
  }
}

template <class T>
void fastNodeRemoval<T>::binaryOfSource(const sourceData& d, int k, scratch& x) {
  const int s = d.s;
  T acc = accIIC[slot(k)];
  float harary = accH[slot(k)];
  double rest = restIIC[slot(k)];
  const double* t = d.termIIC.data();
  const double* th = d.termH.data();
  if (!d.critical[k]) {
    for (int j = 0; j < n; ++j) {
      if (j == k) continue;
      if (iic) {
        acc = static_cast<T>(acc + t[j]);
        rest += t[j];
      }
      if (h && th[j] != 0) harary = static_cast<float>(static_cast<double>(harary) + th[j]);
    }
  } else {
    repairBinary(s, k, x);
    const float as = g.nodes[s].size;
    for (int j = 0; j < n; ++j) {
      if (j == k) continue;
      if (iic) rest += t[j];
      const int links = x.newNl[j];
      if (links == kUnreached) continue;
      if (iic) acc = addIICTerm(acc, as, g.nodes[j].size, links);
      if (h && j != s) harary = indexH::addTerm(harary, links);
    }
  }
  accIIC[slot(k)] = acc;
  accH[slot(k)] = harary;
  restIIC[slot(k)] = rest;
}

// Adds one source row to many removals at once: sum[m] receives row[j] for
// every j but skip[m], in order. Each lane keeps the order of its own sum, so
// running them side by side changes no bit; a skipped term is added as 0,
// which leaves a sum that is not minus zero as it is.
template <class Sum>
void addRowSkipping(Sum* sum, const int* skip, int lanes, const double* row, int n) {
  for (int j = 0; j < n; ++j) {
    const double t = row[j];
    for (int m = 0; m < lanes; ++m) sum[m] = static_cast<Sum>(sum[m] + (skip[m] == j ? 0.0 : t));
  }
}

// The same over the nodes a search reached (the other terms are 0).
template <class Sum>
void addReachedSkipping(Sum* sum, const int* skip, int lanes, const double* row, const std::vector<int>& reach) {
  for (int j : reach) {
    const double t = row[j];
    for (int m = 0; m < lanes; ++m) sum[m] = static_cast<Sum>(sum[m] + (skip[m] == j ? 0.0 : t));
  }
}

template <class T>
void fastNodeRemoval<T>::removalsOfSource(const sourceData& d, int first, int stride, scratch& x) {
  const double start = threadCpuMillis();
  std::vector<int>& lanes = x.lanes;
  if (pc) {
    lanes.clear();
    for (int k = first; k < n; k += stride) {
      if (k == d.s) continue;
      if (d.childStart[k + 1] == d.childStart[k]) {
        lanes.push_back(k);
        continue;
      }
      pcOfSource(d, k, x);
      double r = restPC[slot(k)];
      const double* u = d.termU.data();
      for (int j : d.reach)
        if (j != k) r += u[j];
      restPC[slot(k)] = r;
    }
    const int m = static_cast<int>(lanes.size());
    x.sumT.resize(m);
    x.sumD.resize(m);
    for (int i = 0; i < m; ++i) {
      x.sumT[i] = accPC[slot(lanes[i])];
      x.sumD[i] = restPC[slot(lanes[i])];
    }
    addReachedSkipping(x.sumT.data(), lanes.data(), m, d.termPC.data(), d.reach);
    addReachedSkipping(x.sumD.data(), lanes.data(), m, d.termU.data(), d.reach);
    for (int i = 0; i < m; ++i) {
      accPC[slot(lanes[i])] = x.sumT[i];
      restPC[slot(lanes[i])] = x.sumD[i];
    }
  }
  const double middle = threadCpuMillis();
  if (iic || h) {
    lanes.clear();
    for (int k = first; k < n; k += stride) {
      if (k == d.s) continue;
      if (d.critical[k] || (h && !iic))
        binaryOfSource(d, k, x);
      else
        lanes.push_back(k);
    }
    const int m = static_cast<int>(lanes.size());
    x.sumT.resize(m);
    x.sumD.resize(m);
    x.sumF.resize(m);
    for (int i = 0; i < m; ++i) {
      x.sumT[i] = accIIC[slot(lanes[i])];
      x.sumD[i] = restIIC[slot(lanes[i])];
    }
    addRowSkipping(x.sumT.data(), lanes.data(), m, d.termIIC.data(), n);
    addRowSkipping(x.sumD.data(), lanes.data(), m, d.termIIC.data(), n);
    if (h) {
      for (int i = 0; i < m; ++i) x.sumF[i] = accH[slot(lanes[i])];
      // H adds only its non-zero terms; a zero term added in double and
      // kept in float leaves the sum as it is all the same.
      addRowSkipping(x.sumF.data(), lanes.data(), m, d.termH.data(), n);
      for (int i = 0; i < m; ++i) accH[slot(lanes[i])] = x.sumF[i];
    }
    for (int i = 0; i < m; ++i) {
      accIIC[slot(lanes[i])] = x.sumT[i];
      restIIC[slot(lanes[i])] = x.sumD[i];
    }
  }
  const double end = threadCpuMillis();
  pcMicros += static_cast<long long>((middle - start) * 1000.0);
  iicMicros += static_cast<long long>((end - middle) * 1000.0);
}

template <class T>
void fastNodeRemoval<T>::run(const globalSearches<T>* globalRows, T cutValue) {
  pc = p.pcFlag;
  iic = p.iicFlag;
  h = p.hFlag;
  rows = globalRows;
  if (pc) {
    cut = cutValue;
    if (w.dense && cut == std::numeric_limits<T>::infinity()) {
      keptEntries pairs;
      useKept = buildSearchEntries<T>(w, threads, pairs, pcMicros);
      if (useKept) kept = splitByWitness(pairs);
      if constexpr (!std::is_same_v<T, float>)
        useClassKept = useKept && buildClassEntries(w, threads, classKept, pcMicros);
    }
  }
  if (iic || h) {
    binary = binaryOf(g);
    if (!iic) fillDistanceRows(g, binary);
  }
  ranges = static_cast<int>(std::min<unsigned>(threads * 32, static_cast<unsigned>(std::max(1, n))));
  perRange = (n + ranges - 1) / ranges;
  const std::size_t slots = static_cast<std::size_t>(ranges) * perRange;
  accPC.assign(slots, T(0));
  accIIC.assign(slots, T(0));
  accH.assign(slots, 0.0f);
  restIIC.assign(slots, 0.0);
  restPC.assign(slots, 0.0);
  if (pc || iic || h) {
    const int chunk = static_cast<int>(std::max(1u, threads)) * 16;
    std::vector<sourceData> data(static_cast<std::size_t>(chunk));
    std::vector<scratch> work(threads);
    for (int first = 0; first < n; first += chunk) {
      const int count = std::min(chunk, n - first);
      orderedParallel(
          count, threads, [&](int i, unsigned) { prepareSource(first + i, data[i]); }, [](int) {});
      orderedParallel(
          ranges, threads,
          [&](int r, unsigned id) {
            // Every stride-th node, so that the costly removals (the hubs of
            // the trees) spread over the tasks.
            for (int i = 0; i < count; ++i) removalsOfSource(data[i], r, ranges, work[id]);
          },
          [](int) {});
    }
  }
  orderedParallel(
      n, threads, [&](int k, unsigned) { finishVariant(k); }, [](int) {});
  p.pcTime += static_cast<std::clock_t>(pcMicros.load() / 1000);
  if (h && iic)
    p.hiicTime += static_cast<std::clock_t>(iicMicros.load() / 1000);
  else if (iic)
    p.iicTime += static_cast<std::clock_t>(iicMicros.load() / 1000);
  else if (h)
    p.hTime += static_cast<std::clock_t>(iicMicros.load() / 1000);
}

// The components of the landscape without k: numbered by lowest position,
// like the depth-first labelling, with the attributes in node order.
template <class T>
void fastNodeRemoval<T>::componentIndices(int k, landscape<T>& variant) const {
  const int m = n - 1;
  std::vector<int> component(n, -1), stack;
  int count = 0;
  for (int v = 0; v < n; ++v) {
    if (v == k || component[v] >= 0) continue;
    component[v] = count;
    stack.assign(1, v);
    while (!stack.empty()) {
      const int u = stack.back();
      stack.pop_back();
      for (int z : g.nodes[u].list_adjacency)
        if (z != k && component[z] < 0) {
          component[z] = count;
          stack.push_back(z);
        }
    }
    ++count;
  }
  std::vector<int> ids;
  std::vector<float> sizes;
  ids.reserve(m);
  sizes.reserve(m);
  for (int v = 0; v < n; ++v)
    if (v != k) {
      ids.push_back(component[v]);
      sizes.push_back(g.nodes[v].size);
    }
  variant.nComponents = count;
  variant.nc = count;
  if (p.ccpFlag) {
    indexCCP coincidence(m);
    coincidence.generate(count, ids.data(), sizes.data(), variant.sizeTotalHabitat);
    variant.ccp = coincidence.value();
  }
  if (p.lcpFlag) {
    indexLCP coincidence(m);
    coincidence.generate(count, ids.data(), sizes.data(), variant.sizeLandscapeArea);
    variant.lcp = coincidence.value();
    variant.lcpnum = coincidence.valueIndexNumerator();
  }
}

template <class T>
void fastNodeRemoval<T>::finishVariant(int k) {
  landscape<T>& v = p.landDel[k];
  const int m = n - 1;
  v.nNodes = m;
  v.minProb = g.minProb;
  v.allpaths = g.allpaths;
  v.sizeLandscapeArea = g.sizeLandscapeArea;
  float total = 0;
  for (int i = 0; i < n; ++i)
    if (i != k) total += g.nodes[i].size;
  v.sizeTotalHabitat = total;
  const float areaSquared = v.sizeLandscapeArea * v.sizeLandscapeArea;
  if (p.adjType) v.nEdges = g.nEdges - static_cast<int>(g.nodes[k].list_adjacency.size());
  if (p.nlFlag) v.nl = v.nEdges;
  if (p.ncFlag || p.ccpFlag || p.lcpFlag) componentIndices(k, v);
  if (p.hFlag) v.h = accH[slot(k)] / 2.0f;
  if (p.iicFlag) {
    v.iicnum = accIIC[slot(k)];
    v.iic = m == 0 ? T(0) : accIIC[slot(k)] / (v.sizeLandscapeArea * v.sizeLandscapeArea);
    v.iicec = static_cast<T>(std::sqrt(static_cast<double>(v.iicnum)));
  }
  if (p.fFlag || p.awfFlag) {
    float f = 0, awf = 0;
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
    if (p.fFlag) v.f = f;
    if (p.awfFlag) v.awf = awf;
  }
  if (p.pcFlag) {
    v.pcnum = accPC[slot(k)];
    v.pc = m == 0 ? T(0) : accPC[slot(k)] / areaSquared;
    v.pcec = static_cast<T>(std::sqrt(static_cast<double>(v.pcnum)));
  }
  // Fractions: the sums over the global landscape come from the same pass.
  if (p.iicFlag) {
    fragmentIIC<T> fractions(&g, &v, k);
    v.assigna_iicintra(fractions.intra());
    const double flux = fluxThrough(n, k, [&](int i, int j) { return fragmentIIC<T>::term(g, i, j); });
    v.assigna_iicflux(flux / fractions.areaSquared());
    v.assigna_iicconnector(restIIC[slot(k)] / fractions.areaSquared() - static_cast<double>(v.value_index_IIC()));
  }
  if (p.pcFlag) {
    fragmentPC<T> fractions(&g, &v, k);
    v.assigna_pcintra(fractions.intra());
    const double flux = fluxThrough(n, k, [&](int i, int j) { return fragmentPC<T>::term(g, i, j); });
    v.assigna_pcflux(flux / fractions.areaSquared());
    v.assigna_pcconnector(restPC[slot(k)] / fractions.areaSquared() - static_cast<double>(v.value_index_PC()));
  }
}

}  // namespace verdalis

#include "program/fast_engine_links.h"
