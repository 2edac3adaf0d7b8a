// Writing the GeoPackage and drawing the map of dProtConn.
#include "protconn/protconn_layers.h"

#include <algorithm>
#include <cmath>

#include "common/failure.h"
#include "common/gdal_handles.h"
#include "common/number_text.h"
#include "map/map_layout.h"
#include "protconn/protconn_tables.h"

namespace verdalis::gis {

namespace {
struct fieldSpec {
  std::string name;
  OGRFieldType type;
};

OGRLayer& createLayer(GDALDataset& dataset, const char* name, OGRSpatialReference* system,
                      const std::vector<fieldSpec>& fields, const std::string& path) {
  OGRLayer* layer = dataset.CreateLayer(name, system, wkbMultiPolygon, nullptr);
  if (!layer) inputError("cannot write " + path + ": " + CPLGetLastErrorMsg());
  for (const fieldSpec& f : fields) {
    OGRFieldDefn definition(f.name.c_str(), f.type);
    if (layer->CreateField(&definition) != OGRERR_NONE)
      inputError("cannot write the column " + f.name + " to " + path + ": " + CPLGetLastErrorMsg());
  }
  return *layer;
}

// A cell of the tables into its field: text, a whole number, a number, or
// no value for NA.
void setCell(OGRFeature& feature, int field, OGRFieldType type, const std::string& cell) {
  if (cell == "NA") feature.SetFieldNull(field);
  else if (type == OFTString) feature.SetField(field, cell.c_str());
  else if (type == OFTInteger64) feature.SetField(field, static_cast<GIntBig>(std::stoll(cell)));
  else feature.SetField(field, std::stod(cell));
}

void addFeature(OGRLayer& layer, OGRFeature& feature, const geosContext& context, const GEOSGeometry* outline,
                const std::string& path) {
  OGRGeometry* geometry = OGRGeometryFactory::createFromGEOS(context.get(), const_cast<GEOSGeometry*>(outline));
  if (!geometry) inputError("cannot write an outline to " + path);
  feature.SetGeometryDirectly(OGRGeometryFactory::forceToMultiPolygon(geometry));
  if (layer.CreateFeature(&feature) != OGRERR_NONE) inputError("cannot write " + path + ": " + CPLGetLastErrorMsg());
}

void writeUnits(GDALDataset& dataset, OGRSpatialReference* system, const runInputs& in,
                const std::vector<regionResult>& results, const geosContext& context, const std::string& path) {
  const std::string idName = in.options.areas.idField.empty() ? "pa_id" : in.options.areas.idField;
  const std::vector<fieldSpec> fields = {{"region", OFTString},          {idName, OFTInteger64},
                                         {"part", OFTInteger64},         {"area", OFTReal},
                                         {"distance", OFTReal},          {"dProtConn", OFTReal},
                                         {"dProtConn_intra", OFTReal},   {"dProtConn_flux", OFTReal},
                                         {"dProtConn_connector", OFTReal}};
  OGRLayer& layer = createLayer(dataset, "protected_units", system, fields, path);
  for (const regionResult& r : results)
    for (std::size_t k = 0; k < in.kernels.size(); ++k)
      for (std::size_t u = 0; u < r.inside; ++u) {
        const unitImportance i = importanceOf(r.distances[k], u);
        OGRFeature feature(layer.GetLayerDefn());
        feature.SetField(0, r.id.c_str());
        feature.SetField(1, static_cast<GIntBig>(r.unitId[u]));
        feature.SetField(2, static_cast<GIntBig>(r.unitPart[u]));
        const double values[] = {r.unitArea[u], in.kernels[k].distance, i.dProtConn, i.intra, i.flux, i.connector};
        for (int v = 0; v < 6; ++v) feature.SetField(3 + v, values[v]);
        addFeature(layer, feature, context, r.units[u].get(), path);
      }
}

void writeRegions(GDALDataset& dataset, OGRSpatialReference* system, const runInputs& in,
                  const std::vector<regionResult>& results, const geosContext& context, const std::string& path) {
  std::vector<fieldSpec> fields;
  for (const std::string& name : regionColumns())
    fields.push_back({name, name == "region" ? OFTString
                            : name == "nodes" || name == "transboundary_nodes" ? OFTInteger64
                                                                                : OFTReal});
  OGRLayer& layer = createLayer(dataset, "regions", system, fields, path);
  for (std::size_t r = 0; r < results.size(); ++r)
    for (std::size_t k = 0; k < in.kernels.size(); ++k) {
      const std::vector<std::string> row = regionRow(results[r], in.kernels[k], results[r].distances[k]);
      OGRFeature feature(layer.GetLayerDefn());
      for (std::size_t c = 0; c < row.size(); ++c) setCell(feature, static_cast<int>(c), fields[c].type, row[c]);
      addFeature(layer, feature, context, in.regions.regions[r].outline.get(), path);
    }
}

void writeGeoPackage(const stagedFile& target, const runInputs& in, const std::vector<regionResult>& results,
                     const geosContext& context) {
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
  if (!driver) inputError("this GDAL has no GeoPackage driver");
  CPLSetThreadLocalConfigOption("OGR_SQLITE_JOURNAL", "OFF");
  datasetPtr dataset(driver->Create(target.temporaryPath().c_str(), 0, 0, 0, GDT_Unknown, nullptr));
  if (!dataset) inputError("cannot write " + target.path() + ": " + CPLGetLastErrorMsg());
  OGRSpatialReference system;
  const bool known = !in.areas.crsWkt.empty() && system.importFromWkt(in.areas.crsWkt.c_str()) == OGRERR_NONE;
  system.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  dataset->StartTransaction();
  writeUnits(*dataset, known ? &system : nullptr, in, results, context, target.path());
  writeRegions(*dataset, known ? &system : nullptr, in, results, context, target.path());
  if (dataset->CommitTransaction() != OGRERR_NONE)
    inputError("cannot write " + target.path() + ": " + CPLGetLastErrorMsg());
}

// The map: the regions in pale grey, then the units by class, higher classes
// last so that an important unit is never hidden under a neighbour.
struct mapContent {
  const runInputs& in;
  const std::vector<regionResult>& results;
  const geosContext& context;
  std::vector<const GEOSGeometry*> units;
  std::vector<double> values;
};

void fillShape(cairo_t* cr, const mapContent& m, const GEOSGeometry* g, const mapLayout& l, colour fill, double shade) {
  cairo_new_path(cr);
  tracePolygons(cr, m.context, g, l.view);
  cairo_set_source_rgb(cr, fill.r, fill.g, fill.b);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, shade * fill.r, shade * fill.g, shade * fill.b);
  cairo_stroke(cr);
}

void drawProtconnMap(cairo_t* cr, const mapContent& m, const patchClasses& classes, const mapStyle& style,
                     const mapLayout& l) {
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  drawTitle(cr, l, style);
  cairo_save(cr);
  cairo_rectangle(cr, l.mapLeft, l.mapTop, l.mapWidth, l.mapHeight);
  cairo_clip(cr);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_width(cr, 0.8 * l.unit);
  for (const region& r : m.in.regions.regions) fillShape(cr, m, r.outline.get(), l, {0.94, 0.94, 0.92}, 0.6);
  std::vector<std::size_t> order(m.units.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return classes.classOfPatch[a] < classes.classOfPatch[b]; });
  cairo_set_line_width(cr, 0.6 * l.unit);
  for (std::size_t k : order)
    fillShape(cr, m, m.units[k], l, classColour(classes.classOfPatch[k], static_cast<int>(classes.upper.size())), 0.55);
  cairo_restore(cr);
  drawLegend(cr, l, classes, style);
  drawScaleBar(cr, l, m.in.areas.metresPerUnit);
}

