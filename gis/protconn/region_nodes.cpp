// Clipping, dissolving and splitting the protected areas of a region.
#include "protconn/region_nodes.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "common/disjoint_sets.h"
#include "common/dissolve.h"
#include "common/failure.h"
#include "common/outline_checks.h"

namespace verdalis::gis {

double coreSquare(double a) {
  const float single = static_cast<float>(a);
  return static_cast<double>(single * single);
}

namespace {
void collectPosition(void* item, void* found) {
  static_cast<std::vector<std::uint32_t>*>(found)->push_back(*static_cast<const std::uint32_t*>(item));
}

geometryPtr boxOf(const geosContext& c, const envelope& b, double grow) {
  return own(c, GEOSGeom_createRectangle_r(c.get(), b.minX - grow, b.minY - grow, b.maxX + grow, b.maxY + grow));
}

double gapBetween(const envelope& a, const envelope& b) {
  const double dx = std::max({0.0, b.minX - a.maxX, a.minX - b.maxX});
  const double dy = std::max({0.0, b.minY - a.maxY, a.minY - b.maxY});
  return std::sqrt(dx * dx + dy * dy);
}
}  // namespace

protectedAreaIndex::protectedAreaIndex(const patchSet& areas, const geosContext& context)
    : areas_(areas), tree_(GEOSSTRtree_create_r(context.get(), 10), treeDeleter{context.get()}) {
  positions_.resize(areas.patches.size());
  for (std::size_t k = 0; k < positions_.size(); ++k) {
    positions_[k] = static_cast<std::uint32_t>(k);
    GEOSSTRtree_insert_r(context.get(), tree_.get(), areas.patches[k].outline.get(), &positions_[k]);
  }
  // The tree is built by its first query; done here, the workers' queries only read it.
  std::vector<std::uint32_t> ignored;
  if (!positions_.empty())
    GEOSSTRtree_query_r(context.get(), tree_.get(), areas.patches[0].outline.get(), collectPosition, &ignored);
}

std::vector<std::uint32_t> protectedAreaIndex::near(const envelope& box, const geosContext& mine) const {
  std::vector<std::uint32_t> found;
  geometryPtr query = boxOf(mine, box, 0);
  GEOSSTRtree_query_r(mine.get(), tree_.get(), query.get(), collectPosition, &found);
  std::sort(found.begin(), found.end());
  return found;
}

namespace {
struct piece {
  geometryPtr outline;  // a single polygon
  std::int64_t id = 0;
};

// The polygons of a polygonal geometry, each a piece of its own.
void addParts(std::vector<piece>& pieces, const geosContext& c, const GEOSGeometry* g, std::int64_t id) {
  if (!g) return;
  const int parts = GEOSGetNumGeometries_r(c.get(), g);
  for (int k = 0; k < parts; ++k) {
    const GEOSGeometry* part = GEOSGetGeometryN_r(c.get(), g, k);
    double area = 0;
    if (GEOSArea_r(c.get(), part, &area) == 1 && area > 0)
      pieces.push_back({own(c, GEOSGeom_clone_r(c.get(), part)), id});
  }
}

// The part of the region near one area: clipping to the area's box first
// keeps the overlay of a crossing area small however long the border.
geometryPtr regionAround(const geosContext& c, const GEOSGeometry* region, const envelope& box) {
  const double grow = std::max(box.maxX - box.minX, box.maxY - box.minY) * 0.01 + 1.0;
  geometryPtr local = own(c, GEOSClipByRect_r(c.get(), region, box.minX - grow, box.minY - grow, box.maxX + grow,
                                              box.maxY + grow));
  if (local && GEOSisValid_r(c.get(), local.get()) == 1) return local;
  return own(c, GEOSGeom_clone_r(c.get(), region));
}

struct regionShape {
  const GEOSGeometry* outline;
  preparedPtr prepared;
  envelope box;
};

// Splits one protected area into its pieces inside the region and outside it
// within reach (in units of the coordinate system).
void clipArea(const geosContext& c, const regionShape& r, const patch& area, double reach, std::vector<piece>& inside,
              std::vector<piece>& outside) {
  const GEOSGeometry* g = area.outline.get();
  const envelope box = envelopeOf(c, g);
  if (gapBetween(box, r.box) > reach) return;
  auto keepOutside = [&](const GEOSGeometry* part) {
    std::vector<piece> parts;
    addParts(parts, c, part, area.id);
    for (piece& p : parts) {
      double d = 0;
      if (GEOSPreparedDistance_r(c.get(), r.prepared.get(), p.outline.get(), &d) != 1)
        inputError("cannot measure the distance of " + area.origin + " to the region: " + c.takeError());
      if (d <= reach) outside.push_back(std::move(p));
    }
  };
  if (GEOSPreparedContainsProperly_r(c.get(), r.prepared.get(), g) == 1) return addParts(inside, c, g, area.id);
  if (GEOSPreparedIntersects_r(c.get(), r.prepared.get(), g) != 1) return keepOutside(g);
  const geometryPtr local = regionAround(c, r.outline, box);
  const geometryPtr in = own(c, GEOSIntersection_r(c.get(), g, local.get()));
  const geometryPtr out = own(c, GEOSDifference_r(c.get(), g, local.get()));
  if (!in || !out) inputError("cannot clip " + area.origin + " to the region: " + c.takeError());
  const geometryPtr inPart = polygonalPart(c, in.get()), outPart = polygonalPart(c, out.get());
  addParts(inside, c, inPart.get(), area.id);
  if (outPart) keepOutside(outPart.get());
}

struct dissolvedUnit {
  geometryPtr outline;
  std::vector<std::size_t> members;  // positions of its pieces
};

disjointSets touchingPieces(const std::vector<piece>& pieces, const geosContext& c) {
  std::vector<std::uint32_t> positions(pieces.size());
  treePtr tree(GEOSSTRtree_create_r(c.get(), 10), treeDeleter{c.get()});
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    positions[k] = static_cast<std::uint32_t>(k);
    GEOSSTRtree_insert_r(c.get(), tree.get(), pieces[k].outline.get(), &positions[k]);
  }
  disjointSets groups(pieces.size());
  std::vector<std::uint32_t> found;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    found.clear();
    GEOSSTRtree_query_r(c.get(), tree.get(), pieces[i].outline.get(), collectPosition, &found);
    preparedPtr prepared(GEOSPrepare_r(c.get(), pieces[i].outline.get()), preparedDeleter{c.get()});
    for (std::uint32_t j : found)
      if (j > i && GEOSPreparedIntersects_r(c.get(), prepared.get(), pieces[j].outline.get()) == 1) groups.unite(i, j);
  }
  return groups;
}

