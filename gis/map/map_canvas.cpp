// Placing and tracing geometries on a cairo surface.
#include "map/map_canvas.h"

#include <algorithm>

namespace verdalis::gis {

mapView fitView(const envelope& extent, double left, double top, double width, double height) {
  const double spanX = std::max(extent.maxX - extent.minX, 1e-9);
  const double spanY = std::max(extent.maxY - extent.minY, 1e-9);
  mapView view;
  view.scale = std::min(width / spanX, height / spanY);
  view.left = left + (width - spanX * view.scale) / 2;
  view.top = top + (height - spanY * view.scale) / 2;
  view.originX = extent.minX;
  view.originY = extent.maxY;
  return view;
}

void traceLine(cairo_t* cr, const geosContext& context, const GEOSGeometry* line, const mapView& view, bool close) {
  const GEOSCoordSequence* points = GEOSGeom_getCoordSeq_r(context.get(), line);
  unsigned size = 0;
  if (!points || !GEOSCoordSeq_getSize_r(context.get(), points, &size) || size == 0) return;
  for (unsigned k = 0; k < size; ++k) {
    double x = 0, y = 0;
    GEOSCoordSeq_getXY_r(context.get(), points, k, &x, &y);
    if (k == 0) cairo_move_to(cr, view.x(x), view.y(y));
    else cairo_line_to(cr, view.x(x), view.y(y));
  }
  if (close) cairo_close_path(cr);
}

void tracePolygons(cairo_t* cr, const geosContext& context, const GEOSGeometry* g, const mapView& view) {
  const int type = GEOSGeomTypeId_r(context.get(), g);
  if (type == GEOS_MULTIPOLYGON || type == GEOS_GEOMETRYCOLLECTION) {
    const int parts = GEOSGetNumGeometries_r(context.get(), g);
    for (int k = 0; k < parts; ++k) tracePolygons(cr, context, GEOSGetGeometryN_r(context.get(), g, k), view);
    return;
  }
  if (type != GEOS_POLYGON) return;
  traceLine(cr, context, GEOSGetExteriorRing_r(context.get(), g), view, true);
  const int holes = GEOSGetNumInteriorRings_r(context.get(), g);
  for (int k = 0; k < holes; ++k) traceLine(cr, context, GEOSGetInteriorRingN_r(context.get(), g, k), view, true);
}

}  // namespace verdalis::gis
