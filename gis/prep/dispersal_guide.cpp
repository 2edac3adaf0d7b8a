// The distance a dispersal kernel suggests, and the warnings before the
// distances are measured.
#include "prep/dispersal_guide.h"

#include <cmath>

#include "common/failure.h"
#include "common/number_text.h"
#include "prep/prep_files.h"
#include "support/numfmt.h"

namespace verdalis::gis {

namespace {
std::string confProbText(const dispersalKernel& kernel) {
  return "-confProb " + toText(kernel.distance) + " " + toText(kernel.probability);
}

std::string sizeText(double bytes) {
  if (bytes >= 1e9) return roundedText(bytes / 1e9) + " GB";
  if (bytes >= 1e6) return roundedText(bytes / 1e6) + " MB";
  return roundedText(bytes / 1e3) + " kB";
}

// What every pair keeps in memory while both directions are assembled: the
// measured pair (16 bytes) and its two directions (12 bytes each).
constexpr double kBytesPerPair = 40;
}  // namespace

double distanceBelowFloor(const dispersalKernel& kernel, double floor) {
  return std::ceil(kernel.distance * std::log(floor) / std::log(kernel.probability));
}

std::string suggestionText(const dispersalKernel& kernel, double floor, bool leastCost) {
  const std::string distance = toText(distanceBelowFloor(kernel, floor));
  if (leastCost)
    return "For " + confProbText(kernel) + ", pairs of a least cost above " + distance +
           " have a probability below " + toText(floor) + ": --max-cost " + distance + " leaves out only those";
  return "For " + confProbText(kernel) + ", pairs more than " + distance + " m apart have a probability below " +
         toText(floor) + ": --max-distance " + distance + " leaves out only those";
}

void warnAboutShortMaxDistance(const prepOptions& o) {
  if (!o.suggestFor || !o.distances.maxDistance) return;
  const dispersalKernel& kernel = *o.suggestFor;
  const double suggested = distanceBelowFloor(kernel, o.floor);
  if (*o.distances.maxDistance >= suggested) return;
  const double highest = std::pow(kernel.probability, *o.distances.maxDistance / kernel.distance);
  warn("--max-distance " + toText(*o.distances.maxDistance) + " leaves out pairs whose probability under " +
       confProbText(kernel) + " is up to " + roundedText(highest) + ", above --floor " + toText(o.floor) +
       ": --max-distance " + toText(suggested) + " keeps them");
}

void warnAboutEveryPair(const prepOptions& o, const patchSet& set) {
  const std::size_t n = set.patches.size();
  if (o.bounded() || n <= kEveryPairWarningFrom) return;
  const unsigned long long lines = static_cast<unsigned long long>(n) * (n - 1);
  // A typical pair lies about 0.4 diagonals apart in a layer spread evenly.
  const double diagonal = std::hypot(set.extent.maxX - set.extent.minX, set.extent.maxY - set.extent.minY);
  const double bytes = connectionFileBytes(set, o.decimals, 0.4 * diagonal * set.metresPerUnit);
  std::string remedy = "give --max-distance to keep only the nearby pairs (--suggest-for D P, with the -confProb of "
                       "the run to come, says which distance)";
  if (o.costs.active())
    remedy = "give --max-cost to keep only the pairs that a path joins within that cost";
  else if (o.suggestFor)
    remedy = "--max-distance " + toText(distanceBelowFloor(*o.suggestFor, o.floor)) +
             " keeps only the pairs whose probability under " + confProbText(*o.suggestFor) + " is at least " +
             toText(o.floor);
  warn("every pair of the " + toText(n) + " patches will be measured and written: " + toText(lines) +
       " lines, about " + sizeText(bytes) + " in " + o.connectionFile + " and " + sizeText(static_cast<double>(lines) / 2 * kBytesPerPair) +
       " of memory; " + remedy);
}

}  // namespace verdalis::gis
