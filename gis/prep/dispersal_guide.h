#pragma once
// Choosing --max-distance for the run to come. With -confProb D P Verdalis
// gives a pair d apart the dispersal probability P^(d/D), so the pairs beyond
// D ln(F) / ln(P) have a probability below F and add next to nothing to PC:
// that distance is the one to give as --max-distance. Also the warnings
// given before the distances are measured: every pair of a large layer, or a
// --max-distance that leaves out pairs above the floor. Constant time, but
// for the size estimate, linear in the number of patches.
#include <string>

#include "common/patch_set.h"
#include "prep/prep_options.h"

namespace verdalis::gis {

// Layers of more patches than this get a warning before every pair is measured.
constexpr std::size_t kEveryPairWarningFrom = 5000;

// The distance beyond which the probability is below floor, rounded up to a
// whole metre.
double distanceBelowFloor(const dispersalKernel& kernel, double floor);

// "For -confProb 1000 0.5, pairs more than 9966 m apart have a probability
// below 0.001: --max-distance 9966 leaves out only those".
// With leastCost, the same of costs and --max-cost.
std::string suggestionText(const dispersalKernel& kernel, double floor, bool leastCost = false);

// Warns when --max-distance leaves out pairs above the floor of --suggest-for.
void warnAboutShortMaxDistance(const prepOptions& options);

// Warns before every pair of more than kEveryPairWarningFrom patches is
// measured, with the lines, bytes and memory it will take.
void warnAboutEveryPair(const prepOptions& options, const patchSet& set);

}  // namespace verdalis::gis
