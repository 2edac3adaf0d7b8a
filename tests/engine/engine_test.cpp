// The engine against the straightforward computation, in process: for small
// generated landscapes, every variant the engine measures must carry the
// values that building the variant and measuring it in full gives, to the
// bit. The engine's limits are lowered so that landscapes of a few dozen
// nodes take every way a large one takes: compressed rows, kept-pair lists
// refused for size, best-entry lists that run out, full searches again.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/sparse_measure.h"
#include "engine/sparse_removal.h"
#include "engine/thread_group.h"
#include "landscape/fragmentIIC.h"
#include "landscape/fragmentPC.h"
#include "landscape/landscape_builders.h"

namespace verdalis {

namespace {

// How the landscape's PC searches and the engine's ways are set.
struct profile {
  const char* name;
  bool allpaths;
  float minProb;
  engineLimits limits;
};

engineLimits sparseRows() {
  engineLimits l;
  l.compactFromNodes = 0;
  l.compactBelowShare = 1;
  return l;
}

engineLimits noKeptLists() {
  engineLimits l;
  l.keptPairsPerNodeAtLeast = 0;
  l.keptPairsShareOfMatrix = 1u << 30;
  return l;
}

engineLimits fewEntries() {
  engineLimits l = noKeptLists();
  l.bestEntriesPerNode = 2;
  return l;
}

const profile kProfiles[] = {
    {"directed", false, 0.0f, engineLimits()},   {"everyPair", true, 0.0f, engineLimits()},
    {"heuristic", false, 0.3f, engineLimits()},  {"directedSparse", false, 0.0f, sparseRows()},
    {"heuristicSparse", false, 0.3f, sparseRows()}, {"everyPairNoKept", true, 0.0f, noKeptLists()},
    {"heuristicFewEntries", false, 0.3f, fewEntries()},
};

template <class T>
bool sameBits(T a, T b) {
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

#define EXPECT_SAME(a, b) EXPECT_TRUE(sameBits(a, b)) << #a << " = " << (a) << ", expected " << (b)

template <class T>
void create(landscape<T>& land, const testland::Input& in, const profile& p) {
  land.create_land(in.sizes.data(), in.labels.data(), in.connections, in.n(), in.area, true, true, in.dist, in.prob,
                   in.binary, in.threshold, in.kProb, in.kDist, p.minProb, p.allpaths);
}

// Every index measured in full, the way a variant is measured without the
// engine.
template <class T>
void measureInFull(landscape<T>& v) {
  v.generate_index_NL();
  v.generate_index_NC();
  v.generate_index_H_IIC();
  v.generate_index_IICEC();
  v.generate_index_CCP();
  v.generate_index_LCP();
  v.generate_index_F();
  v.generate_index_AWF();
  v.generate_index_PC();
  v.generate_index_PCEC();
}

template <class T>
engineRequest<T> requestFor(const landscape<T>& g, const pcSearches<T>& searches, const profile& p,
                            unsigned threads) {
  engineRequest<T> r;
  r.land = &g;
  r.indices = {true, true, true, true, true, true, true, true, true};
  r.adjType = true;
  r.searches = &searches;
  r.threads = threads;
  r.limits = p.limits;
  return r;
}

template <class T>
void checkRemovals(landscape<T>& g, const removalResult<T>& result) {
  for (int k = 0; k < g.nNodes; ++k) {
    SCOPED_TRACE("node " + std::to_string(k));
    landscape<T> v;
    v.create_land_with_copy_deleting_one(&g, k, true, true);
    measureInFull(v);
    const removalValues<T>& e = result.variants[k];
    EXPECT_EQ(e.nl, v.nl);
    EXPECT_EQ(e.nc, v.nc);
    EXPECT_SAME(e.h, v.h);
    EXPECT_SAME(e.ccp, v.ccp);
    EXPECT_SAME(e.lcp, v.lcp);
    EXPECT_SAME(e.iicnum, v.iicnum);
    EXPECT_SAME(e.iic, v.iic);
    EXPECT_SAME(e.f, v.f);
    EXPECT_SAME(e.awf, v.awf);
    EXPECT_SAME(e.pcnum, v.pcnum);
    EXPECT_SAME(e.pcec, v.pcec);
    fragmentIIC<T> iic(&g, &v, k);
    EXPECT_SAME(e.iicFractions.intra, iic.intra());
    EXPECT_SAME(e.iicFractions.flux, iic.flux());
    EXPECT_SAME(e.iicFractions.connector, iic.connector());
    fragmentPC<T> pc(&g, &v, k);
    EXPECT_SAME(e.pcFractions.intra, pc.intra());
    EXPECT_SAME(e.pcFractions.flux, pc.flux());
    EXPECT_SAME(e.pcFractions.connector, pc.connector());
  }
}

// Every pair removed, made sure, and changed to a random distance.
template <class T>
void checkLinks(landscape<T>& g, const engineRequest<T>& request, const testland::Input& in, std::mt19937& rng) {
  std::uniform_real_distribution<float> distance(0.0f, 200.0f);
  const float c = probabilityConstant(in.kProb, in.kDist);
  for (linkChange kind : {linkChange::removed, linkChange::madeSure, linkChange::changed}) {
    std::vector<pairChange> pairs;
    std::vector<float> values;
    for (int a = 0; a < g.nNodes; ++a)
      for (int b = 0; b < a; ++b) {
        const float value = distance(rng);
        values.push_back(value);
        pairChange change{a, b, kind == linkChange::madeSure ? 1.0f : 0.0f, kind == linkChange::madeSure};
        if (kind == linkChange::changed)
          change = {a, b, distanceToProbability(c, value), isBinaryLink(value, true, false, false, in.threshold)};
        pairs.push_back(change);
      }
    const linkResult<T> result = measureLinkChanges(request, kind, pairs);
    ASSERT_EQ(result.form, landscapeForm::dense);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      const int a = pairs[i].a, b = pairs[i].b;
      SCOPED_TRACE("pair " + std::to_string(a) + "-" + std::to_string(b) + " kind " +
                   std::to_string(static_cast<int>(kind)));
      landscape<T> v;
      if (kind == linkChange::removed)
        v.create_land_with_copy_deleting_one_connection(&g, a, b, true, true);
      else if (kind == linkChange::madeSure)
        v.create_land_with_copy_with_one_connection_sure(&g, a, b, true, true);
      else
        v.create_land_with_copy_with_one_connection_Diff(&g, a, b, values[i], true, true, true, false, false,
                                                         in.threshold, in.kProb, in.kDist, g.minProb, g.allpaths);
      measureInFull(v);
      const linkValues<T>& e = result.values[i];
      EXPECT_EQ(e.nl, v.nl);
      EXPECT_EQ(e.nc, v.nc);
      EXPECT_SAME(e.h, v.h);
      EXPECT_SAME(e.ccp, v.ccp);
      EXPECT_SAME(e.lcp, v.lcp);
      EXPECT_SAME(e.iic, v.iic);
      EXPECT_SAME(e.f, v.f);
      EXPECT_SAME(e.awf, v.awf);
      EXPECT_SAME(e.pc, v.pc);
    }
  }
}

// Three processes (threads here) sharing the global searches, the kept
// lists and the removals, every third node each: the same searches and sum
// on each as on one, and the removals of every share.
template <class T>
removalResult<T> removalsOfThreeProcesses(const testland::Input& in, const profile& p, const landscape<T>& one,
                                          const pcSearches<T>& alone) {
  const int n = one.nNodes;
  std::vector<landscape<T>> lands(3);
  std::vector<pcSearches<T>> searches(3);
  removalResult<T> whole;
  whole.variants.resize(static_cast<std::size_t>(n));
  threadGroup processes(3);
  processes.run([&](processGroup& group) {
    landscape<T>& g = lands[group.rank];
    create(g, in, p);
    measureInFull(g);
    measurePC(g, 2, searches[group.rank], [](int, int) {}, p.limits, &group);
    EXPECT_SAME(g.pcnum, one.pcnum);
    EXPECT_EQ(searches[group.rank].rows.dist, alone.rows.dist);
    EXPECT_EQ(searches[group.rank].rows.pred, alone.rows.pred);
    EXPECT_EQ(searches[group.rank].rows.delicate, alone.rows.delicate);
    EXPECT_EQ(searches[group.rank].rows.sameClassTies, alone.rows.sameClassTies);
    engineRequest<T> request = requestFor(g, searches[group.rank], p, 2);
    request.variants = variantRange{group.rank, -1, 3};
    request.group = &group;
    const removalResult<T> share = measureNodeRemovals(request);
    for (int k = group.rank; k < n; k += 3) whole.variants[k] = share.variants[k];
  });
  return whole;
}

template <class T>
void checkCase(const profile& p, unsigned seed, bool ties) {
  std::mt19937 rng(seed);
  const int n = 8 + static_cast<int>(seed % 17);
  const testland::Input in = ties ? testland::tiedInput(rng, n) : testland::randomInput(rng, n);
  landscape<T> g;
  create(g, in, p);
  measureInFull(g);
  const T fullPC = g.pcnum;
  const std::vector<float> fullBest = g.nodes[n / 2].p_maxim_product;
  pcSearches<T> searches;
  measurePC(g, 2, searches, [](int, int) {}, p.limits);
  EXPECT_SAME(g.pcnum, fullPC);
  EXPECT_EQ(g.nodes[n / 2].p_maxim_product, fullBest);
  for (unsigned threads : {1u, 3u}) {
    SCOPED_TRACE("threads " + std::to_string(threads));
    const engineRequest<T> request = requestFor(g, searches, p, threads);
    const removalResult<T> removals = measureNodeRemovals(request);
    ASSERT_EQ(removals.form, landscapeForm::dense);
    checkRemovals(g, removals);
    checkLinks(g, request, in, rng);
  }
  checkRemovals(g, removalsOfThreeProcesses(in, p, g, searches));
}

// A process that fails before the searches it shares (and says so) ends
// them on the others, who then know it and agree on nothing more: first the
// global searches, then the kept lists of the removals.
TEST(SharedWork, AProcessThatFailedBeforeEndsTheSharedStepOnAll) {
  std::mt19937 rng(5);
  const testland::Input in = testland::randomInput(rng, 20);
  const profile& everyPair = kProfiles[1];
  landscape<double> g;
  create(g, in, everyPair);
  pcSearches<double> searches;
  measurePC(g, 1, searches, [](int, int) {}, everyPair.limits);
  threadGroup processes(3);
  processes.run([&](processGroup& group) {
    if (group.rank == 1) {
      EXPECT_TRUE(group.agree(true));
      EXPECT_TRUE(group.agree(true));
      return;
    }
    landscape<double> mine;
    create(mine, in, everyPair);
    pcSearches<double> own;
    EXPECT_THROW(measurePC(mine, 1, own, [](int, int) {}, everyPair.limits, &group), failureEverywhere);
    engineRequest<double> request = requestFor(g, searches, everyPair, 1);
    request.group = &group;
    EXPECT_THROW(measureNodeRemovals(request), failureEverywhere);
  });
}

class EngineAgainstFullMeasure : public ::testing::TestWithParam<profile> {};

TEST_P(EngineAgainstFullMeasure, EveryVariantInBothPrecisions) {
  // The full measures print their progress lines.
  testing::internal::CaptureStdout();
  for (unsigned seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    checkCase<float>(GetParam(), seed, seed % 2 == 0);
    checkCase<double>(GetParam(), seed, seed % 2 == 0);
  }
  testing::internal::GetCapturedStdout();
}

INSTANTIATE_TEST_SUITE_P(Profiles, EngineAgainstFullMeasure, ::testing::ValuesIn(kProfiles),
                         [](const ::testing::TestParamInfo<profile>& info) { return std::string(info.param.name); });

// The same input in the sparse form: the listed cells only.
listedPairs listedOf(const testland::Input& in) {
  listedPairs out;
  out.n = in.n();
  out.start.assign(static_cast<std::size_t>(out.n) + 1, 0);
  for (int i = 0; i < out.n; ++i) {
    for (int j = 0; j < out.n; ++j)
      if (in.connections(i, j) != testland::kNoLinkDistance) {
        out.to.push_back(j);
        out.value.push_back(in.connections(i, j));
      }
    out.start[i + 1] = out.to.size();
  }
  return out;
}

// Every overall index and every removal of a landscape of the sparse form,
// against the dense form measured in full; the removals in two ranges, as
// two processes would share them.
template <class T>
void checkByNeighbour(const profile& p, const testland::Input& in) {
  landscape<T> g;
  create(g, in, p);
  measureInFull(g);
  g.CalculaPcIntraGlob();
  g.CalculaPcDirectGlob();
  g.CalculaPcStepGlob();
  connectionRules rules;
  rules.adjacentTail = in.threshold;
  rules.kProbProb = in.kProb;
  rules.kDistanceProb = in.kDist;
  rules.adjType = rules.probType = true;
  const sparseLandscape sparse = buildSparseLandscape(in.sizes, listedOf(in), rules, in.area, p.minProb, p.allpaths);
  engineRequest<T> request;
  request.form = landscapeForm::sparse;
  request.sparse = &sparse;
  request.indices = {true, true, true, true, true, true, true, true, true};
  request.adjType = true;
  request.pcParts = true;
  landscape<T> values;
  measureSparse(request, values, nullptr);
  EXPECT_SAME(values.pcnum, g.pcnum);
  EXPECT_SAME(values.iicnum, g.iicnum);
  EXPECT_SAME(values.pcStepGlob, g.pcStepGlob);
  EXPECT_SAME(values.pcDirectGlob, g.pcDirectGlob);
  EXPECT_SAME(values.h, g.h);
  EXPECT_SAME(values.awf, g.awf);
  EXPECT_SAME(values.ccp, g.ccp);
  // Three processes' shares, each of every third node.
  removalResult<T> whole;
  for (int part = 0; part < 3; ++part) {
    engineRequest<T> removals;
    removals.form = landscapeForm::sparse;
    removals.sparse = &sparse;
    removals.land = &g;
    removals.indices = request.indices;
    removals.adjType = true;
    removals.threads = 2;
    removals.limits = p.limits;
    removals.variants = variantRange{part, -1, 3};
    const removalResult<T> share = measureNodeRemovals(removals);
    ASSERT_EQ(share.form, landscapeForm::sparse);
    whole.variants.resize(share.variants.size());
    for (int k = part; k < g.nNodes; k += 3) whole.variants[k] = share.variants[k];
  }
  checkRemovals(g, whole);
}

TEST_P(EngineAgainstFullMeasure, ByNeighbourInBothPrecisions) {
  testing::internal::CaptureStdout();
  for (unsigned seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const testland::Input in = seed % 2 == 0 ? testland::tiedInput(rng, 10 + static_cast<int>(seed % 13))
                                             : testland::randomInput(rng, 10 + static_cast<int>(seed % 13));
    checkByNeighbour<float>(GetParam(), in);
    checkByNeighbour<double>(GetParam(), in);
  }
  testing::internal::GetCapturedStdout();
}

// A long ladder with a steep kernel and large patches first: far down the
// ladder the terms fall below what the sums already hold, so the removals
// leave them out and stop their repairs there; the sums must not move.
TEST(EngineAgainstFullMeasure, ByNeighbourWithTermsTooSmallToCount) {
  testing::internal::CaptureStdout();
  for (unsigned seed = 1; seed <= 3; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> size(0.5f, 20.0f), gap(150.0f, 700.0f);
    std::vector<float> sizes;
    for (int i = 0; i < 70; ++i) sizes.push_back(i < 4 ? 4000.0f : size(rng));
    testland::Input in = testland::distanceInput(sizes, 300.0f);
    in.kDist = 100.0f;
    in.area = 100000;
    for (int i = 0; i + 1 < in.n(); ++i) {
      testland::connect(in, i, i + 1, gap(rng));
      if (i + 2 < in.n()) testland::connect(in, i, i + 2, gap(rng) * 1.6f);
    }
    checkByNeighbour<float>(kProfiles[0], in);
    checkByNeighbour<double>(kProfiles[0], in);
  }
  testing::internal::GetCapturedStdout();
}

// H alone keeps no breadth-first rows in the landscape: the engine searches
// its own.
TEST(EngineAgainstFullMeasure, HararyAloneSearchesItsOwnRows) {
  std::mt19937 rng(99);
  const testland::Input in = testland::randomInput(rng, 14);
  landscape<double> g;
  create(g, in, kProfiles[0]);
  g.generate_index_H();
  engineRequest<double> request;
  request.land = &g;
  request.indices.h = true;
  request.adjType = true;
  const removalResult<double> result = measureNodeRemovals(request);
  for (int k = 0; k < g.nNodes; ++k) {
    landscape<double> v;
    v.create_land_with_copy_deleting_one(&g, k, true, true);
    v.generate_index_H();
    EXPECT_SAME(result.variants[k].h, v.h);
  }
  std::vector<pairChange> pairs;
  for (int a = 0; a < g.nNodes; ++a)
    for (int b = 0; b < a; ++b) pairs.push_back({a, b, 0.0f, false});
  const linkResult<double> links = measureLinkChanges(request, linkChange::removed, pairs);
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    landscape<double> v;
    v.create_land_with_copy_deleting_one_connection(&g, pairs[i].a, pairs[i].b, true, true);
    v.generate_index_H();
    EXPECT_SAME(links.values[i].h, v.h);
  }
}

}  // namespace

}  // namespace verdalis
