#pragma once
// The command line of verdalis-prep.
#include <optional>
#include <string>
#include <vector>

#include "common/patch_options.h"
#include "cost/cell_steps.h"
#include "prep/pair_distances.h"

namespace verdalis::gis {

// -confProb D P of the run to come: probability P at distance D, decaying
// exponentially.
struct dispersalKernel {
  double distance = 0;
  double probability = 0;
};

// Least-cost distances over a resistance surface instead of straight ones.
struct leastCostRequest {
  std::string resistance;  // --resistance; with --costs and --habitat alone, the input itself
  std::string costTable;   // --costs: the raster holds land-cover codes
  int band = 0;            // --band; 0: not given
  cellNeighbours neighbours = cellNeighbours::eight;
  std::optional<double> maxCost;
  std::string lengthsFile;  // --lengths: the length in metres of each path
  std::string pathsFile;    // --paths: the paths as a line layer
  std::optional<double> pathsMaxCost;
  bool active() const { return !resistance.empty(); }
};

struct prepOptions {
  patchSourceOptions source;
  std::string nodeFile;
  std::string connectionFile;
  std::string patchLayer;  // --patches: a GeoPackage of the patches as measured
  distanceRequest distances;
  leastCostRequest costs;
  int decimals = 1;
  bool help = false;
  // Guidance for the run to come.
  std::optional<dispersalKernel> suggestFor;  // --suggest-for D P
  double floor = 0.001;                       // --floor: the probability that is not worth a line
  std::string studyArea;                      // --study-area: a layer whose area is -landArea
  bool listFields = false;                    // --fields: list the layers and fields of INPUT
  bool suggestionOnly = false;                // --suggest-for without input: print it and stop
  // Only some pairs are written (-t dist notall): a distance or cost bound.
  bool bounded() const { return costs.active() ? costs.maxCost.has_value() : distances.maxDistance.has_value(); }
};

// The program needs --nodes and --connections; prep() in-process writes
// only the files named.
enum class prepOutputs { required, optional };

// Throws a command-line failure for anything it cannot use.
prepOptions parsePrepOptions(const std::vector<std::string>& args, prepOutputs outputs = prepOutputs::required);

extern const char* const prepUsage;

}  // namespace verdalis::gis
