#pragma once
// The resistance surface of least-cost distances: one band of a raster held
// once as 32-bit floats, row by row, north up. Cells without data (and
// non-finite values) are NaN and impassable; a negative resistance is refused
// with the cell named. A land-cover raster becomes resistance through a cost
// table, one cost per class. Reading is linear in the number of cells.
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cost/huge_pages.h"

namespace verdalis::gis {

using cellIndex = std::uint64_t;  // row * width + column

struct resistanceGrid {
  int width = 0, height = 0;
  // Cell (row, column) spans x from left + column * cellX, y from top - row * cellY.
  double left = 0, top = 0, cellX = 1, cellY = 1;
  double metresPerUnit = 1.0;
  std::string crsWkt;   // empty when the raster has no coordinate system
  std::string crsName;  // for messages
  std::string path;     // the raster read, for messages
  std::vector<float, hugePageAllocator<float>> cells;
  float smallest = 0;  // the least passable resistance; 0 when none is passable
  float largest = 0;   // the largest passable resistance

  cellIndex index(int row, int column) const { return cellIndex(row) * cellIndex(width) + cellIndex(column); }
  bool passable(cellIndex k) const { return !std::isnan(cells[k]); }
  double centreX(int column) const { return left + (column + 0.5) * cellX; }
  double centreY(int row) const { return top - (row + 0.5) * cellY; }
};

// A land-cover code and the resistance of its cells.
struct classCost {
  double code;
  double cost;
};

// Lines "CODE COST"; blank lines and text after '#' are ignored. Refuses a
// line that is not two numbers, a code given twice and a negative cost.
std::vector<classCost> readCostTable(const std::string& path);

struct resistanceSource {
  std::string path;
  int band = 0;                            // 0: not given (a raster of one band)
  std::optional<std::vector<classCost>> costs;  // the raster holds land-cover codes
  std::string costTable;                   // the table's name, for messages
};

// Reads the band. Refuses a raster in degrees (suggesting gdalwarp -t_srs),
// rotated or without georeferencing, and one of several bands without a
// band chosen; a raster without a coordinate system is returned with an
// empty crsWkt, for the caller to read in the patches' system.
resistanceGrid readResistance(const resistanceSource& source);

}  // namespace verdalis::gis
