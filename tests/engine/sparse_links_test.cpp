// The link analyses of a landscape of the sparse form against those of the
// dense form, in process: for small generated landscapes with and without
// ties, every pair removed, made sure and changed (to values that join,
// split and leave components, and to no link at all) must carry the same
// values to the bit, in both precisions and with any number of threads.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/sparse_links.h"
#include "landscape/landscape_builders.h"
#include "landscape/sparse_landscape.h"

namespace verdalis {

namespace {

struct searchProfile {
  const char* name;
  bool allpaths;
  float minProb;
};

const searchProfile kSearches[] = {{"directed", false, 0.0f}, {"everyPair", true, 0.0f}, {"heuristic", false, 0.3f}};

template <class T>
bool sameBits(T a, T b) {
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

#define EXPECT_SAME(a, b) EXPECT_TRUE(sameBits(a, b)) << #a << " = " << (a) << ", expected " << (b)

// The listed cells of the input, as a "notall" file gives them.
listedPairs listedOf(const testland::Input& in) {
  listedPairs out;
  out.n = in.n();
  out.start.assign(static_cast<std::size_t>(in.n()) + 1, 0);
  for (int i = 0; i < in.n(); ++i) {
    for (int j = 0; j < in.n(); ++j)
      if (i != j && in.connections(i, j) != testland::kNoLinkDistance) {
        out.to.push_back(j);
        out.value.push_back(in.connections(i, j));
      }
    out.start[i + 1] = out.to.size();
  }
  return out;
}

// Every pair, as each analysis changes it; a changed pair gets a distance
// around the threshold, or none.
std::vector<pairChange> pairsFor(linkChange kind, const testland::Input& in, std::mt19937& rng) {
  std::uniform_real_distribution<float> distance(0.0f, 200.0f);
  std::uniform_int_distribution<int> unlisted(0, 5);
  const float c = probabilityConstant(in.kProb, in.kDist);
  std::vector<pairChange> pairs;
  for (int a = 0; a < in.n(); ++a)
    for (int b = 0; b < a; ++b) {
      pairChange change{a, b, kind == linkChange::madeSure ? 1.0f : 0.0f, kind == linkChange::madeSure};
      if (kind == linkChange::changed) {
        const float value = unlisted(rng) == 0 ? testland::kNoLinkDistance : distance(rng);
        change = {a, b, distanceToProbability(c, value), isBinaryLink(value, true, false, false, in.threshold)};
      }
      pairs.push_back(change);
    }
  return pairs;
}

template <class T>
void checkCase(const searchProfile& profile, unsigned seed, bool ties, indexSelection indices) {
  std::mt19937 rng(seed);
  const int n = 8 + static_cast<int>(seed % 17);
  const testland::Input in = ties ? testland::tiedInput(rng, n) : testland::randomInput(rng, n);
  landscape<T> g;
  g.create_land(in.sizes.data(), in.labels.data(), in.connections, n, in.area, true, true, true, false, false,
                in.threshold, in.kProb, in.kDist, profile.minProb, profile.allpaths);
  if (indices.iic) g.generate_index_IIC();
  pcSearches<T> searches;
  measurePC(g, 1, searches, [](int, int) {});
  engineRequest<T> full;
  full.land = &g;
  full.indices = indices;
  full.adjType = true;
  full.searches = &searches;

  connectionRules rules;
  rules.adjacentTail = in.threshold;
  rules.kProbProb = in.kProb;
  rules.kDistanceProb = in.kDist;
  rules.adjType = rules.probType = true;
  const sparseLandscape sparse =
      buildSparseLandscape(in.sizes, listedOf(in), rules, in.area, profile.minProb, profile.allpaths);
  for (linkChange kind : {linkChange::removed, linkChange::madeSure, linkChange::changed}) {
    const std::vector<pairChange> pairs = pairsFor(kind, in, rng);
    const linkResult<T> expected = measureLinkChanges(full, kind, pairs);
    ASSERT_EQ(expected.form, landscapeForm::dense);
    for (unsigned threads : {1u, 3u}) {
      engineRequest<T> request;
      request.form = landscapeForm::sparse;
      request.sparse = &sparse;
      request.indices = indices;
      request.adjType = true;
      request.threads = threads;
      const linkResult<T> got = measureLinkChanges(request, kind, pairs);
      ASSERT_EQ(got.form, landscapeForm::sparse);
      ASSERT_EQ(got.values.size(), pairs.size());
      for (std::size_t i = 0; i < pairs.size(); ++i) {
        SCOPED_TRACE("pair " + std::to_string(pairs[i].a) + "-" + std::to_string(pairs[i].b) + " kind " +
                     std::to_string(static_cast<int>(kind)) + " threads " + std::to_string(threads));
        const linkValues<T>& e = expected.values[i];
        const linkValues<T>& v = got.values[i];
        EXPECT_EQ(v.nl, e.nl);
        EXPECT_EQ(v.nc, e.nc);
        EXPECT_SAME(v.h, e.h);
        EXPECT_SAME(v.ccp, e.ccp);
        EXPECT_SAME(v.lcp, e.lcp);
        EXPECT_SAME(v.iic, e.iic);
        EXPECT_SAME(v.f, e.f);
        EXPECT_SAME(v.awf, e.awf);
        EXPECT_SAME(v.pc, e.pc);
      }
    }
  }
}

class SparseLinksAgainstFullForm : public ::testing::TestWithParam<searchProfile> {};

TEST_P(SparseLinksAgainstFullForm, EveryPairInBothPrecisions) {
  const indexSelection all{true, true, true, true, true, true, true, true, true};
  for (unsigned seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    checkCase<float>(GetParam(), seed, seed % 2 == 0, all);
    checkCase<double>(GetParam(), seed, seed % 2 == 0, all);
  }
}

// Fewer indices leave some sums alone; those asked must not notice.
TEST_P(SparseLinksAgainstFullForm, SomeIndicesOnly) {
  indexSelection some;
  some.h = some.awf = some.pc = some.lcp = true;
  for (unsigned seed = 11; seed <= 12; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    checkCase<double>(GetParam(), seed, true, some);
  }
}

INSTANTIATE_TEST_SUITE_P(Searches, SparseLinksAgainstFullForm, ::testing::ValuesIn(kSearches),
                         [](const ::testing::TestParamInfo<searchProfile>& info) { return std::string(info.param.name); });

}  // namespace

}  // namespace verdalis
