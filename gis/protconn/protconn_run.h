#pragma once
// Every region of a run: its nodes, their pairs within the longest reach,
// and the core's analysis for each distance. Regions go to worker threads in
// turn, each with its own GEOS context, and their results are kept in region
// order, so that the files do not depend on the number of threads. A worker
// holds one region's nodes and pairs at a time: memory follows the largest
// regions, not the whole layer. The core runs one analysis at a time in a
// process (each with every thread), while the other workers clip and measure.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "protconn/region_analysis.h"
#include "protconn/region_layer.h"
#include "protconn/region_nodes.h"

namespace verdalis::gis {

struct regionResult {
  std::string id;
  std::size_t inside = 0, transboundary = 0;
  std::vector<std::int64_t> unitId;
  std::vector<int> unitPart;
  std::vector<double> unitArea;
  std::vector<geometryPtr> units;  // the outlines of the units inside, when a layer or map needs them
  std::vector<distanceResult> distances;
};

struct runRequest {
  nodeRequest nodes;
  pairRequest pairs;  // its reach: the longest of the distances
  std::vector<dispersalDistance> kernels;
  bool removals = false;
  bool keepUnits = false;
  unsigned threads = 1;
  // Called for every region and distance with the nodes and pairs the core
  // is given, one call at a time (--landscapes).
  std::function<void(const std::string& region, std::size_t kernel, const regionNodes&, const nodePairs&)> landscape;
};

// The contexts of the workers own the geometries of the results: they live
// as long as the results.
struct workerContexts {
  std::vector<std::unique_ptr<geosContext>> contexts;
};

std::vector<regionResult> runRegions(const protectedAreaIndex& index, const regionSet& regions,
                                     const runRequest& request, workerContexts& contexts);

}  // namespace verdalis::gis
