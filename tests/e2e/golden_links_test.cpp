// Hand-derived link analyses run through the program: removal with a
// selection threshold, improvement to a sure link and change to the value of
// the fourth column, with their tables and sums.
#include "e2e/golden_support.h"

namespace verdalis {

namespace {

TEST(GoldenLinksTest, RemovalImprovementAndChangeOnProbabilities) {
  golden::checkCase("link_analyses_probability", 0);
}

TEST(GoldenLinksTest, BinaryInputWithComponentsRemovalAndChange) { golden::checkCase("binary_components_links", 0); }

TEST(GoldenLinksTest, DirectedDistancesWithImprovementAndChange) { golden::checkCase("distance_directed_links", 0); }

}  // namespace

}  // namespace verdalis
