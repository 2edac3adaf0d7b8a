// BC, BC(IIC) and BC(PC) of a landscape of the sparse form against the
// dense form, to the bit: the straightforward computations and the engine's
// on the matrices, on small random landscapes whose distances on a coarse grid
// make equal paths common, some with pairs of weight 0, some split into
// components, in both precisions, on one thread and on several.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/betweenness.h"
#include "engine/sparse_betweenness.h"
#include "indices/terms.h"
#include "landscape/landscape_builders.h"
#include "landscape/sparse_landscape.h"

namespace verdalis {

namespace {

// The value of a cell that no line of a connection file sets.
float unlisted(const testland::Input& in) { return in.dist ? testland::kNoLinkDistance : 0.0f; }

// The pairs a connection file would list: every cell that holds a value.
listedPairs listedOf(const testland::Input& in) {
  listedPairs pairs;
  pairs.n = in.n();
  pairs.start.assign(static_cast<std::size_t>(in.n()) + 1, 0);
  for (int i = 0; i < in.n(); ++i) {
    for (int j = 0; j < in.n(); ++j)
      if (in.connections(i, j) != unlisted(in)) {
        pairs.to.push_back(j);
        pairs.value.push_back(in.connections(i, j));
      }
    pairs.start[i + 1] = pairs.to.size();
  }
  return pairs;
}

sparseLandscape sparseOf(const testland::Input& in) {
  connectionRules rules;
  rules.inputDist = in.dist;
  rules.inputProb = in.prob;
  rules.adjacentTail = in.threshold;
  rules.kProbProb = in.kProb;
  rules.kDistanceProb = in.kDist;
  rules.adjType = true;
  rules.probType = true;
  return buildSparseLandscape(in.sizes, listedOf(in), rules, in.area, 0.01f, false);
}

// Pairs of nodes of different residues modulo `groups` unlisted: as many
// components, of different sizes.
void split(testland::Input& in, int groups) {
  for (int i = 0; i < in.n(); ++i)
    for (int j = 0; j < in.n(); ++j)
      if (i % groups != j % groups) in.connections(i, j) = testland::kNoLinkDistance;
}

// Some listed pairs at distance 0: probability 1, weight 0, so that nodes
// of equal distance reach each other and the order they are taken in
// decides their parents.
void zeroSome(testland::Input& in, std::mt19937& rng) {
  std::uniform_int_distribution<int> pick(0, 7);
  for (int i = 0; i < in.n(); ++i)
    for (int j = 0; j < in.n(); ++j)
      if (in.connections(i, j) != testland::kNoLinkDistance && pick(rng) == 0) in.connections(i, j) = 0;
}

void expectSameBits(const std::vector<float>& got, const std::vector<float>& want, const char* what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (std::size_t k = 0; k < want.size(); ++k)
    EXPECT_EQ(std::memcmp(&got[k], &want[k], sizeof(float)), 0)
        << what << " of node " << k << ": " << got[k] << ", expected " << want[k];
}

template <class T>
landscape<T> checkCase(const testland::Input& in) {
  landscape<T> full;
  testland::build(full, in);
  // The full computations print their progress lines.
  testing::internal::CaptureStdout();
  full.generate_index_BC();
  full.generate_index_BCPC();
  full.generate_index_BCIIC();
  testing::internal::GetCapturedStdout();
  std::vector<float> engine;
  measureBCPC(full, engine, 2);
  expectSameBits(engine, full.bcpc, "BC(PC) of the engine");
  measureBCIIC(full, engine, 2);
  expectSameBits(engine, full.bciic, "BC(IIC) of the engine");
  const sparseLandscape sparse = sparseOf(in);
  for (unsigned threads : {1u, 3u}) {
    SCOPED_TRACE("threads " + std::to_string(threads));
    std::vector<float> values;
    measureBCSparse(sparse, values, threads);
    expectSameBits(values, full.bc, "BC");
    measureBCPCSparse<T>(sparse, values, threads);
    expectSameBits(values, full.bcpc, "BC(PC)");
    measureBCIICSparse(sparse, values, threads);
    expectSameBits(values, full.bciic, "BC(IIC)");
  }
  return full;
}

template <class T>
class SparseBetweenness : public ::testing::Test {};
using Precisions = ::testing::Types<float, double>;
TYPED_TEST_SUITE(SparseBetweenness, Precisions);

TYPED_TEST(SparseBetweenness, SameBitsAsTheFullForm) {
  for (unsigned seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    testland::Input in = testland::tiedInput(rng, 6 + static_cast<int>(seed * 3));
    if (seed % 2 == 0) split(in, 1 + static_cast<int>(seed % 3));
    if (seed % 4 < 2) zeroSome(in, rng);
    checkCase<TypeParam>(in);
  }
  // Enough nodes for the sources to be split over threads.
  std::mt19937 rng(77);
  testland::Input large = testland::tiedInput(rng, 72);
  split(large, 3);
  checkCase<TypeParam>(large);
  checkCase<TypeParam>(testland::tiedInput(rng, 1));
}

// A probability whose weight -ln p is exactly w, if one is near exp(-w).
float probabilityOfWeight(float w) {
  constexpr int kSteps = 64;
  float p = std::exp(-w);
  for (int step = 0; step < kSteps && pcWeight(p) > w; ++step) p = std::nextafter(p, 2.0f);
  for (int step = 0; step < kSteps && pcWeight(p) < w; ++step) p = std::nextafter(p, 0.0f);
  return pcWeight(p) == w ? p : 0.0f;
}

// In double precision the scan takes the nodes of one float class by
// position, not by distance: w (3), reached directly at c, goes before x
// (2), reached over y (1) at a + b, a hair below c in the same float. The
// step of weight 0 from x to w then comes too late: w keeps its one parent,
// and x carries no path from 0. y has attribute 0, so its own paths through
// x weigh nothing.
TEST(SparseBetweenness, TakesTheScanChoiceWithinAFloatClass) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> probability(0.05f, 0.95f);
  float pa = 0, pb = 0, pc = 0;
  while (pc == 0) {
    pa = probability(rng);
    pb = probability(rng);
    const double sum = static_cast<double>(pcWeight(pa)) + static_cast<double>(pcWeight(pb));
    const float c = static_cast<float>(sum);
    if (static_cast<double>(c) > sum) pc = probabilityOfWeight(c);
  }
  testland::Input in = testland::distanceInput({2.0f, 0.0f, 5.0f, 7.0f}, 0.5f);
  in.dist = false;
  in.prob = true;
  in.connections.assign(4, 4, 0.0f);
  in.connections(1, 0) = pa;
  in.connections(0, 1) = pa;
  in.connections(1, 2) = pb;
  in.connections(0, 3) = pc;
  in.connections(2, 3) = 1.0f;
  EXPECT_EQ(checkCase<double>(in).bcpc[2], 0.0f);
  checkCase<float>(in);
}

}  // namespace

}  // namespace verdalis
