#pragma once
// The habitat patches read from a layer or a raster: identifier, attribute
// and outline, in ascending identifier order, with the coordinate system
// they are measured in.
#include <cstdint>
#include <string>
#include <vector>

#include "common/geos_handles.h"

namespace verdalis::gis {

struct patch {
  std::int64_t id = 0;
  double attribute = 0.0;
  geometryPtr outline;  // polygonal, valid, in the measuring coordinate system
  std::string origin;   // names the feature or raster group in messages
};

struct patchSet {
  std::vector<patch> patches;
  std::string crsWkt;          // empty when the source has no coordinate system
  std::string crsName;         // for messages and summaries
  double metresPerUnit = 1.0;  // a projected system in feet is measured in metres
  std::string attributeText;   // what the attribute holds, for the summary
  envelope extent;             // of the raster read, or the bounding box of the patches
  std::size_t polygonsBeforeDissolve = 0;  // with --dissolve: the polygons that became the patches
};

}  // namespace verdalis::gis
