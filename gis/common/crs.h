#pragma once
// The coordinate system patches are measured in: the source's own when it is
// projected, or the one asked for with --to. Distances and areas need metres,
// so a geographic source is refused unless it is reprojected.
#include <string>

#include "common/gdal_handles.h"
#include "common/geos_handles.h"

namespace verdalis::gis {

struct measuringSystem {
  std::string wkt;   // of the system the patches end up in; empty when unknown
  std::string name;  // for messages
  double metresPerUnit = 1.0;
  transformationPtr reprojection;  // null when the source system is kept
};

// source may be null (no coordinate system); what names the layer or raster.
measuringSystem chooseSystem(const OGRSpatialReference* source, const std::string& target,
                             const std::string& what);

// The geometry with every vertex reprojected; null when a vertex cannot be.
geometryPtr reproject(const geosContext& context, const GEOSGeometry* g,
                      OGRCoordinateTransformation& reprojection);

// "ETRS89 / TM35FIN(E,N) (EPSG:3067)", or the name alone without an authority.
std::string describeSystem(const OGRSpatialReference& system);

}  // namespace verdalis::gis
