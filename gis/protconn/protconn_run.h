#pragma once
// Every region of a run: its nodes, their pairs within the longest reach,
// and the core's analysis for each distance. Worker threads, each with its
// own GEOS context, clip the regions and measure their pairs in turn; the
// calling thread runs the core's analyses (each with every thread) in region
// order, as they become ready. So the files, and the order of the core's
// runs, do not depend on the number of threads: with MPI every process runs
// the same analyses in the same order, each shared among the processes, from
// the one thread that talks to MPI. The workers keep at most as many regions
// ready as there are workers: memory follows the largest regions, not the
// whole layer.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "protconn/least_cost_nodes.h"
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
  leastCostNodes surface;  // with a grid: least-cost distances instead
  std::vector<dispersalDistance> kernels;
  bool removals = false;
  bool keepUnits = false;
  unsigned threads = 1;
  // Called for every region and distance with the nodes and pairs the core
  // is given, in region order (--landscapes).
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
