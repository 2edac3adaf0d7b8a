#pragma once
// --landscapes DIR: the node and connection files of every run, exactly the
// landscape the core is given (identifiers 1..n in node order, the units
// inside the region first; single-precision values written with the nine
// digits that read back to them), so that verdalis itself can be run on
// them: -t dist notall -symmetric. Each file is complete once it appears.
#include <string>

#include "protconn/node_distances.h"
#include "protconn/region_analysis.h"
#include "protconn/region_nodes.h"

namespace verdalis::gis {

// The two file names of a region and distance in folder: "REGION_D_nodes.txt"
// and "REGION_D_connections.txt", the region's characters outside letters,
// digits, '-' and '.' written as '_'.
std::pair<std::string, std::string> landscapeFileNames(const std::string& folder, const std::string& region,
                                                       double distance);

void writeLandscapeFiles(const std::string& folder, const std::string& region, const dispersalDistance& kernel,
                         const regionNodes& nodes, const nodePairs& pairs);

}  // namespace verdalis::gis
