#pragma once
// The cells of each patch on the resistance grid. A cell belongs to a patch
// when its centre lies inside the patch's outline (cells of overlapping
// patches belong to both); a patch that covers no cell centre gets the cell
// of a point inside it. With --centroid each patch is the one cell of its
// representative point instead.
//
// Outlines are rasterised by scanlines through the rows of cell centres:
// every edge yields its crossings with those lines, crossings are sorted per
// line, and the even-odd rule fills between pairs, which is exact for valid
// polygons with holes and several parts. The cost is O(E + R + X log X) per
// patch for E edges, R rows of its box and X crossings, then O(C log C) to
// sort all C patch cells for the owner lookup.
#include <cstdint>
#include <string>
#include <vector>

#include "common/patch_set.h"
#include "cost/huge_pages.h"
#include "cost/resistance_grid.h"

namespace verdalis::gis {

struct cellBox {
  int firstRow = 0, lastRow = -1, firstColumn = 0, lastColumn = -1;
};

struct patchCells {
  // The cells of patch k: cells[start[k]] .. cells[start[k+1]-1], ascending.
  std::vector<std::size_t> start;
  std::vector<cellIndex> cells;
  std::vector<cellBox> boxes;
  // Every (cell, patch) pair sorted by cell then patch, with one bit per grid
  // cell that says whether any patch holds it, so that a search pays the
  // lookup only on patch cells.
  std::vector<std::pair<cellIndex, std::uint32_t>> owners;
  std::vector<std::uint64_t, hugePageAllocator<std::uint64_t>> ownedBits;

  bool owned(cellIndex k) const { return (ownedBits[k >> 6] >> (k & 63)) & 1u; }
};

enum class patchEnds { allCells, representativePoint };

// What rasterising found besides the cells, for warnings.
struct rasterisingNotes {
  std::size_t pointCells = 0;       // patches that covered no cell centre
  std::size_t partlyUnusable = 0;   // patches with cells outside the raster or without data
};

// The cells of every patch that are inside the grid and passable. Refuses a
// patch left with no such cell, naming it and saying whether it lies outside
// the raster or on cells without data.
patchCells rasterisePatches(const patchSet& set, const resistanceGrid& grid, patchEnds ends,
                            const geosContext& context, rasterisingNotes& notes);

// The lookup structures over given cells (each list ascending and not empty).
patchCells indexPatchCells(std::vector<std::vector<cellIndex>> cellsOfEach, int gridWidth, std::size_t gridCells);

// The columns c of one row whose centres c + 0.5 lie inside, given the
// crossings of the row's centre line (in column units), by the even-odd rule;
// true when some centre inside lies beyond the grid's columns.
bool fillBetweenCrossings(std::vector<double>& crossings, int width, std::vector<int>& columns);

}  // namespace verdalis::gis
