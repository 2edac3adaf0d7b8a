#pragma once
// The distances between the nodes of a region within the reach of the
// dispersal kernel, edge to edge or between representative points (the
// centroid, or a point inside when it falls outside), as verdalis-prep
// measures them: candidates from an STR tree queried with each node's box
// grown by the reach, each pair measured once and kept when its exact
// distance is at most the reach. Worker threads take the rows in chunks;
// every pair is measured by the same code, so the pairs do not depend on
// their number.
#include <cstdint>
#include <vector>

#include "common/geos_handles.h"
#include "prep/pair_distances.h"

namespace verdalis::gis {

// Pairs with from < to, ordered by from then to; distances in metres.
struct nodePairs {
  std::vector<std::uint32_t> from, to;
  std::vector<double> distance;
  std::size_t size() const { return from.size(); }
};

struct pairRequest {
  distanceKind kind = distanceKind::edgeToEdge;
  double reach = 0;  // metres
  double metresPerUnit = 1;
  unsigned threads = 1;
};

nodePairs measureNodePairs(const std::vector<geometryPtr>& outlines, const pairRequest& request,
                           const geosContext& context);

}  // namespace verdalis::gis
