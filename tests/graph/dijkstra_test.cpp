// The plain Dijkstra forms: distances, predecessors and their tie rules, the
// unreached marker and the minimum-probability cut.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "graph/algDIJKSTRA.h"

namespace verdalis {

namespace {

template <class T>
class DijkstraTest : public ::testing::Test {
 protected:
  // n nodes, no links: every weight is the missing-link marker.
  void reset(int n) {
    weights.assign(n, n, static_cast<T>(kUnreached));
    for (int i = 0; i < n; ++i) weights(i, i) = 0;
    lists.assign(n, adjacency());
    distances.assign(n, T(-1));
    drecera.assign(n, -7);
  }
  void link(int i, int j, T w) {
    weights(i, j) = weights(j, i) = w;
    lists[i].push_back(j);
    lists[j].push_back(i);
  }
  int n() const { return static_cast<int>(lists.size()); }
  void runList(int source) {
    algDIJKSTRA<T>(n()).distances_minpath_search_DIJKSTRA_LIST(source, n(), weights, lists.data(),
                                                              distances.data(), drecera.data());
  }
  void runArray(int source) {
    algDIJKSTRA<T>(n()).distances_minpath_search_DIJKSTRA_ARRAY(source, weights, n(), distances.data(),
                                                               drecera.data());
  }
  void runMinProb(int source, float minProb) {
    algDIJKSTRA<T>(n()).distances_minpath_search_DIJKSTRA_LIST_MINPROB(source, n(), weights, lists.data(),
                                                                      distances.data(), minProb, drecera.data());
  }
  // A square 0-1, 0-2, 1-3, 2-3 of unit weights and an isolated node 4.
  void square() {
    reset(5);
    link(0, 1, 1);
    link(0, 2, 1);
    link(1, 3, 1);
    link(2, 3, 1);
  }
  static T weightOf(float p) { return static_cast<T>(-std::log(p)); }

  matrix<T> weights;
  std::vector<adjacency> lists;
  std::vector<T> distances;
  std::vector<int> drecera;
};

using Precisions = ::testing::Types<float, double>;
TYPED_TEST_SUITE(DijkstraTest, Precisions);

// Of two equal paths, the predecessor is the neighbour treated first, and
// among equal distances the highest position is treated first.
TYPED_TEST(DijkstraTest, ListAndArrayAgreeOnSquareWithTies) {
  const TypeParam unreached = static_cast<TypeParam>(kUnreached);
  for (int form = 0; form < 2; ++form) {
    this->square();
    if (form == 0)
      this->runList(0);
    else
      this->runArray(0);
    EXPECT_EQ(this->distances, (std::vector<TypeParam>{0, 1, 1, 2, unreached})) << "form " << form;
    EXPECT_EQ(this->drecera, (std::vector<int>{-1, 0, 0, 2, -1})) << "form " << form;
  }
}

// The list form follows only the listed direction, whatever the matrix holds.
TYPED_TEST(DijkstraTest, ListFormFollowsDirectedLists) {
  this->reset(3);
  this->weights(0, 1) = this->weights(1, 0) = 1;
  this->weights(1, 2) = this->weights(2, 1) = 1;
  this->lists[0] = {1};
  this->lists[2] = {1};  // 2 -> 1, but not 1 -> 2
  this->runList(0);
  EXPECT_EQ(this->distances[1], 1);
  EXPECT_EQ(this->distances[2], static_cast<TypeParam>(kUnreached));
  EXPECT_EQ(this->drecera[2], -1);
  this->runList(2);
  EXPECT_EQ(this->distances[0], static_cast<TypeParam>(kUnreached));
  EXPECT_EQ(this->distances[1], 1);
}

// Chain 0-1-2-3 at probability 0.5 per step, cut at 0.3: node 2 (0.25) is
// reached but does not carry the path on to node 3.
TYPED_TEST(DijkstraTest, MinProbCutStopsExpansionBeyondIt) {
  const TypeParam w = this->weightOf(0.5f);
  this->reset(4);
  this->link(0, 1, w);
  this->link(1, 2, w);
  this->link(2, 3, w);
  this->runMinProb(0, 0.3f);
  EXPECT_EQ(this->distances[1], w);
  EXPECT_EQ(this->distances[2], w + w);
  EXPECT_EQ(this->distances[3], static_cast<TypeParam>(kUnreached));
  EXPECT_EQ(this->drecera, (std::vector<int>{-1, 0, 1, -1}));

  this->runMinProb(0, 0.0f);  // no cut
  EXPECT_EQ(this->distances[3], w + w + w);
  this->runMinProb(0, 0.25f);  // exactly at the cut still expands
  EXPECT_NE(this->distances[3], static_cast<TypeParam>(kUnreached));
}

// With minProb 1 only nodes at distance 0 are expanded: the source and what a
// probability-1 step joins to it.
TYPED_TEST(DijkstraTest, MinProbOneExpandsOnlyDistanceZero) {
  const TypeParam w = this->weightOf(0.5f);
  this->reset(4);
  this->link(0, 1, 0);
  this->link(1, 2, w);
  this->link(2, 3, w);
  this->runMinProb(0, 1.0f);
  EXPECT_EQ(this->distances[1], 0);
  EXPECT_EQ(this->distances[2], w);
  EXPECT_EQ(this->distances[3], static_cast<TypeParam>(kUnreached));
}

// Missing links of the complete form never improve a distance, also from
// an unreached node that is eventually treated.
TYPED_TEST(DijkstraTest, ArrayFormIgnoresMissingLinks) {
  this->reset(4);
  this->weights(2, 3) = this->weights(3, 2) = 1;  // a second component
  this->weights(0, 1) = this->weights(1, 0) = 0.5;
  this->runArray(0);
  const TypeParam unreached = static_cast<TypeParam>(kUnreached);
  EXPECT_EQ(this->distances, (std::vector<TypeParam>{0, 0.5, unreached, unreached}));
  EXPECT_EQ(this->drecera, (std::vector<int>{-1, 0, -1, -1}));
}

}  // namespace

}  // namespace verdalis
