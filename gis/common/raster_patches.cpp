// Raster input: reading rows of habitat runs, labelling connected groups, and
// building each kept group's outline from its pixel squares.
#include "common/raster_patches.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "common/crs.h"
#include "common/disjoint_sets.h"
#include "common/failure.h"
#include "common/gdal_handles.h"
#include "common/outline_checks.h"
#include "support/progress.h"

namespace verdalis::gis {


std::vector<std::int64_t> labelRuns(const std::vector<pixelRun>& runs, pixelNeighbours neighbours) {
  const std::int32_t reach = neighbours == pixelNeighbours::eight ? 1 : 0;
  disjointSets groups(runs.size());
  std::size_t previous = 0, current = 0;  // starts of the previous and current row
  while (current < runs.size()) {
    std::size_t next = current;
    while (next < runs.size() && runs[next].row == runs[current].row) ++next;
    const bool adjacent = previous < current && runs[previous].row + 1 == runs[current].row;
    std::size_t a = previous;
    for (std::size_t b = current; adjacent && b < next; ++b) {
      while (a < current && runs[a].last + reach < runs[b].first) ++a;
      for (std::size_t k = a; k < current && runs[k].first <= runs[b].last + reach; ++k) groups.unite(k, b);
    }
    previous = current;
    current = next;
  }
  std::vector<std::int64_t> label(runs.size());
  std::int64_t count = 0;
  for (std::size_t k = 0; k < runs.size(); ++k) {
    const std::size_t root = groups.find(k);
    label[k] = root == k ? ++count : label[root];
  }
  return label;
}

namespace {
struct habitatRaster {
  datasetPtr dataset;
  GDALRasterBand* band = nullptr;
  double transform[6] = {0, 1, 0, 0, 0, -1};
};

habitatRaster openRaster(const std::string& input) {
  habitatRaster raster;
  raster.dataset.reset(GDALDataset::Open(input.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
  if (!raster.dataset) {
    if (::access(input.c_str(), R_OK) != 0) inputError("cannot read " + input + ": no such file or not readable");
    inputError(input + " is not a raster that GDAL can read; --habitat reads land-cover rasters");
  }
  if (raster.dataset->GetRasterCount() < 1) inputError(input + " holds no raster band");
  if (raster.dataset->GetRasterCount() > 1) warn(input + " has several bands; the first one is read");
  raster.band = raster.dataset->GetRasterBand(1);
  if (raster.dataset->GetGeoTransform(raster.transform) != CE_None)
    warn(input + " has no georeferencing; pixels are taken as squares of 1 unit");
  return raster;
}

std::vector<pixelRun> habitatRuns(habitatRaster& raster, const std::vector<double>& habitat) {
  const int width = raster.band->GetXSize(), height = raster.band->GetYSize();
  int hasNoData = 0;
  const double noData = raster.band->GetNoDataValue(&hasNoData);
  auto isHabitat = [&](double v) {
    if (hasNoData && (v == noData || (std::isnan(v) && std::isnan(noData)))) return false;
    return std::find(habitat.begin(), habitat.end(), v) != habitat.end();
  };
  std::vector<double> row(static_cast<std::size_t>(width));
  std::vector<pixelRun> runs;
  progressPhase phase("Reading the raster", height);
  for (int y = 0; y < height; ++y, runProgress().advance(1)) {
    if (raster.band->RasterIO(GF_Read, 0, y, width, 1, row.data(), width, 1, GDT_Float64, 0, 0,
                              nullptr) != CE_None)
      inputError("cannot read row " + std::to_string(y) + " of the raster: " + CPLGetLastErrorMsg());
    for (int x = 0; x < width;) {
      if (!isHabitat(row[x])) { ++x; continue; }
      const int first = x;
      while (x < width && isHabitat(row[x])) ++x;
      runs.push_back({y, first, x - 1});
    }
  }
  return runs;
}

// The raster's corners in the measuring system; a reprojected raster gets
// the box of its reprojected edges.
envelope rasterExtent(habitatRaster& raster, measuringSystem& system) {
  const double* t = raster.transform;
  const double w = raster.band->GetXSize(), h = raster.band->GetYSize();
  envelope box{t[0], t[3], t[0], t[3]};
  for (const auto& [col, row] : {std::pair<double, double>{w, 0}, {0, h}, {w, h}})
    box = enclosing(box, {t[0] + col * t[1] + row * t[2], t[3] + col * t[4] + row * t[5],
                          t[0] + col * t[1] + row * t[2], t[3] + col * t[4] + row * t[5]});
  if (!system.reprojection) return box;
  envelope moved;
  if (!system.reprojection->TransformBounds(box.minX, box.minY, box.maxX, box.maxY, &moved.minX, &moved.minY,
                                            &moved.maxX, &moved.maxY, 21))
    inputError("the extent of raster " + std::string(raster.dataset->GetDescription()) + " cannot be reprojected to " +
               system.name);
  return moved;
}

GEOSGeometry* runSquare(const geosContext& context, const double* t, const pixelRun& run) {
  const double cols[4] = {double(run.first), double(run.last) + 1, double(run.last) + 1, double(run.first)};
  const double rows[4] = {double(run.row), double(run.row), double(run.row) + 1, double(run.row) + 1};
  GEOSCoordSequence* ring = GEOSCoordSeq_create_r(context.get(), 5, 2);
  for (unsigned k = 0; k < 5; ++k) {
    const unsigned c = k % 4;
    GEOSCoordSeq_setXY_r(context.get(), ring, k, t[0] + cols[c] * t[1] + rows[c] * t[2],
                         t[3] + cols[c] * t[4] + rows[c] * t[5]);
  }
  return GEOSGeom_createPolygon_r(context.get(), GEOSGeom_createLinearRing_r(context.get(), ring), nullptr, 0);
}

// The union of the pixel squares of one group's runs.
geometryPtr groupOutline(const geosContext& context, const double* transform,
                         const std::vector<pixelRun>& runs, const std::vector<std::size_t>& members) {
  std::vector<GEOSGeometry*> squares;
  squares.reserve(members.size());
  for (std::size_t k : members) squares.push_back(runSquare(context, transform, runs[k]));
  geometryPtr pieces = own(context, GEOSGeom_createCollection_r(context.get(), GEOS_MULTIPOLYGON, squares.data(),
                                                                static_cast<unsigned>(squares.size())));
  return own(context, GEOSUnaryUnion_r(context.get(), pieces.get()));
}
}  // namespace

patchSet readRasterPatches(const patchSourceOptions& o, const geosContext& context) {
  habitatRaster raster = openRaster(o.input);
  measuringSystem system = chooseSystem(raster.dataset->GetSpatialRef(), o.targetCrs, "raster " + o.input);
  const std::vector<pixelRun> runs = habitatRuns(raster, o.habitat);
  const std::vector<std::int64_t> label = labelRuns(runs, o.neighbours);
  const std::int64_t groups = runs.empty() ? 0 : *std::max_element(label.begin(), label.end());
  std::vector<std::vector<std::size_t>> members(static_cast<std::size_t>(groups));
  std::vector<double> pixels(static_cast<std::size_t>(groups), 0.0);
  for (std::size_t k = 0; k < runs.size(); ++k) {
    members[label[k] - 1].push_back(k);
    pixels[label[k] - 1] += runs[k].last - runs[k].first + 1;
  }
  const double* t = raster.transform;
  const double unitAreaPerPixel = std::fabs(t[1] * t[5] - t[2] * t[4]) * system.metresPerUnit *
                               system.metresPerUnit / squareMetresPerUnit(o.unit);
  patchSet set;
  set.crsWkt = system.wkt;
  set.crsName = system.name;
  set.metresPerUnit = system.metresPerUnit;
  set.extent = rasterExtent(raster, system);
  progressPhase phase("Patch outlines", groups);
  for (std::int64_t g = 0; g < groups; ++g, runProgress().advance(1)) {
    patch p;
    p.id = g + 1;
    p.origin = "raster group " + std::to_string(p.id);
    p.attribute = pixels[g] * unitAreaPerPixel;
    if (!system.reprojection && o.minArea && p.attribute < *o.minArea) continue;
    p.outline = groupOutline(context, t, runs, members[g]);
    if (system.reprojection) {
      geometryPtr moved = reproject(context, p.outline.get(), *system.reprojection);
      if (!moved) inputError(p.origin + " cannot be reprojected to " + system.name);
      p.outline = validOutline(context, std::move(moved), p.origin);
      GEOSArea_r(context.get(), p.outline.get(), &p.attribute);
      p.attribute *= system.metresPerUnit * system.metresPerUnit / squareMetresPerUnit(o.unit);
      if (o.minArea && p.attribute < *o.minArea) continue;
    }
    set.patches.push_back(std::move(p));
  }
  return set;
}

}  // namespace verdalis::gis
