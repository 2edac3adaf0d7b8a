#pragma once
// The least-cost paths as a line layer: layer "paths" of a GeoPackage, one
// line per pair of patches through the centres of the cells the path takes
// (its turns only), with the fields Node1 and Node2 (the identifiers, the
// smaller first), cost and length (metres). verdalis-map reads it back to
// draw links along the paths. Linear in the vertices.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/staged_file.h"

namespace verdalis::gis {

struct leastCostPath {
  std::int64_t node1 = 0, node2 = 0;
  double cost = 0, length = 0;
  std::vector<std::pair<double, double>> points;
};

// Written to the temporary file of target, which the caller commits.
void writePathLayer(const stagedFile& target, const std::string& crsWkt, const std::vector<leastCostPath>& paths);

// Reads the paths back (their points; cost and length too). Refuses a file
// without a line layer holding Node1 and Node2.
std::vector<leastCostPath> readPathLayer(const std::string& path);

}  // namespace verdalis::gis
