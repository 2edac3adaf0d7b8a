#pragma once
// Patches from a land-cover raster: the pixels of the habitat classes grouped
// into 8- or 4-connected groups. The raster is read one row at a time and
// only the runs of habitat pixels are kept, so memory grows with the number
// of runs, not of pixels; labelling is near-linear in the number of runs.
#include <cstdint>
#include <vector>

#include "common/patch_options.h"
#include "common/patch_set.h"

namespace verdalis::gis {

// A horizontal run of habitat pixels: columns first..last of one row.
struct pixelRun {
  std::int32_t row;
  std::int32_t first;
  std::int32_t last;
};

// Groups runs (given in row-major order) into connected groups. Returns the
// group of every run, numbered 1, 2, ... in the order of each group's first
// pixel in a row-major scan.
std::vector<std::int64_t> labelRuns(const std::vector<pixelRun>& runs, pixelNeighbours neighbours);

// Every group of at least --min-area becomes a patch whose identifier is its
// label among all groups, small ones included, and whose attribute is its
// area; outlines are the union of the group's pixel squares.
patchSet readRasterPatches(const patchSourceOptions& options, const geosContext& context);

}  // namespace verdalis::gis
