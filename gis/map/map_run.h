#pragma once
// One run of verdalis-map once its command line is read: the results joined,
// the outputs named written, and what the program prints. verdalis-map's
// main and the in-process map() (verdalis/gis.h) are both this.
#include "map/map_options.h"
#include "verdalis/gis.h"

namespace verdalis::gis {

// Fills the report; warn() tells the warnings, or collects them.
mapReport runMap(const mapOptions& options);

}  // namespace verdalis::gis
