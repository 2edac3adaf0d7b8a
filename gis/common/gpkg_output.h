#pragma once
// Writing patches (and lines between linked patches) with value columns to a
// GeoPackage, through a staged file so that no partial GeoPackage is left.
// One transaction; linear in the number of features.
#include <string>
#include <vector>

#include "common/geos_handles.h"
#include "common/patch_set.h"
#include "common/staged_file.h"

namespace verdalis::gis {

enum class columnKind { real, whole };

// One value per row; a NaN is written as NULL (no value).
struct dataColumn {
  std::string name;
  columnKind kind = columnKind::real;
  std::vector<double> values;
};

// Lines between pairs of patches (positions in the patch set), with values.
struct patchLinks {
  std::vector<std::size_t> from, to;
  std::vector<dataColumn> columns;
  // The line of each link when it follows a path (empty: straight, or a
  // link drawn straight); none at all: every link is straight.
  std::vector<std::vector<std::pair<double, double>>> shapes;
};

// Layer "patches": the identifier under idName, then the columns, one row
// per patch in order; layer "links" when links is given. Written to the
// temporary file of target, which the caller commits.
void writePatchGeoPackage(const stagedFile& target, const patchSet& set, const geosContext& context,
                          const std::string& idName, const std::vector<dataColumn>& columns,
                          const patchLinks* links);

// A point inside the patch, where link lines end and labels could go.
geometryPtr insidePoint(const geosContext& context, const GEOSGeometry* outline);

}  // namespace verdalis::gis
