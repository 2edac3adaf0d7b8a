// The fast searches must reproduce the linear-scan searches bit for bit:
// same distances, same predecessors, whatever the ties.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "graph/algDIJKSTRA.h"
#include "graph/breadth_first.h"
#include "graph/class_heap.h"
#include "graph/exact_search.h"
#include "graph/local_search.h"
#include "graph/selection.h"

namespace verdalis {

namespace {


template <class T>
class ExactSearch : public ::testing::Test {};
using Precisions = ::testing::Types<float, double>;
TYPED_TEST_SUITE(ExactSearch, Precisions);

// Distances clustered on a few values, some a hair apart, so that the float
// rounding of the scan's running minimum decides many selections.
template <class T>
std::vector<T> nearTies(std::mt19937& rng, int n) {
  std::uniform_int_distribution<int> pick(0, 5);
  std::vector<T> d(n);
  for (int i = 0; i < n; ++i) {
    double base = 1.0 + pick(rng) * 0.25;
    double hair = (pick(rng) - 2) * 1e-9;
    d[i] = static_cast<T>(base + hair);
  }
  return d;
}

TYPED_TEST(ExactSearch, ScanChoiceMatchesTheLinearScan) {
  using T = TypeParam;
  std::mt19937 rng(7);
  for (int trial = 0; trial < 5000; ++trial) {
    const int n = 1 + trial % 17;
    std::vector<T> d = nearTies<T>(rng, n);
    std::vector<char> flags(n);
    std::vector<int> group;
    for (int i = 0; i < n; ++i) {
      flags[i] = (rng() % 4 == 0);
      if (!flags[i]) group.push_back(i);
    }
    if (group.empty()) continue;
    std::vector<bool> treated(flags.begin(), flags.end());
    std::unique_ptr<bool[]> raw(new bool[n]);
    for (int i = 0; i < n; ++i) raw[i] = treated[i];
    const int expected = minValue<T>(d.data(), raw.get(), n);
    EXPECT_EQ(scanChoice<T>(group.data(), static_cast<int>(group.size()), d.data()), expected);
    scanTracker<T> tracker;
    for (std::size_t at = 0; at < group.size(); ++at) tracker.see(group[at], static_cast<int>(at), d[group[at]]);
    EXPECT_EQ(group[tracker.selectedAt()], expected);
  }
}

struct randomGraph {
  int n;
  std::vector<float> p;  // n*n direct probabilities
};

randomGraph makeGraph(std::mt19937& rng, int n, double density) {
  // Probabilities from a small set, so that equal path products are common.
  const float values[] = {1.0f, 0.5f, 0.25f, 0.125f, 0.8f, 0.1f, 0.0625f};
  std::uniform_real_distribution<double> coin(0, 1);
  randomGraph g{n, std::vector<float>(static_cast<std::size_t>(n) * n, 0.0f)};
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      if (i != j && coin(rng) < density) g.p[i * n + j] = values[rng() % 7];
  return g;
}

template <class T>
T weightOf(float p) {
  return p > 0 ? static_cast<T>(-std::log(p)) : static_cast<T>(kUnreached);
}

template <class T>
void compareWithReference(const randomGraph& g, int variant, float minProb, bool sparse) {
  const int n = g.n;
  matrix<T> weights(n, n, T(0));
  std::vector<adjacency> lists(n);
  searchWeights fast;
  fast.n = n;
  fast.matrix.assign(static_cast<std::size_t>(n) * n, kNoLink);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      if (i == j) continue;
      // variant 1: each direction its own; 2 and 3: the lower triangle mirrored
      const float p = variant == 1 ? g.p[i * n + j] : (i > j ? g.p[i * n + j] : g.p[j * n + i]);
      weights(i, j) = weightOf<T>(p);
      const bool listed = variant == 2 ? true : p > minProb;
      if (listed && variant != 2) lists[i].push_back(j);
      if (listed && p > 0) fast.matrix[static_cast<std::size_t>(i) * n + j] = -std::log(p);
    }
  // The searches of the sparse form, over compressed rows whatever their
  // share, kept between sources as they are there.
  searchWeights rows = fast;
  rows.compactIfSparse(0, 0);
  localSearch<T> local;
  if (sparse) fast.compactIfSparse();
  const T cut = variant == 3 ? static_cast<T>(-std::log(minProb)) : static_cast<T>(INFINITY);
  algDIJKSTRA<T> reference(n);
  std::vector<T> dist(n);
  std::vector<int> pred(n);
  searchRow<T> row;
  std::vector<char> scratch;
  for (int s = 0; s < n; ++s) {
    if (variant == 1)
      reference.distances_minpath_search_DIJKSTRA_LIST(s, n, weights, lists.data(), dist.data(), pred.data());
    else if (variant == 2)
      reference.distances_minpath_search_DIJKSTRA_ARRAY(s, weights, n, dist.data(), pred.data());
    else
      reference.distances_minpath_search_DIJKSTRA_LIST_MINPROB(s, n, weights, lists.data(), dist.data(), minProb,
                                                               pred.data());
    exactSearch(s, fast, cut, -1, row, scratch);
    for (int v = 0; v < n; ++v) {
      ASSERT_EQ(row.dist[v], dist[v]) << "source " << s << " node " << v << " variant " << variant;
      ASSERT_EQ(row.pred[v], pred[v]) << "source " << s << " node " << v << " variant " << variant;
    }
    if (!sparse) continue;
    local.run(s, rows, cut);
    ASSERT_EQ(local.order(), row.order) << "source " << s << " variant " << variant;
    for (int v : row.order) {
      ASSERT_EQ(local.dist(v), dist[v]) << "source " << s << " node " << v << " variant " << variant;
      ASSERT_EQ(local.pred(v), pred[v]) << "source " << s << " node " << v << " variant " << variant;
    }
  }
}

TYPED_TEST(ExactSearch, DenseAndSparseMatchTheThreeLinearScanForms) {
  std::mt19937 rng(11);
  for (int trial = 0; trial < 120; ++trial) {
    const int n = 2 + trial % 70;
    const double density = (trial % 3 == 0) ? 0.05 : (trial % 3 == 1 ? 0.3 : 1.0);
    randomGraph g = makeGraph(rng, n, density);
    for (int variant = 1; variant <= 3; ++variant) {
      const float minProb = variant == 3 ? 0.2f : 0.0f;
      compareWithReference<TypeParam>(g, variant, minProb, false);
      compareWithReference<TypeParam>(g, variant, minProb, true);
    }
  }
}

TEST(BreadthFirst, DistancesWithExcludedNodeAndChangedLinks) {
  // path 0-1-2-3 plus 0-3
  binaryGraph g;
  g.n = 4;
  std::vector<std::vector<int>> lists = {{1, 3}, {0, 2}, {1, 3}, {2, 0}};
  g.start.push_back(0);
  for (auto& l : lists) {
    for (int v : l) g.target.push_back(v);
    g.start.push_back(g.target.size());
  }
  std::vector<int> d(4), q;
  breadthFirst(g, 0, -1, -1, -1, -1, -1, d.data(), q);
  EXPECT_EQ(d, (std::vector<int>{0, 1, 2, 1}));
  breadthFirst(g, 0, 3, -1, -1, -1, -1, d.data(), q);
  EXPECT_EQ(d, (std::vector<int>{0, 1, 2, kUnreached}));
  breadthFirst(g, 0, -1, 0, 3, -1, -1, d.data(), q);
  EXPECT_EQ(d, (std::vector<int>{0, 1, 2, 3}));
  breadthFirst(g, 1, -1, -1, -1, 1, 3, d.data(), q);
  EXPECT_EQ(d, (std::vector<int>{1, 0, 1, 1}));
}

// The heap orders by float class alone, through the bits of the class: a
// slip in turning them would misplace negative values, or tell the two
// zeros apart, which compare equal.
TEST(ClassHeap, TakesClassesInTheOrderFloatsCompareIn) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> value(-1e3, 1e3);
  for (int trial = 0; trial < 20; ++trial) {
    const int n = 1 + trial * 13;
    std::vector<double> d(static_cast<std::size_t>(n));
    classHeap heap;
    heap.prepare(n);
    for (int v = 0; v < n; ++v) {
      d[v] = v % 7 == 0 ? (v % 2 == 0 ? 0.0 : -0.0) : value(rng);
      if (v % 5 == 0) heap.push(v, d[v] + 10.0);  // lowered below
      heap.push(v, d[v]);
    }
    std::vector<float> taken;
    while (!heap.empty()) {
      const int v = heap.topNode();
      ASSERT_EQ(heap.topClass(), static_cast<float>(d[v]));
      taken.push_back(heap.topClass());
      heap.pop();
    }
    std::vector<float> expected(d.begin(), d.end());
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(taken, expected);
  }
}

}  // namespace

}  // namespace verdalis
