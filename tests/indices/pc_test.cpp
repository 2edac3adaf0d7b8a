// F, AWF, PC and its parts on small landscapes, the three search variants,
// the progress line, and best-path probabilities against path enumeration.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "indices/hand_landscape.h"
#include "indices/indexPC.h"
#include "landscape/landscape.h"

namespace verdalis {

namespace {

template <class T>
class PcTest : public ::testing::Test {
 protected:
  // Captures the progress lines of one PC computation.
  static std::string computePC(landscape<T>& land) {
    ::testing::internal::CaptureStdout();
    land.generate_index_PC();
    return ::testing::internal::GetCapturedStdout();
  }
  static void computeAll(landscape<T>& land) {
    land.generate_index_F();
    land.generate_index_AWF();
    computePC(land);
    land.generate_index_PCEC();
    land.CalculaPcIntraGlob();
    land.CalculaPcDirectGlob();
    land.CalculaPcStepGlob();
  }
  // Nodes 2 and 3, p = 0.5 both ways, AL 10.
  static landscape<T> twoNodes(float minProb, bool allpaths) {
    landscape<T> land = handland::make<T>({2, 3}, 10, minProb, allpaths);
    handland::setP(land, 0, 1, 0.5f);
    return land;
  }
  // Three unit nodes, p01 = p12 = 0.5, p02 = 0.1.
  static landscape<T> threeNodes(float minProb, bool allpaths) {
    landscape<T> land = handland::make<T>({1, 1, 1}, 1, minProb, allpaths);
    handland::setP(land, 0, 1, 0.5f);
    handland::setP(land, 1, 2, 0.5f);
    handland::setP(land, 0, 2, 0.1f);
    return land;
  }
  static double tolerance(double value) { return 1e-6 * std::fabs(value) + 1e-9; }
};

using Precisions = ::testing::Types<float, double>;
TYPED_TEST_SUITE(PcTest, Precisions);

struct Variant {
  float minProb;
  bool allpaths;
};
const Variant kVariants[] = {{0, false}, {0, true}, {0.05f, false}};

TYPED_TEST(PcTest, TwoNodeExampleInEveryVariant) {
  for (const Variant& v : kVariants) {
    landscape<TypeParam> land = this->twoNodes(v.minProb, v.allpaths);
    this->computeAll(land);
    SCOPED_TRACE(testing::Message() << "minProb " << v.minProb << " allpaths " << v.allpaths);
    EXPECT_FLOAT_EQ(land.value_index_F(), 1);
    EXPECT_FLOAT_EQ(land.value_index_AWF(), 6);
    EXPECT_NEAR(land.value_index_PCnum(), 19, this->tolerance(19));
    EXPECT_NEAR(land.value_index_PC(), 0.19, this->tolerance(0.19));
    EXPECT_NEAR(land.value_index_PCEC(), std::sqrt(19.0), this->tolerance(4.36));
    EXPECT_EQ(land.valor_de_pcIntraGlob(), 13);
    EXPECT_EQ(land.valor_de_pcDirectGlob(), 6);
    EXPECT_NEAR(land.valor_de_pcStepGlob(), 0, 1e-6);
    EXPECT_EQ(land.return_p_maxim_product(0, 0), 1);
    EXPECT_FLOAT_EQ(land.return_p_maxim_product(1, 0), 0.5f);
  }
}

TYPED_TEST(PcTest, SteppingStoneBeatsWeakDirectLink) {
  for (const Variant& v : kVariants) {
    landscape<TypeParam> land = this->threeNodes(v.minProb, v.allpaths);
    this->computeAll(land);
    SCOPED_TRACE(testing::Message() << "minProb " << v.minProb << " allpaths " << v.allpaths);
    EXPECT_FLOAT_EQ(land.return_p_maxim_product(0, 2), 0.25f);
    EXPECT_FLOAT_EQ(land.return_p_maxim_product(2, 0), 0.25f);
    EXPECT_NEAR(land.value_index_PCnum(), 5.5, this->tolerance(5.5));
    EXPECT_NEAR(land.value_index_PC(), 5.5, this->tolerance(5.5));  // AL 1: PC is PCnum
    EXPECT_NEAR(land.valor_de_pcDirectGlob(), 2.2, 1e-6);
    EXPECT_NEAR(land.valor_de_pcStepGlob(), 0.3, 1e-6);
    EXPECT_NEAR(land.valor_de_pcIntraGlob() + land.valor_de_pcDirectGlob() + land.valor_de_pcStepGlob(),
                land.value_index_PCnum(), 1e-5);
  }
}

// Chain 0-1-2-3 at 0.5 per link: the heuristic reaches node 2 without
// expanding it, so node 3 is lost from node 0; the exact search finds it.
TYPED_TEST(PcTest, MinimumProbabilityHeuristicOnChain) {
  landscape<TypeParam> land = handland::make<TypeParam>({1, 1, 1, 1}, 1, 0.3f);
  for (int i = 0; i < 3; ++i) handland::setP(land, i, i + 1, 0.5f);
  this->computePC(land);
  EXPECT_FLOAT_EQ(land.return_p_maxim_product(0, 1), 0.5f);
  EXPECT_FLOAT_EQ(land.return_p_maxim_product(0, 2), 0.25f);
  EXPECT_EQ(land.return_p_maxim_product(0, 3), 0);
  land.minProb = 0;
  this->computePC(land);
  EXPECT_FLOAT_EQ(land.return_p_maxim_product(0, 3), 0.125f);
}

// A link at or below minProb is no link for the heuristic: its p* can fall
// below its own direct probability, and PCstep turns negative.
TYPED_TEST(PcTest, HeuristicDropsLinksAtMinProb) {
  landscape<TypeParam> land = handland::make<TypeParam>({1, 1}, 1, 0.5f);
  handland::setP(land, 0, 1, 0.5f);
  this->computePC(land);
  land.CalculaPcStepGlob();
  EXPECT_EQ(land.return_p_maxim_product(0, 1), 0);
  EXPECT_NEAR(land.value_index_PCnum(), 2, 1e-6);
  EXPECT_NEAR(land.valor_de_pcStepGlob(), -1, 1e-6);
}

// Variant 1 follows each direction's own probability; the complete-graph and
// heuristic variants take, for both directions, the one from the later node.
TYPED_TEST(PcTest, DirectionOfAsymmetricPairs) {
  for (const Variant& v : kVariants) {
    landscape<TypeParam> land = handland::make<TypeParam>({1, 1}, 1, v.minProb, v.allpaths);
    land.nodes[0].p[1] = 0.2f;
    land.nodes[1].p[0] = 0.8f;
    this->computePC(land);
    SCOPED_TRACE(testing::Message() << "minProb " << v.minProb << " allpaths " << v.allpaths);
    const bool exact = !v.allpaths && v.minProb == 0;
    EXPECT_FLOAT_EQ(land.return_p_maxim_product(0, 1), exact ? 0.2f : 0.8f);
    EXPECT_FLOAT_EQ(land.return_p_maxim_product(1, 0), 0.8f);
  }
}

TYPED_TEST(PcTest, EmptyLandscapeGivesZeros) {
  landscape<TypeParam> land = handland::make<TypeParam>({}, 10);
  std::string progress = this->computePC(land);
  this->computeAll(land);
  EXPECT_EQ(progress, "");
  EXPECT_EQ(land.value_index_PC(), 0);
  EXPECT_EQ(land.value_index_PCnum(), 0);
  EXPECT_EQ(land.value_index_PCEC(), 0);
  EXPECT_EQ(land.value_index_F(), 0);
  EXPECT_EQ(land.value_index_AWF(), 0);
  EXPECT_EQ(land.valor_de_pcIntraGlob() + land.valor_de_pcDirectGlob() + land.valor_de_pcStepGlob(), 0);
  land.sizeLandscapeArea = 0;  // nothing to normalise
  this->computePC(land);
  EXPECT_EQ(land.value_index_PC(), 0);
}

// The best-path rows are made when a landscape comes without them.
TYPED_TEST(PcTest, BestPathRowsMadeWhenMissing) {
  landscape<TypeParam> land = this->twoNodes(0, false);
  for (tessella& node : land.nodes) node.p_maxim_product.clear();
  this->computePC(land);
  ASSERT_EQ(land.nodes[1].p_maxim_product.size(), 2u);
  EXPECT_FLOAT_EQ(land.return_p_maxim_product(1, 0), 0.5f);
}

TYPED_TEST(PcTest, ProgressLineForEverySource) {
  landscape<TypeParam> land = handland::make<TypeParam>(std::vector<float>(8, 1.0f), 1);
  std::string out = this->computePC(land);
  EXPECT_NE(out.find("Processing node number 2 of 8 (25%)\r"), std::string::npos) << out;
  std::string expected;
  for (int i = 0; i < 8; ++i)
    expected += "Processing node number " + std::to_string(i) + " of 8 (" + std::to_string(i * 100 / 8) + "%)\r";
  EXPECT_EQ(out, expected);
}

// On random landscapes the exact variant finds, for every ordered pair, the
// best product over all simple paths; the complete-graph variant agrees on
// symmetric inputs, and PCnum is the attribute-weighted sum of those.
TYPED_TEST(PcTest, BestPathsMatchEnumerationOnRandomLandscapes) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 60; ++round) {
    const int n = 1 + round % 7;
    const bool symmetric = round % 2 == 0;
    landscape<TypeParam> land = handland::random<TypeParam>(rng, n, symmetric);
    this->computePC(land);
    double expectedNum = 0;
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) {
        double best = handland::bestPathByEnumeration(land, i, j);
        EXPECT_NEAR(land.return_p_maxim_product(i, j), best, 1e-5 * best + 1e-12)
            << "round " << round << " pair " << i << "," << j;
        expectedNum += double(land.nodes[i].size) * land.nodes[j].size * best;
      }
    EXPECT_NEAR(land.value_index_PCnum(), expectedNum, 1e-5 * expectedNum);
    EXPECT_NEAR(land.value_index_PC(), expectedNum / 900.0, 1e-5 * expectedNum / 900.0);

