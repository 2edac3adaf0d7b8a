// NC, NL, H, CCP, LCP, IIC and EC(IIC) on small landscapes.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "landscape/landscape_builders.h"

namespace verdalis {

namespace {

using testland::build;
using testland::connect;
using testland::distanceInput;
using testland::Input;

template <class T>
class BinaryIndices : public ::testing::Test {};
using Precisions = ::testing::Types<float, double>;
TYPED_TEST_SUITE(BinaryIndices, Precisions);

template <class T>
void computeAll(landscape<T>& land) {
  land.generate_index_NC();
  land.generate_index_NL();
  land.generate_index_H();
  land.generate_index_CCP();
  land.generate_index_LCP();
  land.generate_index_IIC();
  land.generate_index_IICEC();
}

TYPED_TEST(BinaryIndices, TwoLinkedNodes) {
  auto in = distanceInput({2, 3}, 10.0f);
  in.area = 10;
  connect(in, 1, 0, 4.0f);
  landscape<TypeParam> land;
  build(land, in, true, false);
  computeAll(land);
  EXPECT_EQ(land.value_index_NC(), 1);
  EXPECT_EQ(land.value_index_NL(), 1);
  EXPECT_EQ(land.value_index_H(), 1.0f);
  EXPECT_EQ(land.value_index_CCP(), 1.0f);
  EXPECT_EQ(land.value_index_LCPnum(), 25.0);
  EXPECT_EQ(land.value_index_LCP(), 0.25);
  EXPECT_EQ(land.value_index_IICnum(), TypeParam(19));
  EXPECT_EQ(land.value_index_IIC(), TypeParam(19) / TypeParam(100));
  EXPECT_EQ(land.value_index_IICEC(), static_cast<TypeParam>(std::sqrt(19.0)));
}

TYPED_TEST(BinaryIndices, TwoNodesWithoutTheLink) {
  auto in = distanceInput({2, 3}, 10.0f);
  in.area = 10;
  connect(in, 1, 0, 11.0f);
  landscape<TypeParam> land;
  build(land, in, true, false);
  computeAll(land);
  EXPECT_EQ(land.value_index_NC(), 2);
  EXPECT_EQ(land.value_index_NL(), 0);
  EXPECT_EQ(land.value_index_H(), 0.0f);
  EXPECT_EQ(land.value_index_CCP(), 4.0f / 25.0f + 9.0f / 25.0f);
  EXPECT_FLOAT_EQ(land.value_index_CCP(), 0.52f);
  EXPECT_EQ(land.value_index_LCPnum(), 13.0);
  EXPECT_EQ(land.value_index_IICnum(), TypeParam(13));
  // Unlinked nodes keep the unreached marker in their distance rows.
  EXPECT_EQ(land.nlnode(0, 1), kUnreached);
  EXPECT_EQ(land.nlnode(1, 1), 0);
}

TYPED_TEST(BinaryIndices, SingleNodeWithoutLandscapeArea) {
  auto in = distanceInput({5}, 10.0f);
  landscape<TypeParam> land;
  build(land, in, true, false);
  computeAll(land);
  EXPECT_EQ(land.value_index_NC(), 1);
  EXPECT_EQ(land.value_index_LCP(), 25.0);
  EXPECT_EQ(land.value_index_LCPnum(), 25.0);
  EXPECT_EQ(land.value_index_IIC(), TypeParam(25));
  EXPECT_EQ(land.value_index_IICnum(), TypeParam(25));
  EXPECT_EQ(land.value_index_IICEC(), TypeParam(5));
  EXPECT_EQ(land.value_index_H(), 0.0f);
}

TYPED_TEST(BinaryIndices, PathOfThreeUnitNodes) {
  auto in = distanceInput({1, 1, 1}, 10.0f);
  connect(in, 1, 0, 1.0f);
  connect(in, 2, 1, 1.0f);
  landscape<TypeParam> land;
  build(land, in, true, false);
  land.generate_index_H();
  land.generate_index_IIC();
  EXPECT_EQ(land.value_index_H(), 2.5f);
  EXPECT_NEAR(static_cast<double>(land.value_index_IICnum()), 17.0 / 3.0, 1e-6);
  EXPECT_EQ(land.nlnode(0, 2), 2);
  EXPECT_EQ(land.nlnode(2, 0), 2);
}

TYPED_TEST(BinaryIndices, NoNodeGivesZeros) {
  auto in = distanceInput({}, 10.0f);
  in.area = 0;  // nothing to normalise by either
  landscape<TypeParam> land;
  build(land, in, true, true);
  computeAll(land);
  EXPECT_EQ(land.value_index_NC(), 0);
  EXPECT_EQ(land.value_index_NL(), 0);
  EXPECT_EQ(land.value_index_H(), 0.0f);
  EXPECT_EQ(land.value_index_CCP(), 0.0f);
  EXPECT_EQ(land.value_index_LCP(), 0.0);
  EXPECT_EQ(land.value_index_LCPnum(), 0.0);
  EXPECT_EQ(land.value_index_IIC(), TypeParam(0));
  EXPECT_EQ(land.value_index_IICnum(), TypeParam(0));
  EXPECT_EQ(land.value_index_IICEC(), TypeParam(0));
  land.generate_index_H_IIC();
  EXPECT_EQ(land.value_index_IIC(), TypeParam(0));
  EXPECT_EQ(land.value_index_H(), 0.0f);
}

TYPED_TEST(BinaryIndices, LabellingIsComputedOnDemandAndKept) {
  auto in = distanceInput({1, 2, 3}, 10.0f);
  connect(in, 2, 0, 1.0f);
  landscape<TypeParam> land;
  build(land, in, true, false);
  land.generate_index_LCP();  // labels first
  EXPECT_TRUE(land.componentsReady);
  EXPECT_EQ(land.value_index_LCPnum(), 16.0 + 4.0);
  EXPECT_EQ(land.componentId, (std::vector<int>{0, 1, 0}));
  land.generate_index_NC();
  EXPECT_EQ(land.value_index_NC(), 2);
}

// Reference sums from Floyd-Warshall distances, with the roundings the
// program's results are defined by: H summed in double and kept in float
// after every term; IIC terms as float products over double quotients,
// summed in T.
template <class T>
void expectReferenceSums(const Input& in, landscape<T>& land) {
  const int n = in.n();
  std::vector<std::vector<long long>> d(n, std::vector<long long>(n, kUnreached));
  for (int i = 0; i < n; ++i) {
    d[i][i] = 0;
    for (int j = 0; j < i; ++j)
      if (in.connections(i, j) <= in.threshold) d[i][j] = d[j][i] = 1;
  }
  for (int k = 0; k < n; ++k)
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) d[i][j] = std::min(d[i][j], d[i][k] + d[k][j]);
  float h = 0;
  T iic = 0;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      if (d[i][j] == kUnreached) continue;
      const float product = in.sizes[i] * in.sizes[j];
      iic = static_cast<T>(iic + static_cast<double>(product) / static_cast<double>(1 + d[i][j]));
      if (i != j) h = static_cast<float>(h + 1.0 / static_cast<double>(d[i][j]));
      ASSERT_EQ(land.nlnode(i, j), d[i][j]);
    }
  EXPECT_EQ(land.value_index_H(), h / 2.0f);
  EXPECT_EQ(land.value_index_IICnum(), iic);
  const float area = static_cast<float>(in.area);
  EXPECT_EQ(land.value_index_IIC(), iic / (area * area));
}

TYPED_TEST(BinaryIndices, SumsFollowTheirPrecisionOnRandomLandscapes) {
  std::mt19937 rng(3);
  for (int trial = 0; trial < 80; ++trial) {
    const Input in = testland::randomInput(rng, 1 + trial % 8);
    SCOPED_TRACE(::testing::Message() << "trial " << trial);
    landscape<TypeParam> separate, together;
    build(separate, in, true, false);
    separate.generate_index_H();
    separate.generate_index_IIC();
    expectReferenceSums(in, separate);
    build(together, in, true, false);
    together.generate_index_H_IIC();
    expectReferenceSums(in, together);
  }
}

}  // namespace

}  // namespace verdalis
