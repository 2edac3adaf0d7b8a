#pragma once
// Owning handles of GDAL objects.
#include <gdal_priv.h>
#include <ogr_feature.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <memory>

namespace verdalis::gis {

struct datasetCloser {
  void operator()(GDALDataset* d) const { GDALClose(GDALDataset::ToHandle(d)); }
};
using datasetPtr = std::unique_ptr<GDALDataset, datasetCloser>;

struct featureDeleter {
  void operator()(OGRFeature* f) const { OGRFeature::DestroyFeature(f); }
};
using featurePtr = std::unique_ptr<OGRFeature, featureDeleter>;

struct ogrGeometryDeleter {
  void operator()(OGRGeometry* g) const { OGRGeometryFactory::destroyGeometry(g); }
};
using ogrGeometryPtr = std::unique_ptr<OGRGeometry, ogrGeometryDeleter>;

struct transformationDeleter {
  void operator()(OGRCoordinateTransformation* t) const {
    OGRCoordinateTransformation::DestroyCT(t);
  }
};
using transformationPtr = std::unique_ptr<OGRCoordinateTransformation, transformationDeleter>;

}  // namespace verdalis::gis
