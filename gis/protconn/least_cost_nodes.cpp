// Least-cost pairs of a region's nodes through the cost module.
#include "protconn/least_cost_nodes.h"

#include "common/failure.h"
#include "cost/patch_cells.h"
#include "cost/patch_searches.h"

namespace verdalis::gis {

nodePairs measureLeastCostPairs(const std::vector<geometryPtr>& outlines, const pairRequest& request,
                                const leastCostNodes& surface, const geosContext& context) {
  patchSet nodes;
  for (std::size_t k = 0; k < outlines.size(); ++k) {
    patch p;
    p.id = static_cast<std::int64_t>(k + 1);
    p.outline = own(context, GEOSGeom_clone_r(context.get(), outlines[k].get()));
    p.origin = "node " + std::to_string(k + 1);
    nodes.patches.push_back(std::move(p));
  }
  rasterisingNotes notes;
  const patchEnds ends = request.kind == distanceKind::centroid ? patchEnds::representativePoint : patchEnds::allCells;
  const patchCells cells = rasterisePatches(nodes, *surface.grid, ends, context, notes);
  if (notes.partlyUnusable > 0)
    warn(std::to_string(notes.partlyUnusable) + " protected unit(s) lie partly outside " + surface.grid->path +
         " or on its cells without data; only their cells with data are used");
  searchSettings settings;
  settings.neighbours = surface.neighbours;
  settings.maxCost = request.reach;
  const std::vector<std::vector<foundPair>> found =
      searchEveryPatch(*surface.grid, cells, settings, request.threads, [](std::size_t) {});
  nodePairs pairs;
  for (std::size_t a = 0; a < found.size(); ++a)
    for (const foundPair& f : found[a]) {
      pairs.from.push_back(static_cast<std::uint32_t>(a));
      pairs.to.push_back(f.partner);
      pairs.distance.push_back(f.cost);
    }
  return pairs;
}

}  // namespace verdalis::gis
