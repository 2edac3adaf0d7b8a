// Run prefixes: which file names carry them and how the threshold markers
// are written.
#include <gtest/gtest.h>

#include "cli_helpers.h"

namespace verdalis {

namespace {

TEST(Prefix, NineNamesCarryItTheOthersNever) {
  dataArg arg;
  arg.setPrefix("run1");
  EXPECT_EQ(arg.prefix_name, "run1");
  EXPECT_EQ(arg.node_importances, "run1_node_importances.txt");
  EXPECT_EQ(arg.link_importances_removal, "run1_link_importances_removal.txt");
  EXPECT_EQ(arg.link_importances_improvement, "run1_link_importances_improvement.txt");
  EXPECT_EQ(arg.link_importances_improvementDiff, "run1_link_importances_change.txt");
  EXPECT_EQ(arg.components, "run1_components.txt");
  EXPECT_EQ(arg.links, "run1_links.txt");
  EXPECT_EQ(arg.direct_probabilities, "run1_direct_probabilities.txt");
  EXPECT_EQ(arg.maximum_product_probabilities, "run1_maximum_product_probabilities.txt");
  EXPECT_EQ(arg.execution_events, "run1_execution_events.txt");

  const dataArg defaults;
  EXPECT_EQ(arg.node_importances_sum_PC, defaults.node_importances_sum_PC);
  EXPECT_EQ(arg.link_importances_improvementDiff_sum_IIC, defaults.link_importances_improvementDiff_sum_IIC);
  EXPECT_EQ(arg.node_importances_EC_PC, "results_all_EC(PC).txt");
  EXPECT_EQ(arg.overall_indices, "overall_indices.txt");
  EXPECT_EQ(arg.all_overall_indices, "results_all_overall_indices.txt");
}

TEST(Prefix, ReplacedNotStackedAndEmptyKeepsTheSeparator) {
  dataArg arg;
  arg.setPrefix("first");
  arg.setPrefix("second");
  EXPECT_EQ(arg.links, "second_links.txt");
  arg.setPrefix("");
  EXPECT_EQ(arg.node_importances, "_node_importances.txt");
  EXPECT_EQ(arg.prefix_name, "");
}

TEST(Prefix, MarkersTakeTheThresholdsInStreamFormat) {
  dataArg arg;
  arg.adjacentTail = 1000;
  arg.kDistanceProb = 1000000;
  arg.kProbProb = 0.5f;
  arg.setPrefix("x_b+_y_p+_");
  EXPECT_EQ(arg.prefix_name, "x_b_1000_y_p_1e+06_0.5_");
  EXPECT_EQ(arg.components, "x_b_1000_y_p_1e+06_0.5__components.txt");

  arg.adjacentTail = 0.1f;
  arg.kDistanceProb = 123456789;
  arg.kProbProb = 0.05f;
  arg.setPrefix("_p+__b+_");
  EXPECT_EQ(arg.prefix_name, "_p_1.23457e+08_0.05__b_0.1_");
}

TEST(Prefix, OnlyTheFirstMarkerOfEachKindIsExpanded) {
  dataArg arg;
  arg.adjacentTail = 7;
  arg.prefix_name = "_b+__b+_";
  arg.actualitzaPrefix();
  EXPECT_EQ(arg.prefix_name, "_b_7__b+_");
  // A prefix without markers is left alone.
  arg.prefix_name = "_b_p_";
  arg.actualitzaPrefix();
  EXPECT_EQ(arg.prefix_name, "_b_p_");
}

TEST(Prefix, CommandLineExpandsWithTheValuesReadSoFar) {
  EXPECT_EQ(parseLine({"-confAdj", "1000", "-prefix", "r_b+_"}).arg.prefix_name, "r_b_1000_");
  EXPECT_EQ(parseLine({"-prefix", "r_b+_", "-confAdj", "1000"}).arg.prefix_name, "r_b_0_");
  EXPECT_EQ(parseLine({"-prefix", "a", "-prefix", "b"}).arg.node_importances, "b_node_importances.txt");
}

}  // namespace

}  // namespace verdalis
