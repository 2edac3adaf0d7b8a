// The map itself: patches by class, links, and the image files.
#include "map/map_drawing.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "common/patch_loading.h"

namespace verdalis::gis {

patchClasses classify(const std::vector<double>& values, int classes, breakMethod method) {
  patchClasses c;
  std::vector<double> finite;
  for (double v : values)
    if (std::isfinite(v)) finite.push_back(v);
  c.upper = classBreaks(finite, classes, method);
  c.counts.assign(c.upper.size(), 0);
  c.smallest = finite.empty() ? 0.0 : *std::min_element(finite.begin(), finite.end());
  for (double v : values) {
    const int k = std::isfinite(v) ? classOf(v, c.upper) : -1;
    c.classOfPatch.push_back(k);
    if (k < 0) ++c.missing;
    else ++c.counts[k];
  }
  return c;
}

namespace {
// Higher classes are drawn last, so that an important patch is never hidden
// under a neighbour. Every patch gets an outline in a darker shade, which
// keeps patches smaller than a pixel visible.
void drawPatches(cairo_t* cr, const patchSet& set, const geosContext& context, const patchClasses& classes,
                 const mapLayout& l) {
  std::vector<std::size_t> order(set.patches.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return classes.classOfPatch[a] < classes.classOfPatch[b]; });
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_width(cr, 0.6 * l.unit);
  for (std::size_t k : order) {
    const colour fill = classColour(classes.classOfPatch[k], static_cast<int>(classes.upper.size()));
    cairo_new_path(cr);
    tracePolygons(cr, context, set.patches[k].outline.get(), l.view);
    cairo_set_source_rgb(cr, fill.r, fill.g, fill.b);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.55 * fill.r, 0.55 * fill.g, 0.55 * fill.b);
    cairo_stroke(cr);
  }
}

void drawLinks(cairo_t* cr, const patchSet& set, const geosContext& context, const patchLinks& links,
               const mapLayout& l) {
  std::vector<std::pair<double, double>> ends;
  for (const patch& p : set.patches) {
    geometryPtr point = insidePoint(context, p.outline.get());
    double x = 0, y = 0;
    GEOSGeomGetX_r(context.get(), point.get(), &x);
    GEOSGeomGetY_r(context.get(), point.get(), &y);
    ends.emplace_back(l.view.x(x), l.view.y(y));
  }
  cairo_set_source_rgba(cr, 0.15, 0.15, 0.35, 0.6);
  cairo_set_line_width(cr, 0.8 * l.unit);
  for (std::size_t k = 0; k < links.from.size(); ++k) {
    if (k < links.shapes.size() && !links.shapes[k].empty()) {
      cairo_move_to(cr, l.view.x(links.shapes[k].front().first), l.view.y(links.shapes[k].front().second));
      for (const auto& [x, y] : links.shapes[k]) cairo_line_to(cr, l.view.x(x), l.view.y(y));
      continue;
    }
    cairo_move_to(cr, ends[links.from[k]].first, ends[links.from[k]].second);
    cairo_line_to(cr, ends[links.to[k]].first, ends[links.to[k]].second);
  }
  cairo_stroke(cr);
}

// The highest patch is drawn last, so that its label stays on top.
void drawLabels(cairo_t* cr, const patchSet& set, const geosContext& context, const std::vector<std::size_t>& labelled,
                const mapLayout& l) {
  for (auto k = labelled.rbegin(); k != labelled.rend(); ++k) {
    geometryPtr point = insidePoint(context, set.patches[*k].outline.get());
    double x = 0, y = 0;
    GEOSGeomGetX_r(context.get(), point.get(), &x);
    GEOSGeomGetY_r(context.get(), point.get(), &y);
    drawLabel(cr, l.view.x(x), l.view.y(y), std::to_string(set.patches[*k].id), l.unit);
  }
}

void drawMap(cairo_t* cr, const patchSet& set, const geosContext& context, const patchClasses& classes,
             const patchLinks* links, const mapStyle& style, const mapLayout& l, const std::vector<std::size_t>& labelled) {
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  drawTitle(cr, l, style);
  cairo_rectangle(cr, l.mapLeft, l.mapTop, l.mapWidth, l.mapHeight);
  cairo_set_source_rgb(cr, 0.97, 0.98, 1.0);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
  cairo_set_line_width(cr, l.unit);
  cairo_stroke_preserve(cr);
  cairo_save(cr);
  cairo_clip(cr);
  drawPatches(cr, set, context, classes, l);
  if (links && style.links) drawLinks(cr, set, context, *links, l);
  drawLabels(cr, set, context, labelled, l);
  cairo_restore(cr);
  drawLegend(cr, l, classes, style);
  drawScaleBar(cr, l, set.metresPerUnit);
}

}  // namespace

void drawMapImages(const std::vector<const stagedFile*>& images, const patchSet& set, const geosContext& context,
                   const patchClasses& classes, const patchLinks* links, const mapStyle& style,
                   const std::vector<std::size_t>& labelled) {
  const mapLayout l = planLayout(boundingBoxOf(set.patches, context), style.width);
  for (const stagedFile* image : images)
    writeImage(*image, imageFormatOf(image->path()), static_cast<int>(l.width), static_cast<int>(l.height),
               [&](cairo_t* cr) { drawMap(cr, set, context, classes, links, style, l, labelled); });
}

}  // namespace verdalis::gis
