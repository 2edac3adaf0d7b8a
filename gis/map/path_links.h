#pragma once
// Links drawn along the least-cost paths that verdalis-prep wrote with
// --paths: each link of the results takes the line of its pair's path; a
// run without link importances gets one link per path. Linear in the links
// and paths, with a sort of the paths by pair.
#include <vector>

#include "common/gpkg_output.h"
#include "common/patch_set.h"
#include "cost/path_layer.h"

namespace verdalis::gis {

struct pathJoin {
  std::size_t straight = 0;  // links of the results without a path
  std::size_t unknown = 0;   // paths naming a patch that is not in the layer
};

// Fills links.shapes (and, when links is empty, the links themselves).
pathJoin followPaths(patchLinks& links, const patchSet& set, std::vector<leastCostPath> paths);

}  // namespace verdalis::gis
