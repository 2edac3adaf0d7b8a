#pragma once
// The patches of highest value in one result column: what a planner asks
// first ("which ten patches matter most"), for the labels of the map, the
// ranking chart and the ranking table. Ties are broken by identifier, so the
// ranking does not depend on the order of the layer; a partial sort, n log N.
#include <cstdint>
#include <string>
#include <vector>

#include "common/patch_set.h"
#include "common/staged_file.h"

namespace verdalis::gis {

struct rankedPatch {
  std::size_t position = 0;  // in the patch set
  std::int64_t id = 0;
  double value = 0;
  double share = 0;       // % of the column's total; NaN when the total is not above 0
  double cumulative = 0;  // the shares of this patch and those ranked above it
};

struct patchRanking {
  std::vector<rankedPatch> top;  // highest first
  std::size_t valued = 0;        // the patches with a value
  double total = 0;              // of the values, in patch order
};

// values holds one value per patch (NaN: none; infinities are left out too).
patchRanking rankPatches(const patchSet& set, const std::vector<double>& values, std::size_t count);

// "rank<TAB>ID<TAB>COLUMN<TAB>share_percent<TAB>cumulative_percent", then a
// row per ranked patch, numbers as Verdalis writes them ("nan" for a share
// that does not exist). Written to target's temporary file.
void writeRankingTable(const stagedFile& target, const patchRanking& ranking, const std::string& idName,
                       const std::string& column);

}  // namespace verdalis::gis
