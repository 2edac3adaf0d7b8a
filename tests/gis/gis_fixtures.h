#pragma once
// What the tests of the GIS companions share: a temporary folder, small
// layers and rasters written with GDAL from well-known text, and running the
// built programs with their output captured.
#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogrsf_frmts.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace gistest {

namespace fs = std::filesystem;

inline std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void writeFile(const fs::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

class tempFolder {
 public:
  tempFolder() {
    std::string pattern = (fs::temp_directory_path() / "verdalis_gis_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "no temporary folder";
    root_ = pattern;
  }
  ~tempFolder() { fs::remove_all(root_); }
  tempFolder(const tempFolder&) = delete;
  tempFolder& operator=(const tempFolder&) = delete;
  fs::path operator/(const std::string& name) const { return root_ / name; }
  const fs::path& path() const { return root_; }
  // The names of the files in the folder, sorted.
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  fs::path root_;
};

struct fieldDefinition {
  std::string name;
  OGRFieldType type;
};

// A feature: its geometry as well-known text ("" for none) and its field
// values as text, in the order of the fields ("" leaves a field unset).
struct featureDefinition {
  std::string wkt;
  std::vector<std::string> values;
};

// Writes a layer (the driver by name: "GPKG", "GeoJSON", "ESRI Shapefile");
// a GeoPackage may take several layers through repeated calls. epsg 0: no
// coordinate system.
inline void writeLayer(const fs::path& file, const std::string& driverName, const std::string& layerName, int epsg,
                       const std::vector<fieldDefinition>& fields, const std::vector<featureDefinition>& features,
                       OGRwkbGeometryType type = wkbUnknown) {
  GDALAllRegister();
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName.c_str());
  GDALDataset* dataset = fs::exists(file) ? GDALDataset::Open(file.c_str(), GDAL_OF_VECTOR | GDAL_OF_UPDATE)
                                          : driver->Create(file.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
  ASSERT_NE(dataset, nullptr) << file;
  OGRSpatialReference system;
  if (epsg) system.importFromEPSG(epsg);
  OGRLayer* layer = dataset->CreateLayer(layerName.c_str(), epsg ? &system : nullptr, type, nullptr);
  ASSERT_NE(layer, nullptr);
  for (const fieldDefinition& field : fields) {
    OGRFieldDefn definition(field.name.c_str(), field.type);
    ASSERT_EQ(layer->CreateField(&definition), OGRERR_NONE);
  }
  for (const featureDefinition& wanted : features) {
    OGRFeature feature(layer->GetLayerDefn());
    for (std::size_t k = 0; k < wanted.values.size(); ++k)
      if (!wanted.values[k].empty()) feature.SetField(static_cast<int>(k), wanted.values[k].c_str());
    if (!wanted.wkt.empty()) {
      OGRGeometry* geometry = nullptr;
      ASSERT_EQ(OGRGeometryFactory::createFromWkt(wanted.wkt.c_str(), nullptr, &geometry), OGRERR_NONE) << wanted.wkt;
      feature.SetGeometryDirectly(geometry);
    }
    ASSERT_EQ(layer->CreateFeature(&feature), OGRERR_NONE);
  }
  GDALClose(dataset);
}

// A one-band byte GeoTIFF of rows of class values, north up, with square
// pixels of the given size and the top-left corner at (left, top).
inline void writeRaster(const fs::path& file, const std::vector<std::vector<int>>& rows, double pixel, double left,
                        double top, int epsg) {
  GDALAllRegister();
  const int height = static_cast<int>(rows.size()), width = static_cast<int>(rows.front().size());
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
  GDALDataset* dataset = driver->Create(file.c_str(), width, height, 1, GDT_Byte, nullptr);
  ASSERT_NE(dataset, nullptr);
  double transform[6] = {left, pixel, 0, top, 0, -pixel};
  dataset->SetGeoTransform(transform);
  OGRSpatialReference system;
  system.importFromEPSG(epsg);
  dataset->SetSpatialRef(&system);
  std::vector<unsigned char> cells;
  for (const auto& row : rows)
    for (int v : row) cells.push_back(static_cast<unsigned char>(v));
  ASSERT_EQ(dataset->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, width, height, cells.data(), width, height, GDT_Byte,
                                                0, 0, nullptr),
            CE_None);
  GDALClose(dataset);
}

struct runResult {
  int status = -1;
  std::string out, err;
};

inline std::string quoted(const std::string& word) {
  std::string text = "'";
  for (char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return text + "'";
}

// Runs a program in a folder with its standard output and error kept.
inline runResult run(const std::string& program, const std::vector<std::string>& args, const fs::path& folder) {
  std::string command = "cd " + quoted(folder.string()) + " && " + quoted(program);
  for (const std::string& arg : args) command += " " + quoted(arg);
  const fs::path out = folder / ".stdout", err = folder / ".stderr";
  command += " >" + quoted(out.string()) + " 2>" + quoted(err.string());
  const int raw = std::system(command.c_str());
  runResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = readFile(out);
  result.err = readFile(err);
  fs::remove(out);
  fs::remove(err);
  return result;
}

inline runResult prep(const std::vector<std::string>& args, const fs::path& folder) {
  return run(VERDALIS_PREP, args, folder);
}
inline runResult map(const std::vector<std::string>& args, const fs::path& folder) {
  return run(VERDALIS_MAP, args, folder);
}

// The attribute of the first node and the distance of the first pair that
// prep wrote in a folder.
struct firstValues {
  double attribute = 0, distance = 0;
};
inline firstValues readFirstValues(const fs::path& folder) {
  std::istringstream nodes(readFile(folder / "n.txt")), connections(readFile(folder / "c.txt"));
  long id = 0, other = 0;
  firstValues first;
  nodes >> id >> first.attribute;
  connections >> id >> other >> first.distance;
  return first;
}

// Squares and polygons of the tests, in metres (EPSG:3067).
inline std::string square(double left, double bottom, double side) {
  std::ostringstream wkt;
  wkt << "POLYGON((" << left << " " << bottom << "," << left + side << " " << bottom << "," << left + side << " "
      << bottom + side << "," << left << " " << bottom + side << "," << left << " " << bottom << "))";
  return wkt.str();
}

}  // namespace gistest

namespace gistest {

// A GeoTIFF of 32-bit floats, one band per entry of bands (each a list of
// rows), north up, square pixels; epsg 0: no coordinate system; a NaN cell
// is written as the no-data value -9999.
inline void writeFloatRaster(const fs::path& file, const std::vector<std::vector<std::vector<float>>>& bands,
                             double pixel, double left, double top, int epsg) {
  GDALAllRegister();
  const auto& first = bands.front();
  const int height = static_cast<int>(first.size()), width = static_cast<int>(first.front().size());
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
  GDALDataset* dataset = driver->Create(file.c_str(), width, height, static_cast<int>(bands.size()), GDT_Float32, nullptr);
  ASSERT_NE(dataset, nullptr);
  double transform[6] = {left, pixel, 0, top, 0, -pixel};
  dataset->SetGeoTransform(transform);
  if (epsg) {
    OGRSpatialReference system;
    system.importFromEPSG(epsg);
    dataset->SetSpatialRef(&system);
  }
  for (std::size_t b = 0; b < bands.size(); ++b) {
    std::vector<float> cells;
    for (const auto& row : bands[b])
      for (float v : row) cells.push_back(v != v ? -9999.0f : v);
    GDALRasterBand* band = dataset->GetRasterBand(static_cast<int>(b) + 1);
    band->SetNoDataValue(-9999);
    ASSERT_EQ(band->RasterIO(GF_Write, 0, 0, width, height, cells.data(), width, height, GDT_Float32, 0, 0, nullptr),
              CE_None);
  }
  GDALClose(dataset);
}

}  // namespace gistest
