// Ranking the patches by one column, and the ranking table.
#include "map/patch_ranking.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>

#include "common/failure.h"
#include "support/numfmt.h"

namespace verdalis::gis {

patchRanking rankPatches(const patchSet& set, const std::vector<double>& values, std::size_t count) {
  patchRanking ranking;
  std::vector<rankedPatch> valued;
  for (std::size_t k = 0; k < values.size(); ++k) {
    if (!std::isfinite(values[k])) continue;
    valued.push_back({k, set.patches[k].id, values[k], 0, 0});
    ranking.total += values[k];
  }
  ranking.valued = valued.size();
  const std::size_t kept = std::min(count, valued.size());
  std::partial_sort(valued.begin(), valued.begin() + static_cast<std::ptrdiff_t>(kept), valued.end(),
                    [](const rankedPatch& a, const rankedPatch& b) {
                      return a.value != b.value ? a.value > b.value : a.id < b.id;
                    });
  valued.resize(kept);
  const bool shared = ranking.total > 0;
  double sum = 0;
  for (rankedPatch& r : valued) {
    sum += r.value;
    r.share = shared ? 100 * r.value / ranking.total : std::numeric_limits<double>::quiet_NaN();
    r.cumulative = shared ? 100 * sum / ranking.total : std::numeric_limits<double>::quiet_NaN();
  }
  ranking.top = std::move(valued);
  return ranking;
}

void writeRankingTable(const stagedFile& target, const patchRanking& ranking, const std::string& idName,
                       const std::string& column) {
  std::ofstream out(target.temporaryPath(), std::ios::binary);
  if (!out) inputError("cannot write " + target.path() + ": " + std::strerror(errno));
  out << "rank\t" << idName << "\t" << column << "\tshare_percent\tcumulative_percent\n";
  for (std::size_t k = 0; k < ranking.top.size(); ++k) {
    const rankedPatch& r = ranking.top[k];
    out << k + 1 << "\t" << r.id << "\t" << toText(r.value) << "\t" << toText(r.share) << "\t"
        << toText(r.cumulative) << "\n";
  }
  out.close();
  if (!out) inputError("cannot write " + target.path() + " (disk full?)");
}

}  // namespace verdalis::gis
