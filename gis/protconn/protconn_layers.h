#pragma once
// The GeoPackage and the map of a run. The GeoPackage holds the layer
// "protected_units" (a feature per unit and distance: region, identifier,
// part, area, distance, dProtConn and its fractions) and the layer "regions"
// (a feature per region and distance with the columns of the region table,
// no value where the table has NA). The map draws the regions and the units
// coloured by dProtConn at the first distance, with the classes, legend and
// scale bar of verdalis-map. Linear in the vertices written and drawn.
#include <vector>

#include "common/staged_file.h"
#include "protconn/protconn_log.h"

namespace verdalis::gis {

// Null files are outputs not asked for.
void writeLayersAndMap(const runInputs& inputs, const std::vector<regionResult>& results, const geosContext& context,
                       const stagedFile* geopackage, const stagedFile* png, const stagedFile* svg);

}  // namespace verdalis::gis