    land.CalculaPcIntraGlob();
    land.CalculaPcDirectGlob();
    land.CalculaPcStepGlob();
    EXPECT_NEAR(land.valor_de_pcIntraGlob() + land.valor_de_pcDirectGlob() + land.valor_de_pcStepGlob(),
                land.value_index_PCnum(), 1e-5 * expectedNum);

    if (symmetric) {
      landscape<TypeParam> complete = land;
      complete.allpaths = true;
      this->computePC(complete);
      EXPECT_NEAR(complete.value_index_PCnum(), land.value_index_PCnum(), 1e-6 * expectedNum);
      for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
          EXPECT_EQ(complete.return_p_maxim_product(i, j), land.return_p_maxim_product(i, j));
    }
  }
}

// The heuristic never finds a better path than the exact search.
TYPED_TEST(PcTest, HeuristicNeverExceedsExact) {
  std::mt19937 rng(7);
  for (int round = 0; round < 30; ++round) {
    const int n = 2 + round % 6;
    landscape<TypeParam> land = handland::random<TypeParam>(rng, n, true);
    landscape<TypeParam> cut = land;
    cut.minProb = 0.3f;
    this->computePC(land);
    this->computePC(cut);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) EXPECT_LE(cut.return_p_maxim_product(i, j), land.return_p_maxim_product(i, j));
    EXPECT_LE(cut.value_index_PCnum(), land.value_index_PCnum());
  }
}

}  // namespace

}  // namespace verdalis
