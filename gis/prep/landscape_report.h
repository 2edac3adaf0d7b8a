#pragma once
// What prep tells at the end about the landscape it measured, for the run
// to come: the extent and its area, the area the patches cover, the study
// area of --study-area, and the verdalis command with -landArea filled (the
// study area, or else the extent, in the unit of the node attribute). Linear
// in the vertices of the patches (and of the study area).
#include <optional>
#include <ostream>
#include <string>

#include "common/geos_handles.h"
#include "common/patch_set.h"
#include "prep/prep_options.h"

namespace verdalis::gis {

struct landscapeFigures {
  std::string unit;                 // of the areas: the --area unit
  double extentArea = 0;            // of set.extent
  double patchArea = 0;             // of the outlines (the node attributes when they are areas)
  std::optional<double> studyArea;  // of --study-area
  bool attributeIsArea = true;      // false with --attribute: -landArea cannot be filled
};

// Reads --study-area when given; warns when the patches cover more than the
// area given as -landArea, which Verdalis would find wrong.
landscapeFigures measureLandscape(const prepOptions& options, const patchSet& set, const geosContext& context);

// "Extent: x 0 to 500, y 0 to 500 (500 m by 500 m), 25 ha; the 3 patches cover 4.25 ha (17 %)"
// and the study area's line.
void printLandscape(std::ostream& out, const prepOptions& options, const patchSet& set, const landscapeFigures& figures);

// The -landArea of that command, as it writes it: the study area, or else
// the extent, rounded up; empty when the attribute is not an area.
std::string landAreaOf(const landscapeFigures& figures);

// The verdalis command to run on the files written.
std::string nextCommand(const prepOptions& options, const landscapeFigures& figures);

}  // namespace verdalis::gis
