#pragma once
// The command line of verdalis-protconn.
#include <string>
#include <vector>

#include "common/patch_options.h"
#include "cost/cell_steps.h"
#include "prep/pair_distances.h"
#include "protconn/region_layer.h"

namespace verdalis::gis {

struct protconnOptions {
  patchSourceOptions areas;  // the protected areas: input, --layer, --id, --where, --to, --area
  regionSource regions;      // --regions, --region-layer, --region-id, --region
  std::vector<double> distances;  // --distance D[,D...], metres
  double probability = 0.5;       // --probability
  double floor = 0.001;           // --floor: the probability beyond which pairs are left out
  double transboundary = 50000;   // --transboundary, metres
  distanceKind kind = distanceKind::edgeToEdge;
  // Least-cost distances, as verdalis-prep --resistance measures them.
  std::string resistance;  // --resistance: the raster; empty: straight distances
  std::string costTable;   // --costs: the raster holds land-cover codes
  int band = 0;            // --band; 0: the only band
  cellNeighbours neighbours = cellNeighbours::eight;
  bool neighboursGiven = false;
  std::string table;        // --out: a row per region and distance
  std::string importances;  // --importances: a row per protected unit
  std::string geopackage;   // --gpkg
  std::string png, svg;     // the map of dProtConn
  std::string log;          // --log; default beside --out
  std::string landscapes;   // --landscapes DIR: the node and connection files of every run
  unsigned threads = 0;     // 0: every core
  bool help = false;

  // dPC of every unit: what the importances, the layer and the map show.
  bool removals() const { return !importances.empty() || !geopackage.empty() || !png.empty() || !svg.empty(); }
};

protconnOptions parseProtconnOptions(const std::vector<std::string>& args);

extern const char* const protconnUsage;

}  // namespace verdalis::gis
