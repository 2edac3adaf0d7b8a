#pragma once
// --dissolve: polygons that touch or overlap (share at least a point) become
// one patch, named by the smallest identifier among them. Candidate pairs come
// from an STR tree of the outlines, so the cost follows the number of
// neighbouring pairs, not n².
#include "common/geos_handles.h"
#include "common/patch_set.h"

namespace verdalis::gis {

// Replaces the patches by their merged groups. With sumAttributes the merged
// attribute is the sum of the members' attributes (an attribute field);
// otherwise it is left for the area to be measured on the merged outline.
void dissolvePatches(patchSet& set, const geosContext& context, bool sumAttributes);

// The union of outlines, which it takes over; null when GEOS cannot merge them.
geometryPtr mergedOutline(const geosContext& context, std::vector<GEOSGeometry*>& outlines);

}  // namespace verdalis::gis
