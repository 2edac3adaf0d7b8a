// Reading a polygon layer: choosing the layer and fields, then one patch per
// feature with its identifier, attribute and checked outline.
#include "common/vector_patches.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "common/crs.h"
#include "common/failure.h"
#include "common/outline_checks.h"
#include "support/progress.h"

namespace verdalis::gis {

std::string layerNames(GDALDataset& dataset) {
  std::string names;
  for (int k = 0; k < dataset.GetLayerCount(); ++k)
    names += std::string(k ? ", " : "") + dataset.GetLayer(k)->GetName();
  return names;
}

datasetPtr openVector(const std::string& input) {
  datasetPtr dataset(GDALDataset::Open(input.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
  if (dataset) return dataset;
  if (::access(input.c_str(), R_OK) != 0) inputError("cannot read " + input + ": no such file or not readable");
  datasetPtr raster(GDALDataset::Open(input.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
  if (raster) inputError(input + " is a raster: give its habitat classes with --habitat");
  inputError(input + " is not a layer that GDAL can read");
}

OGRLayer& chooseLayer(GDALDataset& dataset, const patchSourceOptions& o) {
  if (!o.layer.empty()) {
    OGRLayer* layer = dataset.GetLayerByName(o.layer.c_str());
    if (!layer) inputError("no layer \"" + o.layer + "\" in " + o.input + "; its layers: " + layerNames(dataset));
    return *layer;
  }
  if (dataset.GetLayerCount() == 0) inputError(o.input + " holds no layer");
  if (dataset.GetLayerCount() > 1)
    inputError(o.input + " holds " + std::to_string(dataset.GetLayerCount()) +
               " layers; choose one with --layer: " + layerNames(dataset));
  return *dataset.GetLayer(0);
}

int fieldIndex(OGRLayer& layer, const std::string& field, bool numericOnly) {
  OGRFeatureDefn& definition = *layer.GetLayerDefn();
  const int index = definition.GetFieldIndex(field.c_str());
  if (index < 0) {
    std::string names;
    for (int k = 0; k < definition.GetFieldCount(); ++k)
      names += std::string(k ? ", " : "") + definition.GetFieldDefn(k)->GetNameRef();
    inputError("no field \"" + field + "\" in layer " + layer.GetName() + "; its fields: " +
               (names.empty() ? "none" : names));
  }
  const OGRFieldType type = definition.GetFieldDefn(index)->GetType();
  const bool numeric = type == OFTInteger || type == OFTInteger64 || type == OFTReal;
  if (!numeric && (numericOnly || type != OFTString))
    inputError("field \"" + field + "\" of layer " + layer.GetName() + " is not numeric");
  return index;
}

namespace {
void checkGeometryType(OGRLayer& layer) {
  const OGRwkbGeometryType type = wkbFlatten(layer.GetGeomType());
  if (type == wkbPoint || type == wkbMultiPoint || type == wkbLineString ||
      type == wkbMultiLineString || type == wkbCircularString || type == wkbCompoundCurve ||
      type == wkbMultiCurve)
    inputError(std::string("layer ") + layer.GetName() + " holds " + OGRGeometryTypeToName(type) +
               " geometries where polygons are expected");
}

// Identifiers must be whole numbers that Verdalis reads exactly: it stores
// them in single precision, where integers are exact up to 2^24.
std::int64_t identifierOf(OGRFeature& feature, int index, const std::string& origin) {
  if (index < 0) {
    if (feature.GetFID() > 16777216)
      inputError(origin + ": feature IDs beyond 16777216 cannot serve as identifiers; name a field with --id");
    return feature.GetFID();
  }
  if (!feature.IsFieldSetAndNotNull(index)) inputError(origin + " has no identifier");
  const OGRFieldType type = feature.GetFieldDefnRef(index)->GetType();
  double value = 0.0;
  if (type == OFTInteger || type == OFTInteger64) {
    value = static_cast<double>(feature.GetFieldAsInteger64(index));
  } else {
    const char* text = feature.GetFieldAsString(index);
    char* end = nullptr;
    value = std::strtod(text, &end);
    if (*text == '\0' || *end != '\0' || !std::isfinite(value) || value != std::floor(value))
      inputError(origin + " has the identifier \"" + text + "\", which is not a whole number");
  }
  if (std::fabs(value) > 16777216.0)
    inputError(origin + " has the identifier " + feature.GetFieldAsString(index) +
               ", beyond 16777216 (in size), the largest whole number Verdalis reads exactly");
  return static_cast<std::int64_t>(value);
}

double attributeOf(OGRFeature& feature, int index, const std::string& origin, const std::string& field) {
  if (index < 0) return 0.0;
  if (!feature.IsFieldSetAndNotNull(index)) inputError(origin + " has no value in field " + field);
  const double value = feature.GetFieldAsDouble(index);
  if (!std::isfinite(value) || value < 0)
    inputError(origin + " has the attribute " + feature.GetFieldAsString(index) + " in field " + field +
               "; attributes must be 0 or more");
  return value;
}
}  // namespace

patchSet readVectorPatches(const patchSourceOptions& o, const geosContext& context) {
  datasetPtr dataset = openVector(o.input);
  OGRLayer& layer = chooseLayer(*dataset, o);
  checkGeometryType(layer);
  const int idIndex = o.idField.empty() ? -1 : fieldIndex(layer, o.idField, false);
  const int attributeIndex = o.attributeField.empty() ? -1 : fieldIndex(layer, o.attributeField, true);
  if (!o.where.empty() && layer.SetAttributeFilter(o.where.c_str()) != OGRERR_NONE)
    commandLineError("--where \"" + o.where + "\" is not a valid filter of layer " + layer.GetName() +
                     ": " + CPLGetLastErrorMsg());
  measuringSystem system = chooseSystem(layer.GetSpatialRef(), o.targetCrs,
                                        std::string("layer ") + layer.GetName());
  patchSet set;
  set.crsWkt = system.wkt;
  set.crsName = system.name;
  set.metresPerUnit = system.metresPerUnit;
  layer.ResetReading();
  CPLErrorReset();
  // The count is left unknown (0) when a driver would have to read the layer for it.
  progressPhase phase(std::string("Reading layer ") + layer.GetName(), std::max<GIntBig>(0, layer.GetFeatureCount(FALSE)));
  for (featurePtr feature(layer.GetNextFeature()); feature; feature.reset(layer.GetNextFeature()), runProgress().advance(1)) {
    std::string origin = "feature " + std::to_string(feature->GetFID());
    if (idIndex >= 0) origin += " (" + o.idField + " " + feature->GetFieldAsString(idIndex) + ")";
    patch p;
    p.id = identifierOf(*feature, idIndex, origin);
    p.attribute = attributeOf(*feature, attributeIndex, origin, o.attributeField);
    geometryPtr outline = polygonsOfFeature(context, feature->GetGeometryRef(), origin);
    if (system.reprojection) {
      outline = reproject(context, outline.get(), *system.reprojection);
      if (!outline) inputError(origin + " cannot be reprojected to " + system.name);
    }
    p.outline = validOutline(context, std::move(outline), origin);
    p.origin = std::move(origin);
    set.patches.push_back(std::move(p));
  }
  // Some drivers (GeoPackage among them) only find a bad filter when reading.
  if (CPLGetLastErrorType() == CE_Failure) {
    if (!o.where.empty() && set.patches.empty())
      commandLineError("--where \"" + o.where + "\" is not a valid filter of layer " + layer.GetName() + ": " +
                       CPLGetLastErrorMsg());
    inputError(std::string("cannot read layer ") + layer.GetName() + " of " + o.input + ": " + CPLGetLastErrorMsg());
  }
  return set;
}

}  // namespace verdalis::gis
