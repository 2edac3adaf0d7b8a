#pragma once
// The ranking chart: one bar per ranked patch, highest first, with its
// identifier, value, share of the column's total and the cumulative share,
// each bar in the colour of the patch's class on the map. PNG or SVG by the
// file's extension; linear in the patches ranked.
#include <string>

#include "common/staged_file.h"
#include "map/map_layout.h"
#include "map/patch_ranking.h"

namespace verdalis::gis {

void drawRankingChart(const stagedFile& target, const patchRanking& ranking, const patchClasses& classes,
                      const mapStyle& style, std::size_t patchCount);

}  // namespace verdalis::gis
