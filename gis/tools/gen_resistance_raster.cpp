// Seeded resistance rasters and patch layers for measuring the least-cost
// distances of verdalis-prep. The raster is a square of N × N cells (10 m by
// default) in ETRS89 / TM35FIN (EPSG:3067), 32-bit floats: a smooth random
// field (four octaves of value noise on lattices of 2 km down to 250 m)
// mapped to resistances from 1 to 28, mean about 10, with the
// most resistant tenth left without data where --holes is given. The patches
// are discs of 12 vertices, radius 15 to 60 m, at uniform random places, as
// a GeoPackage with layer "patches" and field "patch_id" = 1..K, and with
// --habitat FILE.tif also as a habitat raster on the same grid (1 where a
// cell's centre lies in a disc, 0 elsewhere), for tools that take patches as
// cells. The generator is splitmix64, so a seed gives the same files everywhere. The
// mean resistance is printed, to choose --max-cost.
//
// Usage: gen_resistance_raster --cells N --raster FILE.tif [--patches K --layer FILE.gpkg|.geojson]
//          [--cell METRES] [--seed S] [--holes] [--habitat FILE.tif] [--left X --top Y]
// The top-left corner is (300000, 7000000) unless given; the raster is
// compressed (DEFLATE), which keeps the example's small raster small in git.
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::uint64_t mix(std::uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

struct random64 {
  std::uint64_t state;
  double uniform() { return static_cast<double>(mix(state += 0x9E3779B97F4A7C15ULL) >> 11) * (1.0 / 9007199254740992.0); }
};

struct settings {
  long cells = 0, patches = 0;
  double cell = 10;
  std::uint64_t seed = 1;
  bool holes = false;
  double left = 300000, top = 7000000;
  std::string raster, layer, habitat;
};

struct disc {
  double x, y, radius;
};

[[noreturn]] void usage(const char* problem) {
  std::fprintf(stderr, "gen_resistance_raster: %s\nUsage: gen_resistance_raster --cells N --patches K --raster FILE.tif "
                       "--layer FILE.gpkg [--cell METRES] [--seed S] [--holes] [--habitat FILE.tif] [--left X --top Y]\n", problem);
  std::exit(1);
}

settings readSettings(int argc, char** argv) {
  settings s;
  for (int k = 1; k < argc; ++k) {
    const std::string word = argv[k];
    if (word == "--holes") { s.holes = true; continue; }
    if (k + 1 >= argc) usage("an option needs a value");
    const char* value = argv[++k];
    if (word == "--cells") s.cells = std::atol(value);
    else if (word == "--patches") s.patches = std::atol(value);
    else if (word == "--cell") s.cell = std::atof(value);
    else if (word == "--seed") s.seed = std::strtoull(value, nullptr, 10);
    else if (word == "--raster") s.raster = value;
    else if (word == "--layer") s.layer = value;
    else if (word == "--habitat") s.habitat = value;
    else if (word == "--left") s.left = std::atof(value);
    else if (word == "--top") s.top = std::atof(value);
    else usage("unknown option");
  }
  if (s.cells < 2 || s.patches < 0 || s.raster.empty() || (s.patches > 0) != !s.layer.empty() || !(s.cell > 0))
    usage("missing or bad values");
  return s;
}

// Value noise: a random value at each lattice point, interpolated smoothly.
double latticeValue(std::uint64_t seed, long i, long j) {
  return static_cast<double>(mix(seed ^ mix(std::uint64_t(i) * 0x9E3779B97F4A7C15ULL + std::uint64_t(j))) >> 11) *
         (1.0 / 9007199254740992.0);
}

double noise(std::uint64_t seed, double x, double y) {
  const long i = static_cast<long>(std::floor(x)), j = static_cast<long>(std::floor(y));
  const double fx = x - i, fy = y - j;
  const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const double top = latticeValue(seed, i, j) * (1 - sx) + latticeValue(seed, i + 1, j) * sx;
  const double bottom = latticeValue(seed, i, j + 1) * (1 - sx) + latticeValue(seed, i + 1, j + 1) * sx;
  return top * (1 - sy) + bottom * sy;
}

double field(std::uint64_t seed, double x, double y) {
  double sum = 0, weight = 0, scale = 2000, amplitude = 1;
  for (int octave = 0; octave < 4; ++octave, scale /= 2, amplitude /= 2) {
    sum += amplitude * noise(seed + octave, x / scale, y / scale);
    weight += amplitude;
  }
  return sum / weight;
}

double writeRaster(const settings& s, OGRSpatialReference& system) {
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
  char** options = CSLSetNameValue(nullptr, "TILED", "YES");
  options = CSLSetNameValue(options, "COMPRESS", "DEFLATE");
  options = CSLSetNameValue(options, "BIGTIFF", "IF_SAFER");
  GDALDataset* out = driver->Create(s.raster.c_str(), int(s.cells), int(s.cells), 1, GDT_Float32, options);
  CSLDestroy(options);
  if (!out) usage("cannot create the raster");
  double transform[6] = {s.left, s.cell, 0, s.top, 0, -s.cell};
  out->SetGeoTransform(transform);
  out->SetSpatialRef(&system);
  GDALRasterBand* band = out->GetRasterBand(1);
  band->SetNoDataValue(-9999);
  std::vector<float> row(static_cast<std::size_t>(s.cells));
  double total = 0, count = 0;
  for (long r = 0; r < s.cells; ++r) {
    for (long c = 0; c < s.cells; ++c) {
      const double f = field(s.seed, c * s.cell, r * s.cell);  // about 0.2 to 0.8
      const double u = std::min(1.0, std::max(0.0, (f - 0.2) / 0.6));
      const float resistance = static_cast<float>(1 + std::round(27 * u * u));
      row[c] = s.holes && u > 0.9 ? -9999.0f : resistance;
      if (row[c] > 0) total += row[c], ++count;
    }
    if (band->RasterIO(GF_Write, 0, int(r), int(s.cells), 1, row.data(), int(s.cells), 1, GDT_Float32, 0, 0, nullptr) != CE_None)
      usage("cannot write the raster");
  }
  GDALClose(out);
  return total / count;
}

std::vector<disc> placeDiscs(const settings& s) {
  random64 random{s.seed * 7919 + 17};
  const double side = s.cells * s.cell;
  std::vector<disc> discs;
  for (long k = 1; k <= s.patches; ++k) {
    const double radius = 15 + 45 * random.uniform();
    const double x = s.left + radius + (side - 2 * radius) * random.uniform();
    const double y = s.top - radius - (side - 2 * radius) * random.uniform();
    discs.push_back({x, y, radius});
  }
  return discs;
}

void writePatches(const settings& s, OGRSpatialReference& system, const std::vector<disc>& discs) {
  const bool json = s.layer.size() > 8 && s.layer.compare(s.layer.size() - 8, 8, ".geojson") == 0;
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(json ? "GeoJSON" : "GPKG");
  GDALDataset* out = driver->Create(s.layer.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
  if (!out) usage("cannot create the patch layer");
  OGRLayer* layer = out->CreateLayer("patches", &system, wkbPolygon, nullptr);
  OGRFieldDefn id("patch_id", OFTInteger);
  layer->CreateField(&id);
  out->StartTransaction();
  for (std::size_t k = 0; k < discs.size(); ++k) {
    OGRLinearRing ring;
    for (int v = 0; v <= 12; ++v) {
      const double angle = 6.283185307179586 * (v % 12) / 12;
      ring.addPoint(std::round((discs[k].x + discs[k].radius * std::cos(angle)) * 10) / 10,
                    std::round((discs[k].y + discs[k].radius * std::sin(angle)) * 10) / 10);
    }
    OGRPolygon polygon;
    polygon.addRing(&ring);
    OGRFeature feature(layer->GetLayerDefn());
    feature.SetField(0, static_cast<int>(k + 1));
    feature.SetGeometry(&polygon);
    if (layer->CreateFeature(&feature) != OGRERR_NONE) usage("cannot write the patch layer");
  }
  out->CommitTransaction();
  GDALClose(out);
}

void writeHabitat(const settings& s, OGRSpatialReference& system, const std::vector<disc>& discs) {
  const int n = int(s.cells);
  std::vector<unsigned char> cells(std::size_t(n) * std::size_t(n), 0);
  for (const disc& d : discs) {
    const int firstColumn = std::max(0, int((d.x - d.radius - s.left) / s.cell) - 1);
    const int lastColumn = std::min(n - 1, int((d.x + d.radius - s.left) / s.cell) + 1);
    const int firstRow = std::max(0, int((s.top - d.y - d.radius) / s.cell) - 1);
    const int lastRow = std::min(n - 1, int((s.top - d.y + d.radius) / s.cell) + 1);
    for (int r = firstRow; r <= lastRow; ++r)
      for (int c = firstColumn; c <= lastColumn; ++c)
        if (std::hypot(s.left + (c + 0.5) * s.cell - d.x, s.top - (r + 0.5) * s.cell - d.y) < d.radius)
          cells[std::size_t(r) * n + c] = 1;
  }
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
  GDALDataset* out = driver->Create(s.habitat.c_str(), n, n, 1, GDT_Byte, nullptr);
  if (!out) usage("cannot create the habitat raster");
  double transform[6] = {s.left, s.cell, 0, s.top, 0, -s.cell};
  out->SetGeoTransform(transform);
  out->SetSpatialRef(&system);
  if (out->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, n, n, cells.data(), n, n, GDT_Byte, 0, 0, nullptr) != CE_None)
    usage("cannot write the habitat raster");
  GDALClose(out);
}
}  // namespace

int main(int argc, char** argv) {
  const settings s = readSettings(argc, argv);
  GDALAllRegister();
  OGRSpatialReference system;
  system.importFromEPSG(3067);
  const double mean = writeRaster(s, system);
  const std::vector<disc> discs = placeDiscs(s);
  if (s.patches > 0) writePatches(s, system, discs);
  if (!s.habitat.empty()) writeHabitat(s, system, discs);
  std::printf("%s: %ld x %ld cells of %g m, mean resistance %.3f", s.raster.c_str(), s.cells, s.cells, s.cell, mean);
  if (s.patches > 0) std::printf("; %s: %ld patches", s.layer.c_str(), s.patches);
  std::printf("\n");
  return 0;
}
