// Seeded synthetic layers for measuring verdalis-protconn: protected areas
// (irregular 16-sided polygons of lognormal area, median --median ha, their
// centres uniform over the square of side --side metres grown by --margin on
// every side, so that the regions have neighbours beyond their borders) and
// regions (the square itself, or with --regions R > 1 a Voronoi tessellation
// of R seeds clipped to it). Layers "pas" (field pa_id = 1..n, --count of
// them inside the square, more in the margin at the same density) and
// "regions" (field region = R1, R2, ...), EPSG:3067, written as GeoPackages.
// The generator is splitmix64, so a seed gives the same layers everywhere.
//
// Usage: gen_protconn_layers --count N --side L --pas FILE.gpkg --regions-out FILE.gpkg
//                            [--regions R] [--margin M] [--median HA] [--seed S]
#include <gdal_priv.h>
#include <geos_c.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "seeded_shapes.h"

namespace {

using gentools::irregularPolygon;
using gentools::random64;

struct settings {
  long count = 0, regions = 1;
  double side = 0, margin = 50000, median = 200;
  std::string pas, regionsOut;
  std::uint64_t seed = 1;
};

[[noreturn]] void usage(const char* problem) {
  std::fprintf(stderr,
               "gen_protconn_layers: %s\nUsage: gen_protconn_layers --count N --side L --pas FILE.gpkg "
               "--regions-out FILE.gpkg [--regions R] [--margin M] [--median HA] [--seed S]\n",
               problem);
  std::exit(1);
}

settings parse(int argc, char** argv) {
  settings s;
  for (int k = 1; k < argc; ++k) {
    const std::string a = argv[k];
    if (k + 1 >= argc) usage("every option needs a value");
    const char* v = argv[++k];
    if (a == "--count") s.count = std::atol(v);
    else if (a == "--side") s.side = std::atof(v);
    else if (a == "--pas") s.pas = v;
    else if (a == "--regions-out") s.regionsOut = v;
    else if (a == "--regions") s.regions = std::atol(v);
    else if (a == "--margin") s.margin = std::atof(v);
    else if (a == "--median") s.median = std::atof(v);
    else if (a == "--seed") s.seed = std::strtoull(v, nullptr, 10);
    else usage("unknown option");
  }
  if (s.count < 1 || s.side <= 0 || s.pas.empty() || s.regionsOut.empty() || s.regions < 1 || s.margin < 0)
    usage("--count, --side, --pas and --regions-out are required");
  return s;
}

GDALDataset* create(const std::string& path) {
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
  GDALDataset* dataset = driver ? driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr) : nullptr;
  if (!dataset) usage("cannot create an output");
  return dataset;
}

void writeAreas(const settings& s, random64& rng, OGRSpatialReference& system) {
  GDALDataset* dataset = create(s.pas);
  OGRLayer* layer = dataset->CreateLayer("pas", &system, wkbPolygon, nullptr);
  OGRFieldDefn field("pa_id", OFTInteger);
  layer->CreateField(&field);
  const double outer = s.side + 2 * s.margin;
  const long total = std::lround(static_cast<double>(s.count) * outer * outer / (s.side * s.side));
  dataset->StartTransaction();
  for (long k = 0; k < total; ++k) {
    const double x = -s.margin + outer * rng.uniform(), y = -s.margin + outer * rng.uniform();
    const double hectares = std::max(0.5, s.median * std::exp(1.5 * rng.gauss()));
    OGRFeature feature(layer->GetLayerDefn());
    feature.SetField(0, static_cast<int>(k + 1));
    feature.SetGeometryDirectly(irregularPolygon(rng, 3.0e5 + x, 6.7e6 + y, hectares));
    if (layer->CreateFeature(&feature) != OGRERR_NONE) usage("cannot write a feature");
  }
  dataset->CommitTransaction();
  GDALClose(dataset);
}

// The Voronoi cells of the seeds, clipped to the square, in the order of the seeds.
std::vector<GEOSGeometry*> voronoiCells(const settings& s, random64& rng, GEOSContextHandle_t c) {
  const double x0 = 3.0e5, y0 = 6.7e6;
  GEOSGeometry* square = GEOSGeom_createRectangle_r(c, x0, y0, x0 + s.side, y0 + s.side);
  std::vector<GEOSGeometry*> cells;
  if (s.regions == 1) return {square};
  std::vector<GEOSGeometry*> seeds;
  for (long k = 0; k < s.regions; ++k)
    seeds.push_back(GEOSGeom_createPointFromXY_r(c, x0 + s.side * rng.uniform(), y0 + s.side * rng.uniform()));
  GEOSGeometry* points = GEOSGeom_createCollection_r(c, GEOS_MULTIPOINT, seeds.data(), static_cast<unsigned>(seeds.size()));
  GEOSGeometry* diagram = GEOSVoronoiDiagram_r(c, points, square, 0, 0);
  for (int k = 0; k < GEOSGetNumGeometries_r(c, diagram); ++k)
    cells.push_back(GEOSIntersection_r(c, GEOSGetGeometryN_r(c, diagram, k), square));
  GEOSGeom_destroy_r(c, diagram);
  GEOSGeom_destroy_r(c, points);
  GEOSGeom_destroy_r(c, square);
  return cells;
}

void writeRegions(const settings& s, random64& rng, OGRSpatialReference& system) {
  GEOSContextHandle_t c = GEOS_init_r();
  const std::vector<GEOSGeometry*> cells = voronoiCells(s, rng, c);
  GDALDataset* dataset = create(s.regionsOut);
  OGRLayer* layer = dataset->CreateLayer("regions", &system, wkbPolygon, nullptr);
  OGRFieldDefn field("region", OFTString);
  layer->CreateField(&field);
  dataset->StartTransaction();
  for (std::size_t k = 0; k < cells.size(); ++k) {
    OGRFeature feature(layer->GetLayerDefn());
    feature.SetField(0, ("R" + std::to_string(k + 1)).c_str());
    feature.SetGeometryDirectly(OGRGeometryFactory::createFromGEOS(c, cells[k]));
    if (layer->CreateFeature(&feature) != OGRERR_NONE) usage("cannot write a region");
    GEOSGeom_destroy_r(c, cells[k]);
  }
  dataset->CommitTransaction();
  GDALClose(dataset);
  GEOS_finish_r(c);
}

}  // namespace

int main(int argc, char** argv) {
  const settings s = parse(argc, argv);
  GDALAllRegister();
  OGRSpatialReference system;
  system.importFromEPSG(3067);
  random64 rng{s.seed};
  writeRegions(s, rng, system);
  writeAreas(s, rng, system);
  return 0;
}
