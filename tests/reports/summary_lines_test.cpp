// Leading columns, headers and line heads of the summary files.
#include "reports/summary_lines.h"

#include <gtest/gtest.h>

#include <cmath>

#include "reports/result_lists.h"

namespace verdalis {

namespace {

TEST(SummaryLinesTest, NewFileGetsHeaderThenDataLineBothEndingInATab) {
  EXPECT_EQ(summaryBlock(true, pcLeading::header(), pcLeading::cells("a", 1000, 0.5f, true),
                         {{"Sum_dPC", 20}, {"Sum_dPCintra", 0.25}}),
            "Prefix\tDistance\tProbability\tSum_dPC\tSum_dPCintra\t\n"
            "a\t1000\t0.5\t20\t0.25\t\n");
  EXPECT_EQ(summaryBlock(false, pcLeading::header(), pcLeading::cells("b", 1000, 0.5f, true), {{"Sum_dPC", 20}}),
            "b\t1000\t0.5\t20\t\n");
}

TEST(SummaryLinesTest, EmptyPrefixIsNA) {
  EXPECT_EQ(iicLeading::cells("", 1000), "NA\t1000\t");
  EXPECT_EQ(pcLeading::cells("", 1000, 0.5f, true), "NA\t1000\t0.5\t");
}

TEST(SummaryLinesTest, ProbabilityInputZeroesThePCParametersAndRenamesTheIICColumn) {
  EXPECT_EQ(pcLeading::cells("p", 1000, 0.5f, false), "p\t0\t0\t");
  EXPECT_EQ(pcLeading::header(), "Prefix\tDistance\tProbability\t");
  EXPECT_EQ(iicLeading::header(false), "Prefix\tProbability\t");
  EXPECT_EQ(iicLeading::header(true), "Prefix\tDistance\t");
  EXPECT_EQ(iicLeading::cells("p", 0.25f), "p\t0.25\t");
}

TEST(SummaryLinesTest, NumbersInDefaultStreamFormat) {
  EXPECT_EQ(summaryBlock(false, "", "x\t", {{"v", 1234567.0}, {"w", 0.00001}, {"n", std::nan("")}}),
            "x\t1.23457e+06\t1e-05\tnan\t\n");
}

TEST(OverallLineHeadsTest, BinaryHeadCarriesAZeroOnlyWithAProbabilisticDistance) {
  EXPECT_EQ(binaryLineHead("run1", 1000, 0), "run1\t1000\t");
  EXPECT_EQ(binaryLineHead("run1", 1000, 2000), "run1\t1000\t0\t");
  EXPECT_EQ(probabilisticLineHead("run1", 2000, 0.25f), "run1\t2000\t0.25\t");
}

}  // namespace

}  // namespace verdalis
