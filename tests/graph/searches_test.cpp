// Node selection, breadth-first distances and components.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "graph/algBFS.h"
#include "graph/algDFS.h"
#include "graph/selection.h"

namespace verdalis {

namespace {

struct Graph {
  std::vector<adjacency> lists;
  explicit Graph(int n) : lists(n) {}
  void link(int a, int b) {
    lists[a].push_back(b);
    lists[b].push_back(a);
  }
  std::vector<adjacency*> pointers() {
    std::vector<adjacency*> out;
    for (auto& l : lists) out.push_back(&l);
    return out;
  }
  int n() const { return static_cast<int>(lists.size()); }
};

Graph randomGraph(std::mt19937& rng, int n) {
  Graph g(n);
  std::bernoulli_distribution linked(0.3);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < i; ++j)
      if (linked(rng)) g.link(i, j);
  return g;
}

std::vector<int> bfs(Graph& g, int source) {
  std::vector<int> d(g.n());
  auto lists = g.pointers();
  algBFS(g.n()).distances_search(source, lists.data(), d.data());
  return d;
}

std::vector<int> components(Graph& g, int& count) {
  std::vector<int> id(g.n());
  auto lists = g.pointers();
  algDFS(g.n()).components_search(lists.data(), id.data(), count);
  return id;
}

TEST(Selection, IntegerTiesGoToHighestAndEveryNodeGetsTreated) {
  const bool none[4] = {false, false, false, false};
  const int tied[4] = {3, 1, 5, 1};
  EXPECT_EQ(minValue(tied, none, 4), 3);
  const int unreached[2] = {kUnreached, kUnreached};
  EXPECT_EQ(minValue(unreached, none, 2), 1);
  const bool treated[4] = {false, false, false, true};
  EXPECT_EQ(minValue(tied, treated, 4), 1);
  const bool all[2] = {true, true};
  EXPECT_EQ(minValue(unreached, all, 2), -1);
  EXPECT_TRUE(conjuntBuitBFS(all, 2));
  EXPECT_FALSE(conjuntBuitBFS(treated, 4));
  EXPECT_TRUE(conjuntBuitBFS(all, 0));
  // 16777217 is 16777216 as a float: a tie, so the larger distance wins.
  const int rounded[2] = {16777216, 16777217};
  EXPECT_EQ(minValue(rounded, none, 2), 1);
}

TEST(Selection, FloatingMinimumIsKeptInSinglePrecision) {
  const bool none[2] = {false, false};
  // x rounds up to the float 1 + 2^-23; y lies between x and that float.
  const double x = 1.0 + std::ldexp(1.0, -23) - std::ldexp(1.0, -30);
  const double y = 1.0 + std::ldexp(1.0, -23) - std::ldexp(1.0, -31);
  const double roundedTie[2] = {x, y};
  EXPECT_EQ(minValue<double>(roundedTie, none, 2), 1);
  const double strictlyLarger[2] = {1.0, 1.0 + 1e-12};
  EXPECT_EQ(minValue<double>(strictlyLarger, none, 2), 0);
  const float tied[3] = {2.0f, 2.0f, 3.0f};
  const bool three[3] = {false, false, false};
  EXPECT_EQ(minValue<float>(tied, three, 3), 1);
  const float unreached[2] = {2147483647.0f, 2147483647.0f};
  EXPECT_EQ(minValue<float>(unreached, none, 2), 1);
}

TEST(BreadthFirst, OtherComponentIsUnreached) {
  Graph g(5);
  g.link(0, 1);
  g.link(1, 2);
  g.link(3, 4);
  EXPECT_EQ(bfs(g, 0), (std::vector<int>{0, 1, 2, kUnreached, kUnreached}));
  EXPECT_EQ(bfs(g, 4), (std::vector<int>{kUnreached, kUnreached, kUnreached, 1, 0}));
}

TEST(BreadthFirst, MatchesFloydWarshallOnRandomGraphs) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 200; ++trial) {
    Graph g = randomGraph(rng, 1 + trial % 8);
    const int n = g.n();
    std::vector<std::vector<long long>> d(n, std::vector<long long>(n, kUnreached));
    for (int i = 0; i < n; ++i) {
      d[i][i] = 0;
      for (int j : g.lists[i]) d[i][j] = 1;
    }
    for (int k = 0; k < n; ++k)
      for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) d[i][j] = std::min(d[i][j], d[i][k] + d[k][j]);
    for (int s = 0; s < n; ++s) {
      const std::vector<int> got = bfs(g, s);
      for (int t = 0; t < n; ++t) ASSERT_EQ(got[t], d[s][t]) << "trial " << trial << " " << s << "->" << t;
    }
  }
}

TEST(Components, SmallCases) {
  Graph single(1);
  int count = -1;
  EXPECT_EQ(components(single, count), (std::vector<int>{0}));
  EXPECT_EQ(count, 1);

  Graph pairAndIsolated(3);
  pairAndIsolated.link(0, 1);
  EXPECT_EQ(components(pairAndIsolated, count), (std::vector<int>{0, 0, 1}));
  EXPECT_EQ(count, 2);

  // Numbered by lowest position, whatever the link order.
  Graph interleaved(4);
  interleaved.link(3, 1);
  interleaved.link(2, 0);
  EXPECT_EQ(components(interleaved, count), (std::vector<int>{0, 1, 0, 1}));
  EXPECT_EQ(count, 2);
}

TEST(Components, NoNodeGivesNoComponentAndWritesNothing) {
  int sentinel = 42;
  int count = -1;
  algDFS(0).components_search(nullptr, &sentinel, count);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(sentinel, 42);
}

int findRoot(std::vector<int>& parent, int x) {
  while (parent[x] != x) x = parent[x] = parent[parent[x]];
  return x;
}

TEST(Components, MatchUnionFindOnRandomGraphs) {
  std::mt19937 rng(11);
  for (int trial = 0; trial < 200; ++trial) {
    Graph g = randomGraph(rng, 1 + trial % 8);
    const int n = g.n();
    std::vector<int> parent(n);
    std::iota(parent.begin(), parent.end(), 0);
    for (int i = 0; i < n; ++i)
      for (int j : g.lists[i]) parent[findRoot(parent, i)] = findRoot(parent, j);
    // Expected numbering: by first appearance of each root in position order.
    std::vector<int> numberOfRoot(n, -1), expected(n);
    int next = 0;
    for (int i = 0; i < n; ++i) {
      int& number = numberOfRoot[findRoot(parent, i)];
      if (number == -1) number = next++;
      expected[i] = number;
    }
    int count = -1;
    ASSERT_EQ(components(g, count), expected) << "trial " << trial;
    ASSERT_EQ(count, next);
  }
}

}  // namespace

}  // namespace verdalis
