#pragma once
// Cairo handles and the placing of layer coordinates on an image: one scale
// for both axes (no distortion), north up.
#include <cairo.h>

#include <memory>

#include "common/geos_handles.h"

namespace verdalis::gis {

struct surfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using surfacePtr = std::unique_ptr<cairo_surface_t, surfaceDeleter>;

struct drawingDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using drawingPtr = std::unique_ptr<cairo_t, drawingDeleter>;

// Layer coordinates to pixels: x grows to the right, y upward in the layer and
// downward on the image.
struct mapView {
  double scale = 1.0;             // pixels per layer unit
  double originX = 0, originY = 0;  // layer coordinates of the box's top-left corner
  double left = 0, top = 0;       // the box on the image
  double x(double layerX) const { return left + (layerX - originX) * scale; }
  double y(double layerY) const { return top + (originY - layerY) * scale; }
};

// The largest scale at which the extent fits the box, centred in it.
mapView fitView(const envelope& extent, double left, double top, double width, double height);

// Adds the rings of every polygon of g to the current path (to be filled with
// the even-odd rule, so that holes stay empty).
void tracePolygons(cairo_t* cr, const geosContext& context, const GEOSGeometry* g, const mapView& view);

// Adds every vertex of a ring or line as one sub-path.
void traceLine(cairo_t* cr, const geosContext& context, const GEOSGeometry* line, const mapView& view, bool close);

}  // namespace verdalis::gis
