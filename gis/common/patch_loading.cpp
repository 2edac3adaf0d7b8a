// Loading, merging and checking the patches of an input.
#include "common/patch_loading.h"

#include <algorithm>

#include "common/dissolve.h"
#include "common/failure.h"
#include "common/raster_patches.h"
#include "common/vector_patches.h"

namespace verdalis::gis {

namespace {
void sortUnique(std::vector<patch>& patches) {
  std::stable_sort(patches.begin(), patches.end(), [](const patch& a, const patch& b) { return a.id < b.id; });
  for (std::size_t k = 1; k < patches.size(); ++k)
    if (patches[k].id == patches[k - 1].id)
      inputError("identifier " + std::to_string(patches[k].id) + " is used by " + patches[k - 1].origin +
                 " and by " + patches[k].origin + "; identifiers must be unique");
}

void measureAreas(patchSet& set, const geosContext& context, areaUnit unit) {
  const double scale = set.metresPerUnit * set.metresPerUnit / squareMetresPerUnit(unit);
  for (patch& p : set.patches) {
    double area = 0.0;
    GEOSArea_r(context.get(), p.outline.get(), &area);
    p.attribute = area * scale;
  }
}
}  // namespace

envelope boundingBoxOf(const std::vector<patch>& patches, const geosContext& context) {
  envelope all = envelopeOf(context, patches.front().outline.get());
  for (const patch& p : patches) all = enclosing(all, envelopeOf(context, p.outline.get()));
  return all;
}

patchSet loadPatches(const patchSourceOptions& o, const geosContext& context) {
  const bool raster = !o.habitat.empty();
  patchSet set = raster ? readRasterPatches(o, context) : readVectorPatches(o, context);
  sortUnique(set.patches);
  if (o.dissolve) {
    set.polygonsBeforeDissolve = set.patches.size();
    dissolvePatches(set, context, !o.attributeField.empty());
    std::sort(set.patches.begin(), set.patches.end(), [](const patch& a, const patch& b) { return a.id < b.id; });
  }
  if (!raster && o.attributeField.empty()) measureAreas(set, context, o.unit);
  if (set.patches.empty())
    inputError("no patch in " + o.input +
               (raster ? " (no group of the habitat classes" + std::string(o.minArea ? " of at least --min-area" : "") + ")"
                       : o.where.empty() ? "" : " matches --where"));
  if (!raster) set.extent = boundingBoxOf(set.patches, context);
  if (set.patches.back().id > 16777216)
    inputError("the raster has more than 16777216 groups, beyond the identifiers Verdalis reads exactly");
  set.attributeText = o.attributeField.empty() ? std::string("area in ") + unitName(o.unit)
                                               : "field " + o.attributeField + (o.dissolve ? " (summed over merged polygons)" : "");
  return set;
}

}  // namespace verdalis::gis