// A merged group as single parts, each with the pieces it holds: a piece is
// connected, so its interior lies in exactly one part.
void splitGroup(const geosContext& c, std::vector<piece>& pieces, const std::vector<std::size_t>& group,
                std::vector<dissolvedUnit>& units) {
  if (group.size() == 1) {
    units.push_back({std::move(pieces[group[0]].outline), group});
    return;
  }
  std::vector<geometryPtr> inner;
  std::vector<GEOSGeometry*> outlines;
  for (std::size_t k : group) {
    inner.push_back(own(c, GEOSPointOnSurface_r(c.get(), pieces[k].outline.get())));
    outlines.push_back(pieces[k].outline.release());
  }
  const geometryPtr merged = mergedOutline(c, outlines);
  if (!merged) inputError("the protected areas of a region cannot be merged (" + c.takeError() + ")");
  const geometryPtr polygons = polygonalPart(c, merged.get());
  const int parts = polygons ? GEOSGetNumGeometries_r(c.get(), polygons.get()) : 0;
  for (int p = 0; p < parts; ++p) {
    dissolvedUnit unit{own(c, GEOSGeom_clone_r(c.get(), GEOSGetGeometryN_r(c.get(), polygons.get(), p))), {}};
    preparedPtr prepared(GEOSPrepare_r(c.get(), unit.outline.get()), preparedDeleter{c.get()});
    for (std::size_t m = 0; m < group.size(); ++m)
      if (parts == 1 || GEOSPreparedCovers_r(c.get(), prepared.get(), inner[m].get()) == 1)
        unit.members.push_back(group[m]);
    if (!unit.members.empty()) units.push_back(std::move(unit));
  }
}

std::vector<dissolvedUnit> dissolvePieces(std::vector<piece>& pieces, const geosContext& c) {
  disjointSets groups = touchingPieces(pieces, c);
  std::vector<std::vector<std::size_t>> members(pieces.size());
  for (std::size_t k = 0; k < pieces.size(); ++k) members[groups.find(k)].push_back(k);
  std::vector<dissolvedUnit> units;
  for (const std::vector<std::size_t>& group : members)
    if (!group.empty()) splitGroup(c, pieces, group, units);
  return units;
}

void addInsideUnits(regionNodes& nodes, std::vector<piece>& pieces, const nodeRequest& request, const geosContext& c) {
  for (const piece& p : pieces) {
    double area = 0;
    GEOSArea_r(c.get(), p.outline.get(), &area);
    nodes.individualArea += static_cast<float>(area * request.areaScale);
    nodes.individualSquares += coreSquare(area * request.areaScale);
  }
  std::vector<std::int64_t> ids;
  for (const piece& p : pieces) ids.push_back(p.id);
  std::vector<dissolvedUnit> units = dissolvePieces(pieces, c);
  std::vector<std::int64_t> unitIds;
  for (const dissolvedUnit& u : units) {
    std::int64_t id = ids[u.members.front()];
    for (std::size_t m : u.members) id = std::min(id, ids[m]);
    unitIds.push_back(id);
  }
  std::vector<std::size_t> order(units.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return unitIds[a] < unitIds[b]; });
  for (std::size_t k : order) {
    double area = 0;
    GEOSArea_r(c.get(), units[k].outline.get(), &area);
    const bool sameId = !nodes.unitId.empty() && nodes.unitId.back() == unitIds[k];
    nodes.unitPart.push_back(sameId ? nodes.unitPart.back() + 1 : 1);
    nodes.unitId.push_back(unitIds[k]);
    nodes.area.push_back(area * request.areaScale);
    nodes.outlines.push_back(std::move(units[k].outline));
  }
  nodes.inside = nodes.outlines.size();
}
}  // namespace

regionNodes nodesOfRegion(const protectedAreaIndex& index, const GEOSGeometry* region, const nodeRequest& request,
                          const geosContext& c) {
  regionShape shape{region, preparedPtr(GEOSPrepare_r(c.get(), region), preparedDeleter{c.get()}), envelopeOf(c, region)};
  const double reach = request.transboundary / request.metresPerUnit;
  const envelope& b = shape.box;
  std::vector<piece> inside, outside;
  for (std::uint32_t k : index.near({b.minX - reach, b.minY - reach, b.maxX + reach, b.maxY + reach}, c))
    clipArea(c, shape, index.areas().patches[k], reach, inside, outside);
  regionNodes nodes;
  double area = 0;
  GEOSArea_r(c.get(), region, &area);
  nodes.regionArea = area * request.areaScale;
  addInsideUnits(nodes, inside, request, c);
  for (dissolvedUnit& u : dissolvePieces(outside, c)) nodes.outlines.push_back(std::move(u.outline));
  return nodes;
}

}  // namespace verdalis::gis
