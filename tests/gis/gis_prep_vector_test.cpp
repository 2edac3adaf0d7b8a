// verdalis-prep on small polygon layers at hand-derived distances: the node
// and connection files are compared whole, byte for byte.
#include "gis_fixtures.h"

using namespace gistest;

namespace {

// Square A (1 ha), square B 300 m east of it, and an L-shape 200 m north of A
// (arms 300 × 50 m and 50 × 150 m, 2.25 ha) whose nearest corner is at 100 m
// across and 200 m up from B's corner: √(100² + 200²) = 223.607 m.
const std::string lShape = "POLYGON((0 300,300 300,300 350,50 350,50 500,0 500,0 300))";

void writeSquaresAndL(const fs::path& file, const std::string& driver) {
  writeLayer(file, driver, "patches", 3067, {{"pid", OFTInteger}, {"quality", OFTReal}, {"kind", OFTString}},
             {{square(0, 0, 100), {"1", "0.5", "keep"}},
              {square(400, 0, 100), {"2", "7.25", "drop"}},
              {lShape, {"3", "3", "keep"}}});
}

const char* const squaresAndLNodes = "1\t1.0000\n2\t1.0000\n3\t2.2500\n";

TEST(PrepVector, SquaresAndLShapeEveryPairInEveryFormat) {
  const char* const expected =
      "1 2 300.0\n1 3 200.0\n"
      "2 1 300.0\n2 3 223.6\n"
      "3 1 200.0\n3 2 223.6\n";
  for (const auto& [driver, name] : std::vector<std::pair<std::string, std::string>>{
           {"GPKG", "in.gpkg"}, {"GeoJSON", "in.geojson"}, {"ESRI Shapefile", "in.shp"}}) {
    tempFolder folder;
    writeSquaresAndL(folder / name, driver);
    const runResult r = prep({name, "--id", "pid", "--nodes", "n.txt", "--connections", "c.txt"}, folder.path());
    ASSERT_EQ(r.status, 0) << driver << r.err;
    EXPECT_EQ(readFile(folder / "n.txt"), squaresAndLNodes) << driver;
    EXPECT_EQ(readFile(folder / "c.txt"), expected) << driver;
    EXPECT_NE(r.out.find("verdalis -nodeFile n.txt -conFile c.txt -t dist all"), std::string::npos) << r.out;
  }
}

TEST(PrepVector, MaximumDistanceDecimalsAndCentroids) {
  tempFolder folder;
  writeSquaresAndL(folder / "in.gpkg", "GPKG");
  runResult r = prep({"in.gpkg", "--id=pid", "--max-distance", "250", "--decimals", "3", "--nodes", "n.txt",
                      "--connections", "c.txt", "--threads", "2"},
                     folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(folder / "c.txt"), "1 3 200.000\n2 3 223.607\n3 1 200.000\n3 2 223.607\n");
  EXPECT_NE(r.out.find("-t dist notall"), std::string::npos) << r.out;
  // Centroids: A (50, 50), B (450, 50); the L's centroid (108.33, 358.33)
  // lies outside the L, in its notch, so the L is measured from a point on
  // its surface instead, (25, 425) in its upright arm.
  r = prep({"in.gpkg", "--id", "pid", "--centroid", "--nodes", "n.txt", "--connections", "c.txt"}, folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(folder / "c.txt"),
            "1 2 400.0\n1 3 375.8\n2 1 400.0\n2 3 566.8\n3 1 375.8\n3 2 566.8\n");
}

TEST(PrepVector, AttributesUnitsFilterAndFeatureIds) {
  tempFolder folder;
  writeSquaresAndL(folder / "in.gpkg", "GPKG");
  runResult r = prep({"in.gpkg", "--attribute", "quality", "--where", "kind = 'keep'", "--nodes", "n.txt",
                      "--connections", "c.txt"},
                     folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  // Without --id the GeoPackage feature IDs (1, 3) name the patches.
  EXPECT_EQ(readFile(folder / "n.txt"), "1\t0.5000\n3\t3.0000\n");
  EXPECT_EQ(readFile(folder / "c.txt"), "1 3 200.0\n3 1 200.0\n");
  for (const auto& [unit, text] : std::vector<std::pair<std::string, std::string>>{
           {"m2", "1\t10000.0000\n2\t10000.0000\n3\t22500.0000\n"}, {"km2", "1\t0.0100\n2\t0.0100\n3\t0.0225\n"}}) {
    r = prep({"in.gpkg", "--id", "pid", "--area", unit, "--nodes", "n.txt", "--connections", "c.txt"}, folder.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(folder / "n.txt"), text) << unit;
  }
}

// Touching (1 and 5 share a side) and overlapping (2 and 7 share a 50 × 50 m
// corner) polygons are 0 apart; with --dissolve they become patches 1 (2 ha)
// and 2 (1.75 ha), 200 m apart.
TEST(PrepVector, TouchingOverlappingAndDissolved) {
  tempFolder folder;
  writeLayer(folder / "in.gpkg", "GPKG", "patches", 3067, {{"pid", OFTInteger64}},
             {{square(100, 0, 100), {"5"}}, {square(0, 0, 100), {"1"}}, {square(450, 50, 100), {"7"}},
              {square(400, 0, 100), {"2"}}});
  runResult r = prep({"in.gpkg", "--id", "pid", "--nodes", "n.txt", "--connections", "c.txt"}, folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(folder / "n.txt"), "1\t1.0000\n2\t1.0000\n5\t1.0000\n7\t1.0000\n");
  EXPECT_EQ(readFile(folder / "c.txt"),
            "1 2 300.0\n1 5 0.0\n1 7 350.0\n"
            "2 1 300.0\n2 5 200.0\n2 7 0.0\n"
            "5 1 0.0\n5 2 200.0\n5 7 250.0\n"
            "7 1 350.0\n7 2 0.0\n7 5 250.0\n");
  r = prep({"in.gpkg", "--id", "pid", "--dissolve", "--nodes", "n.txt", "--connections", "c.txt"}, folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(folder / "n.txt"), "1\t2.0000\n2\t1.7500\n");
  EXPECT_EQ(readFile(folder / "c.txt"), "1 2 200.0\n2 1 200.0\n");
  // An attribute field is summed over the merged polygons.
  r = prep({"in.gpkg", "--id", "pid", "--dissolve", "--attribute", "pid", "--nodes", "n.txt", "--connections", "c.txt"},
           folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(folder / "n.txt"), "1\t6.0000\n2\t9.0000\n");
}

// A 400 m square with a 200 m hole (12 ha), a 100 m square inside the hole
// 50 m from its edge, and a multipolygon of two 100 m squares whose second
// part is 300 m from the holed square and √(450² + 50²) = 452.8 m from the
// island in the hole.
TEST(PrepVector, HolesAndMultipolygons) {
  tempFolder folder;
  writeLayer(folder / "in.geojson", "GeoJSON", "patches", 3067, {{"pid", OFTInteger}},
             {{"POLYGON((1000 0,1400 0,1400 400,1000 400,1000 0),(1100 100,1100 300,1300 300,1300 100,1100 100))", {"9"}},
              {square(1150, 150, 100), {"10"}},
              {"MULTIPOLYGON(((0 0,100 0,100 100,0 100,0 0)),((600 0,700 0,700 100,600 100,600 0)))", {"12"}}});
  const runResult r = prep({"in.geojson", "--id", "pid", "--nodes", "n.txt", "--connections", "c.txt"}, folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(folder / "n.txt"), "9\t12.0000\n10\t1.0000\n12\t2.0000\n");
  EXPECT_EQ(readFile(folder / "c.txt"),
            "9 10 50.0\n9 12 300.0\n10 9 50.0\n10 12 452.8\n12 9 300.0\n12 10 452.8\n");
}

// A layer in degrees is measured once reprojected. In UTM zone 31N
// (EPSG:32631, central meridian 3°, scale 0.9996) 0.01° of longitude on the
// equator is 1113.19 × 0.9996 = 1112.75 m and 0.01° of latitude 1105.3 m, so
// each square is about 123.0 ha and the two are 1112.75 m apart.
TEST(PrepVector, ReprojectedFromDegrees) {
  tempFolder folder;
  writeLayer(folder / "in.gpkg", "GPKG", "patches", 4326, {},
             {{"POLYGON((3 0,3.01 0,3.01 0.01,3 0.01,3 0))", {}}, {"POLYGON((3.02 0,3.03 0,3.03 0.01,3.02 0.01,3.02 0))", {}}});
  const runResult r = prep({"in.gpkg", "--to", "EPSG:32631", "--nodes", "n.txt", "--connections", "c.txt"}, folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  const firstValues first = readFirstValues(folder.path());
  EXPECT_NEAR(first.attribute, 123.0, 0.3);
  EXPECT_NEAR(first.distance, 1112.75, 0.1);
}

// The same bytes whatever the number of threads: a grid of 400 squares with
// one large patch across many of them, so that rows differ in their cost.
TEST(PrepVector, SameFilesWhateverTheThreads) {
  tempFolder folder;
  std::vector<featureDefinition> features = {{square(-500, -500, 2000), {"1000"}}};
  for (int k = 0; k < 400; ++k) features.push_back({square(k % 20 * 150.0, k / 20 * 130.0, 60 + k % 7), {std::to_string(k + 1)}});
  writeLayer(folder / "in.gpkg", "GPKG", "patches", 3067, {{"pid", OFTInteger}}, features);
  std::vector<std::string> files;
  for (const char* threads : {"1", "3"}) {
    const runResult r = prep({"in.gpkg", "--id", "pid", "--max-distance", "400", "--threads", threads, "--nodes",
                              "n.txt", "--connections", "c.txt"},
                             folder.path());
    ASSERT_EQ(r.status, 0) << r.err;
    files.push_back(readFile(folder / "c.txt"));
  }
  EXPECT_EQ(files[0], files[1]);
  EXPECT_GT(files[0].size(), 10000u);
}

// An invalid polygon (a bow tie) is repaired with a warning that names it.
TEST(PrepVector, InvalidGeometryRepairedWithWarning) {
  tempFolder folder;
  writeLayer(folder / "in.gpkg", "GPKG", "patches", 3067, {{"pid", OFTInteger}},
             {{"POLYGON((0 0,100 100,100 0,0 100,0 0))", {"4"}}, {square(300, 0, 100), {"8"}}});
  const runResult r = prep({"in.gpkg", "--id", "pid", "--nodes", "n.txt", "--connections", "c.txt"}, folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("feature 1 (pid 4) had an invalid geometry"), std::string::npos) << r.err;
  EXPECT_EQ(readFile(folder / "n.txt"), "4\t0.5000\n8\t1.0000\n");
  EXPECT_EQ(readFile(folder / "c.txt"), "4 8 200.0\n8 4 200.0\n");
}

}  // namespace
