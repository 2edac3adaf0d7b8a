#pragma once
// Turning a feature's geometry into a valid polygonal outline: curves are
// linearised, heights dropped, invalid polygons repaired with a warning, and
// anything that is not a polygon refused with the feature named.
#include <string>

#include "common/gdal_handles.h"
#include "common/geos_handles.h"

namespace verdalis::gis {

// The OGR geometry of a feature as a GEOS geometry; refuses empty and
// non-polygonal geometries. origin names the feature in messages.
geometryPtr polygonsOfFeature(const geosContext& context, const OGRGeometry* geometry,
                              const std::string& origin);

// A valid (multi)polygon: the geometry itself when valid, otherwise its
// repaired polygonal part, with a warning. Refused when nothing of it has an
// area.
geometryPtr validOutline(const geosContext& context, geometryPtr outline, const std::string& origin);

// The polygonal parts of a geometry, as a polygon or multipolygon; null when
// it has none.
geometryPtr polygonalPart(const geosContext& context, const GEOSGeometry* g);

}  // namespace verdalis::gis
