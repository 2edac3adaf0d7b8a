// BC, BC(IIC) and BC(PC) against their definitions, summed over the shortest
// paths found by enumerating every simple path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "graph/path_enumeration.h"
#include "indices/indexBC.h"
#include "indices/indexBCIIC.h"
#include "indices/indexBCPC.h"

namespace verdalis {

namespace {

std::vector<float> bcOf(std::vector<adjacency>& lists) {
  const int n = static_cast<int>(lists.size());
  std::vector<adjacency*> pointers = pointersTo(lists);
  indexBC index(n);
  index.generate(pointers.data());
  std::vector<float> out(n);
  index.value(out.data());
  return out;
}

// Single-precision sums against exact ones.
void expectClose(float actual, double expected) {
  EXPECT_NEAR(actual, expected, 2e-5 * std::max(1.0, std::fabs(expected)));
}

std::vector<float> randomSizes(std::mt19937& rng, int n) {
  const float choices[] = {0.5f, 1.0f, 2.0f, 3.5f, 10.0f};
  std::uniform_int_distribution<int> pick(0, 4);
  std::vector<float> sizes(n);
  for (float& a : sizes) a = choices[pick(rng)];
  return sizes;
}

// Sum over ordered pairs of other nodes of term(i, j) times the share of the
// pair's shortest paths through k.
template <class D, class Term>
double throughSum(const pathCensus<D>& census, int k, Term term) {
  double sum = 0;
  for (int i = 0; i < census.n; ++i)
    for (int j = 0; j < census.n; ++j) {
      if (i == k || j == k || census.total[i][j] == 0) continue;
      sum += term(i, j) * census.through[i][j][k] / census.total[i][j];
    }
  return sum;
}

TEST(BC, PathOfThreeCreditsOnlyTheMiddleNode) {
  std::vector<adjacency> lists = listsFromLinks(3, {{0, 1}, {1, 2}});
  const std::vector<float> bc = bcOf(lists);
  EXPECT_FLOAT_EQ(bc[1], 2.0f / 3.0f);
  EXPECT_EQ(bc[0], 0.0f);
  EXPECT_EQ(bc[2], 0.0f);
}

TEST(BC, SingleNodeDividesZeroByZero) {
  std::vector<adjacency> lists(1);
  EXPECT_TRUE(std::isnan(bcOf(lists)[0]));
}

TEST(BC, NoNodesGiveNoValues) {
  std::vector<adjacency> lists;
  EXPECT_TRUE(bcOf(lists).empty());
}

TEST(BC, HubsOfADiamondChainCarryEveryCrossingPair) {
  // 2^40 shortest paths end to end: the shares must not suffer from the size
  // of the counts.
  const int count = 40, n = 3 * count + 1;
  std::vector<adjacency> lists = listsFromLinks(n, diamondChain(count));
  const std::vector<float> bc = bcOf(lists);
  for (int t = 1; t < count; ++t) {
    // Every pair across the hub, both ways, and half of the paths between
    // the two sides of each neighbouring diamond.
    const double left = 3.0 * t, right = n - 1 - left;
    SCOPED_TRACE(t);
    expectClose(bc[3 * t], (2 * left * right + 2) / (n * (n - 1) / 2.0));
  }
}

TEST(BC, RandomGraphsMatchPathEnumeration) {
  std::mt19937 rng(5150);
  for (int round = 0; round < 300; ++round) {
    const int n = 2 + round % 7;
    std::vector<adjacency> lists = randomLists(rng, n);
    const pathCensus<int> census = enumerateBinary(lists);
    const std::vector<float> bc = bcOf(lists);
    for (int k = 0; k < n; ++k) {
      SCOPED_TRACE(testing::Message() << "round " << round << " node " << k);
      expectClose(bc[k], throughSum(census, k, [](int, int) { return 1.0; }) / (n * (n - 1) / 2.0));
    }
  }
}

// ---- BC(IIC) ----

template <class T>
std::vector<float> bciicOf(std::vector<adjacency>& lists, const std::vector<float>& sizes,
                           std::vector<int> labels = {}) {
  const int n = static_cast<int>(lists.size());
  if (labels.empty()) labels.assign(n, 0);
  std::vector<adjacency*> pointers = pointersTo(lists);
  indexBCIIC<T> index(n);
  index.generate(pointers.data(), sizes.data(), 100.0f, labels.data());
  std::vector<float> out(n);
  index.value(out.data());
  return out;
}

template <class T>
class BCIIC : public testing::Test {};
using Precisions = testing::Types<float, double>;
TYPED_TEST_SUITE(BCIIC, Precisions);

TYPED_TEST(BCIIC, SquareSidesShareTheOppositeCornersPaths) {
  std::vector<adjacency> lists = listsFromLinks(4, {{0, 1}, {1, 3}, {0, 2}, {2, 3}});
  const std::vector<float> sizes = {1, 2, 3, 4};
  testing::internal::CaptureStdout();
  const std::vector<float> bciic = bciicOf<TypeParam>(lists, sizes);
  testing::internal::GetCapturedStdout();
  EXPECT_FLOAT_EQ(bciic[1], 2 * 1.0f * 4.0f * (1.0f / 3) * 0.5f);
  EXPECT_FLOAT_EQ(bciic[2], bciic[1]);
  EXPECT_FLOAT_EQ(bciic[0], 2 * 2.0f * 3.0f * (1.0f / 3) * 0.5f);
}

TYPED_TEST(BCIIC, ProgressNamesEveryNodeByItsIdentifier) {
  std::vector<adjacency> lists = listsFromLinks(3, {{0, 1}, {1, 2}});
  testing::internal::CaptureStdout();
  bciicOf<TypeParam>(lists, {1, 1, 1}, {7, 8, 9});
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Processing BC(IIC) of node with ID 7\n0 % completed\n"
            "Processing BC(IIC) of node with ID 8\n33 % completed\n"
            "Processing BC(IIC) of node with ID 9\n66 % completed\n");
}

TYPED_TEST(BCIIC, RandomGraphsMatchPathEnumeration) {
  std::mt19937 rng(909);
  for (int round = 0; round < 300; ++round) {
    const int n = 1 + round % 8;
    std::vector<adjacency> lists = randomLists(rng, n);
    const std::vector<float> sizes = randomSizes(rng, n);
    const pathCensus<int> census = enumerateBinary(lists);
    testing::internal::CaptureStdout();
    const std::vector<float> bciic = bciicOf<TypeParam>(lists, sizes);
    testing::internal::GetCapturedStdout();
    for (int k = 0; k < n; ++k) {
      SCOPED_TRACE(testing::Message() << "round " << round << " node " << k);
      expectClose(bciic[k], throughSum(census, k, [&](int i, int j) {
                    return double(sizes[i]) * sizes[j] / (1.0 + census.dist[i][j]);
                  }));
    }
  }
}

// ---- BC(PC) ----

std::vector<tessella> nodesOf(const std::vector<std::vector<float>>& p, const std::vector<float>& sizes) {
  std::vector<tessella> nodes(p.size());
  for (std::size_t i = 0; i < p.size(); ++i) {
    nodes[i].size = sizes[i];
    nodes[i].label = static_cast<int>(10 + i);
    nodes[i].p = p[i];
  }
  return nodes;
}

template <class T>
std::vector<float> bcpcOf(const std::vector<tessella>& nodes, bool allpaths = false, float minProb = 0.0f) {
  const int n = static_cast<int>(nodes.size());
  indexBCPC<T> index(n);
  testing::internal::CaptureStdout();
  index.generate(nodes.data(), 100.0f, allpaths, minProb);
  testing::internal::GetCapturedStdout();
  std::vector<float> out(n);
  index.value(out.data());
  return out;
}

template <class T>
class BCPC : public testing::Test {};
TYPED_TEST_SUITE(BCPC, Precisions);

TYPED_TEST(BCPC, SquareSidesShareTheEqualProductPaths) {
  const float h = 0.5f;
  const std::vector<std::vector<float>> p = {{1, h, h, 0}, {h, 1, 0, h}, {h, 0, 1, h}, {0, h, h, 1}};
  const std::vector<float> bcpc = bcpcOf<TypeParam>(nodesOf(p, {1, 2, 3, 4}));
  EXPECT_FLOAT_EQ(bcpc[1], 2 * 1.0f * 4.0f * 0.25f * 0.5f);
  EXPECT_FLOAT_EQ(bcpc[2], bcpc[1]);
}

TYPED_TEST(BCPC, HeuristicSettingsDoNotChangeIt) {
  std::mt19937 rng(31337);
  const auto p = randomProbabilities(rng, 7);
  const auto nodes = nodesOf(p, randomSizes(rng, 7));
  EXPECT_EQ(bcpcOf<TypeParam>(nodes, true, 0.9f), bcpcOf<TypeParam>(nodes, false, 0.0f));
}

TYPED_TEST(BCPC, ProgressNamesEveryNodeByItsLabel) {
  const std::vector<std::vector<float>> p(4, std::vector<float>(4, 1.0f));
  const auto nodes = nodesOf(p, {1, 1, 1, 1});
  indexBCPC<TypeParam> index(4);
  testing::internal::CaptureStdout();
  index.generate(nodes.data(), 1.0f, false, 0.0f);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Processing BC(PC) of node with ID 10\n0 % completed\n"
            "Processing BC(PC) of node with ID 11\n25 % completed\n"
            "Processing BC(PC) of node with ID 12\n50 % completed\n"
            "Processing BC(PC) of node with ID 13\n75 % completed\n");
}

TYPED_TEST(BCPC, RandomLandscapesMatchPathEnumeration) {
  using T = TypeParam;
  std::mt19937 rng(4242);
  for (int round = 0; round < 300; ++round) {
    const int n = 1 + round % 8;
    const auto p = randomProbabilities(rng, n);
    const std::vector<float> sizes = randomSizes(rng, n);
    const pathCensus<T> census = enumeratePaths<T>(n, [&](int u, int v, T& w) {
      w = static_cast<T>(-std::log(p[u][v]));
      return p[u][v] > 0;
    });
    const std::vector<float> bcpc = bcpcOf<T>(nodesOf(p, sizes));
    for (int k = 0; k < n; ++k) {
      SCOPED_TRACE(testing::Message() << "round " << round << " node " << k);
      expectClose(bcpc[k], throughSum(census, k, [&](int i, int j) {
                    return double(sizes[i]) * sizes[j] * std::exp(-double(census.dist[i][j]));
                  }));
    }
  }
}

}  // namespace

}  // namespace verdalis
