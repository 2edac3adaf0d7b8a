#pragma once
// Least-cost distances for verdalis-prep: the resistance surface read, the
// patches loaded in its coordinate system and rasterised onto it, one bounded
// search per patch (gis/cost/), and what the files need: the costs and the
// path lengths in both directions from the one value of each pair, and the
// paths as lines through cell centres. Cost: reading the raster, plus the
// searches (see cost_search.h).
#include <string>
#include <vector>

#include "common/patch_set.h"
#include "cost/path_layer.h"
#include "cost/resistance_grid.h"
#include "prep/pair_distances.h"
#include "prep/prep_options.h"

namespace verdalis::gis {

struct gridAndPatches {
  resistanceGrid grid;
  patchSet set;
  std::string reprojected;  // the line that says the patches were reprojected, or empty
};

// The raster first, then the patches: reprojected to the raster's system
// when theirs differs (with a line saying so, for the summary); a raster without a system is
// read in the patches' system, with a warning.
gridAndPatches loadGridAndPatches(const prepOptions& options, const geosContext& context);

struct leastCosts {
  pairRows costs;
  pairRows lengths;  // empty rows unless --lengths
  std::vector<leastCostPath> paths;
};

leastCosts measureLeastCosts(const prepOptions& options, const gridAndPatches& input, const geosContext& context);

// "edge-to-edge least-cost distances (8 neighbours) over R (349 x 352 cells of 28.5 m)"
std::string leastCostText(const prepOptions& options, const resistanceGrid& grid);

}  // namespace verdalis::gis
