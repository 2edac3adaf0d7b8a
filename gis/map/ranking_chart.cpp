// Drawing the ranking chart.
#include "map/ranking_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/number_text.h"

namespace verdalis::gis {

namespace {
struct chartLayout {
  double unit = 1, width = 0, height = 0, margin = 0;
  double rankRight = 0, idLeft = 0, barLeft = 0, barRight = 0, shareRight = 0, cumulativeRight = 0;
  double firstRow = 0, rowHeight = 0;
};

chartLayout planChart(int width, std::size_t rows) {
  chartLayout l;
  l.unit = std::max(width / 1200.0, 0.9);
  const double u = l.unit;
  l.width = width;
  l.margin = 16 * u;
  l.rankRight = l.margin + 40 * u;
  l.idLeft = l.rankRight + 20 * u;
  l.barLeft = l.idLeft + 120 * u;
  l.cumulativeRight = l.width - l.margin;
  l.shareRight = l.cumulativeRight - 130 * u;
  l.barRight = l.shareRight - 150 * u;
  l.firstRow = 100 * u;
  l.rowHeight = 30 * u;
  l.height = std::ceil(l.firstRow + static_cast<double>(rows) * l.rowHeight + 44 * u);
  return l;
}

void rightAligned(cairo_t* cr, double right, double y, const std::string& text, double size, bool bold) {
  drawText(cr, right - textWidth(cr, text, size, bold), y, text, size, bold);
}

std::string percentText(double share) {
  if (std::isnan(share)) return "\u2013";
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, std::fabs(share) >= 0.1 ? "%.1f %%" : "%.2g %%", share);
  return buffer;
}

void drawHeader(cairo_t* cr, const chartLayout& l, const patchRanking& ranking, const mapStyle& style,
                std::size_t patchCount) {
  const double u = l.unit;
  drawText(cr, l.margin, 32 * u,
           style.column + ": the " + std::to_string(ranking.top.size()) + " highest of " +
               std::to_string(ranking.valued) + " patches",
           22 * u, true);
  drawText(cr, l.margin, 54 * u, style.meaning.empty() ? style.subtitle : style.meaning, 13 * u, false);
  const double y = l.firstRow - 12 * u;
  rightAligned(cr, l.rankRight, y, "Rank", 12 * u, true);
  drawText(cr, l.idLeft, y, "Patch", 12 * u, true);
  drawText(cr, l.barLeft, y, style.column, 12 * u, true);
  rightAligned(cr, l.shareRight, y, "Share", 12 * u, true);
  rightAligned(cr, l.cumulativeRight, y, "Cumulative", 12 * u, true);
  std::string note = "Share: % of the total of " + style.column + " over the " + std::to_string(ranking.valued) +
                     " patches with a value";
  if (ranking.valued < patchCount) note += " (of " + std::to_string(patchCount) + ")";
  drawText(cr, l.margin, l.height - 16 * u, note + "; bars in the colours of the map's classes", 11 * u, false);
}

void drawRows(cairo_t* cr, const chartLayout& l, const patchRanking& ranking, const patchClasses& classes) {
  const double u = l.unit;
  double low = 0, high = 0;
  for (const rankedPatch& r : ranking.top) low = std::min(low, r.value), high = std::max(high, r.value);
  if (high <= low) high = low + 1;
  const double scale = (l.barRight - l.barLeft) / (high - low);
  const double zero = l.barLeft - low * scale;
  for (std::size_t k = 0; k < ranking.top.size(); ++k) {
    const rankedPatch& r = ranking.top[k];
    const double top = l.firstRow + static_cast<double>(k) * l.rowHeight, baseline = top + 19 * u;
    if (k % 2 == 0) {
      cairo_rectangle(cr, l.margin, top, l.width - 2 * l.margin, l.rowHeight);
      cairo_set_source_rgb(cr, 0.96, 0.96, 0.96);
      cairo_fill(cr);
    }
    rightAligned(cr, l.rankRight, baseline, std::to_string(k + 1), 13 * u, false);
    drawText(cr, l.idLeft, baseline, std::to_string(r.id), 13 * u, true);
    const colour fill = classColour(classes.classOfPatch[r.position], static_cast<int>(classes.upper.size()));
    const double end = zero + r.value * scale;
    cairo_rectangle(cr, std::min(zero, end), top + 5 * u, std::fabs(end - zero), 20 * u);
    cairo_set_source_rgb(cr, fill.r, fill.g, fill.b);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.55 * fill.r, 0.55 * fill.g, 0.55 * fill.b);
    cairo_set_line_width(cr, u);
    cairo_stroke(cr);
    drawText(cr, std::max(zero, end) + 6 * u, baseline, roundedText(r.value), 12 * u, false);
    rightAligned(cr, l.shareRight, baseline, percentText(r.share), 13 * u, false);
    rightAligned(cr, l.cumulativeRight, baseline, percentText(r.cumulative), 13 * u, false);
  }
}
}  // namespace

void drawRankingChart(const stagedFile& target, const patchRanking& ranking, const patchClasses& classes,
                      const mapStyle& style, std::size_t patchCount) {
  const chartLayout l = planChart(style.width, ranking.top.size());
  writeImage(target, imageFormatOf(target.path()), static_cast<int>(l.width), static_cast<int>(l.height),
             [&](cairo_t* cr) {
               cairo_set_source_rgb(cr, 1, 1, 1);
               cairo_paint(cr);
               drawHeader(cr, l, ranking, style, patchCount);
               drawRows(cr, l, ranking, classes);
             });
}

}  // namespace verdalis::gis
