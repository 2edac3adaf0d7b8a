// The landscape's betweenness operations: one value per node, read back by
// the accessors, on landscapes built node by node.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "landscape/landscape.h"
#include "support/numfmt.h"

namespace verdalis {

namespace {

// Path 0-1-2 with probabilities along the links only.
template <class T>
void buildPathOfThree(landscape<T>& land) {
  land.nNodes = 3;
  land.nodes.resize(3);
  const float sizes[] = {2, 3, 5};
  const std::vector<std::vector<float>> p = {{1, 0.5f, 0}, {0.5f, 1, 0.8f}, {0, 0.8f, 1}};
  const std::vector<adjacency> lists = {{1}, {0, 2}, {1}};
  for (int i = 0; i < 3; ++i) {
    land.nodes[i].size = sizes[i];
    land.nodes[i].label = 101 + i;
    land.nodes[i].list_adjacency = lists[i];
    land.nodes[i].p = p[i];
  }
  land.nEdges = 2;
  land.sizeLandscapeArea = 100;
}

template <class T>
class LandscapeBetweenness : public testing::Test {};
using Precisions = testing::Types<float, double>;
TYPED_TEST_SUITE(LandscapeBetweenness, Precisions);

TYPED_TEST(LandscapeBetweenness, FillsOneValuePerNode) {
  landscape<TypeParam> land;
  buildPathOfThree(land);
  testing::internal::CaptureStdout();
  land.generate_index_BC();
  land.generate_index_BCIIC();
  land.generate_index_BCPC();
  const std::string log = testing::internal::GetCapturedStdout();
  ASSERT_EQ(land.bc.size(), 3u);
  ASSERT_EQ(land.bciic.size(), 3u);
  ASSERT_EQ(land.bcpc.size(), 3u);
  EXPECT_FLOAT_EQ(land.value_index_BC(1), 2.0f / 3.0f);
  EXPECT_FLOAT_EQ(land.value_index_BCIIC(1), 2 * 2.0f * 5.0f / 3);
  EXPECT_FLOAT_EQ(land.value_index_BCPC(1), 2 * 2.0f * 5.0f * 0.4f);
  EXPECT_EQ(land.value_index_BCPC(0), 0.0f);
  EXPECT_NE(log.find("Processing BC(IIC) of node with ID 103\n66 % completed\n"), std::string::npos);
  EXPECT_NE(log.find("Processing BC(PC) of node with ID 101\n0 % completed\n"), std::string::npos);
}

TYPED_TEST(LandscapeBetweenness, SingleNodeHasNoPairsToDivideBy) {
  landscape<TypeParam> land;
  land.nNodes = 1;
  land.nodes.resize(1);
  land.nodes[0].size = 4;
  land.nodes[0].p = {1.0f};
  testing::internal::CaptureStdout();
  land.generate_index_BC();
  land.generate_index_BCIIC();
  land.generate_index_BCPC();
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(std::isnan(land.value_index_BC(0)));
  EXPECT_EQ(toText(land.value_index_BC(0)), "nan");
  EXPECT_EQ(land.value_index_BCIIC(0), 0.0f);
  EXPECT_EQ(land.value_index_BCPC(0), 0.0f);
}

TYPED_TEST(LandscapeBetweenness, EmptyLandscapeGivesEmptyArraysAndNoProgress) {
  landscape<TypeParam> land;
  testing::internal::CaptureStdout();
  land.generate_index_BC();
  land.generate_index_BCIIC();
  land.generate_index_BCPC();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_TRUE(land.bc.empty());
  EXPECT_TRUE(land.bciic.empty());
  EXPECT_TRUE(land.bcpc.empty());
}

}  // namespace

}  // namespace verdalis
