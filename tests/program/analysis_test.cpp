// The analysis of a run on small landscapes: the console lines and their
// percentages, which variants get measured, where their values and
// fractions land, and which accumulator each index's time goes to.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "program/analysis_fixture.h"

namespace verdalis {

namespace {

// The lines of a text, without their line feeds.
std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c != '\n') {
      line += c;
      continue;
    }
    lines.push_back(line);
    line.clear();
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::vector<std::string> progressLines(const std::string& text) {
  std::vector<std::string> found;
  for (const std::string& line : linesOf(text))
    if (line.find("% completed") != std::string::npos) found.push_back(line);
  return found;
}

// Four existing nodes on a path and four candidates, each near one node.
template <class T>
void loadWithCandidates(quivaraProgram<T>& p) {
  std::vector<std::vector<float>> pairs(4, std::vector<float>(4, noLink()));
  for (int i = 0; i < 4; ++i) pairs[i][i] = 0;
  for (int i = 1; i < 4; ++i) pairs[i][i - 1] = pairs[i - 1][i] = 500;
  std::vector<std::vector<float>> candidatePairs(4, std::vector<float>(4, noLink()));
  for (int k = 0; k < 4; ++k) candidatePairs[k][k] = 300;
  loadNodes(p, {1, 2, 3, 4}, pairs, {1, 1, 1, 1}, candidatePairs);
}

TEST(analysisConsole, OverallOnly) {
  indexChoice c;
  c.nl = c.nc = c.iic = c.pc = true;
  auto p = blankProgram<double>(c);
  p->onlyoverall = true;
  loadPath(*p, 3);
  const std::string out = captured([&] { p->generacio_indexos(); });
  const std::regex expected(
      "Processed indices: NL NC IIC PC\n"
      "Indices processing started at: [A-Z][a-z]{2} [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} "
      "[0-9]{4}\n\n"
      "Processing overall landscape indices\n"
      "(Processing node number [0-9]+ of 3 \\([0-9]+%\\)\r)*"  // from PC itself
      "Execution ended\n");
  EXPECT_TRUE(std::regex_match(out, expected)) << out;
  EXPECT_TRUE(p->landDel[0].nodes.empty());
  EXPECT_EQ(p->landGlobal->nl, 2);
}

TEST(analysisConsole, ProcessedIndicesInTheirOrder) {
  auto none = blankProgram<double>();
  none->onlyoverall = true;
  loadPath(*none, 2);
  EXPECT_EQ(linesOf(captured([&] { none->generacio_indexos(); }))[0], "Processed indices:");

  indexChoice c;
  c.a = c.nl = c.nc = c.h = c.ccp = c.lcp = c.iic = c.f = c.awf = c.pc = c.bc = c.bcpc = c.bciic = true;
  auto all = blankProgram<double>(c);
  all->onlyoverall = true;
  loadPath(*all, 3);
  EXPECT_EQ(linesOf(captured([&] { all->generacio_indexos(); }))[0],
            "Processed indices: NL NC H CCP LCP IIC BC F AWF PC BCPC BCIIC");
}

TEST(analysisConsole, NodeLoopsCountCandidatesInTheRemovalDivisor) {
  auto p = blankProgram<double>();
  loadWithCandidates(*p);
  const std::string out = captured([&] { p->generacio_indexos(); });
  const std::vector<std::string> expected = {"12% completed", "25% completed", "37% completed", "50% completed",
                                             "25% completed", "50% completed", "75% completed", "100% completed"};
  EXPECT_EQ(progressLines(out), expected);
  EXPECT_NE(out.find("Processing importance of node with ID 104\n50% completed\n"), std::string::npos);
  EXPECT_NE(out.find("Processing importances of added nodes with ID 904\n100% completed\nExecution ended\n"),
            std::string::npos);
}

TEST(analysisConsole, LinkLoopsShowTheShareOfPairsAfterEachNode) {
  auto p = blankProgram<double>();
  p->linkImportances1Flag = p->linkImportances2Flag = p->linkImportances3Flag = true;
  p->onlyAddDeltas = true;
  loadPath(*p, 4);
  const std::string out = captured([&] { p->generacio_indexos(); });
  const std::vector<std::string> once = {"0% completed", "16% completed", "50% completed", "100% completed"};
  std::vector<std::string> expected;
  for (int loop = 0; loop < 3; ++loop) expected.insert(expected.end(), once.begin(), once.end());
  EXPECT_EQ(progressLines(out), expected);
  EXPECT_NE(out.find("Processing importances of Link Removal of node with ID 101\n0% completed\n"),
            std::string::npos);
  EXPECT_NE(out.find("Processing Link Improvement with probability=1 of node with ID 103\n50% completed\n"),
            std::string::npos);
  EXPECT_NE(out.find("Processing importances of Change with diff value of node with ID 104\n100% completed\n"
                     "Execution ended\n"),
            std::string::npos);
  EXPECT_EQ(out.find("Max PC"), std::string::npos);
}

TEST(analysisConsole, LinkLoopsOfASingleNodeShowNoShare) {
  indexChoice c;
  c.pc = true;
  auto p = blankProgram<double>(c);
  p->linkImportances1Flag = p->linkImportances2Flag = p->linkImportances3Flag = true;
  p->onlyAddDeltas = true;
  loadPath(*p, 1);
  const std::string out = captured([&] { p->generacio_indexos(); });
  EXPECT_TRUE(progressLines(out).empty()) << out;
  EXPECT_NE(out.find("Processing importances of Link Removal of node with ID 101\n"
                     "Max PC for QuivaraLink: 0.00000000000000000\n"
                     "Total PC for QuivaraLink: 0.00000000000000000\n\n"
                     "Processing Link Improvement with probability=1 of node with ID 101\n"
                     "Processing importances of Change with diff value of node with ID 101\n"
                     "Execution ended\n"),
            std::string::npos)
      << out;
}

TEST(analysisConsole, PCSummaryOfTheRemovedLinks) {
  indexChoice c;
  c.pc = true;
  auto p = blankProgram<double>(c);
  p->linkImportances1Flag = true;
  p->onlyAddDeltas = true;
  loadPath(*p, 4);
  p->linkImportancesPij = 1;  // no pair is as close as that
  std::string out = captured([&] { p->generacio_indexos(); });
  EXPECT_NE(out.find("Max PC for QuivaraLink: 0.00000000000000000\nTotal PC for QuivaraLink: "
                     "0.00000000000000000\n\nExecution ended\n"),
            std::string::npos)
      << out;

  p->linkImportancesPij = -1;
  out = captured([&] { p->generacio_indexos(); });
  float most = 0, total = 0;
  for (int i = 1; i < 4; ++i)
    for (int j = 0; j < i; ++j) {
      const float v = p->valueOfDelta(3, "pc", i, j);
      if (v > most) most = v;
      total += v;
    }
  EXPECT_GT(most, 0.0f);
  char expected[200];
  std::snprintf(expected, sizeof expected, "Max PC for QuivaraLink: %.17f\nTotal PC for QuivaraLink: %.17f\n\n",
                static_cast<double>(most), static_cast<double>(total));
  EXPECT_NE(out.find(expected), std::string::npos) << out;
}

TEST(analysisConsole, EmptyLandscapeRunsThrough) {
  indexChoice c;
  c.nl = c.nc = c.iic = c.pc = true;
  auto p = blankProgram<double>(c);
  p->linkImportances1Flag = true;
  loadNodes(*p, {}, {});
  const std::string out = captured([&] { p->generacio_indexos(); });
  EXPECT_NE(out.find("Processing overall landscape indices\nMax PC for QuivaraLink: "), std::string::npos) << out;
  EXPECT_NE(out.find("Execution ended\n"), std::string::npos);
}

// Two nodes of attributes 2 and 3 joined by a link, AL = 10: IIC is 0.19 and
// 0.09 without node 0, split into intra 0.04, flux 0.06 and connector 0.
TEST(analysisValues, FractionsOfARemovedNode) {
  indexChoice c;
  c.iic = true;
  auto p = blankProgram<double>(c);
  p->sizeLandscapeArea = 10;
  loadNodes(*p, {2, 3}, {{0, 500}, {500, 0}});
  captured([&] { p->generacio_indexos(); });
  EXPECT_DOUBLE_EQ(p->landGlobal->iic, 0.19);
  EXPECT_DOUBLE_EQ(p->landDel[0].iic, 0.09);
  EXPECT_FLOAT_EQ(p->valueOfDelta(1, "iic", 0), 100 * 0.10 / 0.19);
  EXPECT_FLOAT_EQ(p->valueOfDelta(1, "iicintra", 0), 100 * 0.04 / 0.19);
  EXPECT_FLOAT_EQ(p->valueOfDelta(1, "iicflux", 0), 100 * 0.06 / 0.19);
  EXPECT_NEAR(p->valueOfDelta(1, "iicconnector", 0), 0.0f, 1e-5);
  EXPECT_FLOAT_EQ(p->valueOfVar(1, "iicintravar", 0), 0.04f);
  // Variants keep their values only; the global landscape keeps its graph.
  EXPECT_TRUE(p->landDel[0].nodes.empty());
  EXPECT_EQ(p->landGlobal->nodes.size(), 2u);
}

// The candidate of attribute 5, linked to node 1 only, is the last node of
// its variant: intra 25, flux 2 × (15/2 + 10/3), connector 0, over IICnum 19.
TEST(analysisValues, FractionsOfAnAddedNode) {
  indexChoice c;
  c.iic = true;
  auto p = blankProgram<double>(c);
  p->sizeLandscapeArea = 10;
  loadNodes(*p, {2, 3}, {{0, 500}, {500, 0}}, {5}, {{noLink(), 500}});
  p->onlyAddDeltas = true;
  captured([&] { p->generacio_indexos(); });
  EXPECT_DOUBLE_EQ(p->landGlobal->iicnum, 19);
  const double flux = 2 * (15.0 / 2 + 10.0 / 3);
  EXPECT_FLOAT_EQ(p->valueOfDelta(2, "iicintra", 0), 100 * 25.0 / 19);
  EXPECT_FLOAT_EQ(p->valueOfDelta(2, "iicflux", 0), 100 * flux / 19);
  EXPECT_NEAR(p->valueOfDelta(2, "iicconnector", 0), 0.0f, 1e-5);
  EXPECT_FLOAT_EQ(p->valueOfDelta(2, "iic", 0), 100 * (25 + flux) / 19);
  EXPECT_TRUE(p->landAdd[0].nodes.empty());
}

TEST(analysisValues, GlobalLandscapeTakesTheTruncatedArea) {
  indexChoice c;
  c.iic = true;
  auto p = blankProgram<double>(c);
  p->onlyoverall = true;
  p->sizeLandscapeArea = 1234.9f;
  loadPath(*p, 2);
  captured([&] { p->generacio_indexos(); });
  EXPECT_EQ(p->landGlobal->sizeLandscapeArea, 1234.0f);
}

TEST(analysisValues, LinkVariantsKeepTheValuesTheirReportsRead) {
  indexChoice c;
  c.nl = c.nc = c.iic = true;
  auto p = blankProgram<double>(c);
  p->linkImportances1Flag = p->linkImportances2Flag = p->linkImportances3Flag = true;
  p->onlyAddDeltas = true;
  p->sizeLandscapeArea = 10;
  loadNodes(*p, {2, 3, 1}, {{0, 500, noLink()}, {500, 0, 500}, {noLink(), 500, 0}});
  p->connectionsDiff(2, 0) = 400;  // closes the triangle
  p->linkImportancesPij = 600;     // (2, 0) is not selected
  captured([&] { p->generacio_indexos(); });

  const linkValues<double>& removed = p->landDelCon[pairIndex(1, 0)];
  EXPECT_EQ(removed.nl, 1);
  EXPECT_EQ(removed.nc, 2);
  EXPECT_EQ(p->valueOfDeltaConNL(1, 0), 50.0f);
  EXPECT_EQ(p->valueOfDeltaConNC(1, 0), -100.0f);
  EXPECT_EQ(p->landDelCon[pairIndex(2, 0)].nc, 0);  // never built

  // A sure link is built for every pair but measured only when selected.
  EXPECT_EQ(p->landConSure[pairIndex(2, 0)].nl, 0);
  EXPECT_EQ(p->valueOfDeltaConSureIIC(2, 0), 0.0f);
  EXPECT_EQ(p->landConSure[pairIndex(2, 1)].nl, 2);
  EXPECT_EQ(p->landConSure[pairIndex(2, 1)].iic, p->landGlobal->iic);

  // A changed link is measured for every pair.
  EXPECT_EQ(p->landConDiff[pairIndex(2, 0)].nl, 3);
  EXPECT_EQ(p->landConDiff[pairIndex(1, 0)].nl, 2);
  EXPECT_LT(p->valueOfDeltaConDiffIIC(2, 0), 0.0f);
  EXPECT_EQ(p->valueOfDeltaConDiffNL(2, 0), -50.0f);
}

// Repeats the global measurement until the processor clock has moved.
template <class T>
void measureUntilTimed(quivaraProgram<T>& p, const std::clock_t& accumulator) {
  for (int round = 0; round < 1000000 && accumulator == 0; ++round) p.execute_indexs(p.landGlobal, false);
}

TEST(analysisTiming, HAndIICTogetherGoToTheirJointAccumulator) {
  indexChoice c;
  c.h = c.iic = true;
  auto p = blankProgram<double>(c);
  p->onlyoverall = true;
  loadPath(*p, 60);
  captured([&] { p->generacio_indexos(); });
  measureUntilTimed(*p, p->hiicTime);
  EXPECT_GT(p->hiicTime, 0);
  EXPECT_EQ(p->hTime, 0);
  EXPECT_EQ(p->iicTime, 0);
  EXPECT_GT(p->landGlobal->iicec, 0);
}

TEST(analysisTiming, EachIndexAloneHasItsOwn) {
  indexChoice c;
  c.iic = true;
  auto p = blankProgram<double>(c);
  p->onlyoverall = true;
  loadPath(*p, 60);
  captured([&] { p->generacio_indexos(); });
  measureUntilTimed(*p, p->iicTime);
  EXPECT_GT(p->iicTime, 0);
  EXPECT_EQ(p->hiicTime, 0);
  EXPECT_GT(p->landGlobal->iicec, 0);

  p->iicFlag = false;
  p->hFlag = true;
  measureUntilTimed(*p, p->hTime);
  EXPECT_GT(p->hTime, 0);
  EXPECT_EQ(p->hiicTime, 0);
}

}  // namespace

}  // namespace verdalis