envelope regionsBox(const runInputs& in, const geosContext& context) {
  envelope box = envelopeOf(context, in.regions.regions.front().outline.get());
  for (const region& r : in.regions.regions) box = enclosing(box, envelopeOf(context, r.outline.get()));
  return box;
}

void drawMaps(const std::vector<const stagedFile*>& images, mapContent& m) {
  for (const regionResult& r : m.results)
    for (std::size_t u = 0; u < r.inside; ++u) {
      m.units.push_back(r.units[u].get());
      m.values.push_back(importanceOf(r.distances.front(), u).dProtConn);
    }
  mapStyle style;
  style.column = "dProtConn";
  style.meaning = "% of the region's ProtConn lost when the protected unit is removed";
  style.breaks = breaksFor(skewness(m.values));
  const std::string& input = m.in.options.areas.input;
  const std::size_t slash = input.find_last_of('/');
  style.title = "dProtConn of the protected units \u2014 " + (slash == std::string::npos ? input : input.substr(slash + 1));
  style.subtitle = std::to_string(m.units.size()) + " units in " + std::to_string(m.results.size()) + " region" +
                   (m.results.size() == 1 ? "" : "s") + ", " + exactText(m.in.kernels.front().distance) +
                   " m at probability " + exactText(m.in.kernels.front().probability) + ", " + m.in.areas.crsName;
  const patchClasses classes = classify(m.values, style.classes, style.breaks);
  const mapLayout l = planLayout(regionsBox(m.in, m.context), style.width);
  for (const stagedFile* image : images)
    writeImage(*image, imageFormatOf(image->path()), static_cast<int>(l.width), static_cast<int>(l.height),
               [&](cairo_t* cr) { drawProtconnMap(cr, m, classes, style, l); });
}
}  // namespace

void writeLayersAndMap(const runInputs& in, const std::vector<regionResult>& results, const geosContext& context,
                       const stagedFile* geopackage, const stagedFile* png, const stagedFile* svg) {
  if (geopackage) writeGeoPackage(*geopackage, in, results, context);
  std::vector<const stagedFile*> images;
  for (const stagedFile* image : {png, svg})
    if (image) images.push_back(image);
  if (images.empty()) return;
  mapContent content{in, results, context, {}, {}};
  drawMaps(images, content);
}

}  // namespace verdalis::gis
