#pragma once
// What the parts of a map image share: where the map, title and legend go,
// the classes of the patches and their colours. Sizes grow with the width of
// the image, so a wider image is the same map, sharper.
#include <cairo.h>

#include <string>
#include <vector>

#include "common/geos_handles.h"
#include "map/class_breaks.h"
#include "map/map_canvas.h"

namespace verdalis::gis {

struct mapStyle {
  std::string title;
  std::string subtitle;
  std::string column;
  std::string meaning;  // of the column, with its unit; empty when not known
  int classes = 5;
  breakMethod breaks = breakMethod::quantile;
  int width = 1200;
  bool links = false;
  std::size_t labels = 0;  // the highest patches labelled with their identifiers
};

struct mapLayout {
  double width = 0, height = 0;
  double unit = 1;  // one "point" of the design at 1200 pixels wide
  double margin = 0;
  double mapLeft = 0, mapTop = 0, mapWidth = 0, mapHeight = 0;
  double legendLeft = 0;
  mapView view;
};

mapLayout planLayout(const envelope& extent, int width);

// The class of every patch (-1: no value) and the size of each class.
struct patchClasses {
  std::vector<double> upper;
  std::vector<int> classOfPatch;
  std::vector<std::size_t> counts;
  std::size_t missing = 0;
  double smallest = 0;
};

patchClasses classify(const std::vector<double>& values, int classes, breakMethod method);

struct colour {
  double r, g, b;
};
// From light yellow to dark red, spread over the classes; grey for no value.
colour classColour(int index, int classes);

void drawTitle(cairo_t* cr, const mapLayout& layout, const mapStyle& style);
// A dot at (x, y) and the label beside it, readable over any colour.
void drawLabel(cairo_t* cr, double x, double y, const std::string& label, double unit);
void drawLegend(cairo_t* cr, const mapLayout& layout, const patchClasses& classes, const mapStyle& style);
void drawScaleBar(cairo_t* cr, const mapLayout& layout, double metresPerUnit);

// A round length (1, 2 or 5 times a power of ten) of at most limit.
double roundLength(double limit);

}  // namespace verdalis::gis
