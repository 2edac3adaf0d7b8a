// Merging touching and overlapping patches.
#include "common/dissolve.h"

#include <algorithm>

#include "common/disjoint_sets.h"
#include "common/failure.h"
#include "support/progress.h"

namespace verdalis::gis {

namespace {
void collectItem(void* item, void* found) {
  static_cast<std::vector<std::size_t>*>(found)->push_back(*static_cast<const std::size_t*>(item));
}

disjointSets touchingGroups(const std::vector<patch>& patches, const geosContext& context) {
  const std::size_t n = patches.size();
  std::vector<std::size_t> positions(n);
  treePtr tree(GEOSSTRtree_create_r(context.get(), 10), treeDeleter{context.get()});
  for (std::size_t k = 0; k < n; ++k) {
    positions[k] = k;
    GEOSSTRtree_insert_r(context.get(), tree.get(), patches[k].outline.get(), &positions[k]);
  }
  disjointSets groups(n);
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < n; ++i, runProgress().advance(1)) {
    found.clear();
    GEOSSTRtree_query_r(context.get(), tree.get(), patches[i].outline.get(), collectItem, &found);
    preparedPtr prepared(GEOSPrepare_r(context.get(), patches[i].outline.get()), preparedDeleter{context.get()});
    for (std::size_t j : found)
      if (j > i && GEOSPreparedIntersects_r(context.get(), prepared.get(), patches[j].outline.get()) == 1)
        groups.unite(i, j);
  }
  return groups;
}

patch mergeGroup(std::vector<patch>& patches, const std::vector<std::size_t>& members,
                 const geosContext& context, bool sumAttributes) {
  patch merged;
  std::size_t smallest = members.front();
  std::vector<GEOSGeometry*> outlines;
  for (std::size_t k : members) {
    if (patches[k].id < patches[smallest].id) smallest = k;
    merged.attribute += sumAttributes ? patches[k].attribute : 0.0;
    outlines.push_back(patches[k].outline.release());
  }
  merged.id = patches[smallest].id;
  merged.origin = patches[smallest].origin + " merged with " + std::to_string(members.size() - 1) + " other(s)";
  merged.outline = mergedOutline(context, outlines);
  if (!merged.outline) inputError(merged.origin + ": the polygons cannot be merged (" + context.takeError() + ")");
  return merged;
}
}  // namespace

geometryPtr mergedOutline(const geosContext& context, std::vector<GEOSGeometry*>& outlines) {
  geometryPtr all = own(context, GEOSGeom_createCollection_r(context.get(), GEOS_GEOMETRYCOLLECTION, outlines.data(),
                                                             static_cast<unsigned>(outlines.size())));
  outlines.clear();
  return own(context, GEOSUnaryUnion_r(context.get(), all.get()));
}

void dissolvePatches(patchSet& set, const geosContext& context, bool sumAttributes) {
  std::vector<patch>& patches = set.patches;
  // A unit per polygon to find its neighbours, and one to merge it.
  progressPhase phase("Dissolve", 2 * static_cast<long long>(patches.size()));
  disjointSets groups = touchingGroups(patches, context);
  std::vector<std::vector<std::size_t>> members(patches.size());
  for (std::size_t k = 0; k < patches.size(); ++k) members[groups.find(k)].push_back(k);
  std::vector<patch> merged;
  for (std::size_t k = 0; k < patches.size(); ++k) {
    if (members[k].empty()) continue;
    if (members[k].size() == 1) merged.push_back(std::move(patches[k]));
    else merged.push_back(mergeGroup(patches, members[k], context, sumAttributes));
    runProgress().advance(static_cast<long long>(members[k].size()));
  }
  patches = std::move(merged);
}

}  // namespace verdalis::gis
