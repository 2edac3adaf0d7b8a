// The extent, the areas and the command to run next.
#include "prep/landscape_report.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "common/dissolve.h"
#include "common/failure.h"
#include "common/number_text.h"
#include "common/vector_patches.h"
#include "prep/prep_files.h"
#include "support/numfmt.h"

namespace verdalis::gis {

namespace {
// The study area in square metres: the union of its polygons, so that
// overlaps count once, measured in the patches' coordinate system.
double studyAreaSquareMetres(const prepOptions& o, const patchSet& set, const geosContext& context) {
  patchSourceOptions area;
  area.input = o.studyArea;
  area.targetCrs = set.crsWkt;
  try {
    patchSet study = readVectorPatches(area, context);
    if (study.patches.empty()) inputError("the layer holds no polygon");
    std::vector<GEOSGeometry*> outlines;
    for (patch& p : study.patches) outlines.push_back(p.outline.release());
    const geometryPtr all = mergedOutline(context, outlines);
    if (!all) inputError("its polygons cannot be merged (" + context.takeError() + ")");
    double squareUnits = 0;
    GEOSArea_r(context.get(), all.get(), &squareUnits);
    return squareUnits * study.metresPerUnit * study.metresPerUnit;
  } catch (const gisFailure& failure) {
    throw gisFailure(failure.kind(), "--study-area " + o.studyArea + ": " + failure.what());
  }
}

double outlineArea(const patchSet& set, const geosContext& context) {
  double total = 0;
  for (const patch& p : set.patches) {
    double area = 0;
    GEOSArea_r(context.get(), p.outline.get(), &area);
    total += area;
  }
  return total * set.metresPerUnit * set.metresPerUnit;
}

// "8005 m by 7273 m", or in kilometres when either side reaches 10 km.
std::string sizeText(double width, double height) {
  if (std::max(width, height) < 10000) return toText(std::round(width)) + " m by " + toText(std::round(height)) + " m";
  return toText(std::round(width / 100) / 10) + " km by " + toText(std::round(height / 100) / 10) + " km";
}

// Rounded up to six significant digits and written without an exponent, so
// that -landArea never falls below the area it stands for.
std::string landAreaText(double value) {
  if (!(value > 0)) return "0";
  const int exponent = static_cast<int>(std::floor(std::log10(value)));
  const double step = std::pow(10.0, exponent - 5);
  std::string text = fixedText(std::ceil(value / step - 1e-6) * step, std::max(0, 5 - exponent));
  if (text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  return text;
}

// A word of the command line as a shell takes it.
std::string shellWord(const std::string& word) {
  if (!word.empty() && word.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_./:=+,@%-") ==
                           std::string::npos)
    return word;
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}
}  // namespace

landscapeFigures measureLandscape(const prepOptions& o, const patchSet& set, const geosContext& context) {
  landscapeFigures f;
  f.unit = unitName(o.source.unit);
  f.attributeIsArea = o.source.attributeField.empty();
  const double perSquareMetre = 1 / squareMetresPerUnit(o.source.unit);
  const envelope& e = set.extent;
  f.extentArea = (e.maxX - e.minX) * (e.maxY - e.minY) * set.metresPerUnit * set.metresPerUnit * perSquareMetre;
  if (f.attributeIsArea)
    for (const patch& p : set.patches) f.patchArea += p.attribute;
  else
    f.patchArea = outlineArea(set, context) * perSquareMetre;
  if (!o.studyArea.empty()) f.studyArea = studyAreaSquareMetres(o, set, context) * perSquareMetre;
  if (f.attributeIsArea && f.studyArea && f.patchArea > *f.studyArea)
    warn("the patches cover " + toText(f.patchArea) + " " + f.unit + ", more than the study area " + o.studyArea +
         " (" + toText(*f.studyArea) + " " + f.unit + "): is it the study area of these patches?");
  return f;
}

void printLandscape(std::ostream& out, const prepOptions& o, const patchSet& set, const landscapeFigures& f) {
  const envelope& e = set.extent;
  const std::size_t n = set.patches.size();
  out << (o.source.habitat.empty() ? "Extent: x " : "Extent of the raster: x ") << fixedText(e.minX, 0) << " to "
      << fixedText(e.maxX, 0) << ", y " << fixedText(e.minY, 0) << " to " << fixedText(e.maxY, 0) << " ("
      << sizeText((e.maxX - e.minX) * set.metresPerUnit, (e.maxY - e.minY) * set.metresPerUnit) << "), "
      << toText(f.extentArea) << " " << f.unit << "; the " << n << " patch" << (n == 1 ? " covers " : "es cover ")
      << toText(f.patchArea) << " " << f.unit;
  if (f.extentArea > 0) out << " (" << roundedText(100 * f.patchArea / f.extentArea) << " %)";
  out << "\n";
  if (f.studyArea) out << "Study area " << o.studyArea << ": " << toText(*f.studyArea) << " " << f.unit << "\n";
}

std::string landAreaOf(const landscapeFigures& f) {
  return f.attributeIsArea ? landAreaText(f.studyArea.value_or(f.extentArea)) : std::string();
}

std::string nextCommand(const prepOptions& o, const landscapeFigures& f) {
  std::string command = "verdalis -nodeFile " + shellWord(o.nodeFile) + " -conFile " + shellWord(o.connectionFile) +
                        " -t dist " + (o.bounded() ? "notall" : "all");
  if (f.attributeIsArea)
    command += " -landArea " + landAreaOf(f);
  else
    command += " -landArea [the most field " + o.source.attributeField + " the study area could hold]";
  if (!o.suggestFor) return command + " [indices and thresholds, e.g. -PC -confProb 1000 0.5]";
  const std::string distance = toText(o.suggestFor->distance);
  return command + " -NC -PC -confAdj " + distance + " -confProb " + distance + " " + toText(o.suggestFor->probability);
}

}  // namespace verdalis::gis
