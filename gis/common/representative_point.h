#pragma once
// The one point that stands for a patch in centroid distances and least-cost
// searches from a point: the centroid of the patch's largest part when it lies
// inside that part, otherwise a point on that part's surface (GEOS point on
// surface). The centroid of the whole patch can lie outside a crescent or
// between the parts of a group, where no animal of the patch is. Linear in
// the vertices of the patch.
#include "common/geos_handles.h"

namespace verdalis::gis {

geometryPtr representativePoint(const geosContext& context, const GEOSGeometry* outline);

}  // namespace verdalis::gis
