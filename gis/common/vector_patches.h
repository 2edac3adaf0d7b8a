#pragma once
// Patches from a polygon layer that GDAL/OGR reads (GeoPackage, Shapefile,
// GeoJSON, ...): one patch per feature that passes the --where filter.
// Reading is linear in the number of vertices.
#include <string>

#include "common/gdal_handles.h"
#include "common/patch_options.h"
#include "common/patch_set.h"

namespace verdalis::gis {

// The patches in feature order, their outlines valid and in the measuring
// system; the attribute is the field's value, or 0 when the area is wanted
// (measured once outlines are final).
patchSet readVectorPatches(const patchSourceOptions& options, const geosContext& context);

// The parts of reading that other layers share (the regions of
// verdalis-protconn): the file opened as a vector dataset, the layer chosen
// by options.layer (the only one otherwise), and a field's index, refused
// with the list of fields when missing; numericOnly also refuses text.
datasetPtr openVector(const std::string& input);
OGRLayer& chooseLayer(GDALDataset& dataset, const patchSourceOptions& options);
int fieldIndex(OGRLayer& layer, const std::string& field, bool numericOnly);

// "a, b": the names of the layers of a file, for messages.
std::string layerNames(GDALDataset& dataset);

}  // namespace verdalis::gis
