// Reading a resistance raster, or a land-cover raster through a cost table,
// into 32-bit floats.
#include "cost/resistance_grid.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>

#include "common/crs.h"
#include "common/failure.h"
#include "common/gdal_handles.h"
#include "support/progress.h"

namespace verdalis::gis {

std::vector<classCost> readCostTable(const std::string& path) {
  std::ifstream in(path);
  if (!in) inputError("cannot read the cost table " + path + ": no such file or not readable");
  std::vector<classCost> table;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string codeText, costText, extra;
    if (!(words >> codeText)) continue;
    const std::string where = path + ", line " + std::to_string(number) + ": ";
    char* end = nullptr;
    const double code = std::strtod(codeText.c_str(), &end);
    const bool codeOk = *end == '\0' && std::isfinite(code);
    if (!(words >> costText) || (words >> extra) || !codeOk)
      inputError(where + "\"" + line + "\" is not a line CODE COST (two numbers)");
    const double value = std::strtod(costText.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value)) inputError(where + "the cost \"" + costText + "\" is not a number");
    if (value < 0) inputError(where + "the cost of code " + codeText + " is " + costText + "; costs must be 0 or more");
    for (const classCost& known : table)
      if (known.code == code) inputError(where + "code " + codeText + " is given a second time");
    table.push_back({code, value});
  }
  if (table.empty()) inputError("the cost table " + path + " holds no line CODE COST");
  std::sort(table.begin(), table.end(), [](const classCost& a, const classCost& b) { return a.code < b.code; });
  return table;
}

