// The copies with one node or link removed, added or changed.
#include <gtest/gtest.h>

#include <random>

#include "landscape/landscape_builders.h"

namespace verdalis {

namespace {

using testland::build;
using testland::connect;
using testland::distanceInput;
using testland::Input;
using testland::kNoLinkDistance;

template <class T>
class Variants : public ::testing::Test {};
using Precisions = ::testing::Types<float, double>;
TYPED_TEST_SUITE(Variants, Precisions);

// Everything a copy builds, compared field by field.
template <class T>
void expectSameGraph(const landscape<T>& got, const landscape<T>& want) {
  ASSERT_EQ(got.nNodes, want.nNodes);
  EXPECT_EQ(got.nEdges, want.nEdges);
  EXPECT_EQ(got.sizeTotalHabitat, want.sizeTotalHabitat);
  EXPECT_EQ(got.sizeLandscapeArea, want.sizeLandscapeArea);
  EXPECT_FALSE(got.componentsReady);
  for (int i = 0; i < got.nNodes; ++i) {
    EXPECT_EQ(got.nodes[i].label, want.nodes[i].label) << i;
    EXPECT_EQ(got.nodes[i].size, want.nodes[i].size) << i;
    EXPECT_EQ(got.nodes[i].list_adjacency, want.nodes[i].list_adjacency) << i;
    EXPECT_EQ(got.nodes[i].p, want.nodes[i].p) << i;
    EXPECT_EQ(got.nodes[i].p_maxim_product, want.nodes[i].p_maxim_product) << i;
    EXPECT_EQ(got.nodes[i].nl.size(), want.nodes[i].nl.size()) << i;
  }
}

Input pathOfThree() {
  auto in = distanceInput({1, 2, 4}, 10.0f);
  connect(in, 1, 0, 5.0f);
  connect(in, 2, 1, 5.0f);
  return in;
}

TYPED_TEST(Variants, DeletingTheMiddleOfAPath) {
  landscape<TypeParam> land, copy;
  build(land, pathOfThree());
  copy.create_land_with_copy_deleting_one(&land, 1, true, true);
  ASSERT_EQ(copy.nNodes, 2);
  EXPECT_EQ(copy.nEdges, 0);
  EXPECT_TRUE(copy.nodes[0].list_adjacency.empty());
  EXPECT_TRUE(copy.nodes[1].list_adjacency.empty());
  EXPECT_EQ(copy.nodes[1].label, 12);
  EXPECT_EQ(copy.sizeTotalHabitat, 5.0f);
  EXPECT_EQ(copy.nodes[1].p[0], land.nodes[2].p[0]);
  EXPECT_EQ(copy.nodes[0].nl.size(), 2u);
}

TYPED_TEST(Variants, DeletingTheFirstNodeRenumbersLinks) {
  auto in = distanceInput({1, 1, 1, 1}, 10.0f);
  connect(in, 3, 2, 1.0f);
  landscape<TypeParam> land, copy;
  build(land, in);
  copy.create_land_with_copy_deleting_one(&land, 0, true, false);
  EXPECT_EQ(copy.nodes[1].list_adjacency, (adjacency{2}));
  EXPECT_EQ(copy.nodes[2].list_adjacency, (adjacency{1}));
  EXPECT_EQ(copy.nEdges, 1);
}

TYPED_TEST(Variants, DeletingEqualsBuildingWithoutTheNode) {
  std::mt19937 rng(5);
  for (int trial = 0; trial < 60; ++trial) {
    const Input in = testland::randomInput(rng, 2 + trial % 7);
    landscape<TypeParam> land;
    build(land, in);
    for (int k = 0; k < in.n(); ++k) {
      landscape<TypeParam> copy, rebuilt;
      copy.create_land_with_copy_deleting_one(&land, k, true, true);
      build(rebuilt, testland::withoutNode(in, k));
      SCOPED_TRACE(::testing::Message() << "trial " << trial << " node " << k);
      expectSameGraph(copy, rebuilt);
    }
  }
}

TYPED_TEST(Variants, AddingEqualsBuildingWithTheNodeLast) {
  std::mt19937 rng(9);
  for (int trial = 0; trial < 60; ++trial) {
    Input full = testland::randomInput(rng, 2 + trial % 7);
    const int last = full.n() - 1;
    std::vector<float> towardsNew(last);
    for (int r = 0; r < last; ++r) {
      connect(full, last, r, full.connections(last, r));  // a candidate's line serves both ways
      towardsNew[r] = full.connections(last, r);
    }
    landscape<TypeParam> land, copy, rebuilt;
    build(land, testland::withoutNode(full, last));
    copy.create_land_with_copy_adding_one(full.sizes[last], full.labels[last], towardsNew.data(), true, true,
                                          true, false, false, full.threshold, full.kProb, full.kDist, &land);
    build(rebuilt, full);
    SCOPED_TRACE(::testing::Message() << "trial " << trial);
    expectSameGraph(copy, rebuilt);
  }
}

TYPED_TEST(Variants, AddingRaisesTheLandscapeAreaToTheNewTotal) {
  auto in = distanceInput({2, 3}, 10.0f);
  in.area = 6;
  landscape<TypeParam> land, copy;
  build(land, in);
  const float towardsNew[2] = {1.0f, kNoLinkDistance};
  copy.create_land_with_copy_adding_one(4, 99, towardsNew, true, true, true, false, false, 10.0f, 1.0f, 1.0f,
                                        &land);
  EXPECT_EQ(copy.sizeTotalHabitat, 9.0f);
  EXPECT_EQ(copy.sizeLandscapeArea, 9.0f);
  EXPECT_EQ(copy.nodes[2].label, 99);
  EXPECT_EQ(copy.nodes[2].list_adjacency, (adjacency{0}));
  EXPECT_EQ(copy.nEdges, 1);
  // Probability 1 at the reference distance: the listed pair is certain,
  // the unlisted one stays unjoined.
  EXPECT_EQ(copy.nodes[2].p, (std::vector<float>{1.0f, 0.0f, 1.0f}));
  EXPECT_EQ(copy.nodes[1].p[2], 0.0f);

  landscape<TypeParam> small;
  const float far[2] = {kNoLinkDistance, kNoLinkDistance};
  small.create_land_with_copy_adding_one(0.5f, 98, far, true, true, true, false, false, 10.0f, 0.5f, 1.0f, &land);
  EXPECT_EQ(small.sizeLandscapeArea, 6.0f);
}

TYPED_TEST(Variants, DeletingALinkOnlyKnownToTheProbabilities) {
  auto in = distanceInput({1, 1, 1}, 10.0f);
  connect(in, 1, 0, 50.0f);  // beyond the link threshold
  connect(in, 2, 1, 5.0f);
  landscape<TypeParam> land, copy, linked;
  build(land, in);
  copy.create_land_with_copy_deleting_one_connection(&land, 0, 1, true, true);
  EXPECT_EQ(copy.nEdges, 1);
  EXPECT_EQ(copy.nodes[0].p[1], 0.0f);
  EXPECT_EQ(copy.nodes[1].p[0], 0.0f);
  linked.create_land_with_copy_deleting_one_connection(&land, 2, 1, true, true);
  EXPECT_EQ(linked.nEdges, 0);
  EXPECT_TRUE(linked.nodes[1].list_adjacency.empty());
  EXPECT_EQ(linked.nodes[1].p[2], 0.0f);
  EXPECT_GT(linked.nodes[1].p[0], 0.0f);
}

TYPED_TEST(Variants, MakingALinkSure) {
  landscape<TypeParam> land, already, added;
  build(land, pathOfThree());
  already.create_land_with_copy_with_one_connection_sure(&land, 0, 1, true, true);
  EXPECT_EQ(already.nEdges, 2);
  EXPECT_EQ(already.nodes[0].list_adjacency, (adjacency{1}));
  EXPECT_EQ(already.nodes[0].p[1], 1.0f);
  EXPECT_EQ(already.nodes[1].p[0], 1.0f);
  added.create_land_with_copy_with_one_connection_sure(&land, 2, 0, true, true);
  EXPECT_EQ(added.nEdges, 3);
  EXPECT_EQ(added.nodes[2].list_adjacency, (adjacency{1, 0}));
  EXPECT_EQ(added.nodes[0].list_adjacency, (adjacency{1, 2}));
  for (const tessella& node : added.nodes)
    for (float v : node.p_maxim_product) EXPECT_EQ(v, 0.0f);
}

TYPED_TEST(Variants, ChangingALinksDistance) {
  landscape<TypeParam> land, removed, addedAtThreshold, unlisted;
  const Input in = pathOfThree();
  build(land, in);
  removed.create_land_with_copy_with_one_connection_Diff(&land, 1, 2, 10.5f, true, true, true, false, false,
                                                         10.0f, in.kProb, in.kDist, 0.01f, false);
  EXPECT_EQ(removed.nEdges, 1);
  EXPECT_EQ(removed.nodes[2].list_adjacency, adjacency{});
  EXPECT_EQ(removed.nodes[1].list_adjacency, (adjacency{0}));
  EXPECT_EQ(removed.nodes[1].p[2], removed.nodes[2].p[1]);
  EXPECT_EQ(removed.nodes[1].p[2], distanceToProbability(probabilityConstant(in.kProb, in.kDist), 10.5f));

  addedAtThreshold.create_land_with_copy_with_one_connection_Diff(&land, 0, 2, 10.0f, true, true, true, false,
                                                                  false, 10.0f, in.kProb, in.kDist, 0.01f, false);
  EXPECT_EQ(addedAtThreshold.nEdges, 3);
  EXPECT_EQ(addedAtThreshold.nodes[0].list_adjacency, (adjacency{1, 2}));

  // The alternative file may leave a pair unlisted: no certain link from it.
  unlisted.create_land_with_copy_with_one_connection_Diff(&land, 0, 1, kNoLinkDistance, true, true, true, false,
                                                          false, 10.0f, 1.0f, 1.0f, 0.01f, false);
  EXPECT_EQ(unlisted.nEdges, 1);
  EXPECT_EQ(unlisted.nodes[0].p[1], 0.0f);
  EXPECT_EQ(unlisted.nodes[1].p[0], 0.0f);
}

TYPED_TEST(Variants, ChangingAProbability) {
  auto in = distanceInput({1, 1}, 0.5f);
  in.dist = false;
  in.prob = true;
  in.connections.assign(2, 2, 0.0f);
  connect(in, 1, 0, 0.2f);
  landscape<TypeParam> land, copy;
  build(land, in);
  copy.create_land_with_copy_with_one_connection_Diff(&land, 1, 0, 0.5f, true, true, false, true, false, 0.5f,
                                                      0.5f, 1000.0f, 0.01f, false);
  EXPECT_EQ(copy.nEdges, 1);
  EXPECT_EQ(copy.nodes[0].p[1], 0.5f);
  EXPECT_EQ(copy.nodes[1].p[0], 0.5f);
}

TYPED_TEST(Variants, ACopySettlesIntoAnErasedObject) {
  landscape<TypeParam> land, variant;
  build(land, pathOfThree());
  land.minProb = 0.25f;
  land.allpaths = true;
  variant.create_land_with_copy_deleting_one(&land, 0, true, true);
  variant.generate_index_NC();
  EXPECT_EQ(variant.nc, 1);
  variant.erase_arrays();
  variant.create_land_with_copy_deleting_one(&land, 1, true, true);
  variant.generate_index_NC();
  EXPECT_EQ(variant.nc, 2);
  EXPECT_EQ(variant.minProb, 0.25f);
  EXPECT_TRUE(variant.allpaths);
}

}  // namespace

}  // namespace verdalis
