// Listing the layers and fields of a vector file, or the classes of a raster.
#include "prep/layer_fields.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <map>
#include <vector>

#include "common/crs.h"
#include "common/failure.h"
#include "common/gdal_handles.h"
#include "common/number_text.h"
#include "common/vector_patches.h"
#include "support/numfmt.h"

namespace verdalis::gis {

namespace {
// Samples come from the first features only, so that a listing stays quick.
constexpr int kSampledFeatures = 1000;
// A land-cover raster has a few classes; beyond this the band is not one.
constexpr std::size_t kListedClasses = 40;

std::string systemText(const OGRSpatialReference* system) {
  return system ? describeSystem(*system) : "no coordinate system";
}

std::vector<std::string> sampleValues(OGRLayer& layer) {
  const int fields = layer.GetLayerDefn()->GetFieldCount();
  std::vector<std::string> samples(static_cast<std::size_t>(fields));
  int found = 0, read = 0;
  layer.ResetReading();
  for (featurePtr f(layer.GetNextFeature()); f && found < fields && read < kSampledFeatures;
       f.reset(layer.GetNextFeature()), ++read)
    for (int k = 0; k < fields; ++k) {
      if (!samples[k].empty() || !f->IsFieldSetAndNotNull(k)) continue;
      const bool text = f->GetFieldDefnRef(k)->GetType() == OFTString;
      samples[k] = text ? "\"" + std::string(f->GetFieldAsString(k)) + "\"" : f->GetFieldAsString(k);
      ++found;
    }
  for (std::string& sample : samples)
    if (sample.empty()) sample = "(none in the first " + std::to_string(kSampledFeatures) + " features)";
  return samples;
}

void listLayer(OGRLayer& layer) {
  const GIntBig count = layer.GetFeatureCount(TRUE);
  std::cout << "Layer " << layer.GetName() << ": " << count << " feature" << (count == 1 ? "" : "s") << ", "
            << OGRGeometryTypeToName(layer.GetGeomType()) << ", " << systemText(layer.GetSpatialRef()) << "\n";
  OGRFeatureDefn& definition = *layer.GetLayerDefn();
  const std::vector<std::string> samples = sampleValues(layer);
  std::size_t nameWidth = 5, typeWidth = 4;
  for (int k = 0; k < definition.GetFieldCount(); ++k) {
    nameWidth = std::max(nameWidth, std::string(definition.GetFieldDefn(k)->GetNameRef()).size());
    typeWidth = std::max(typeWidth, std::string(OGRFieldDefn::GetFieldTypeName(definition.GetFieldDefn(k)->GetType())).size());
  }
  auto row = [&](const std::string& name, const std::string& type, const std::string& sample) {
    std::cout << "  " << name << std::string(nameWidth + 2 - name.size(), ' ') << type
              << std::string(typeWidth + 2 - type.size(), ' ') << sample << "\n";
  };
  if (definition.GetFieldCount() == 0) std::cout << "  (no field: the patches are named by their feature IDs)\n";
  else row("Field", "Type", "Sample");
  for (int k = 0; k < definition.GetFieldCount(); ++k)
    row(definition.GetFieldDefn(k)->GetNameRef(), OGRFieldDefn::GetFieldTypeName(definition.GetFieldDefn(k)->GetType()),
        samples[k]);
}

// The class values of the first band and their pixel counts; empty when
// the band has more distinct values than a land-cover raster would.
std::map<double, long long> classCounts(GDALRasterBand& band) {
  int hasNoData = 0;
  const double noData = band.GetNoDataValue(&hasNoData);
  const int width = band.GetXSize();
  std::vector<double> row(static_cast<std::size_t>(width));
  std::map<double, long long> counts;
  for (int y = 0; y < band.GetYSize(); ++y) {
    if (band.RasterIO(GF_Read, 0, y, width, 1, row.data(), width, 1, GDT_Float64, 0, 0, nullptr) != CE_None)
      inputError("cannot read row " + std::to_string(y) + " of the raster: " + CPLGetLastErrorMsg());
    for (double v : row)
      if (!(hasNoData && (v == noData || (std::isnan(v) && std::isnan(noData))))) ++counts[v];
    if (counts.size() > kListedClasses) return {};
  }
  return counts;
}

void listRaster(GDALDataset& raster, const std::string& input) {
  double t[6] = {0, 1, 0, 0, 0, -1};
  const bool placed = raster.GetGeoTransform(t) == CE_None;
  GDALRasterBand& band = *raster.GetRasterBand(1);
  std::cout << input << ": a raster of " << band.GetXSize() << " by " << band.GetYSize() << " pixels";
  if (placed) std::cout << " of " << roundedText(std::hypot(t[1], t[4]), 6) << " by " << roundedText(std::hypot(t[2], t[5]), 6);
  std::cout << ", " << raster.GetRasterCount() << " band" << (raster.GetRasterCount() == 1 ? "" : "s") << " ("
            << GDALGetDataTypeName(band.GetRasterDataType()) << "), " << systemText(raster.GetSpatialRef()) << "\n";
  const std::map<double, long long> counts = classCounts(band);
  if (counts.empty()) {
    std::cout << "  band 1 has more than " << kListedClasses << " distinct values: it does not look like land cover\n";
    return;
  }
  std::cout << "  class values of band 1 (pixels):";
  for (const auto& [value, pixels] : counts) std::cout << " " << toText(value) << " (" << pixels << ")";
  std::cout << "\n  read it with --habitat V[,V...], the class values of the habitat\n";
}
}  // namespace

void listFields(const std::string& input, const std::string& layer) {
  datasetPtr vector(GDALDataset::Open(input.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
  if (!vector) {
    if (::access(input.c_str(), R_OK) != 0) inputError("cannot read " + input + ": no such file or not readable");
    datasetPtr raster(GDALDataset::Open(input.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    if (!raster || raster->GetRasterCount() < 1) inputError(input + " is neither a layer nor a raster that GDAL can read");
    listRaster(*raster, input);
    return;
  }
  std::vector<OGRLayer*> chosen;
  for (int k = 0; k < vector->GetLayerCount(); ++k)
    if (layer.empty() || layer == vector->GetLayer(k)->GetName()) chosen.push_back(vector->GetLayer(k));
  if (chosen.empty() && !layer.empty())
    inputError("no layer \"" + layer + "\" in " + input + "; its layers: " + layerNames(*vector));
  std::cout << input << ": " << vector->GetLayerCount() << " layer" << (vector->GetLayerCount() == 1 ? "" : "s") << "\n";
  for (OGRLayer* l : chosen) listLayer(*l);
  std::cout << "--id takes a field of unique whole numbers (default: the feature IDs), --attribute a numeric field "
               "(default: the area)\n";
}

}  // namespace verdalis::gis
