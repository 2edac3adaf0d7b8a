#pragma once
// Least-cost distances between the nodes of a region, as verdalis-prep
// --resistance measures them (gis/cost/): the nodes rasterised onto the
// resistance grid (every cell of a node, or its representative point with
// --centroid), one search per node bounded by the reach of the kernel in cost
// units, each pair kept once. Cost: the searches, each over the cells within
// the reach of its node.
#include "cost/cell_steps.h"
#include "cost/resistance_grid.h"
#include "protconn/node_distances.h"

namespace verdalis::gis {

struct leastCostNodes {
  const resistanceGrid* grid = nullptr;
  cellNeighbours neighbours = cellNeighbours::eight;
};

// Pairs as measureNodePairs gives them, with costs for distances; request.reach
// is a cost.
nodePairs measureLeastCostPairs(const std::vector<geometryPtr>& outlines, const pairRequest& request,
                                const leastCostNodes& surface, const geosContext& context);

}  // namespace verdalis::gis
