#include "engine/global_pc.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include "engine/float_class.h"
#include "engine/tuning.h"
#include "graph/exact_search.h"
#include "indices/terms.h"
#include "support/messages.h"
#include "support/parallel.h"
#include "support/plain_bytes.h"

namespace verdalis {

template <class T>
void pcSearchSetup(const landscape<T>& land, searchWeights& w, T& cut, const engineLimits& limits) {
  const int n = land.nNodes;
  w = searchWeights();
  w.n = n;
  guardAlloc(kNoMemory, [&] { w.matrix.assign(static_cast<std::size_t>(n) * n, kNoLink); });
  cut = std::numeric_limits<T>::infinity();
  if (land.allpaths || land.minProb != 0) {
    // Both directions from the probability of the later node towards the
    // earlier one.
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < i; ++j) {
        const float p = land.nodes[i].p[j];
        if (!pcSearchKeeps(p, land.allpaths, land.minProb)) continue;
        const float v = pcWeight(p);
        w.matrix[static_cast<std::size_t>(i) * n + j] = v;
        w.matrix[static_cast<std::size_t>(j) * n + i] = v;
      }
    if (!land.allpaths) cut = static_cast<T>(-std::log(land.minProb));
  } else {
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) {
        const float p = land.nodes[i].p[j];
        if (i != j && pcSearchKeeps(p, false, 0)) w.matrix[static_cast<std::size_t>(i) * n + j] = pcWeight(p);
      }
  }
  w.compactIfSparse(limits.compactFromNodes, limits.compactBelowShare);
}

