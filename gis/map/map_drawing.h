#pragma once
// Drawing a map of the patches coloured by one result column, in classes,
// with a legend and a scale bar, as PNG and SVG (cairo). Linear in the number
// of vertices drawn.
#include <string>
#include <vector>

#include "common/gpkg_output.h"
#include "common/patch_set.h"
#include "common/staged_file.h"
#include "map/map_layout.h"

namespace verdalis::gis {

// Each image, PNG or SVG by its name, is drawn into the temporary file of its
// staged file, which the caller commits once every output is ready. The
// patches of labelled (positions, highest first) get their identifiers.
void drawMapImages(const std::vector<const stagedFile*>& images, const patchSet& set, const geosContext& context,
                   const patchClasses& classes, const patchLinks* links, const mapStyle& style,
                   const std::vector<std::size_t>& labelled);

}  // namespace verdalis::gis
