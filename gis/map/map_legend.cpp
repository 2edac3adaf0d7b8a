// The parts of a map around the patches: title, legend with the classes, and
// a scale bar; the layout and colours they share with the patches.
#include <algorithm>
#include <cmath>

#include "common/number_text.h"
#include "map/map_layout.h"

namespace verdalis::gis {

mapLayout planLayout(const envelope& extent, int width) {
  mapLayout l;
  l.width = width;
  // Text shrinks with the image down to nine tenths of its size at 1200
  // pixels, where it is still easy to read; below that the map gives way.
  l.unit = std::max(width / 1200.0, 0.9);
  l.margin = 16 * l.unit;
  const double legendWidth = 270 * l.unit;
  l.mapLeft = l.margin;
  l.mapTop = 70 * l.unit;
  l.mapWidth = l.width - 3 * l.margin - legendWidth;
  const double aspect = std::max(extent.maxX - extent.minX, 1e-9) / std::max(extent.maxY - extent.minY, 1e-9);
  l.mapHeight = std::clamp(l.mapWidth / aspect, 0.5 * l.mapWidth, 1.4 * l.mapWidth);
  l.legendLeft = l.mapLeft + l.mapWidth + l.margin;
  l.height = std::ceil(l.mapTop + l.mapHeight + 60 * l.unit);
  l.view = fitView(extent, l.mapLeft + 4 * l.unit, l.mapTop + 4 * l.unit, l.mapWidth - 8 * l.unit, l.mapHeight - 8 * l.unit);
  return l;
}

colour classColour(int index, int classes) {
  static const colour ramp[9] = {{1.0, 1.0, 0.8},        {1.0, 0.929, 0.627},   {0.996, 0.851, 0.463},
                                 {0.996, 0.698, 0.298},  {0.992, 0.553, 0.235}, {0.988, 0.306, 0.165},
                                 {0.890, 0.102, 0.110},  {0.741, 0.0, 0.149},   {0.502, 0.0, 0.149}};
  if (index < 0) return {0.8, 0.8, 0.8};
  // The palest shade is left out: it would hardly show on the white page.
  const int step = classes > 1 ? static_cast<int>(std::lround(1 + 7.0 * index / (classes - 1))) : 8;
  return ramp[std::clamp(step, 1, 8)];
}

namespace {
void swatch(cairo_t* cr, double x, double y, double size, colour fill, double unit) {
  cairo_rectangle(cr, x, y, size, size);
  cairo_set_source_rgb(cr, fill.r, fill.g, fill.b);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
  cairo_set_line_width(cr, unit);
  cairo_stroke(cr);
}
}  // namespace

void drawLabel(cairo_t* cr, double x, double y, const std::string& label, double unit) {
  cairo_new_path(cr);
  cairo_arc(cr, x, y, 3.2 * unit, 0, 2 * M_PI);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_set_line_width(cr, 1.6 * unit);
  cairo_stroke_preserve(cr);
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  cairo_fill(cr);
  if (label.empty()) return;
  // A white halo keeps the identifier readable over any class colour.
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, 12 * unit);
  cairo_move_to(cr, x + 5 * unit, y - 5 * unit);
  cairo_text_path(cr, label.c_str());
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_set_line_width(cr, 3 * unit);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke_preserve(cr);
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  cairo_fill(cr);
}

void drawTitle(cairo_t* cr, const mapLayout& l, const mapStyle& style) {
  drawText(cr, l.margin, 32 * l.unit, style.title, 22 * l.unit, true);
  drawText(cr, l.margin, 54 * l.unit, style.subtitle, 13 * l.unit, false);
}

void drawLegend(cairo_t* cr, const mapLayout& l, const patchClasses& classes, const mapStyle& style) {
  const double u = l.unit, x = l.legendLeft;
  double y = l.mapTop + 20 * u;
  drawText(cr, x, y, style.column, 17 * u, true);
  y += 20 * u;
  for (const std::string& line : wrappedLines(cr, style.meaning, 12 * u, l.width - l.margin - x)) {
    drawText(cr, x, y, line, 12 * u, false);
    y += 16 * u;
  }
  drawText(cr, x, y, style.breaks == breakMethod::quantile ? "quantile classes" : "natural breaks", 12 * u, false);
  y += 16 * u;
  const int count = static_cast<int>(classes.upper.size());
  for (int k = count - 1; k >= 0; --k) {
    const double lower = k == 0 ? classes.smallest : classes.upper[k - 1];
    const std::string range = roundedText(lower) + " \u2013 " + roundedText(classes.upper[k]);
    swatch(cr, x, y, 18 * u, classColour(k, count), u);
    drawText(cr, x + 26 * u, y + 14 * u, range + "  (" + std::to_string(classes.counts[k]) + ")", 13 * u, false);
    y += 26 * u;
  }
  if (classes.missing > 0) {
    swatch(cr, x, y, 18 * u, classColour(-1, count), u);
    drawText(cr, x + 26 * u, y + 14 * u, "no value  (" + std::to_string(classes.missing) + ")", 13 * u, false);
    y += 26 * u;
  }
  if (style.links) {
    cairo_set_source_rgba(cr, 0.15, 0.15, 0.35, 0.8);
    cairo_set_line_width(cr, 1.5 * u);
    cairo_move_to(cr, x, y + 9 * u);
    cairo_line_to(cr, x + 18 * u, y + 9 * u);
    cairo_stroke(cr);
    drawText(cr, x + 26 * u, y + 14 * u, "link with a link importance", 13 * u, false);
    y += 26 * u;
  }
  if (style.labels > 0) {
    drawLabel(cr, x + 9 * u, y + 9 * u, "", u);
    const std::string which = style.labels == 1 ? std::string("identifier of the highest")
                                                : "identifiers of the " + std::to_string(style.labels) + " highest";
    for (const std::string& line : wrappedLines(cr, which, 13 * u, l.width - l.margin - x - 26 * u)) {
      drawText(cr, x + 26 * u, y + 14 * u, line, 13 * u, false);
      y += 17 * u;
    }
  }
}

double roundLength(double limit) {
  const double power = std::pow(10.0, std::floor(std::log10(limit)));
  for (double factor : {5.0, 2.0, 1.0})
    if (factor * power <= limit) return factor * power;
  return power;
}

void drawScaleBar(cairo_t* cr, const mapLayout& l, double metresPerUnit) {
  const double u = l.unit;
  const double metres = roundLength(0.25 * l.mapWidth / l.view.scale * metresPerUnit);
  const double length = metres / metresPerUnit * l.view.scale;
  const double x = l.mapLeft, y = l.mapTop + l.mapHeight + 18 * u, h = 7 * u;
  for (int half = 0; half < 2; ++half) {
    cairo_rectangle(cr, x + half * length / 2, y, length / 2, h);
    if (half == 0) cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    else cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    cairo_set_line_width(cr, u);
    cairo_stroke(cr);
  }
  const bool km = metres >= 1000;
  const auto label = [&](double m) { return roundedText(km ? m / 1000 : m); };
  drawText(cr, x - 3 * u, y + h + 16 * u, "0", 12 * u, false);
  drawText(cr, x + length / 2 - 6 * u, y + h + 16 * u, label(metres / 2), 12 * u, false);
  drawText(cr, x + length - 6 * u, y + h + 16 * u, label(metres) + (km ? " km" : " m"), 12 * u, false);
}

}  // namespace verdalis::gis
