// Hand-derived landscapes run through the program: overall indices, node
// importances and their sums, and the component, link and probability lists,
// for each kind of connection file.
#include "e2e/golden_support.h"

namespace verdalis {

namespace {

TEST(GoldenIndicesTest, BinaryIndicesOnAPathFromDistances) { golden::checkCase("binary_path_distance", 0); }

TEST(GoldenIndicesTest, ProbabilityInputWithPrefixAndBestPaths) { golden::checkCase("probability_all_prefix", 0); }

TEST(GoldenIndicesTest, OverallIndicesOnlyWithAPrefix) { golden::checkCase("onlyoverall_prefix", 0); }

TEST(GoldenIndicesTest, SinglePrecisionPrintsTheSameDigits) { golden::checkCase("probability_all_simple", 0); }

TEST(GoldenIndicesTest, CandidatesOverTwoPrefixedRunsAppendToTheSummaryFiles) {
  golden::checkCase("candidates_two_prefixes", 0);
}

TEST(GoldenIndicesTest, FullDistanceListWithHAndIICAndAnAreaBelowTheTotal) {
  golden::checkCase("distance_all_low_area", 0);
}

}  // namespace

}  // namespace verdalis
