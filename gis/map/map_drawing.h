#pragma once
// Drawing a map of the patches coloured by one result column, in classes,
// with a legend and a scale bar, as PNG and SVG (cairo). Linear in the number
// of vertices drawn.
#include <string>
#include <vector>

#include "common/gpkg_output.h"
#include "common/patch_set.h"
#include "map/map_layout.h"

namespace verdalis::gis {

// values holds one value per patch (NaN: no value). Each image asked for (a
// non-empty name) is written through a staged file.
void drawMapImages(const std::string& png, const std::string& svg, const patchSet& set, const geosContext& context,
                   const std::vector<double>& values, const patchLinks* links, const mapStyle& style);

}  // namespace verdalis::gis
