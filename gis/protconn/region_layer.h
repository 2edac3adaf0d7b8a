#pragma once
// The regions (countries, ecoregions) whose ProtConn is computed: one per
// feature of a polygon layer, named by a field of unique values, in the
// coordinate system the protected areas are measured in. Linear in the
// vertices of the layer.
#include <string>
#include <vector>

#include "common/geos_handles.h"
#include "common/patch_set.h"

namespace verdalis::gis {

struct regionSource {
  std::string input;
  std::string layer;                 // empty: the only layer of the file
  std::string idField;               // required
  std::vector<std::string> chosen;   // --region: these alone, in this order; empty: every region
};

struct region {
  std::string id;
  geometryPtr outline;  // valid, polygonal, in the system of the protected areas
  std::string origin;   // names the feature in messages
};

struct regionSet {
  std::vector<region> regions;  // in layer order, or in the order of --region
  std::string crsName;          // as read, before any reprojection
  bool reprojected = false;     // to the system of the protected areas
};

// areas: the protected areas already read, whose system the regions join.
regionSet readRegions(const regionSource& source, const patchSet& areas, const std::string& targetCrs,
                      const geosContext& context);

}  // namespace verdalis::gis
