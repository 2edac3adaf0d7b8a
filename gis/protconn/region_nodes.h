#pragma once
// The nodes of one region: the protected areas clipped to it, dissolved
// where they overlap or touch, split into single parts (each part's area is
// its area inside the region); then the protected areas outside it within the
// transboundary distance, and the outside parts of those that cross its
// border, dissolved and split alike, as nodes of area 0: stepping stones that
// add no area. Candidates come from an STR tree of the protected areas, so the
// cost follows the areas near the region, not all of them.
#include <cstdint>
#include <vector>

#include "common/geos_handles.h"
#include "common/patch_set.h"

namespace verdalis::gis {

// The protected areas with an index over their outlines, built once on one
// thread and then only read, by every region worker with its own context.
class protectedAreaIndex {
 public:
  protectedAreaIndex(const patchSet& areas, const geosContext& context);
  const patchSet& areas() const { return areas_; }
  // The positions of the areas whose boxes meet box, ascending.
  std::vector<std::uint32_t> near(const envelope& box, const geosContext& mine) const;

 private:
  const patchSet& areas_;
  std::vector<std::uint32_t> positions_;
  treePtr tree_;
};

struct regionNodes {
  std::vector<geometryPtr> outlines;  // the units inside the region, then the transboundary nodes
  std::vector<double> area;           // of the units inside, in the area unit
  std::vector<std::int64_t> unitId;   // of each unit inside: the smallest identifier of its protected areas
  std::vector<int> unitPart;          // 1, 2, ... among the units inside that share an identifier
  std::size_t inside = 0;
  double regionArea = 0;
  // The single parts of the protected areas inside, before dissolving.
  double individualArea = 0, individualSquares = 0;
  std::size_t transboundary() const { return outlines.size() - inside; }
};

struct nodeRequest {
  double transboundary = 0;  // metres
  double areaScale = 1;      // area unit per square unit of the coordinate system
  double metresPerUnit = 1;
};

regionNodes nodesOfRegion(const protectedAreaIndex& index, const GEOSGeometry* region, const nodeRequest& request,
                          const geosContext& context);

// a² as the core forms a product of two attributes: in single precision.
double coreSquare(double a);

}  // namespace verdalis::gis
