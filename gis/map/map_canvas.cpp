// Placing and tracing geometries on a cairo surface.
#include "map/map_canvas.h"

#include <cairo-svg.h>

#include <algorithm>
#include <cctype>
#include <sstream>

#include "common/failure.h"

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

namespace {
void chooseFont(cairo_t* cr, double size, bool bold) {
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
}

void checkSurface(cairo_surface_t* surface, const std::string& path) {
  const cairo_status_t status = cairo_surface_status(surface);
  if (status != CAIRO_STATUS_SUCCESS) inputError("cannot write " + path + ": " + cairo_status_to_string(status));
}
}  // namespace

void drawText(cairo_t* cr, double x, double y, const std::string& line, double size, bool bold) {
  chooseFont(cr, size, bold);
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, line.c_str());
}

double textWidth(cairo_t* cr, const std::string& line, double size, bool bold) {
  chooseFont(cr, size, bold);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, line.c_str(), &extents);
  return extents.x_advance;
}

std::vector<std::string> wrappedLines(cairo_t* cr, const std::string& text, double size, double width) {
  std::vector<std::string> lines;
  std::istringstream words(text);
  for (std::string word; words >> word;) {
    if (!lines.empty() && textWidth(cr, lines.back() + " " + word, size, false) <= width) lines.back() += " " + word;
    else lines.push_back(word);
  }
  return lines;
}

imageFormat imageFormatOf(const std::string& path) {
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos) return imageFormat::none;
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == "png" ? imageFormat::png : extension == "svg" ? imageFormat::svg : imageFormat::none;
}

void writeImage(const stagedFile& target, imageFormat format, int w, int h, const std::function<void(cairo_t*)>& draw) {
  if (format == imageFormat::svg) {
    surfacePtr surface(cairo_svg_surface_create(target.temporaryPath().c_str(), w, h));
    checkSurface(surface.get(), target.path());
    draw(drawingPtr(cairo_create(surface.get())).get());
    cairo_surface_finish(surface.get());
    checkSurface(surface.get(), target.path());
    return;
  }
  surfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h));
  draw(drawingPtr(cairo_create(surface.get())).get());
  const cairo_status_t status = cairo_surface_write_to_png(surface.get(), target.temporaryPath().c_str());
  if (status != CAIRO_STATUS_SUCCESS) inputError("cannot write " + target.path() + ": " + cairo_status_to_string(status));
}

}  // namespace verdalis::gis
