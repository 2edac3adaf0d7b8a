#pragma once
// Distances between patches, in metres: edge to edge (the shortest line
// between the two outlines, 0 where they touch or overlap) or between
// centroids. With a maximum distance, candidate pairs come from an STR tree
// queried with each patch's box grown by that distance, so the cost follows
// the number of nearby pairs; without it every pair is measured (n²/2).
// Threads share the patches by chunks; every pair is measured by the same
// code whichever thread takes it, so the result does not depend on their number.
#include <cstdint>
#include <optional>
#include <vector>

#include "common/patch_set.h"

namespace verdalis::gis {

enum class distanceKind { edgeToEdge, centroid };

struct distanceRequest {
  distanceKind kind = distanceKind::edgeToEdge;
  std::optional<double> maxDistance;  // metres; none: every pair
  unsigned threads = 1;
};

// The pairs of each patch with the patches after it or before it, in patch
// order: row k lists its partners in ascending position with their distance.
// The two directions of a pair share one measured value.
struct pairRows {
  std::vector<std::size_t> start;  // row k is entries start[k] .. start[k+1]-1
  std::vector<std::uint32_t> partner;
  std::vector<double> distance;
  std::size_t pairCount() const { return partner.size() / 2; }
};

pairRows measurePairs(const patchSet& set, const distanceRequest& request);

// A pair measured once, from its patch of smaller position.
struct nearPair {
  std::uint32_t partner;
  double distance;
};

// Both directions of every pair from the lists of later partners (emptied on
// the way), each value times scale: the two directions hold the same double.
pairRows bothDirections(std::vector<std::vector<nearPair>>& after, double scale);

}  // namespace verdalis::gis
