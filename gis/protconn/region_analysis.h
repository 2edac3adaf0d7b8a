#pragma once
// The connectivity of one region's nodes, computed by the core in-process:
// ECA = EC(PC) = √PCnum (p*_ii = 1) over every node and over the nodes
// inside the region alone, and, when asked, dPC and its fractions for every
// node removed. The landscape is handed over by neighbour (the pairs within
// the reach of the kernel, -t dist notall), read both ways, so a region costs
// what its nearby pairs cost, not n².
#include <string>
#include <vector>

#include "protconn/node_distances.h"
#include "protconn/protconn_values.h"
#include "protconn/region_nodes.h"

namespace verdalis::gis {

struct dispersalDistance {
  double distance = 0;     // D of -confProb D P
  double probability = 0;  // P
  double reach = 0;        // metres: beyond it the probability is below the floor
};

// D ln(floor) / ln(P), where P^(d/D) falls to the floor.
double kernelReach(double distance, double probability, double floor);

struct analysisRequest {
  bool removals = false;  // dPC of every node inside the region
  int threads = 0;        // of the core; 0: every hardware thread
};

struct distanceResult {
  regionMeasures measures;
  protconnValues values;
  std::size_t pairs = 0;  // within the reach
  // For the nodes inside the region, with removals.
  std::vector<double> dPC, dPCintra, dPCflux, dPCconnector;
  std::vector<std::string> told;  // what the core told, for the run log
};

distanceResult analyseRegion(const regionNodes& nodes, const nodePairs& pairs, const dispersalDistance& kernel,
                             const analysisRequest& request);

}  // namespace verdalis::gis
