// Joining least-cost paths to the links of a map.
#include "map/path_links.h"

#include <algorithm>

namespace verdalis::gis {

namespace {
using pairKey = std::pair<std::int64_t, std::int64_t>;

pairKey keyOf(std::int64_t a, std::int64_t b) { return a < b ? pairKey{a, b} : pairKey{b, a}; }

// The position of the patch of this identifier, or none.
bool positionOf(const patchSet& set, std::int64_t id, std::size_t& position) {
  const auto found = std::lower_bound(set.patches.begin(), set.patches.end(), id,
                                      [](const patch& p, std::int64_t wanted) { return p.id < wanted; });
  if (found == set.patches.end() || found->id != id) return false;
  position = static_cast<std::size_t>(found - set.patches.begin());
  return true;
}
}  // namespace

pathJoin followPaths(patchLinks& links, const patchSet& set, std::vector<leastCostPath> paths) {
  pathJoin join;
  std::sort(paths.begin(), paths.end(), [](const leastCostPath& a, const leastCostPath& b) {
    return keyOf(a.node1, a.node2) < keyOf(b.node1, b.node2);
  });
  if (links.from.empty()) {
    for (leastCostPath& p : paths) {
      std::size_t a = 0, b = 0;
      if (!positionOf(set, p.node1, a) || !positionOf(set, p.node2, b)) {
        ++join.unknown;
        continue;
      }
      links.from.push_back(a);
      links.to.push_back(b);
      links.shapes.push_back(std::move(p.points));
    }
    return join;
  }
  links.shapes.assign(links.from.size(), {});
  for (std::size_t k = 0; k < links.from.size(); ++k) {
    const pairKey wanted = keyOf(set.patches[links.from[k]].id, set.patches[links.to[k]].id);
    const auto found = std::lower_bound(paths.begin(), paths.end(), wanted, [](const leastCostPath& p, const pairKey& key) {
      return keyOf(p.node1, p.node2) < key;
    });
    if (found == paths.end() || keyOf(found->node1, found->node2) != wanted) {
      ++join.straight;
      continue;
    }
    links.shapes[k] = found->points;
    // A path runs from its smaller identifier; a link's line from Node1 to Node2.
    if (set.patches[links.from[k]].id != found->node1) std::reverse(links.shapes[k].begin(), links.shapes[k].end());
  }
  return join;
}

}  // namespace verdalis::gis
