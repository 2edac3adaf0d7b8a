// Geometry checks and repairs of the patch outlines.
#include "common/outline_checks.h"

#include <vector>

#include "common/failure.h"

namespace verdalis::gis {

namespace {
bool polygonal(OGRwkbGeometryType type) {
  switch (wkbFlatten(type)) {
    case wkbPolygon:
    case wkbMultiPolygon:
    case wkbCurvePolygon:
    case wkbMultiSurface:
    case wkbTriangle:
    case wkbPolyhedralSurface:
    case wkbTIN:
      return true;
    default:
      return false;
  }
}

void collectPolygons(const geosContext& context, const GEOSGeometry* g,
                     std::vector<GEOSGeometry*>& parts) {
  const int type = GEOSGeomTypeId_r(context.get(), g);
  if (type == GEOS_POLYGON) {
    if (!GEOSisEmpty_r(context.get(), g)) parts.push_back(GEOSGeom_clone_r(context.get(), g));
    return;
  }
  if (type == GEOS_MULTIPOLYGON || type == GEOS_GEOMETRYCOLLECTION) {
    const int count = GEOSGetNumGeometries_r(context.get(), g);
    for (int k = 0; k < count; ++k) collectPolygons(context, GEOSGetGeometryN_r(context.get(), g, k), parts);
  }
}
}  // namespace

geometryPtr polygonalPart(const geosContext& context, const GEOSGeometry* g) {
  std::vector<GEOSGeometry*> parts;
  collectPolygons(context, g, parts);
  if (parts.empty()) return own(context, nullptr);
  if (parts.size() == 1) return own(context, parts.front());
  return own(context, GEOSGeom_createCollection_r(context.get(), GEOS_MULTIPOLYGON, parts.data(),
                                                  static_cast<unsigned>(parts.size())));
}

geometryPtr polygonsOfFeature(const geosContext& context, const OGRGeometry* geometry,
                              const std::string& origin) {
  if (!geometry || geometry->IsEmpty()) inputError(origin + " has an empty geometry");
  if (!polygonal(geometry->getGeometryType()))
    inputError(origin + " is a " + OGRGeometryTypeToName(wkbFlatten(geometry->getGeometryType())) +
               " where polygons are expected");
  ogrGeometryPtr linear(geometry->getLinearGeometry());
  linear->flattenTo2D();
  if (wkbFlatten(linear->getGeometryType()) == wkbPolyhedralSurface ||
      wkbFlatten(linear->getGeometryType()) == wkbTIN)
    linear.reset(OGRGeometryFactory::forceToMultiPolygon(linear.release()));
  geometryPtr outline = own(context, linear->exportToGEOS(context.get()));
  if (!outline) inputError(origin + ": its geometry cannot be read (" + context.takeError() + ")");
  return outline;
}

geometryPtr validOutline(const geosContext& context, geometryPtr outline, const std::string& origin) {
  if (GEOSisValid_r(context.get(), outline.get()) == 1) return outline;
  char* reason = GEOSisValidReason_r(context.get(), outline.get());
  const std::string why = reason ? reason : "invalid";
  GEOSFree_r(context.get(), reason);
  geometryPtr repaired = own(context, GEOSMakeValid_r(context.get(), outline.get()));
  geometryPtr kept = repaired ? polygonalPart(context, repaired.get()) : own(context, nullptr);
  double area = 0.0;
  if (kept) GEOSArea_r(context.get(), kept.get(), &area);
  if (!kept || !(area > 0.0))
    inputError(origin + " has an invalid geometry (" + why + ") that keeps no area once repaired");
  warn(origin + " had an invalid geometry (" + why + "); it was repaired");
  return kept;
}

}  // namespace verdalis::gis
