#pragma once
// The one entry both companions use to get the patches of their input:
// vector or raster reading, merging with --dissolve, areas, and the checks
// that every patch set must pass (unique identifiers, at least one patch).
#include "common/patch_options.h"
#include "common/patch_set.h"

namespace verdalis::gis {

// Patches in ascending identifier order.
patchSet loadPatches(const patchSourceOptions& options, const geosContext& context);

// The bounding box of every outline; the patches must not be empty.
envelope boundingBoxOf(const std::vector<patch>& patches, const geosContext& context);

}  // namespace verdalis::gis
