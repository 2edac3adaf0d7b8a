#pragma once
// Joining the result tables of a run to the patches by identifier: one value
// column per result column, and the pairs of the link tables as links. Rows
// and patches that do not match are reported, not dropped silently. Costs a
// binary search per row.
#include <string>
#include <vector>

#include "common/gpkg_output.h"
#include "common/patch_set.h"
#include "map/result_tables.h"

namespace verdalis::gis {

struct runResults {
  std::vector<resultTable> nodeTables;  // node importances, components
  std::vector<std::string> linkKinds;   // "removal", "improvement", "change"
  std::vector<resultTable> linkTables;
};

// The result files of the run that exist in the folder; refuses a folder
// with none of them.
runResults readRunResults(const std::string& folder, const std::string& prefix);

struct joinedResults {
  std::vector<dataColumn> columns;  // one value per patch, NaN where none
  patchLinks links;                 // columns named kind_index, e.g. removal_dPC
};

joinedResults joinResults(const patchSet& set, const runResults& results);

}  // namespace verdalis::gis
