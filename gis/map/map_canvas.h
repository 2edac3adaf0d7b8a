#pragma once
// Cairo handles and the placing of layer coordinates on an image: one scale
// for both axes (no distortion), north up.
#include <cairo.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/geos_handles.h"
#include "common/staged_file.h"

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

// Text in the dark grey of every label, its baseline starting at (x, y).
void drawText(cairo_t* cr, double x, double y, const std::string& line, double size, bool bold);
double textWidth(cairo_t* cr, const std::string& line, double size, bool bold);
// The words of text in lines no wider than width.
std::vector<std::string> wrappedLines(cairo_t* cr, const std::string& text, double size, double width);

// Images are PNG or SVG, by the name's extension (.png, .svg, any case);
// none when it is neither.
enum class imageFormat { png, svg, none };
imageFormat imageFormatOf(const std::string& path);

// Draws an image of w by h pixels into the temporary file of target, which
// the caller commits.
void writeImage(const stagedFile& target, imageFormat format, int w, int h, const std::function<void(cairo_t*)>& draw);

}  // namespace verdalis::gis
