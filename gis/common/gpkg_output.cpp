// GeoPackage output of patches and links.
#include "common/gpkg_output.h"

#include <cmath>

#include "common/failure.h"
#include "common/gdal_handles.h"

namespace verdalis::gis {

geometryPtr insidePoint(const geosContext& context, const GEOSGeometry* outline) {
  return own(context, GEOSPointOnSurface_r(context.get(), outline));
}

namespace {
OGRLayer& createLayer(GDALDataset& dataset, const char* name, OGRSpatialReference* system,
                      OGRwkbGeometryType type, const std::vector<std::string>& wholeFields,
                      const std::vector<dataColumn>& columns, const std::string& path) {
  OGRLayer* layer = dataset.CreateLayer(name, system, type, nullptr);
  if (!layer) inputError("cannot write " + path + ": " + CPLGetLastErrorMsg());
  auto addField = [&](const std::string& field, OGRFieldType fieldType) {
    OGRFieldDefn definition(field.c_str(), fieldType);
    if (layer->CreateField(&definition) != OGRERR_NONE)
      inputError("cannot write the column " + field + " to " + path + ": " + CPLGetLastErrorMsg());
  };
  for (const std::string& field : wholeFields) addField(field, OFTInteger64);
  for (const dataColumn& column : columns) addField(column.name, column.kind == columnKind::whole ? OFTInteger64 : OFTReal);
  return *layer;
}

void setValues(OGRFeature& feature, int firstField, const std::vector<dataColumn>& columns, std::size_t row) {
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const double value = columns[c].values[row];
    const int field = firstField + static_cast<int>(c);
    if (std::isnan(value)) feature.SetFieldNull(field);
    else if (columns[c].kind == columnKind::whole) feature.SetField(field, static_cast<GIntBig>(value));
    else feature.SetField(field, value);
  }
}

void addFeature(OGRLayer& layer, OGRFeature& feature, OGRGeometry* geometry, const std::string& path) {
  feature.SetGeometryDirectly(geometry);
  if (layer.CreateFeature(&feature) != OGRERR_NONE)
    inputError("cannot write " + path + ": " + CPLGetLastErrorMsg());
}

void writePatches(GDALDataset& dataset, OGRSpatialReference* system, const patchSet& set,
                  const geosContext& context, const std::string& idName,
                  const std::vector<dataColumn>& columns, const std::string& path) {
  OGRLayer& layer = createLayer(dataset, "patches", system, wkbMultiPolygon, {idName}, columns, path);
  for (std::size_t k = 0; k < set.patches.size(); ++k) {
    OGRFeature feature(layer.GetLayerDefn());
    feature.SetField(0, static_cast<GIntBig>(set.patches[k].id));
    setValues(feature, 1, columns, k);
    OGRGeometry* outline = OGRGeometryFactory::createFromGEOS(context.get(), set.patches[k].outline.get());
    if (!outline) inputError("cannot write the outline of " + set.patches[k].origin + " to " + path);
    addFeature(layer, feature, OGRGeometryFactory::forceToMultiPolygon(outline), path);
  }
}

void writeLinks(GDALDataset& dataset, OGRSpatialReference* system, const patchSet& set,
                const geosContext& context, const patchLinks& links, const std::string& path) {
  OGRLayer& layer = createLayer(dataset, "links", system, wkbLineString, {"Node1", "Node2"}, links.columns, path);
  std::vector<OGRPoint> ends;
  for (const patch& p : set.patches) {
    geometryPtr point = insidePoint(context, p.outline.get());
    double x = 0, y = 0;
    GEOSGeomGetX_r(context.get(), point.get(), &x);
    GEOSGeomGetY_r(context.get(), point.get(), &y);
    ends.emplace_back(x, y);
  }
  for (std::size_t k = 0; k < links.from.size(); ++k) {
    OGRFeature feature(layer.GetLayerDefn());
    feature.SetField(0, static_cast<GIntBig>(set.patches[links.from[k]].id));
    feature.SetField(1, static_cast<GIntBig>(set.patches[links.to[k]].id));
    setValues(feature, 2, links.columns, k);
    auto* line = new OGRLineString();
    if (k < links.shapes.size() && !links.shapes[k].empty()) {
      for (const auto& [x, y] : links.shapes[k]) line->addPoint(x, y);
    } else {
      line->addPoint(&ends[links.from[k]]);
      line->addPoint(&ends[links.to[k]]);
    }
    addFeature(layer, feature, line, path);
  }
}
}  // namespace

void writePatchGeoPackage(const stagedFile& target, const patchSet& set, const geosContext& context,
                          const std::string& idName, const std::vector<dataColumn>& columns,
                          const patchLinks* links) {
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
  if (!driver) inputError("this GDAL has no GeoPackage driver");
  const std::string& path = target.path();
  // The file is a temporary one that a failure removes whole, so SQLite needs
  // no rollback journal; without one, an interrupt leaves no side file.
  CPLSetThreadLocalConfigOption("OGR_SQLITE_JOURNAL", "OFF");
  {
    datasetPtr dataset(driver->Create(target.temporaryPath().c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset) inputError("cannot write " + path + ": " + CPLGetLastErrorMsg());
    OGRSpatialReference system;
    const bool known = !set.crsWkt.empty() && system.importFromWkt(set.crsWkt.c_str()) == OGRERR_NONE;
    system.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    dataset->StartTransaction();
    writePatches(*dataset, known ? &system : nullptr, set, context, idName, columns, path);
    if (links) writeLinks(*dataset, known ? &system : nullptr, set, context, *links, path);
    if (dataset->CommitTransaction() != OGRERR_NONE) inputError("cannot write " + path + ": " + CPLGetLastErrorMsg());
  }
}

}  // namespace verdalis::gis
