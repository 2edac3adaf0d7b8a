// Drawing the chart of A and ECA over the periods.
#include "change/change_chart.h"

#include <algorithm>
#include <cmath>

#include "common/number_text.h"
#include "map/map_canvas.h"

namespace verdalis::gis {

namespace {
struct chartFrame {
  double left = 90, right = 0, top = 80, bottom = 0;  // the plot area
  double high = 1;                                    // the value at the top
  double x(std::size_t k, std::size_t n) const {
    return n == 1 ? (left + right) / 2 : left + (right - left) * static_cast<double>(k) / static_cast<double>(n - 1);
  }
  double y(double v) const { return bottom - (bottom - top) * v / high; }
};

// A round step (1, 2 or 5 times a power of ten) that gives about five ticks.
double tickStep(double high) {
  const double raw = high / 5, power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0})
    if (m * power >= raw) return m * power;
  return 10 * power;
}

void drawAxes(cairo_t* cr, const chartFrame& f, const std::vector<periodChange>& periods) {
  cairo_set_line_width(cr, 1);
  const double step = tickStep(f.high);
  for (double v = 0; v <= f.high * 1.0001; v += step) {
    cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
    cairo_move_to(cr, f.left, f.y(v));
    cairo_line_to(cr, f.right, f.y(v));
    cairo_stroke(cr);
    const std::string label = roundedText(v, 4);
    drawText(cr, f.left - 8 - textWidth(cr, label, 12, false), f.y(v) + 4, label, 12, false);
  }
  for (std::size_t k = 0; k < periods.size(); ++k) {
    const std::string& label = periods[k].label;
    drawText(cr, f.x(k, periods.size()) - textWidth(cr, label, 13, true) / 2, f.bottom + 22, label, 13, true);
  }
}

void drawSeries(cairo_t* cr, const chartFrame& f, const std::vector<double>& values, double r, double g, double b) {
  cairo_set_source_rgb(cr, r, g, b);
  cairo_set_line_width(cr, 3);
  for (std::size_t k = 0; k < values.size(); ++k) {
    const double x = f.x(k, values.size()), y = f.y(values[k]);
    if (k == 0) cairo_move_to(cr, x, y);
    else cairo_line_to(cr, x, y);
  }
  cairo_stroke(cr);
  for (std::size_t k = 0; k < values.size(); ++k) {
    const double x = f.x(k, values.size()), y = f.y(values[k]);
    cairo_set_source_rgb(cr, r, g, b);
    cairo_arc(cr, x, y, 5, 0, 2 * M_PI);
    cairo_fill(cr);
    drawText(cr, x + 8, y - 8, roundedText(values[k], 4), 12, false);
  }
}

void drawKey(cairo_t* cr, double x, double y, const char* text, double r, double g, double b) {
  cairo_set_source_rgb(cr, r, g, b);
  cairo_rectangle(cr, x, y - 10, 24, 6);
  cairo_fill(cr);
  drawText(cr, x + 32, y, text, 13, false);
}
}  // namespace

void drawChangeChart(const stagedFile& target, const std::vector<periodChange>& periods, const std::string& title) {
  const int width = 900, height = 560;
  chartFrame f;
  f.right = width - 80;
  f.bottom = height - 70;
  std::vector<double> habitat, eca;
  for (const periodChange& p : periods) {
    habitat.push_back(p.habitat);
    eca.push_back(p.eca);
    f.high = std::max({f.high, p.habitat, p.eca});
  }
  f.high = std::ceil(f.high * 1.1 / tickStep(f.high * 1.1)) * tickStep(f.high * 1.1);
  writeImage(target, imageFormatOf(target.path()), width, height, [&](cairo_t* cr) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    drawText(cr, 20, 32, title, 20, true);
    drawKey(cr, 20, 58, "A, habitat (sum of the attributes)", 0.2, 0.55, 0.25);
    drawKey(cr, 330, 58, "ECA, equivalent connected area", 0.15, 0.3, 0.7);
    drawAxes(cr, f, periods);
    drawSeries(cr, f, habitat, 0.2, 0.55, 0.25);
    drawSeries(cr, f, eca, 0.15, 0.3, 0.7);
  });
}

}  // namespace verdalis::gis
