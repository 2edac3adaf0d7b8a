// Building a landscape: link rules, list order, probabilities, component
// queries and erasing.
#include <gtest/gtest.h>

#include <cmath>

#include "landscape/landscape_builders.h"

namespace verdalis {

namespace {

using testland::build;
using testland::connect;
using testland::distanceInput;
using testland::kNoLinkDistance;

template <class T>
class LandscapeBuild : public ::testing::Test {};
using Precisions = ::testing::Types<float, double>;
TYPED_TEST_SUITE(LandscapeBuild, Precisions);

TYPED_TEST(LandscapeBuild, ThresholdValuesMakeLinks) {
  auto in = distanceInput({1, 1, 1}, 100.0f);
  connect(in, 1, 0, 100.0f);
  connect(in, 2, 0, 100.0001f);
  landscape<TypeParam> byDistance;
  build(byDistance, in);
  EXPECT_EQ(byDistance.nEdges, 1);
  EXPECT_EQ(byDistance.nodes[0].list_adjacency, (adjacency{1}));

  in.dist = false;
  in.prob = true;
  in.threshold = 0.5f;
  in.connections.assign(3, 3, 0.0f);
  connect(in, 1, 0, 0.5f);
  connect(in, 2, 0, 0.4999f);
  landscape<TypeParam> byProbability;
  build(byProbability, in);
  EXPECT_EQ(byProbability.nEdges, 1);
  EXPECT_EQ(byProbability.nodes[1].list_adjacency, (adjacency{0}));

  in.prob = false;
  in.binary = true;
  connect(in, 1, 0, 1.0f);
  connect(in, 2, 0, 0.5f);
  connect(in, 2, 1, 2.0f);
  landscape<TypeParam> byBinary;
  build(byBinary, in, true, false);
  EXPECT_EQ(byBinary.nEdges, 1);
  EXPECT_TRUE(byBinary.nodes[2].list_adjacency.empty());
}

TYPED_TEST(LandscapeBuild, ListsFollowThePairScan) {
  auto in = distanceInput({1, 1, 1, 1, 1, 1}, 10.0f);
  connect(in, 3, 0, 1);
  connect(in, 3, 5, 1);
  connect(in, 3, 1, 1);
  landscape<TypeParam> land;
  build(land, in);
  EXPECT_EQ(land.nodes[3].list_adjacency, (adjacency{0, 1, 5}));
  EXPECT_EQ(land.nodes[5].list_adjacency, (adjacency{3}));
  EXPECT_EQ(land.nEdges, 3);
}

TYPED_TEST(LandscapeBuild, OnlyTheLaterNodesValueDecidesALink) {
  auto in = distanceInput({1, 1}, 10.0f);
  in.connections(0, 1) = 5.0f;  // a single line from the earlier node
  landscape<TypeParam> land;
  build(land, in);
  EXPECT_EQ(land.nEdges, 0);
  EXPECT_TRUE(land.nodes[0].list_adjacency.empty());
  EXPECT_GT(land.nodes[0].p[1], 0.0f);
  EXPECT_EQ(land.nodes[1].p[0], 0.0f);
}

TYPED_TEST(LandscapeBuild, DistancesBecomeProbabilities) {
  auto in = distanceInput({1, 1, 1, 1}, 0.0f);
  in.kProb = 0.5f;
  in.kDist = 1000.0f;
  connect(in, 1, 0, 0.0f);
  connect(in, 2, 0, 1000.0f);
  connect(in, 3, 0, 2000.0f);
  landscape<TypeParam> land;
  build(land, in);
  const tessella& n0 = land.nodes[0];
  EXPECT_EQ(n0.p[0], 1.0f);
  EXPECT_EQ(n0.p_maxim_product[0], 0.0f);
  EXPECT_EQ(n0.p[1], 1.0f);
  EXPECT_FLOAT_EQ(n0.p[2], 0.5f);
  EXPECT_FLOAT_EQ(n0.p[3], 0.25f);
  EXPECT_FLOAT_EQ(land.nodes[3].p[0], 0.25f);
  EXPECT_EQ(land.nodes[2].p[3], 0.0f);  // unlisted pair
  EXPECT_EQ(n0.p[2], std::exp(std::log(0.5f) / 1000.0f * 1000.0f));
}

TYPED_TEST(LandscapeBuild, UnlistedPairHasNoProbabilityEvenWithCertainReference) {
  // A probability of 1 at the reference distance makes every listed pair
  // certain, but a pair no line joins must stay unjoined.
  auto in = distanceInput({1, 1, 1}, 10.0f);
  in.kProb = 1.0f;
  in.kDist = 1.0f;
  connect(in, 1, 0, 50.0f);
  landscape<TypeParam> land;
  build(land, in);
  EXPECT_EQ(land.nodes[0].p[1], 1.0f);
  EXPECT_EQ(land.nodes[1].p[0], 1.0f);
  EXPECT_EQ(land.nodes[2].p[0], 0.0f);
  EXPECT_EQ(land.nodes[0].p[2], 0.0f);
  EXPECT_EQ(land.nodes[2].p[2], 1.0f);
  EXPECT_EQ(distanceToProbability(0.0f, kNoLinkDistance), 0.0f);
  EXPECT_EQ(distanceToProbability(probabilityConstant(0.5f, 1.0f), kNoLinkDistance), 0.0f);
}

TYPED_TEST(LandscapeBuild, ProbabilityInputIsCopiedPerDirection) {
  auto in = distanceInput({1, 1}, 0.5f);
  in.dist = false;
  in.prob = true;
  in.connections.assign(2, 2, 0.0f);
  in.connections(0, 1) = 0.3f;
  in.connections(1, 0) = 0.7f;
  landscape<TypeParam> land;
  build(land, in);
  EXPECT_EQ(land.nodes[0].p, (std::vector<float>{1.0f, 0.3f}));
  EXPECT_EQ(land.nodes[1].p, (std::vector<float>{0.7f, 1.0f}));
  EXPECT_EQ(land.nEdges, 1);
}

TYPED_TEST(LandscapeBuild, RowsOnlyForTheRequestedKind) {
  auto in = distanceInput({1, 2, 3}, 10.0f);
  connect(in, 1, 0, 1.0f);
  landscape<TypeParam> probOnly;
  build(probOnly, in, false, true);
  EXPECT_TRUE(probOnly.nodes[0].list_adjacency.empty());
  EXPECT_TRUE(probOnly.nodes[0].nl.empty());
  EXPECT_EQ(probOnly.nodes[0].p.size(), 3u);
  landscape<TypeParam> adjOnly;
  build(adjOnly, in, true, false);
  EXPECT_EQ(adjOnly.nodes[0].nl.size(), 3u);
  EXPECT_TRUE(adjOnly.nodes[0].p.empty());
  EXPECT_TRUE(adjOnly.nodes[0].p_maxim_product.empty());
}

TYPED_TEST(LandscapeBuild, TotalsAndLargeLandscapeArea) {
  auto in = distanceInput({1.5f, 2.25f, 3}, 10.0f);
  in.area = 3600000000LL;  // 60 km x 60 km in square metres
  landscape<TypeParam> land;
  build(land, in);
  EXPECT_EQ(land.valueOfSizeTotalHabitat(), 6.75f);
  EXPECT_EQ(land.valueOfSizeLanscapeArea(), 3.6e9f);
  EXPECT_EQ(land.numberNodes(), 3);
  EXPECT_EQ(land.numberEdgesPC(), 0);
  EXPECT_EQ(land.nodes[1].label, 11);
}

TYPED_TEST(LandscapeBuild, ComponentQueries) {
  auto in = distanceInput({1, 2, 4, 8}, 10.0f);
  connect(in, 2, 0, 1.0f);
  connect(in, 3, 2, 1.0f);
  landscape<TypeParam> land;
  build(land, in);
  EXPECT_EQ(land.whichComponent(3), 0);
  EXPECT_EQ(land.whichComponent(1), 1);
  EXPECT_EQ(land.mida_del_component_del_node(2), 13.0f);
  EXPECT_EQ(land.nombre_de_nodes_del_component_del_node(0), 3);
  EXPECT_EQ(land.mida_del_component_del_node_sense_i(3), 5.0f);
  EXPECT_EQ(land.nombre_de_nodes_del_component_del_node(1), 1);
  EXPECT_EQ(land.mida_del_component_del_node_sense_i(1), 0.0f);
  EXPECT_EQ(land.mida_del_component_del_node(1), 2.0f);
}

TYPED_TEST(LandscapeBuild, EraseKeepsBetweennessAndAllowsRebuilding) {
  auto in = distanceInput({1, 2}, 10.0f);
  connect(in, 1, 0, 1.0f);
  landscape<TypeParam> land;
  build(land, in);
  land.generate_index_NC();
  land.bc = {0.5f, 0.25f};
  land.erase_arrays();
  EXPECT_TRUE(land.nodes.empty());
  EXPECT_TRUE(land.componentId.empty());
  EXPECT_FALSE(land.componentsReady);
  EXPECT_EQ(land.bc, (std::vector<float>{0.5f, 0.25f}));

  auto apart = distanceInput({1, 2}, 10.0f);
  build(land, apart);
  land.generate_index_NC();
  EXPECT_EQ(land.nc, 2);
}

}  // namespace

}  // namespace verdalis