namespace {

// Double precision: which nodes of the search from s were reached from a
// node of their own float class, and whether their entries vouch for them
// (the repairs rely on it; a source whose entries do not is delicate).
template <class T>
void classifySource(int s, const searchWeights& w, T cut, const searchRow<T>& row, globalSearches<T>& rows) {
  const int n = rows.n;
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

template <class T>
void allocateSearchRows(landscape<T>& land, globalSearches<T>& rows) {
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
}

// Searches sources [first, last) into the rows, in blocks, `threads` at a
// time; done(begin, end) is called in order for each finished block.
template <class T>
void searchSources(int first, int last, const pcSearches<T>& searches, unsigned threads, globalSearches<T>& rows,
                   const sourcesDone& done) {
  const int n = rows.n, block = kSourcesPerGlobalTask;
  if (n < kThreadedSearchFromNodes) threads = 1;
  const int blocks = (last - first + block - 1) / block;
  std::vector<searchRow<T>> scratch(threads);
  std::vector<std::vector<char>> flags(threads);
  orderedParallel(
      blocks, threads,
      [&](int b, unsigned id) {
        for (int s = first + b * block; s < std::min(last, first + (b + 1) * block); ++s) {
          searchRow<T>& row = scratch[id];
          exactSearch(s, searches.weights, searches.cut, -1, row, flags[id]);
          std::copy(row.dist.begin(), row.dist.end(), rows.dist.begin() + static_cast<std::ptrdiff_t>(s) * n);
          std::copy(row.pred.begin(), row.pred.end(), rows.pred.begin() + static_cast<std::ptrdiff_t>(s) * n);
          if constexpr (!std::is_same_v<T, float>) classifySource(s, searches.weights, searches.cut, row, rows);
        }
      },
      [&](int b) { done(first + b * block, std::min(last, first + (b + 1) * block)); });
}

// The terms of sources [begin, end), added to the index in order; the best
// path probabilities kept on the nodes.
template <class T>
void addSourceTerms(landscape<T>& land, const globalSearches<T>& rows, int begin, int end, T& index) {
  const int n = rows.n;
  for (int s = begin; s < end; ++s) {
    const T* d = rows.distRow(s);
    const float ai = land.nodes[s].size;
    float* best = land.nodes[s].p_maxim_product.data();
    for (int j = 0; j < n; ++j) {
      index = addPCTerm(index, pcTerm(ai, land.nodes[j].size, d[j]));
      best[j] = static_cast<float>(bestPathProbability(d[j]));
    }
  }
}

// The rows of sources [begin, end) as bytes, and back.
template <class T>
void putSourceRows(const globalSearches<T>& rows, int begin, int end, std::string& out) {
  const std::size_t n = static_cast<std::size_t>(rows.n);
  putRecords(out, rows.distRow(begin), n * (end - begin));
  putRecords(out, rows.predRow(begin), n * (end - begin));
  putRecords(out, rows.delicate.data() + begin, static_cast<std::size_t>(end - begin));
  for (int s = begin; s < end; ++s) {
    putVector(out, rows.sameClass[s]);
    putBytes(out, static_cast<unsigned long long>(rows.sameClassTies[s].size()));
    for (const auto& [node, from] : rows.sameClassTies[s]) putBytes(out, std::array<int, 2>{node, from});
  }
}

template <class T>
void takeSourceRows(const std::string& in, int begin, int end, globalSearches<T>& rows) {
  const std::size_t n = static_cast<std::size_t>(rows.n);
  std::size_t at = 0;
  takeRecords(in, at, rows.dist.data() + n * begin, n * (end - begin));
  takeRecords(in, at, rows.pred.data() + n * begin, n * (end - begin));
  takeRecords(in, at, rows.delicate.data() + begin, static_cast<std::size_t>(end - begin));
  for (int s = begin; s < end; ++s) {
    takeVector(in, at, rows.sameClass[s]);
    unsigned long long ties = 0;
    takeBytes(in, at, ties);
    rows.sameClassTies[s].resize(static_cast<std::size_t>(ties));
    for (auto& [node, from] : rows.sameClassTies[s]) {
      std::array<int, 2> tie{};
      takeBytes(in, at, tie);
      node = tie[0];
      from = tie[1];
    }
  }
}

// The sources of one round split among the processes: each searches its
// share and hands its rows to all. A process that failed before (and calls
// agree()) or during its share ends the round everywhere.
template <class T>
void searchRoundShared(int first, int last, const pcSearches<T>& searches, unsigned threads,
                       globalSearches<T>& rows, processGroup& group) {
  auto shareOf = [&](int r) {
    const auto [from, to] = blockOf(last - first, r, group.size);
    return std::pair<int, int>(first + from, first + to);
  };
  const auto [begin, end] = shareOf(group.rank);
  std::string mine;
  bool failed = false;
  try {
    searchSources(begin, end, searches, threads, rows, [](int, int) {});
    putSourceRows(rows, begin, end, mine);
  } catch (...) {
    failed = true;
    mine.clear();
  }
  std::vector<std::string> parts;
  if (group.allGather(mine, failed, parts)) throw failureEverywhere();
  for (int r = 0; r < group.size; ++r)
    if (r != group.rank) takeSourceRows(parts[r], shareOf(r).first, shareOf(r).second, rows);
}

}  // namespace

template <class T>
void measurePC(landscape<T>& land, unsigned threads, pcSearches<T>& searches, const sourcesDone& progress,
               const engineLimits& limits, processGroup* group) {
  globalSearches<T>& rows = searches.rows;
  const int n = land.nNodes;
  const bool shared = group != nullptr && group->size > 1;
  bool failed = false;
  try {
    pcSearchSetup(land, searches.weights, searches.cut, limits);
    allocateSearchRows(land, rows);
  } catch (...) {
    if (!shared) throw;
    failed = true;
  }
  if (shared && group->agree(failed)) throw failureEverywhere();
  T index = 0;
  if (!shared) {
    searchSources(0, n, searches, threads, rows, [&](int begin, int end) {
      progress(begin, end);
      addSourceTerms(land, rows, begin, end, index);
    });
  } else {
    // Rounds of a bounded size keep the bytes in flight small beside the rows.
    const std::size_t rowBytes = static_cast<std::size_t>(std::max(1, n)) * (sizeof(T) + sizeof(int));
    const int round = static_cast<int>(
        std::max<std::size_t>(static_cast<std::size_t>(group->size), kSharedSearchBytes / rowBytes));
    for (int first = 0; first < n; first += round) {
      const int last = std::min(n, first + round);
      searchRoundShared(first, last, searches, threads, rows, *group);
      progress(first, last);
      addSourceTerms(land, rows, first, last, index);
    }
  }
  land.pcnum = index;
  land.pc = normalisedByArea(index, land.sizeLandscapeArea, n);
}

template <class T>
bool probabilitiesWithinRange(const landscape<T>& land) {
  for (const tessella& node : land.nodes)
    for (float p : node.p)
      if (p > 1.0f) return false;
  return true;
}

#define VERDALIS_GLOBAL_PC(T)                                                                        \
  template void pcSearchSetup<T>(const landscape<T>&, searchWeights&, T&, const engineLimits&);   \
  template void measurePC<T>(landscape<T>&, unsigned, pcSearches<T>&, const sourcesDone&,          \
                             const engineLimits&, processGroup*);                                  \
  template bool probabilitiesWithinRange<T>(const landscape<T>&);
VERDALIS_GLOBAL_PC(float)
VERDALIS_GLOBAL_PC(double)
#undef VERDALIS_GLOBAL_PC

}  // namespace verdalis
