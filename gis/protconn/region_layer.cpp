// Reading the region layer.
#include "protconn/region_layer.h"

#include <map>

#include "common/crs.h"
#include "common/failure.h"
#include "common/outline_checks.h"
#include "common/vector_patches.h"

namespace verdalis::gis {

namespace {
// The system the regions are read into: the protected areas' own (or --to),
// so that both are measured alike; a region layer without one is taken to be
// in it, with a warning.
measuringSystem regionSystem(const OGRSpatialReference* source, const patchSet& areas, const std::string& targetCrs,
                             const std::string& what, bool& reprojected) {
  const std::string target = !targetCrs.empty() ? targetCrs : areas.crsWkt;
  reprojected = false;
  if (target.empty() || !source) {
    if (!source && !target.empty())
      warn(what + " has no coordinate reference system; its coordinates are taken in the system of the protected "
                  "areas, " + areas.crsName);
    if (!source) return measuringSystem{};
    return chooseSystem(source, "", what);
  }
  OGRSpatialReference wanted;
  wanted.SetFromUserInput(target.c_str());
  if (source->IsSame(&wanted)) return chooseSystem(source, "", what);
  reprojected = true;
  return chooseSystem(source, target, what);
}

std::vector<region> chosenRegions(std::vector<region> all, const regionSource& o) {
  if (o.chosen.empty()) return all;
  std::map<std::string, std::size_t> position;
  for (std::size_t k = 0; k < all.size(); ++k) position[all[k].id] = k;
  std::vector<region> chosen;
  for (const std::string& id : o.chosen) {
    const auto found = position.find(id);
    if (found == position.end()) {
      std::string known;
      for (std::size_t k = 0; k < all.size() && k < 10; ++k) known += (k ? ", " : "") + all[k].id;
      inputError("no region " + id + " in " + o.input + " (field " + o.idField + "); its regions: " + known +
                 (all.size() > 10 ? ", ... (" + std::to_string(all.size()) + " in all)" : ""));
    }
    if (!all[found->second].outline) commandLineError("--region names " + id + " twice");
    chosen.push_back(std::move(all[found->second]));
  }
  return chosen;
}
}  // namespace

regionSet readRegions(const regionSource& o, const patchSet& areas, const std::string& targetCrs,
                      const geosContext& context) {
  datasetPtr dataset = openVector(o.input);
  patchSourceOptions layerChoice;
  layerChoice.input = o.input;
  layerChoice.layer = o.layer;
  OGRLayer& layer = chooseLayer(*dataset, layerChoice);
  const int idIndex = fieldIndex(layer, o.idField, false);
  regionSet set;
  const OGRSpatialReference* source = layer.GetSpatialRef();
  set.crsName = source ? describeSystem(*source) : "no coordinate system";
  measuringSystem system =
      regionSystem(source, areas, targetCrs, std::string("region layer ") + layer.GetName(), set.reprojected);
  std::map<std::string, std::string> seen;
  layer.ResetReading();
  CPLErrorReset();
  for (featurePtr feature(layer.GetNextFeature()); feature; feature.reset(layer.GetNextFeature())) {
    region r;
    r.origin = "region feature " + std::to_string(feature->GetFID());
    if (!feature->IsFieldSetAndNotNull(idIndex)) inputError(r.origin + " has no value in field " + o.idField);
    r.id = feature->GetFieldAsString(idIndex);
    r.origin += " (" + o.idField + " " + r.id + ")";
    const auto [earlier, fresh] = seen.emplace(r.id, r.origin);
    if (!fresh)
      inputError("region " + r.id + " is named by " + earlier->second + " and by " + r.origin +
                 "; the values of " + o.idField + " must be unique");
    geometryPtr outline = polygonsOfFeature(context, feature->GetGeometryRef(), r.origin);
    if (system.reprojection) {
      outline = reproject(context, outline.get(), *system.reprojection);
      if (!outline) inputError(r.origin + " cannot be reprojected to " + areas.crsName);
    }
    r.outline = validOutline(context, std::move(outline), r.origin);
    set.regions.push_back(std::move(r));
  }
  if (CPLGetLastErrorType() == CE_Failure)
    inputError(std::string("cannot read layer ") + layer.GetName() + " of " + o.input + ": " + CPLGetLastErrorMsg());
  if (set.regions.empty()) inputError("no region in " + o.input);
  set.regions = chosenRegions(std::move(set.regions), o);
  return set;
}

}  // namespace verdalis::gis
