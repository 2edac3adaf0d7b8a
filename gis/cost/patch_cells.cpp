// Rasterising patch outlines onto the resistance grid by scanlines.
#include "cost/patch_cells.h"

#include <algorithm>
#include <cmath>

#include "common/failure.h"
#include "common/representative_point.h"

namespace verdalis::gis {

bool fillBetweenCrossings(std::vector<double>& crossings, int width, std::vector<int>& columns) {
  std::sort(crossings.begin(), crossings.end());
  bool clipped = false;
  for (std::size_t k = 0; k + 1 < crossings.size(); k += 2) {
    const double first = std::ceil(crossings[k] - 0.5), stop = std::ceil(crossings[k + 1] - 0.5);
    if (stop > first && (first < 0 || stop > width)) clipped = true;
    for (double c = std::max(first, 0.0); c < stop && c < width; ++c) columns.push_back(static_cast<int>(c));
  }
  return clipped;
}

namespace {
// An edge in grid units: u along columns, v along rows (downwards).
struct gridPoint {
  double u, v;
};

void collectRings(const geosContext& context, const GEOSGeometry* g, const resistanceGrid& grid,
                  std::vector<std::vector<gridPoint>>& rings) {
  const GEOSContextHandle_t c = context.get();
  auto addRing = [&](const GEOSGeometry* ring) {
    const GEOSCoordSequence* sequence = GEOSGeom_getCoordSeq_r(c, ring);
    unsigned size = 0;
    GEOSCoordSeq_getSize_r(c, sequence, &size);
    std::vector<gridPoint> points(size);
    for (unsigned k = 0; k < size; ++k) {
      double x = 0, y = 0;
      GEOSCoordSeq_getXY_r(c, sequence, k, &x, &y);
      points[k] = {(x - grid.left) / grid.cellX, (grid.top - y) / grid.cellY};
    }
    rings.push_back(std::move(points));
  };
  for (int part = 0; part < GEOSGetNumGeometries_r(c, g); ++part) {
    const GEOSGeometry* polygon = GEOSGetGeometryN_r(c, g, part);
    addRing(GEOSGetExteriorRing_r(c, polygon));
    for (int hole = 0; hole < GEOSGetNumInteriorRings_r(c, polygon); ++hole)
      addRing(GEOSGetInteriorRingN_r(c, polygon, hole));
  }
}

struct coveredCentres {
  std::vector<cellIndex> cells;  // inside the grid, passable or not
  bool clipped = false;          // some centre inside the outline lies outside the grid
};

// A centre on the line v = row + 0.5 is crossed by an edge when it lies in
// [min v, max v): half-open, so a vertex on the line counts once.
coveredCentres coveredCells(const std::vector<std::vector<gridPoint>>& rings, const resistanceGrid& grid) {
  std::vector<std::pair<int, double>> crossings;
  coveredCentres covered;
  for (const std::vector<gridPoint>& ring : rings)
    for (std::size_t k = 0; k + 1 < ring.size(); ++k) {
      const gridPoint a = ring[k], b = ring[k + 1];
      if (a.v == b.v) continue;
      const double low = std::min(a.v, b.v), high = std::max(a.v, b.v);
      const double first = std::ceil(low - 0.5), stop = std::ceil(high - 0.5);
      if (stop > first && (first < 0 || stop > grid.height)) covered.clipped = true;
      for (double row = std::max(first, 0.0); row < stop && row < grid.height; ++row)
        crossings.emplace_back(static_cast<int>(row), a.u + (row + 0.5 - a.v) * (b.u - a.u) / (b.v - a.v));
    }
  std::sort(crossings.begin(), crossings.end());
  std::vector<double> line;
  std::vector<int> columns;
  for (std::size_t k = 0; k < crossings.size();) {
    const int row = crossings[k].first;
    line.clear();
    for (; k < crossings.size() && crossings[k].first == row; ++k) line.push_back(crossings[k].second);
    columns.clear();
    if (fillBetweenCrossings(line, grid.width, columns)) covered.clipped = true;
    for (int column : columns) covered.cells.push_back(grid.index(row, column));
  }
  return covered;
}

[[noreturn]] void unusablePatch(const patch& p, const resistanceGrid& grid, bool outside, const std::string& what) {
  inputError("patch " + std::to_string(p.id) + " (" + p.origin + ") " + (what.empty() ? "" : what + " ") +
             (outside ? "lies outside the resistance raster " : "lies only on cells without data in ") + grid.path +
             (outside ? "" : " (cells without data are impassable)"));
}

// The cell of a point, refused when outside the grid or without data.
cellIndex pointCell(const geosContext& context, const GEOSGeometry* point, const patch& p,
                    const resistanceGrid& grid, const std::string& what) {
  double x = 0, y = 0;
  GEOSGeomGetX_r(context.get(), point, &x);
  GEOSGeomGetY_r(context.get(), point, &y);
  const double column = std::floor((x - grid.left) / grid.cellX), row = std::floor((grid.top - y) / grid.cellY);
  if (column < 0 || row < 0 || column >= grid.width || row >= grid.height) unusablePatch(p, grid, true, what);
  const cellIndex k = grid.index(static_cast<int>(row), static_cast<int>(column));
  if (!grid.passable(k)) unusablePatch(p, grid, false, what);
  return k;
}

std::vector<cellIndex> cellsOfPatch(const patch& p, const resistanceGrid& grid, patchEnds ends,
                                    const geosContext& context, rasterisingNotes& notes) {
  if (ends == patchEnds::representativePoint) {
    geometryPtr point = representativePoint(context, p.outline.get());
    return {pointCell(context, point.get(), p, grid, "(its representative point)")};
  }
  std::vector<std::vector<gridPoint>> rings;
  collectRings(context, p.outline.get(), grid, rings);
  coveredCentres covered = coveredCells(rings, grid);
  if (covered.cells.empty()) {
    if (covered.clipped) unusablePatch(p, grid, true, "");
    ++notes.pointCells;
    geometryPtr point = own(context, GEOSPointOnSurface_r(context.get(), p.outline.get()));
    return {pointCell(context, point.get(), p, grid, "")};
  }
  std::vector<cellIndex> usable;
  for (cellIndex k : covered.cells)
    if (grid.passable(k)) usable.push_back(k);
  if (usable.empty()) unusablePatch(p, grid, false, "");
  if (covered.clipped || usable.size() < covered.cells.size()) ++notes.partlyUnusable;
  std::sort(usable.begin(), usable.end());
  return usable;
}

cellBox boxOf(const std::vector<cellIndex>& cells, int width) {
  cellBox box{int(cells.front() / width), int(cells.back() / width), width, -1};
  for (cellIndex k : cells) {
    box.firstColumn = std::min(box.firstColumn, int(k % width));
    box.lastColumn = std::max(box.lastColumn, int(k % width));
  }
  return box;
}
}  // namespace

patchCells indexPatchCells(std::vector<std::vector<cellIndex>> cellsOfEach, int gridWidth, std::size_t gridCells) {
  patchCells result;
  result.start.push_back(0);
  for (std::vector<cellIndex>& cells : cellsOfEach) {
    result.boxes.push_back(boxOf(cells, gridWidth));
    result.cells.insert(result.cells.end(), cells.begin(), cells.end());
    result.start.push_back(result.cells.size());
    std::vector<cellIndex>().swap(cells);
  }
  result.owners.reserve(result.cells.size());
  for (std::size_t k = 0; k + 1 < result.start.size(); ++k)
    for (std::size_t at = result.start[k]; at < result.start[k + 1]; ++at)
      result.owners.emplace_back(result.cells[at], static_cast<std::uint32_t>(k));
  std::sort(result.owners.begin(), result.owners.end());
  result.ownedBits.assign((gridCells + 63) / 64, 0);
  for (const auto& owner : result.owners) result.ownedBits[owner.first >> 6] |= std::uint64_t(1) << (owner.first & 63);
  return result;
}

patchCells rasterisePatches(const patchSet& set, const resistanceGrid& grid, patchEnds ends,
                            const geosContext& context, rasterisingNotes& notes) {
  std::vector<std::vector<cellIndex>> cells;
  for (const patch& p : set.patches) cells.push_back(cellsOfPatch(p, grid, ends, context, notes));
  return indexPatchCells(std::move(cells), grid.width, grid.cells.size());
}

}  // namespace verdalis::gis
