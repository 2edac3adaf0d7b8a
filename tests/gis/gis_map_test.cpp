// verdalis-map end to end: a layer through verdalis-prep, verdalis and
// verdalis-map, the GeoPackage read back with GDAL; joins that do not match;
// the class limits of the map.
#include <cmath>
#include <map>

#include "gis_fixtures.h"
#include "map/class_breaks.h"
#include "map/map_layout.h"

using namespace gistest;
using verdalis::gis::breakMethod;
using verdalis::gis::classBreaks;
using verdalis::gis::classOf;

namespace {

using valueRows = std::map<std::vector<std::int64_t>, std::map<std::string, double>>;

// A result table of Verdalis as rows keyed by their identifiers.
valueRows readTable(const fs::path& file, int keys) {
  std::istringstream text(readFile(file));
  std::string line;
  std::getline(text, line);
  std::vector<std::string> names;
  std::istringstream header(line);
  for (std::string name; std::getline(header, name, '\t');) names.push_back(name);
  valueRows rows;
  while (std::getline(text, line)) {
    std::istringstream cells(line);
    std::vector<std::int64_t> key(keys);
    for (auto& k : key) cells >> k;
    for (std::size_t c = keys; c < names.size(); ++c) cells >> rows[key][names[c]];
  }
  return rows;
}

// A GeoPackage layer read back with GDAL, keyed by its identifier fields;
// the geometry's area comes as "area".
valueRows readLayer(const fs::path& file, const std::string& layerName, const std::vector<std::string>& keys) {
  GDALDatasetUniquePtr dataset(GDALDataset::Open(file.c_str(), GDAL_OF_VECTOR));
  EXPECT_TRUE(dataset);
  valueRows rows;
  if (!dataset) return rows;
  OGRLayer* layer = dataset->GetLayerByName(layerName.c_str());
  EXPECT_NE(layer, nullptr) << layerName;
  if (!layer) return rows;
  for (auto& feature : *layer) {
    std::vector<std::int64_t> key;
    for (const std::string& k : keys) key.push_back(feature->GetFieldAsInteger64(k.c_str()));
    auto& row = rows[key];
    for (int f = 0; f < feature->GetFieldCount(); ++f) {
      const std::string name = feature->GetFieldDefnRef(f)->GetNameRef();
      if (std::find(keys.begin(), keys.end(), name) != keys.end()) continue;
      row[name] = feature->IsFieldNull(f) ? NAN : feature->GetFieldAsDouble(f);
    }
    const OGRGeometry* g = feature->GetGeometryRef();
    if (g && wkbFlatten(g->getGeometryType()) == wkbMultiPolygon) row["area"] = g->toMultiPolygon()->get_Area();
  }
  return rows;
}

void writeSquaresAndL(const fs::path& file) {
  writeLayer(file, "GPKG", "patches", 3067, {{"pid", OFTInteger}},
             {{square(0, 0, 100), {"1"}},
              {square(400, 0, 100), {"2"}},
              {"POLYGON((0 300,300 300,300 350,50 350,50 500,0 500,0 300))", {"3"}}});
}

TEST(MapEndToEnd, LayerThroughPrepVerdalisAndMapReadsBackEveryColumn) {
  tempFolder folder;
  writeSquaresAndL(folder / "in.gpkg");
  ASSERT_EQ(prep({"in.gpkg", "--id", "pid", "--nodes", "n.txt", "--connections", "c.txt"}, folder.path()).status, 0);
  fs::create_directory(folder / "res");
  const runResult core = run(VERDALIS_BINARY,
                             {"-nodeFile", "../n.txt", "-conFile", "../c.txt", "-t", "dist", "all", "-NC", "-PC",
                              "-confAdj", "250", "-confProb", "250", "0.5", "-removal", "-wcomp", "-prefix", "run"},
                             folder / "res");
  ASSERT_EQ(core.status, 0) << core.out;
  const runResult r = map({"in.gpkg", "--id", "pid", "--results", "res", "--prefix", "run", "--out", "out.gpkg",
                           "--png", "map.png", "--svg", "map.svg", "--links"},
                          folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");

  valueRows expected = readTable(folder / "res" / "run_node_importances.txt", 1);
  for (const auto& [key, row] : readTable(folder / "res" / "run_components.txt", 1))
    expected[key]["Component"] = row.at("Component");
  expected[{1}]["area"] = 10000;
  expected[{2}]["area"] = 10000;
  expected[{3}]["area"] = 22500;
  EXPECT_EQ(readLayer(folder / "out.gpkg", "patches", {"pid"}), expected);

  // Links: the pairs whose removal changes an index. Every pair has a
  // dispersal probability above 0, so all three change PC, though only 1-3
  // (200 m) and 2-3 (223.6 m) are binary links at 250 m.
  valueRows links;
  for (const auto& [key, row] : readTable(folder / "res" / "run_link_importances_removal.txt", 2))
    for (const auto& [name, value] : row) links[key]["removal_" + name] = value;
  EXPECT_EQ(links.size(), 3u);
  EXPECT_EQ(readLayer(folder / "out.gpkg", "links", {"Node1", "Node2"}), links);

  EXPECT_EQ(readFile(folder / "map.png").substr(0, 4), "\x89PNG");
  EXPECT_NE(readFile(folder / "map.svg").find("<svg"), std::string::npos);
}

// Results of another landscape: a patch without a row and a row without a
// patch are reported, the patch is kept with empty values.
TEST(MapEndToEnd, MismatchedIdentifiersAreReportedAndLeftEmpty) {
  tempFolder folder;
  writeSquaresAndL(folder / "in.gpkg");
  fs::create_directory(folder / "res");
  writeFile(folder / "res" / "node_importances.txt", "Node\tdPC\t\n1\t0.5\t\n3\t2\t\n99\t7\t\n");
  const runResult r = map({"in.gpkg", "--id", "pid", "--results", "res", "--out", "out.gpkg", "--png", "m.png"},
                          folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("1 patches of the layer have no row in res/node_importances.txt (their values are left empty): 2"),
            std::string::npos) << r.err;
  EXPECT_NE(r.err.find("1 rows of res/node_importances.txt name no patch of the layer (left out): 99"),
            std::string::npos) << r.err;
  const valueRows rows = readLayer(folder / "out.gpkg", "patches", {"pid"});
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows.at({1}).at("dPC"), 0.5);
  EXPECT_TRUE(std::isnan(rows.at({2}).at("dPC")));
  EXPECT_FALSE(fs::exists(folder / "res" / "out.gpkg"));
}

// A raster's patches come back through the GeoPackage prep writes beside its
// files, joined by its patch_id field.
TEST(MapEndToEnd, PatchLayerWrittenByPrepJoinsRasterPatches) {
  tempFolder folder;
  writeRaster(folder / "cover.tif", {{1, 0, 0, 1}, {1, 0, 0, 0}, {0, 0, 1, 1}}, 10, 0, 30, 3067);
  ASSERT_EQ(prep({"cover.tif", "--habitat", "1", "--nodes", "n.txt", "--connections", "c.txt", "--patches", "p.gpkg"},
                 folder.path()).status, 0);
  fs::create_directory(folder / "res");
  writeFile(folder / "res" / "node_importances.txt", "Node\tdPC\t\n1\t10\t\n2\t20\t\n3\t30\t\n");
  const runResult r = map({"p.gpkg", "--id", "patch_id", "--results", "res", "--out", "out.gpkg"}, folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  const valueRows rows = readLayer(folder / "out.gpkg", "patches", {"patch_id"});
  EXPECT_EQ(rows, (valueRows{{{1}, {{"dPC", 10}, {"area", 200}}},
                             {{2}, {{"dPC", 20}, {"area", 100}}},
                             {{3}, {{"dPC", 30}, {"area", 200}}}}));
}

// One patch far above the others: natural breaks by default, the ranking
// table and chart of the top three (the tie of 2 and 5 by identifier), the
// labels; a column without a total gives no shares.
TEST(MapRanking, SkewedColumnTableChartAndLabels) {
  tempFolder folder;
  std::vector<featureDefinition> squares;
  for (int k = 1; k <= 6; ++k) squares.push_back({square(k * 300.0, 0, 100), {std::to_string(k)}});
  writeLayer(folder / "in.gpkg", "GPKG", "patches", 3067, {{"pid", OFTInteger}}, squares);
  fs::create_directory(folder / "res");
  writeFile(folder / "res" / "node_importances.txt",
            "Node\tdNC\tdPC\tvarPC\t\n1\t0\t71\t1\t\n2\t0\t4.4\t2\t\n3\t0\t2\t3\t\n4\t0\t1\t4\t\n5\t0\t4.4\t5\t\n"
            "6\t0\t0.5\t6\t\n");
  runResult r = map({"in.gpkg", "--id", "pid", "--results", "res", "--png", "m.png", "--label-top", "2", "--ranking",
                     "r.png", "--top", "3", "--top-file", "top.tsv"},
                    folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "Joined the results in res to 6 patches of in.gpkg: 3 columns\n"
            "Drew dPC to m.png\n"
            "  Classes of dPC: natural breaks (skewness 1.77, beyond \u00b11)\n"
            "Drew the 3 patches of highest dPC to r.png\n"
            "Wrote the 3 patches of highest dPC to top.tsv\n"
            "  highest: patch 1, dPC 71 (85.2 % of the total)\n");
  EXPECT_EQ(readFile(folder / "top.tsv"),
            "rank\tpid\tdPC\tshare_percent\tcumulative_percent\n"
            "1\t1\t71\t85.2341\t85.2341\n"
            "2\t2\t4.4\t5.28211\t90.5162\n"
            "3\t5\t4.4\t5.28211\t95.7983\n");
  EXPECT_EQ(readFile(folder / "r.png").substr(0, 4), "\x89PNG");
  EXPECT_EQ(readFile(folder / "m.png").substr(0, 4), "\x89PNG");
  r = map({"in.gpkg", "--id", "pid", "--results", "res", "--column", "varPC", "--svg", "m.svg"}, folder.path());
  EXPECT_NE(r.out.find("  Classes of varPC: quantiles (skewness "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(", within \u00b11)\n"), std::string::npos) << r.out;
  r = map({"in.gpkg", "--id", "pid", "--results", "res", "--column", "dNC", "--top-file", "top.tsv", "--top", "2"},
          folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(folder / "top.tsv"),
            "rank\tpid\tdNC\tshare_percent\tcumulative_percent\n1\t1\t0\tnan\tnan\n2\t2\t0\tnan\tnan\n");
  EXPECT_NE(r.out.find("  highest: patch 1, dNC 0\n"), std::string::npos) << r.out;
  r = map({}, folder.path());
  EXPECT_EQ(r.out, "Usage: verdalis-map INPUT --results DIR [--prefix P] --out OUT.gpkg [options]\n"
                   "Every option: verdalis-map --help\n");
}

TEST(MapClasses, QuantilesNaturalBreaksAndTies) {
  EXPECT_EQ(classBreaks({10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, 5, breakMethod::quantile),
            (std::vector<double>{2, 4, 6, 8, 10}));
  // Many equal values give fewer classes, never an empty one.
  EXPECT_EQ(classBreaks({0, 0, 0, 0, 0, 0, 1, 2}, 4, breakMethod::quantile), (std::vector<double>{0, 2}));
  EXPECT_EQ(classBreaks({1, 2, 3, 10, 11, 12, 30}, 3, breakMethod::natural), (std::vector<double>{3, 12, 30}));
  EXPECT_EQ(classBreaks({4, 4, 4}, 5, breakMethod::natural), (std::vector<double>{4}));
  EXPECT_TRUE(classBreaks({}, 5, breakMethod::quantile).empty());
  const std::vector<double> upper = {2, 4, 6};
  EXPECT_EQ(classOf(2, upper), 0);
  EXPECT_EQ(classOf(2.5, upper), 1);
  EXPECT_EQ(classOf(6, upper), 2);
  EXPECT_EQ(verdalis::gis::roundLength(2345), 2000);
  EXPECT_EQ(verdalis::gis::roundLength(7.5), 5);
  EXPECT_EQ(verdalis::gis::roundLength(1000), 1000);
  // Beyond 2,000 values the breaks come from evenly spaced order statistics,
  // which skip 9.6 and 10 here; the patch far above the others still gets a
  // class of its own.
  std::vector<double> many;
  for (int k = 0; k < 4997; ++k) many.push_back(k / 4997.0);
  many.insert(many.end(), {9.5, 9.6, 10, 55});
  const std::vector<double> limits = classBreaks(many, 5, breakMethod::natural);
  ASSERT_EQ(limits.size(), 5u);
  EXPECT_EQ(limits[3], 10);
  EXPECT_EQ(limits[4], 55);
  // A long upper tail is skewed; equal values have no skewness.
  EXPECT_NEAR(verdalis::gis::skewness({0, 0, 0, 1}), 1.1547, 1e-4);
  EXPECT_TRUE(std::isnan(verdalis::gis::skewness({2, 2, 2})));
  EXPECT_EQ(verdalis::gis::breaksFor(1.1547), breakMethod::natural);
  EXPECT_EQ(verdalis::gis::breaksFor(-0.5), breakMethod::quantile);
}

}  // namespace
