// Seeded synthetic polygon layers for measuring verdalis-prep on large
// inputs. Patches are irregular 16-sided polygons around centres drawn from
// Gaussian clusters in a square of side L metres (12·n by default, the density
// of the project's benchmark landscapes), with lognormal areas of median 4 ha.
// Written as a GeoPackage, or as GeoJSON when the name ends in .geojson
// (coordinates to 0.1 m, for a layer kept in git), with layer "patches" and
// field "patch_id" = 1..n, in ETRS89 / TM35FIN (EPSG:3067). The generator is
// splitmix64, so a seed gives the same layer everywhere.
//
// Usage: gen_patch_layer --count N --out FILE.gpkg|FILE.geojson [--seed S] [--side L] [--clusters C]
#include <gdal_priv.h>
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
  long count = 0;
  std::string out;
  std::uint64_t seed = 1;
  double side = -1;
  long clusters = -1;
};

[[noreturn]] void usage(const char* problem) {
  std::fprintf(stderr, "gen_patch_layer: %s\nUsage: gen_patch_layer --count N --out FILE.gpkg [--seed S] [--side L] [--clusters C]\n", problem);
  std::exit(1);
}

settings parse(int argc, char** argv) {
  settings s;
  for (int k = 1; k < argc; ++k) {
    const std::string a = argv[k];
    if (k + 1 >= argc) usage("every option needs a value");
    const char* v = argv[++k];
    if (a == "--count") s.count = std::atol(v);
    else if (a == "--out") s.out = v;
    else if (a == "--seed") s.seed = std::strtoull(v, nullptr, 10);
    else if (a == "--side") s.side = std::atof(v);
    else if (a == "--clusters") s.clusters = std::atol(v);
    else usage("unknown option");
  }
  if (s.count < 1 || s.out.empty()) usage("--count (at least 1) and --out are required");
  if (s.side <= 0) s.side = 12.0 * static_cast<double>(s.count);
  if (s.clusters < 1) s.clusters = std::max(1L, std::lround(std::sqrt(static_cast<double>(s.count)) / 3.0));
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  const settings s = parse(argc, argv);
  GDALAllRegister();
  const bool geojson = s.out.size() > 8 && s.out.substr(s.out.size() - 8) == ".geojson";
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(geojson ? "GeoJSON" : "GPKG");
  GDALDataset* dataset = driver ? driver->Create(s.out.c_str(), 0, 0, 0, GDT_Unknown, nullptr) : nullptr;
  if (!dataset) usage("cannot create the output");
  OGRSpatialReference system;
  system.importFromEPSG(3067);
  const char* precision[] = {"COORDINATE_PRECISION=1", nullptr};
  OGRLayer* layer = dataset->CreateLayer("patches", &system, wkbPolygon, geojson ? const_cast<char**>(precision) : nullptr);
  OGRFieldDefn field("patch_id", OFTInteger);
  layer->CreateField(&field);
  random64 rng{s.seed};
  const double spread = s.side / (3.0 * std::sqrt(static_cast<double>(s.clusters)));
  std::vector<double> cx(s.clusters), cy(s.clusters);
  for (long c = 0; c < s.clusters; ++c) {
    cx[c] = s.side * (0.15 + 0.7 * rng.uniform());
    cy[c] = s.side * (0.15 + 0.7 * rng.uniform());
  }
  dataset->StartTransaction();
  for (long k = 0; k < s.count; ++k) {
    const long c = static_cast<long>(rng.uniform() * static_cast<double>(s.clusters));
    double x, y;
    do {
      x = cx[c] + spread * rng.gauss();
      y = cy[c] + spread * rng.gauss();
    } while (x < 0 || x > s.side || y < 0 || y > s.side);
    const double hectares = std::max(0.01, 4.0 * std::exp(rng.gauss()));
    OGRFeature feature(layer->GetLayerDefn());
    feature.SetField(0, static_cast<int>(k + 1));
    feature.SetGeometryDirectly(irregularPolygon(rng, 3.0e5 + x, 6.7e6 + y, hectares));
    if (layer->CreateFeature(&feature) != OGRERR_NONE) usage("cannot write a feature");
  }
  dataset->CommitTransaction();
  GDALClose(dataset);
  return 0;
}
