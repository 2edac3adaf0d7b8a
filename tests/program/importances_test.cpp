// The importance values read back from stored index values: signs, bases,
// precision, the guarded and near-zero cases, the special values, the link
// families with their selection, the sums and the connection queries.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "program/analysis_fixture.h"

namespace verdalis {

namespace {

constexpr float kError = -1111111106560.0f;

// Two existing nodes and one candidate, with global and variant values set
// directly, as the analysis would have stored them.
template <class T>
std::unique_ptr<quivaraProgram<T>> storedProgram(const indexChoice& c = indexChoice()) {
  auto p = blankProgram<T>(c);
  p->linkImportances1Flag = p->linkImportances2Flag = p->linkImportances3Flag = true;
  loadNodes(*p, {2.0f, 3.0f}, {{0, 800}, {800, 0}}, {5.0f}, {{700, 900}});
  return p;
}

template <class T>
class importanceTest : public testing::Test {};
using precisions = testing::Types<double, float>;
TYPED_TEST_SUITE(importanceTest, precisions);

TYPED_TEST(importanceTest, RemovalIsALossAndAdditionAGainOfTheNumerator) {
  auto p = storedProgram<TypeParam>();
  p->landGlobal->pc = 0.5;
  p->landDel[0].pc = 0.4;
  EXPECT_FLOAT_EQ(p->valueOfDelta(1, "pc", 0), 20.0f);
  EXPECT_FLOAT_EQ(p->valueOfVar(1, "pcvar", 0), 0.1f);

  // The added node is measured on numerators: its own normalised PC is not read.
  p->landGlobal->pcnum = 2;
  p->landAdd[0].pcnum = 3;
  p->landAdd[0].pc = 0.0001;
  EXPECT_EQ(p->valueOfDelta(2, "pc", 0), 50.0f);
  EXPECT_EQ(p->valueOfVar(2, "pcvar", 0), 1.0f);

  p->landGlobal->iicnum = 4;
  p->landAdd[0].iicnum = 5;
  p->landGlobal->lcpnum = 10;
  p->landAdd[0].lcpnum = 12;
  EXPECT_EQ(p->valueOfDelta(2, "iic", 0), 25.0f);
  EXPECT_EQ(p->valueOfDelta(2, "lcp", 0), 20.0f);
  EXPECT_EQ(p->valueOfVar(2, "lcpvar", 0), 2.0f);

  // A removal that raises the number of components has a negative dNC.
  p->landGlobal->nc = 1;
  p->landDel[1].nc = 2;
  EXPECT_EQ(p->valueOfDelta(1, "nc", 1), -100.0f);
  EXPECT_EQ(p->valueOfVar(1, "ncvar", 1), -1.0f);
  p->landAdd[0].nc = 2;
  EXPECT_EQ(p->valueOfDelta(2, "nc", 0), 100.0f);

  EXPECT_FLOAT_EQ(p->valueOfDelta(1, "a", 1), 60.0f);
  EXPECT_EQ(p->valueOfVar(1, "avar", 1), 3.0f);
  EXPECT_EQ(p->valueOfDelta(2, "a", 0), 100.0f);
  EXPECT_EQ(p->valueOfVar(2, "avar", 0), 5.0f);
}

TYPED_TEST(importanceTest, GuardedZeroBasesOnlyForNLAndH) {
  auto p = storedProgram<TypeParam>();
  p->landGlobal->nl = 0;
  p->landDel[0].nl = 0;
  p->landGlobal->h = 0;
  EXPECT_EQ(p->valueOfDelta(1, "nl", 0), 0.0f);
  EXPECT_EQ(p->valueOfDelta(2, "nl", 0), 0.0f);
  EXPECT_EQ(p->valueOfDelta(1, "h", 0), 0.0f);
  EXPECT_EQ(p->valueOfDeltaConNL(1, 0), 0.0f);
  // Other zero bases give what the division gives, without a message.
  std::string out = captured([&] { EXPECT_TRUE(std::isnan(p->valueOfDelta(1, "ccp", 0))); });
  EXPECT_EQ(out, "");

  p->landGlobal->nl = 10;
  p->landDel[0].nl = 10;
  p->landDel[1].nl = 7;
  EXPECT_EQ(p->valueOfDelta(1, "nl", 0), 0.0f);
  EXPECT_EQ(p->valueOfDelta(1, "nl", 1), 30.0f);
  EXPECT_EQ(p->valueOfVar(1, "nlvar", 1), 3.0f);
}

TYPED_TEST(importanceTest, IndicesOfTheRunPrecisionAreComparedInIt) {
  auto p = storedProgram<TypeParam>();
  p->landGlobal->iic = static_cast<TypeParam>(9.173);
  p->landDel[0].iic = static_cast<TypeParam>(4.381);
  const float expected = sizeof(TypeParam) == sizeof(double) ? 52.2402687f : 52.2402725f;
  EXPECT_EQ(p->valueOfDelta(1, "iic", 0), expected);

  // H is single precision in both builds.
  p->landGlobal->h = 2.02f;
  p->landDel[0].h = 0.649f;
  EXPECT_EQ(p->valueOfDelta(1, "h", 0), 67.8712921f);
}

TYPED_TEST(importanceTest, FractionTermRoundsBeforeScaling) {
  auto p = storedProgram<TypeParam>();
  p->landGlobal->pc = static_cast<TypeParam>(0.34478105127102743);
  p->landDel[0].pcintra = 0.085512375266064131;
  // Scaling the double quotient directly would give 24.8019352.
  if (sizeof(TypeParam) == sizeof(double)) {
    EXPECT_EQ(p->valueOfDelta(1, "pcintra", 0), 24.8019371f);
  }
  EXPECT_EQ(p->valueOfVar(1, "pcintravar", 0), 0.085512375266064131f);

  p->landGlobal->iic = 0.5;
  p->landDel[1].iicflux = 0.1;
  EXPECT_FLOAT_EQ(p->valueOfDelta(1, "iicflux", 1), 20.0f);
  p->landGlobal->iicnum = 4;
  p->landAdd[0].iicintra = 1;
  EXPECT_EQ(p->valueOfDelta(2, "iicintra", 0), 25.0f);
}

TYPED_TEST(importanceTest, ConnectorRules) {
  indexChoice c;
  c.iic = c.pc = c.bciic = true;
  auto p = storedProgram<TypeParam>(c);
  p->landGlobal->iic = 1;
  p->landGlobal->iicnum = 1;
  p->landGlobal->bciic = {0.0f, 0.25f};

  // A node that no best path crosses connects nothing, whatever its fraction.
  p->landDel[0].iicconnector = 0.05;
  EXPECT_EQ(p->valueOfDelta(1, "iicconnector", 0), 0.0f);
  EXPECT_EQ(p->valueOfVar(1, "iicconnectorvar", 0), 0.0f);
  p->landDel[1].iicconnector = 0.05;
  EXPECT_FLOAT_EQ(p->valueOfDelta(1, "iicconnector", 1), 5.0f);
  EXPECT_FLOAT_EQ(p->valueOfVar(1, "iicconnectorvar", 1), 0.05f);

  // Rounding noise just below zero is dropped; a real negative value is kept.
  p->landDel[1].iicconnector = -1e-9;
  EXPECT_EQ(p->valueOfDelta(1, "iicconnector", 1), 0.0f);
  EXPECT_EQ(p->valueOfVar(1, "iicconnectorvar", 1), 0.0f);
  p->landDel[1].iicconnector = -1e-5;
  EXPECT_NEAR(p->valueOfDelta(1, "iicconnector", 1), -0.001f, 1e-9);

  // An added node has no betweenness to test.
  p->landAdd[0].iicconnector = 0.05;
  EXPECT_FLOAT_EQ(p->valueOfDelta(2, "iicconnector", 0), 5.0f);
  p->landAdd[0].iicconnector = -1e-9;
  EXPECT_EQ(p->valueOfDelta(2, "iicconnector", 0), 0.0f);

  // Without BC(PC) selected the PC connector is not tested against it.
  p->landGlobal->pc = 1;
  p->landDel[0].pcconnector = 0.05;
  EXPECT_FLOAT_EQ(p->valueOfDelta(1, "pcconnector", 0), 5.0f);
}

TYPED_TEST(importanceTest, BetweennessImportances) {
  indexChoice c;
  c.bcpc = c.bciic = true;
  auto p = storedProgram<TypeParam>(c);
  p->landGlobal->pcnum = 1.5;
  p->landGlobal->iicnum = 2;
  p->landGlobal->bcpc = {0.3f, 0.0f};
  p->landGlobal->bciic = {0.5f, 0.0f};
  EXPECT_FLOAT_EQ(p->valueOfDelta(1, "bcpc", 0), 20.0f);
  EXPECT_FLOAT_EQ(p->valueOfDelta(1, "bciic", 0), 25.0f);
  // The var of a betweenness is the value itself, not a variation.
  EXPECT_EQ(p->valueOfVar(1, "bcpcvar", 0), 0.3f);
  EXPECT_EQ(p->valueOfVar(1, "bciicvar", 0), 0.5f);
  for (const char* key : {"bcpc", "bciic"}) EXPECT_EQ(p->valueOfDelta(2, key, 0), 0.0f);
  for (const char* key : {"bcpcvar", "bciicvar"}) EXPECT_EQ(p->valueOfVar(2, key, 0), 0.0f);
}

TYPED_TEST(importanceTest, UnknownKeysAndCodes) {
  auto p = storedProgram<TypeParam>();
  std::string out = captured([&] {
    EXPECT_EQ(p->valueOfDelta(1, "PC", 0), -503.0f);
    EXPECT_EQ(p->valueOfDelta(2, "pcvar", 0), -503.0f);
    EXPECT_EQ(p->valueOfDelta(3, "bcpc", 1, 0), -503.0f);
  });
  EXPECT_EQ(out, "");

  out = captured([&] { EXPECT_EQ(p->valueOfVar(1, "pc", 0), kError); });
  EXPECT_EQ(out, "Error: There is an error in var results.\n");
  out = captured([&] { EXPECT_EQ(p->valueOfVar(2, "var", 0), kError); });
  EXPECT_EQ(out, "Error: There is an error in var results.\n");
  out = captured([&] { EXPECT_EQ(p->valueOfVar(6, "pcvar", 0), kError); });
  EXPECT_EQ(out, "Error: There is an error in var results.\n");

  for (int code : {0, 6}) {
    out = captured([&] { EXPECT_EQ(p->valueOfDelta(code, "pc", 0), kError); });
    EXPECT_EQ(out, "Error: There is an error in delta results\n");
  }
  // Node-only keys asked of a link, and a link asked without its pair.
  for (const char* key : {"a", "iicintra", "pcconnector"}) {
    out = captured([&] { EXPECT_EQ(p->valueOfDelta(3, key, 1, 0), kError); });
    EXPECT_EQ(out, "Error: There is an error in delta results\n");
  }
  out = captured([&] { EXPECT_EQ(p->valueOfDelta(3, "pc", 1), kError); });
  EXPECT_EQ(out, "Error: There is an error in delta results\n");
}

TYPED_TEST(importanceTest, LinkFamiliesAndTheirSelection) {
  auto p = storedProgram<TypeParam>();
  p->linkImportancesPij = 500;  // the only pair, at 800, is not selected
  p->landGlobal->pc = 0.5;
  p->landConSure[0].pc = 0.4;
  p->landConDiff[0].pc = 0.4;
  p->landDelCon[0].pc = 0.4;
  EXPECT_EQ(p->valueOfDeltaConSurePC(1, 0), 0.0f);
  EXPECT_EQ(p->valueOfDeltaConPC(1, 0), 0.0f);
  EXPECT_EQ(p->valueOfDelta(4, "pc", 1, 0), 0.0f);
  EXPECT_EQ(p->valueOfDelta(3, "nosuchkey", 1, 0), 0.0f);
  EXPECT_FLOAT_EQ(p->valueOfDeltaConDiffPC(1, 0), 20.0f);
  EXPECT_FLOAT_EQ(p->valueOfDelta(5, "pc", 1, 0), 20.0f);

  p->linkImportancesPij = -1;
  EXPECT_FLOAT_EQ(p->valueOfDeltaConSurePC(1, 0), 20.0f);
  EXPECT_FLOAT_EQ(p->valueOfDeltaConPC(1, 0), 20.0f);
  EXPECT_FLOAT_EQ(p->valueOfDelta(3, "pc", 1, 0), 20.0f);

  // Counts, guarded bases and the single-precision indices as for nodes.
  p->landGlobal->nl = 4;
  p->landDelCon[0].nl = 3;
  p->landGlobal->nc = 1;
  p->landDelCon[0].nc = 2;
  p->landGlobal->h = 0;
  p->landGlobal->awf = 2;
  p->landDelCon[0].awf = 1.5f;
  EXPECT_EQ(p->valueOfDeltaConNL(1, 0), 25.0f);
  EXPECT_EQ(p->valueOfDeltaConNC(1, 0), -100.0f);
  EXPECT_EQ(p->valueOfDeltaConH(1, 0), 0.0f);
  EXPECT_EQ(p->valueOfDeltaConAWF(1, 0), 25.0f);
  EXPECT_EQ(p->valueOfDelta(3, "nc", 1, 0), -100.0f);
}

// Single precision cannot hold a change this small, so the noise rule is
// seen in the double build only.
TEST(linkImportance, NoiseAroundZero) {
  auto p = storedProgram<double>();
  p->landGlobal->iic = 1;
  p->landGlobal->pc = 1;
  // A removed link cannot raise PC: tiny rises are noise...
  p->landDelCon[0].pc = 1 + 1e-9;
  p->landConDiff[0].pc = 1 + 1e-9;
  EXPECT_EQ(p->valueOfDelta(3, "pc", 1, 0), 0.0f);
  EXPECT_EQ(p->valueOfDelta(5, "pc", 1, 0), 0.0f);
  // ...but the link table reports the plain variation.
  EXPECT_NE(p->valueOfDeltaConPC(1, 0), 0.0f);
  p->landDelCon[0].iic = 1.001;
  EXPECT_NEAR(p->valueOfDelta(3, "iic", 1, 0), -0.1f, 1e-6);

  // A sure link cannot lower it.
  p->landConSure[0].iic = 1 - 1e-9;
  EXPECT_EQ(p->valueOfDelta(4, "iic", 1, 0), 0.0f);
  p->landConSure[0].iic = 1 + 1e-9;
  EXPECT_NE(p->valueOfDelta(4, "iic", 1, 0), 0.0f);
}

TEST(importanceSums, NodeSumsInFloatPairSumsInDouble) {
  auto p = blankProgram<double>();
  p->linkImportances1Flag = true;
  loadPath(*p, 3);
  p->landGlobal->pc = 3;
  p->landDel[0].pc = 2;
  p->landDel[1].pc = 1;
  p->landDel[2].pc = 2;
  const float third = 100 * (3.0 - 2.0) / 3.0;
  const float twoThirds = 100 * (3.0 - 1.0) / 3.0;
  EXPECT_EQ(p->valueOfSumdPC(), third + twoThirds + third);

  p->landGlobal->iic = 3;
  for (int pair = 0; pair < 3; ++pair) p->landDelCon[pair].iic = 2;
  p->linkImportancesPij = 700;  // the pair (2, 0) is not linked: it counts 0
  EXPECT_EQ(p->valueOfConSumdIIC(), 2 * static_cast<double>(third));
}

TEST(importancePCParts, PercentOfTheSinglePrecisionNumerator) {
  auto p = blankProgram<double>();
  loadPath(*p, 2);
  p->landGlobal->pcnum = 0.3;
  p->landGlobal->pcIntraGlob = 0.1;
  p->landGlobal->pcDirectGlob = 0.15;
  p->landGlobal->pcStepGlob = 0.05;
  const double base = static_cast<double>(0.3f);
  EXPECT_EQ(p->retorna_valor_de_pcIntraGlob(), 0.1 / base * 100);
  EXPECT_EQ(p->retorna_valor_de_pcDirectGlob(), 0.15 / base * 100);
  EXPECT_EQ(p->retorna_valor_de_pcStepGlob(), 0.05 / base * 100);
}

TEST(linkSelection, ThresholdAgainstProbabilityOrDistance) {
  auto p = blankProgram<double>();
  p->inputDist = false;
  p->inputProb = true;
  loadNodes(*p, {1, 1, 1}, {{1, 0, 0}, {0.5f, 1, 0}, {0.2f, 0.4999f, 1}});
  p->linkImportancesPij = 0.5f;
  EXPECT_TRUE(p->linkSelected(1, 0));
  EXPECT_FALSE(p->linkSelected(2, 1));

  auto d = blankProgram<double>();
  loadNodes(*d, {1, 1, 1}, {{0, 0, 0}, {1000, 0, 0}, {5, 1000.5f, 0}});
  d->linkImportancesPij = 1000;
  EXPECT_TRUE(d->linkSelected(1, 0));
  EXPECT_FALSE(d->linkSelected(2, 1));
  EXPECT_TRUE(d->linkSelected(2, 0));
  // Every threshold not above 0 checks all links, as the run summary says.
  for (float all : {-1.0f, 0.0f, -3.0f}) {
    d->linkImportancesPij = all;
    EXPECT_TRUE(d->linkSelected(2, 1)) << all;
  }

  auto b = blankProgram<double>();
  b->inputDist = false;
  b->inputAdjacen = true;
  loadNodes(*b, {1, 1}, {{0, 1}, {1, 0}});
  b->linkImportancesPij = 0.5f;
  EXPECT_FALSE(b->linkSelected(1, 0));
  b->linkImportancesPij = -1;
  EXPECT_TRUE(b->linkSelected(1, 0));
}

TEST(connectionQueries, AdjacencyAndProbabilities) {
  auto p = blankProgram<double>();
  loadNodes(*p, {1, 1, 1}, {{0, 1000, 2000}, {1000, 0, 1000.5f}, {noLink(), 1000.5f, 0}});
  EXPECT_EQ(p->valueOfProbability(0, 1), 0.5f);
  EXPECT_FLOAT_EQ(p->valueOfProbability(0, 2), 0.25f);
  EXPECT_EQ(p->valueOfProbability(2, 0), 0.0f);
  EXPECT_EQ(p->isAdjacent(1, 0), 1);
  EXPECT_EQ(p->isAdjacent(2, 1), 0);

  // A certain link at the reference distance still leaves unlisted pairs unlinked.
  p->kProbProb = 1;
  EXPECT_EQ(p->valueOfProbability(2, 0), 0.0f);
  EXPECT_EQ(p->valueOfProbability(0, 2), 1.0f);

  auto q = blankProgram<double>();
  q->inputDist = false;
  q->inputProb = true;
  q->adjacentTail = 0.5f;
  loadNodes(*q, {1, 1}, {{1, 0.7f}, {0.5f, 1}});
  EXPECT_EQ(q->valueOfProbability(0, 1), 0.7f);
  EXPECT_EQ(q->isAdjacent(1, 0), 1);

  auto b = blankProgram<double>();
  b->inputDist = false;
  b->inputAdjacen = true;
  loadNodes(*b, {1, 1}, {{0, 1}, {0.5f, 0}});
  EXPECT_EQ(b->valueOfProbability(0, 1), 0.0f);
  EXPECT_EQ(b->isAdjacent(0, 1), 1);
  EXPECT_EQ(b->isAdjacent(1, 0), 0);
}

TEST(connectionQueries, MaximumProbabilityNeedsPC) {
  auto p = blankProgram<double>();
  loadPath(*p, 2);
  std::string out = captured([&] { EXPECT_EQ(p->valueOfProbabilityMaximum(1, 0), 0.0f); });
  EXPECT_EQ(out, "Error!: Cannot acces to the maximum product probability values\n");
}

}  // namespace

}  // namespace verdalis
