// Counting shortest paths, and those through one node, by the breadth-first
// and the weighted search.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "graph/algBFS.h"
#include "graph/algDIJKSTRA.h"
#include "graph/path_enumeration.h"
#include "support/matrix.h"

namespace verdalis {

namespace {

struct counts {
  std::vector<int> minPath, drecera;
  std::vector<double> nodeprior, nodetotal;
  explicit counts(int n) : minPath(n), drecera(n), nodeprior(n), nodetotal(n) {}
};

counts countBinary(std::vector<adjacency>& lists, int inicial, int prior) {
  const int n = static_cast<int>(lists.size());
  std::vector<adjacency*> pointers = pointersTo(lists);
  counts c(n);
  algBFS(n).distances_minpath_search_amb_node_prior(inicial, prior, pointers.data(), n, c.minPath.data(),
                                                    c.drecera.data(), c.nodeprior.data(), c.nodetotal.data());
  return c;
}

// 0-1, 0-2, 1-3, 2-3, 2-4, 3-5, 4-5: node 2 is treated before 1, so the
// first predecessor of 3 is 2 although one of 3's paths comes through 1.
std::vector<adjacency> sixNodes() {
  return listsFromLinks(6, {{0, 1}, {0, 2}, {1, 3}, {2, 3}, {2, 4}, {3, 5}, {4, 5}});
}

std::vector<adjacency> square() { return listsFromLinks(4, {{0, 1}, {1, 3}, {0, 2}, {2, 3}}); }

TEST(BinaryPathCounting, SquareSplitsThePathsBetweenItsTwoSides) {
  std::vector<adjacency> lists = square();
  counts c = countBinary(lists, 0, 1);
  EXPECT_EQ(c.minPath, (std::vector<int>{0, 1, 1, 2}));
  EXPECT_EQ(c.nodetotal[3], 2);
  EXPECT_EQ(c.nodeprior[3], 1);
  EXPECT_EQ(c.nodeprior[1], 1);
  EXPECT_EQ(c.nodeprior[2], 0);
}

TEST(BinaryPathCounting, PathsThroughPriorOffTheFirstPredecessorChainAreCounted) {
  std::vector<adjacency> lists = sixNodes();
  counts c = countBinary(lists, 0, 1);
  EXPECT_EQ(c.nodetotal[3], 2);
  EXPECT_EQ(c.nodeprior[3], 1);
  EXPECT_EQ(c.nodetotal[5], 3);
  EXPECT_EQ(c.nodeprior[5], 1);
  // Predecessors keep the first arrival.
  EXPECT_EQ(c.drecera, (std::vector<int>{-1, 0, 0, 2, 2, 4}));
}

TEST(BinaryPathCounting, PriorReachedTwiceCountsAllItsPathsAndKeepsTheLatestPredecessor) {
  std::vector<adjacency> lists = square();
  counts c = countBinary(lists, 0, 3);
  EXPECT_EQ(c.nodetotal[3], 2);
  EXPECT_EQ(c.nodeprior[3], 2);
  EXPECT_EQ(c.drecera[3], 1);  // 2 is treated first, 1 arrives last
}

TEST(BinaryPathCounting, CountsBeyondTheIntRangeStayExact) {
  std::vector<adjacency> lists = listsFromLinks(121, diamondChain(40));
  counts c = countBinary(lists, 0, 3 * 20);
  EXPECT_EQ(c.nodetotal[120], std::ldexp(1.0, 40));
  EXPECT_EQ(c.nodeprior[120], std::ldexp(1.0, 40));
  c = countBinary(lists, 0, 1);
  EXPECT_EQ(c.nodeprior[120], std::ldexp(1.0, 39));
}

TEST(BinaryPathCounting, RandomGraphsMatchPathEnumeration) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 300; ++round) {
    const int n = 2 + round % 7;
    std::vector<adjacency> lists = randomLists(rng, n);
    const pathCensus<int> census = enumerateBinary(lists);
    for (int i = 0; i < n; ++i) {
      for (int prior = 0; prior < n; ++prior) {
        if (prior == i) continue;
        counts c = countBinary(lists, i, prior);
        for (int j = 0; j < n; ++j) {
          SCOPED_TRACE(testing::Message() << "round " << round << " i " << i << " prior " << prior << " j " << j);
          EXPECT_EQ(c.minPath[j], census.reachable[i][j] ? census.dist[i][j] : kUnreached);
          EXPECT_EQ(c.nodetotal[j], census.total[i][j]);
          const double expected = (j == prior) ? census.total[i][j] : census.through[i][j][prior];
          EXPECT_EQ(c.nodeprior[j], expected);
        }
      }
    }
  }
}

// ---- weighted form ----

