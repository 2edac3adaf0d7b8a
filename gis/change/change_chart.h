#pragma once
// The chart of verdalis-change: habitat A and ECA over the periods, two
// lines on one axis in the unit of the attributes (ECA never exceeds A), with
// the values at every period. PNG or SVG by the file's extension (cairo);
// linear in the periods.
#include <vector>

#include "change/change_values.h"
#include "common/staged_file.h"

namespace verdalis::gis {

void drawChangeChart(const stagedFile& target, const std::vector<periodChange>& periods, const std::string& title);

}  // namespace verdalis::gis