namespace {
datasetPtr openResistance(const resistanceSource& s) {
  datasetPtr dataset(GDALDataset::Open(s.path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
  if (!dataset) {
    if (::access(s.path.c_str(), R_OK) != 0) inputError("cannot read " + s.path + ": no such file or not readable");
    inputError(s.path + " is not a raster that GDAL can read");
  }
  const int bands = dataset->GetRasterCount();
  if (bands < 1) inputError(s.path + " holds no raster band");
  if (s.band == 0 && bands > 1)
    inputError(s.path + " has " + std::to_string(bands) + " bands; choose the " +
               (s.costs ? "land-cover" : "resistance") + " band with --band N (1 to " + std::to_string(bands) + ")");
  if (s.band > bands)
    inputError(s.path + " has " + std::to_string(bands) + " band" + (bands == 1 ? "" : "s") + ", not a band " +
               std::to_string(s.band));
  return dataset;
}

void placeGrid(resistanceGrid& g, GDALDataset& dataset, const std::string& path) {
  double t[6];
  if (dataset.GetGeoTransform(t) != CE_None)
    inputError(path + " has no georeferencing: the size and place of its cells are unknown");
  if (t[2] != 0 || t[4] != 0 || t[1] <= 0 || t[5] >= 0)
    inputError(path + " is not a north-up grid (rotated or flipped); make one with gdalwarp");
  g.width = dataset.GetRasterXSize();
  g.height = dataset.GetRasterYSize();
  g.left = t[0], g.top = t[3], g.cellX = t[1], g.cellY = -t[5];
  const OGRSpatialReference* system = dataset.GetSpatialRef();
  if (!system) return;
  if (system->IsGeographic())
    inputError(path + " is in geographic coordinates (" + describeSystem(*system) +
               "), in degrees, but costs need cells measured in metres: reproject it to a projected "
               "system of the area, e.g. gdalwarp -t_srs EPSG:CODE " + path + " projected.tif");
  char* wkt = nullptr;
  system->exportToWkt(&wkt);
  g.crsWkt = wkt ? wkt : "";
  CPLFree(wkt);
  g.crsName = describeSystem(*system);
  g.metresPerUnit = system->GetLinearUnits(nullptr);
}

std::string cellText(const resistanceGrid& g, int row, int column) {
  char centre[96];
  std::snprintf(centre, sizeof centre, " (x %.1f, y %.1f)", g.centreX(column), g.centreY(row));
  return "row " + std::to_string(row + 1) + ", column " + std::to_string(column + 1) + centre;
}

std::string numberText(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

// The raster is held whole; one that cannot be is refused before any work,
// rather than ending in an allocation failure halfway.
void checkMemory(const resistanceGrid& g, const std::string& path) {
  const double bytes = double(g.width) * double(g.height) * sizeof(float);
  const double memory = double(::sysconf(_SC_PHYS_PAGES)) * double(::sysconf(_SC_PAGE_SIZE));
  if (memory > 0 && bytes > 0.75 * memory)
    inputError(path + " holds " + std::to_string(g.width) + " x " + std::to_string(g.height) + " cells, " +
               std::to_string(static_cast<long long>(bytes / 1e9)) + " GB as 32-bit floats, more than this machine's " +
               "memory allows (" + std::to_string(static_cast<long long>(memory / 1e9)) +
               " GB); cut it into tiles or coarsen it (gdal_translate -tr, gdalwarp -tr)");
}

// One row's values turned into resistances; codes without a cost are kept
// for the message.
void storeRow(resistanceGrid& g, int row, const std::vector<double>& values, bool hasNoData, double noData,
              const resistanceSource& s, std::set<double>& missing) {
  float* out = g.cells.data() + g.index(row, 0);
  for (int c = 0; c < g.width; ++c) {
    const double v = values[c];
    if ((hasNoData && (v == noData || (std::isnan(v) && std::isnan(noData)))) || !std::isfinite(v)) {
      out[c] = std::numeric_limits<float>::quiet_NaN();
      continue;
    }
    double r = v;
    if (s.costs) {
      const auto found = std::lower_bound(s.costs->begin(), s.costs->end(), v,
                                          [](const classCost& k, double code) { return k.code < code; });
      if (found == s.costs->end() || found->code != v) {
        missing.insert(v);
        continue;
      }
      r = found->cost;
    } else if (v < 0) {
      inputError("the resistance at " + cellText(g, row, c) + " of " + s.path + " is " + numberText(v) +
                 "; resistances must be 0 or more");
    }
    out[c] = static_cast<float>(r);
  }
}
}  // namespace

resistanceGrid readResistance(const resistanceSource& s) {
  datasetPtr dataset = openResistance(s);
  resistanceGrid g;
  g.path = s.path;
  placeGrid(g, *dataset, s.path);
  GDALRasterBand* band = dataset->GetRasterBand(std::max(1, s.band));
  int hasNoData = 0;
  const double noData = band->GetNoDataValue(&hasNoData);
  checkMemory(g, s.path);
  g.cells.resize(cellIndex(g.width) * cellIndex(g.height));
  std::vector<double> values(static_cast<std::size_t>(g.width));
  std::set<double> missing;
  progressPhase phase("Reading the resistance raster", g.height);
  for (int row = 0; row < g.height; ++row, runProgress().advance(1)) {
    if (band->RasterIO(GF_Read, 0, row, g.width, 1, values.data(), g.width, 1, GDT_Float64, 0, 0, nullptr) != CE_None)
      inputError("cannot read row " + std::to_string(row + 1) + " of " + s.path + ": " + CPLGetLastErrorMsg());
    storeRow(g, row, values, hasNoData != 0, noData, s, missing);
  }
  if (!missing.empty()) {
    std::string codes;
    for (double code : missing) codes += (codes.empty() ? "" : ", ") + numberText(code);
    inputError("the land-cover code" + std::string(missing.size() == 1 ? " " : "s ") + codes + " of " + s.path +
               (missing.size() == 1 ? " has" : " have") + " no line in the cost table " + s.costTable);
  }
  g.smallest = std::numeric_limits<float>::infinity();
  for (float r : g.cells) {
    if (r < g.smallest) g.smallest = r;
    if (r > g.largest) g.largest = r;
  }
  if (!std::isfinite(g.smallest)) g.smallest = 0;
  return g;
}

}  // namespace verdalis::gis