template <class T>
matrix<T> weightsOf(const std::vector<std::vector<float>>& p) {
  const std::size_t n = p.size();
  matrix<T> probLog(n, n, T(0));
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j)
      if (i != j) probLog(i, j) = p[i][j] > 0 ? static_cast<T>(-std::log(p[i][j])) : static_cast<T>(kUnreached);
  return probLog;
}

std::vector<std::vector<float>> probabilitiesOfLinks(const std::vector<adjacency>& lists, float value) {
  const std::size_t n = lists.size();
  std::vector<std::vector<float>> p(n, std::vector<float>(n, 0.0f));
  for (std::size_t i = 0; i < n; ++i) {
    p[i][i] = 1.0f;
    for (int j : lists[i]) p[i][j] = value;
  }
  return p;
}

template <class T>
struct weightedCounts {
  std::vector<T> minPath;
  std::vector<int> drecera;
  std::vector<double> nodeprior, nodetotal;
};

template <class T>
weightedCounts<T> countWeighted(const matrix<T>& probLog, int inicial, int prior) {
  const int n = static_cast<int>(probLog.rows());
  weightedCounts<T> c{std::vector<T>(n), std::vector<int>(n), std::vector<double>(n), std::vector<double>(n)};
  algDIJKSTRA<T>(n).distances_minpath_search_DIJKSTRA_ARRAY_amb_node_prior(
      inicial, prior, probLog, n, c.minPath.data(), c.drecera.data(), c.nodeprior.data(), c.nodetotal.data());
  return c;
}

template <class T>
class WeightedPathCounting : public testing::Test {};
using Precisions = testing::Types<float, double>;
TYPED_TEST_SUITE(WeightedPathCounting, Precisions);

TYPED_TEST(WeightedPathCounting, MissingLinksAreSkipped) {
  std::vector<std::vector<float>> p = {{1, 0.5f, 0}, {0, 1, 0}, {0, 0.5f, 1}};
  const auto c = countWeighted(weightsOf<TypeParam>(p), 0, 1);
  EXPECT_EQ(c.minPath[2], static_cast<TypeParam>(kUnreached));
  EXPECT_EQ(c.nodetotal, (std::vector<double>{1, 1, 0}));
  EXPECT_EQ(c.nodeprior, (std::vector<double>{0, 1, 0}));
  EXPECT_EQ(c.drecera, (std::vector<int>{-1, 0, -1}));
}

TYPED_TEST(WeightedPathCounting, ABetterProductReplacesTheCounts) {
  // 0-1-2 at 0.5 each (0.25) beats the direct 0.2, and only that path counts.
  std::vector<std::vector<float>> p = {{1, 0.5f, 0.2f}, {0.5f, 1, 0.5f}, {0.2f, 0.5f, 1}};
  const auto c = countWeighted(weightsOf<TypeParam>(p), 0, 1);
  EXPECT_EQ(c.nodetotal[2], 1);
  EXPECT_EQ(c.nodeprior[2], 1);
  EXPECT_EQ(c.drecera[2], 1);
}

TYPED_TEST(WeightedPathCounting, CountsBeyondTheIntRangeStayExact) {
  const auto probLog = weightsOf<TypeParam>(probabilitiesOfLinks(listsFromLinks(121, diamondChain(40)), 0.5f));
  const auto c = countWeighted(probLog, 0, 3 * 20);
  EXPECT_EQ(c.nodetotal[120], std::ldexp(1.0, 40));
  EXPECT_EQ(c.nodeprior[120], std::ldexp(1.0, 40));
}

TYPED_TEST(WeightedPathCounting, RandomLandscapesMatchPathEnumeration) {
  std::mt19937 rng(77031);
  for (int round = 0; round < 300; ++round) {
    const int n = 2 + round % 7;
    const auto probLog = weightsOf<TypeParam>(randomProbabilities(rng, n));
    const pathCensus<TypeParam> census = enumeratePaths<TypeParam>(n, [&](int u, int v, TypeParam& w) {
      w = probLog(u, v);
      return w != static_cast<TypeParam>(kUnreached);
    });
    for (int i = 0; i < n; ++i) {
      for (int prior = 0; prior < n; ++prior) {
        if (prior == i) continue;
        const auto c = countWeighted(probLog, i, prior);
        for (int j = 0; j < n; ++j) {
          SCOPED_TRACE(testing::Message() << "round " << round << " i " << i << " prior " << prior << " j " << j);
          if (census.reachable[i][j]) EXPECT_EQ(c.minPath[j], census.dist[i][j]);
          else EXPECT_EQ(c.minPath[j], static_cast<TypeParam>(kUnreached));
          EXPECT_EQ(c.nodetotal[j], census.total[i][j]);
          const double expected = (j == prior) ? census.total[i][j] : census.through[i][j][prior];
          EXPECT_EQ(c.nodeprior[j], expected);
        }
      }
    }
  }
}

}  // namespace

}  // namespace verdalis
