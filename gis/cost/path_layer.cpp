// Writing and reading the GeoPackage of least-cost paths.
#include "cost/path_layer.h"

#include <unistd.h>

#include "common/failure.h"
#include "common/gdal_handles.h"

namespace verdalis::gis {

void writePathLayer(const stagedFile& target, const std::string& crsWkt, const std::vector<leastCostPath>& paths) {
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
  if (!driver) inputError("this GDAL has no GeoPackage driver");
  const std::string& name = target.path();
  CPLSetThreadLocalConfigOption("OGR_SQLITE_JOURNAL", "OFF");
  datasetPtr dataset(driver->Create(target.temporaryPath().c_str(), 0, 0, 0, GDT_Unknown, nullptr));
  if (!dataset) inputError("cannot write " + name + ": " + CPLGetLastErrorMsg());
  OGRSpatialReference system;
  const bool known = !crsWkt.empty() && system.importFromWkt(crsWkt.c_str()) == OGRERR_NONE;
  system.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  OGRLayer* layer = dataset->CreateLayer("paths", known ? &system : nullptr, wkbLineString, nullptr);
  if (!layer) inputError("cannot write " + name + ": " + CPLGetLastErrorMsg());
  for (const auto& [field, type] : {std::pair<const char*, OGRFieldType>{"Node1", OFTInteger64}, {"Node2", OFTInteger64},
                                    {"cost", OFTReal}, {"length", OFTReal}}) {
    OGRFieldDefn definition(field, type);
    if (layer->CreateField(&definition) != OGRERR_NONE) inputError("cannot write " + name + ": " + CPLGetLastErrorMsg());
  }
  dataset->StartTransaction();
  for (const leastCostPath& p : paths) {
    OGRFeature feature(layer->GetLayerDefn());
    feature.SetField(0, static_cast<GIntBig>(p.node1));
    feature.SetField(1, static_cast<GIntBig>(p.node2));
    feature.SetField(2, p.cost);
    feature.SetField(3, p.length);
    auto* line = new OGRLineString();
    for (const auto& [x, y] : p.points) line->addPoint(x, y);
    feature.SetGeometryDirectly(line);
    if (layer->CreateFeature(&feature) != OGRERR_NONE) inputError("cannot write " + name + ": " + CPLGetLastErrorMsg());
  }
  if (dataset->CommitTransaction() != OGRERR_NONE) inputError("cannot write " + name + ": " + CPLGetLastErrorMsg());
}

namespace {
OGRLayer& pathsOf(GDALDataset& dataset, const std::string& path) {
  OGRLayer* layer = dataset.GetLayerByName("paths");
  if (!layer && dataset.GetLayerCount() == 1) layer = dataset.GetLayer(0);
  if (!layer) inputError(path + " has no layer paths (the least-cost paths that verdalis-prep writes with --paths)");
  OGRFeatureDefn& fields = *layer->GetLayerDefn();
  if (fields.GetFieldIndex("Node1") < 0 || fields.GetFieldIndex("Node2") < 0)
    inputError("layer " + std::string(layer->GetName()) + " of " + path +
               " has no fields Node1 and Node2 (the identifiers of the two patches of each path)");
  return *layer;
}

void addPoints(const OGRGeometry* g, leastCostPath& p) {
  if (!g) return;
  const OGRwkbGeometryType type = wkbFlatten(g->getGeometryType());
  if (type == wkbLineString) {
    const auto* line = g->toLineString();
    for (int k = 0; k < line->getNumPoints(); ++k) p.points.emplace_back(line->getX(k), line->getY(k));
  } else if (type == wkbMultiLineString) {
    for (const OGRLineString* part : *g->toMultiLineString()) addPoints(part, p);
  }
}
}  // namespace

std::vector<leastCostPath> readPathLayer(const std::string& path) {
  datasetPtr dataset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
  if (!dataset) {
    if (::access(path.c_str(), R_OK) != 0) inputError("cannot read " + path + ": no such file or not readable");
    inputError(path + " is not a layer that GDAL can read");
  }
  OGRLayer& layer = pathsOf(*dataset, path);
  const int first = layer.GetLayerDefn()->GetFieldIndex("Node1"), second = layer.GetLayerDefn()->GetFieldIndex("Node2");
  const int cost = layer.GetLayerDefn()->GetFieldIndex("cost"), length = layer.GetLayerDefn()->GetFieldIndex("length");
  std::vector<leastCostPath> paths;
  layer.ResetReading();
  for (featurePtr feature(layer.GetNextFeature()); feature; feature.reset(layer.GetNextFeature())) {
    leastCostPath p;
    p.node1 = feature->GetFieldAsInteger64(first);
    p.node2 = feature->GetFieldAsInteger64(second);
    if (cost >= 0) p.cost = feature->GetFieldAsDouble(cost);
    if (length >= 0) p.length = feature->GetFieldAsDouble(length);
    addPoints(feature->GetGeometryRef(), p);
    if (p.points.size() >= 2) paths.push_back(std::move(p));
  }
  return paths;
}

}  // namespace verdalis::gis
