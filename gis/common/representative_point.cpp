// The representative point of a patch.
#include "common/representative_point.h"

#include "common/failure.h"

namespace verdalis::gis {

geometryPtr representativePoint(const geosContext& context, const GEOSGeometry* outline) {
  const GEOSContextHandle_t c = context.get();
  const GEOSGeometry* largest = outline;
  double largestArea = -1;
  const int parts = GEOSGetNumGeometries_r(c, outline);
  for (int k = 0; k < parts; ++k) {
    const GEOSGeometry* part = GEOSGetGeometryN_r(c, outline, k);
    double area = 0;
    GEOSArea_r(c, part, &area);
    if (area > largestArea) largest = part, largestArea = area;
  }
  geometryPtr centroid = own(context, GEOSGetCentroid_r(c, largest));
  if (centroid && GEOSContains_r(c, largest, centroid.get()) == 1) return centroid;
  geometryPtr onSurface = own(context, GEOSPointOnSurface_r(c, largest));
  if (!onSurface) inputError("cannot find a point inside a patch: " + context.takeError());
  return onSurface;
}

}  // namespace verdalis::gis
