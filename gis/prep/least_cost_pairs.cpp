// Least-cost distances: from the raster and the patches to the rows of prep's files.
#include "prep/least_cost_pairs.h"

#include <limits>

#include "common/failure.h"
#include "common/gdal_handles.h"
#include "common/number_text.h"
#include "common/patch_loading.h"
#include "cost/patch_cells.h"
#include "cost/patch_searches.h"
#include "support/progress.h"

namespace verdalis::gis {

namespace {
bool sameSystem(const std::string& a, const std::string& b) {
  OGRSpatialReference first, second;
  if (first.importFromWkt(a.c_str()) != OGRERR_NONE || second.importFromWkt(b.c_str()) != OGRERR_NONE) return a == b;
  return first.IsSame(&second) != 0;
}

resistanceSource sourceOf(const leastCostRequest& c) {
  resistanceSource s;
  s.path = c.resistance;
  s.band = c.band;
  if (!c.costTable.empty()) s.costs = readCostTable(c.costTable), s.costTable = c.costTable;
  return s;
}
}  // namespace

gridAndPatches loadGridAndPatches(const prepOptions& o, const geosContext& context) {
  gridAndPatches in;
  in.grid = readResistance(sourceOf(o.costs));
  resistanceGrid& g = in.grid;
  in.set = loadPatches(o.source, context);
  patchSet& set = in.set;
  if (g.crsWkt.empty()) {
    if (!set.crsWkt.empty())
      warn(g.path + " has no coordinate reference system; it is read in the patches' (" + set.crsName + ")");
    g.crsWkt = set.crsWkt, g.crsName = set.crsName, g.metresPerUnit = set.metresPerUnit;
  } else if (set.crsWkt.empty()) {
    set.crsWkt = g.crsWkt, set.crsName = g.crsName, set.metresPerUnit = g.metresPerUnit;
  } else if (!sameSystem(set.crsWkt, g.crsWkt)) {
    const std::string from = set.crsName;
    patchSourceOptions again = o.source;
    again.targetCrs = g.crsWkt;
    set = loadPatches(again, context);
    set.crsName = g.crsName;
    in.reprojected = "Reprojected the patches from " + from + " to the coordinate system of " + g.path + " (" +
                     g.crsName + ")\n";
  }
  return in;
}

std::string leastCostText(const prepOptions& o, const resistanceGrid& g) {
  return std::string(o.distances.kind == distanceKind::centroid ? "point-to-point" : "edge-to-edge") +
         " least-cost distances (" + std::to_string(neighbourCount(o.costs.neighbours)) + " neighbours) over " +
         g.path + " (" + std::to_string(g.width) + " x " + std::to_string(g.height) + " cells of " +
         roundedText(g.cellX * g.metresPerUnit, 6) + (g.cellX == g.cellY ? "" : " x " + roundedText(g.cellY * g.metresPerUnit, 6)) +
         " m)";
}

namespace {
void warnAboutCells(const rasterisingNotes& notes, const resistanceGrid& g) {
  if (notes.pointCells > 0)
    warn(std::to_string(notes.pointCells) + " patch" + (notes.pointCells == 1 ? " covers" : "es cover") +
         " no cell centre of " + g.path + "; each is given the cell of a point inside it");
  if (notes.partlyUnusable > 0)
    warn(std::to_string(notes.partlyUnusable) + " patch" + (notes.partlyUnusable == 1 ? " lies" : "es lie") +
         " partly outside " + g.path + " or on its cells without data; only their cells with data are used");
}

leastCostPath pathLine(const foundPair& pair, std::int64_t from, std::int64_t to, const resistanceGrid& g) {
  leastCostPath line{from, to, pair.cost, pair.length, {}};
  for (cellIndex k : pair.path)
    line.points.emplace_back(g.centreX(int(k % cellIndex(g.width))), g.centreY(int(k / cellIndex(g.width))));
  if (line.points.size() == 1) line.points.push_back(line.points.front());
  return line;
}
}  // namespace

leastCosts measureLeastCosts(const prepOptions& o, const gridAndPatches& in, const geosContext& context) {
  const resistanceGrid& g = in.grid;
  rasterisingNotes notes;
  const patchEnds ends =
      o.distances.kind == distanceKind::centroid ? patchEnds::representativePoint : patchEnds::allCells;
  const patchCells cells = rasterisePatches(in.set, g, ends, context, notes);
  warnAboutCells(notes, g);
  searchSettings settings;
  settings.neighbours = o.costs.neighbours;
  settings.maxCost = o.costs.maxCost;
  settings.lengths = !o.costs.lengthsFile.empty();
  if (!o.costs.pathsFile.empty())
    settings.pathsUpTo = o.costs.pathsMaxCost.value_or(std::numeric_limits<double>::infinity());
  std::vector<std::vector<foundPair>> found;
  {
    const std::size_t n = in.set.patches.size();
    progressPhase phase("Least-cost searches", static_cast<long long>(n));
    found = searchEveryPatch(g, cells, settings, o.distances.threads, [](std::size_t) { runProgress().advance(1); });
  }
  leastCosts result;
  std::vector<std::vector<nearPair>> costs(found.size()), lengths(found.size());
  for (std::size_t a = 0; a < found.size(); ++a)
    for (const foundPair& pair : found[a]) {
      costs[a].push_back({pair.partner, pair.cost});
      if (settings.lengths) lengths[a].push_back({pair.partner, pair.length});
      if (!pair.path.empty())
        result.paths.push_back(pathLine(pair, in.set.patches[a].id, in.set.patches[pair.partner].id, g));
    }
  std::vector<std::vector<foundPair>>().swap(found);
  result.costs = bothDirections(costs, 1.0);
  result.lengths = bothDirections(lengths, 1.0);
  return result;
}

}  // namespace verdalis::gis
