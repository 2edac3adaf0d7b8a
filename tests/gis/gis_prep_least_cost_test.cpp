// verdalis-prep's least-cost distances end to end: the files written for a
// small resistance raster whose costs are worked out by hand, the cost table
// of a land-cover raster, the representative point of --centroid, and every
// bad input with its message, its exit status and no file left behind.
#include <limits>
#include <map>

#include "common/representative_point.h"
#include "gis_fixtures.h"

using namespace gistest;

namespace {

const float none = std::numeric_limits<float>::quiet_NaN();

// 10 m cells from (1000, 2000). Row 0 is open (resistance 1); row 1 has
// patch A (id 1) at its left end and B (id 2) at its right end on cells of
// resistance 2, with no data between them; C (id 3) sits in the middle of
// row 0. With 8 neighbours A reaches row 0 by a diagonal step of
// (2 + 1) / 2 × 14.142 = 21.213: A–C = 21.213 + 2 × 10 = 41.213, A–B =
// 2 × 21.213 + 4 × 10 = 82.426 along row 0 through C, at C's resistance,
// and C–B = 41.213. With 4 neighbours: A–C = (2 + 1) / 2 × 10 + 3 × 10 = 45,
// A–B = 90, C–B = 45.
void writeLandscape(const tempFolder& folder) {
  writeFloatRaster(folder / "r.tif", {{{1, 1, 1, 1, 1, 1, 1}, {2, none, none, none, none, none, 2}}}, 10, 1000, 2000, 3067);
  writeLayer(folder / "p.gpkg", "GPKG", "patches", 3067, {{"pid", OFTInteger}},
             {{square(1030, 1990, 10), {"3"}}, {square(1000, 1980, 10), {"1"}}, {square(1060, 1980, 10), {"2"}}});
}

TEST(PrepLeastCost, HandWorkedCostsLengthsAndPaths) {
  tempFolder folder;
  writeLandscape(folder);
  runResult r = prep({"p.gpkg", "--id", "pid", "--resistance", "r.tif", "--decimals", "3", "--nodes", "n.txt",
                      "--connections", "c.txt", "--lengths", "l.txt", "--paths", "paths.gpkg"},
                     folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  // Both directions of a pair carry the same bytes, computed once.
  EXPECT_EQ(readFile(folder / "c.txt"),
            "1 2 82.426\n1 3 41.213\n2 1 82.426\n2 3 41.213\n3 1 41.213\n3 2 41.213\n");
  EXPECT_EQ(readFile(folder / "l.txt"),
            "1 2 68.284\n1 3 34.142\n2 1 68.284\n2 3 34.142\n3 1 34.142\n3 2 34.142\n");
  EXPECT_NE(r.out.find("Wrote c.txt: 6 lines, edge-to-edge least-cost distances (8 neighbours) over r.tif "
                       "(7 x 2 cells of 10 m), both directions, every pair that a path joins"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("-t dist all"), std::string::npos) << r.out;
  GDALDataset* paths = GDALDataset::Open((folder / "paths.gpkg").c_str(), GDAL_OF_VECTOR);
  ASSERT_NE(paths, nullptr);
  OGRLayer* layer = paths->GetLayerByName("paths");
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->GetFeatureCount(), 3);
  OGRFeature* first = layer->GetNextFeature();
  EXPECT_EQ(first->GetFieldAsInteger("Node1"), 1);
  EXPECT_EQ(first->GetFieldAsInteger("Node2"), 2);
  EXPECT_NEAR(first->GetFieldAsDouble("length"), 68.284, 1e-3);
  // The path through the cell centres, its turns only: up to row 0, along it, down to B.
  EXPECT_EQ(first->GetGeometryRef()->exportToWkt(), "LINESTRING (1005 1985,1015 1995,1055 1995,1065 1985)");
  OGRFeature::DestroyFeature(first);
  GDALClose(paths);

  // Sides only, a bound, and any number of threads: the pairs within the
  // bound, the same bytes.
  r = prep({"p.gpkg", "--id", "pid", "--resistance", "r.tif", "--neighbours", "4", "--max-cost", "45", "--threads",
            "1", "--nodes", "n.txt", "--connections", "c.txt"},
           folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(folder / "c.txt"), "1 3 45.0\n2 3 45.0\n3 1 45.0\n3 2 45.0\n");
  EXPECT_NE(r.out.find("the pairs of cost at most 45"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("-t dist notall"), std::string::npos) << r.out;
  r = prep({"p.gpkg", "--id", "pid", "--resistance", "r.tif", "--neighbours=4", "--max-cost=45", "--threads", "3",
            "--nodes", "n.txt", "--connections", "c3.txt"},
           folder.path());
  EXPECT_EQ(readFile(folder / "c3.txt"), readFile(folder / "c.txt"));
  // A bound that joins no pair: the true, empty answer, and a warning.
  r = prep({"p.gpkg", "--id", "pid", "--resistance", "r.tif", "--max-cost", "5", "--nodes", "n.txt", "--connections",
            "c.txt"},
           folder.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(folder / "c.txt"), "");
  EXPECT_NE(r.err.find("every patch is isolated"), std::string::npos) << r.err;
}

// A land-cover raster as patches and resistance at once: class 1 is habitat
// (cost 1), 2 open land (4), 3 a road (50). From the left patch up a
// diagonal, (1 + 4) / 2 × 14.142 = 35.355, two sides of 4 × 10 and down
// again: 150.711.
TEST(PrepLeastCost, CostTableOfALandCoverRaster) {
  tempFolder folder;
  writeRaster(folder / "cover.tif", {{2, 2, 2, 2, 2}, {1, 3, 3, 3, 1}}, 10, 0, 20, 3067);
  writeFile(folder / "costs.txt", "# class cost\n1 1\n2 4   # open land\n\n3 50\n");
  runResult r = prep({"cover.tif", "--habitat", "1", "--costs", "costs.txt", "--decimals", "3", "--nodes", "n.txt",
                      "--connections", "c.txt"},
                     folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(folder / "c.txt"), "1 2 150.711\n2 1 150.711\n");
  writeFile(folder / "short.txt", "1 1\n2 4\n");
  r = prep({"cover.tif", "--habitat", "1", "--costs", "short.txt", "--nodes", "n.txt", "--connections", "c.txt"},
           folder.path());
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("the land-cover code 3 of cover.tif has no line in the cost table short.txt"), std::string::npos)
      << r.err;
}

// The point of a patch: the centroid of its largest part when inside it, else
// a point on that part. A group of two squares is measured from the larger
// square's centre, (10, 10), not from the group's centroid between them.
TEST(PrepLeastCost, CentroidsAreRepresentativePoints) {
  tempFolder folder;
  writeLayer(folder / "g.gpkg", "GPKG", "patches", 3067, {{"pid", OFTInteger}},
             {{"MULTIPOLYGON(((0 0,20 0,20 20,0 20,0 0)),((100 0,110 0,110 10,100 10,100 0)))", {"1"}},
              {square(0, 100, 20), {"2"}}});
  const runResult r = prep({"g.gpkg", "--id", "pid", "--centroid", "--nodes", "n.txt", "--connections", "c.txt"},
                           folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(folder / "c.txt"), "1 2 100.0\n2 1 100.0\n");
  // A U-shaped patch: its centroid lies in the notch, outside; the point
  // chosen lies inside.
  verdalis::gis::geosContext context;
  GEOSGeometry* u = GEOSGeomFromWKT_r(context.get(), "POLYGON((0 0,30 0,30 30,20 30,20 10,10 10,10 30,0 30,0 0))");
  verdalis::gis::geometryPtr point = verdalis::gis::representativePoint(context, u);
  EXPECT_EQ(GEOSContains_r(context.get(), u, point.get()), 1);
  GEOSGeom_destroy_r(context.get(), u);
}

// verdalis-map --links-from: links of the results along their least-cost
// paths; a link whose path was not written (beyond --paths-max-cost) stays
// straight, and is counted.
TEST(PrepLeastCost, MapDrawsLinksAlongThePaths) {
  tempFolder folder;
  writeLandscape(folder);
  ASSERT_EQ(prep({"p.gpkg", "--id", "pid", "--resistance", "r.tif", "--paths", "paths.gpkg", "--paths-max-cost", "50",
                  "--nodes", "n.txt", "--connections", "c.txt"},
                 folder.path())
                .status,
            0);
  fs::create_directory(folder / "res");
  const runResult core = run(VERDALIS_BINARY,
                             {"-nodeFile", "../n.txt", "-conFile", "../c.txt", "-t", "dist", "all", "-PC", "-confProb",
                              "50", "0.5", "-removal", "-prefix", "run"},
                             folder / "res");
  ASSERT_EQ(core.status, 0) << core.out;
  const runResult r = map({"p.gpkg", "--id", "pid", "--results", "res", "--prefix", "run", "--links-from",
                           "paths.gpkg", "--out", "out.gpkg", "--png", "map.png"},
                          folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("1 link has no path in paths.gpkg (beyond --paths-max-cost?); drawn straight"), std::string::npos)
      << r.err;
  GDALDataset* out = GDALDataset::Open((folder / "out.gpkg").c_str(), GDAL_OF_VECTOR);
  ASSERT_NE(out, nullptr);
  std::map<std::pair<int, int>, std::string> lines;
  OGRLayer* links = out->GetLayerByName("links");
  ASSERT_NE(links, nullptr);
  for (OGRFeature* f = links->GetNextFeature(); f; f = links->GetNextFeature()) {
    lines[{f->GetFieldAsInteger("Node1"), f->GetFieldAsInteger("Node2")}] = f->GetGeometryRef()->exportToWkt();
    OGRFeature::DestroyFeature(f);
  }
  GDALClose(out);
  ASSERT_EQ(lines.size(), 3u);
  // From Node1 to Node2: along row 0 from C, down a corner to A.
  EXPECT_EQ(lines[std::make_pair(3, 1)], "LINESTRING (1035 1995,1015 1995,1005 1985)");
  EXPECT_EQ(lines[std::make_pair(2, 1)], "LINESTRING (1065 1985,1005 1985)");  // straight, between the two patches
  EXPECT_EQ(readFile(folder / "map.png").substr(0, 4), "\x89PNG");
}

struct badCase {
  std::string what;
  std::vector<std::string> options;
  int status;
  std::string message;
};

TEST(PrepLeastCost, BadInputIsRefusedWithoutAFileLeft) {
  tempFolder folder;
  writeLandscape(folder);
  const std::vector<std::vector<float>> open = {{1, 1, 1, 1, 1, 1, 1}, {2, 1, 1, 1, 1, 1, 2}};
  writeFloatRaster(folder / "degrees.tif", {open}, 0.0001, 25, 60, 4326);
  writeFloatRaster(folder / "two.tif", {open, open}, 10, 1000, 2000, 3067);
  writeFloatRaster(folder / "negative.tif", {{{1, 1, 1, 1, 1, 1, 1}, {2, -3, 1, 1, 1, 1, 2}}}, 10, 1000, 2000, 3067);
  writeLayer(folder / "far.gpkg", "GPKG", "patches", 3067, {}, {{square(1000, 1980, 10), {}}, {square(5000, 5000, 10), {}}});
  writeLayer(folder / "hole.gpkg", "GPKG", "patches", 3067, {}, {{square(1000, 1980, 10), {}}, {square(1020, 1980, 10), {}}});
  writeRaster(folder / "cover.tif", {{2, 2}, {1, 3}}, 10, 0, 20, 3067);
  writeFile(folder / "negative.txt", "1 1\n2 4\n3 -1\n");
  writeFile(folder / "junk.txt", "1 one\n");
  const std::vector<badCase> cases = {
      {"raster in degrees", {"p.gpkg", "--resistance", "degrees.tif"}, 2, "in geographic coordinates (WGS 84 (EPSG:4326)), in degrees, but costs need cells measured in metres: reproject it to a projected system of the area, e.g. gdalwarp -t_srs EPSG:CODE degrees.tif projected.tif"},
      {"several bands", {"p.gpkg", "--resistance", "two.tif"}, 2, "two.tif has 2 bands; choose the resistance band with --band N (1 to 2)"},
      {"no such band", {"p.gpkg", "--resistance", "two.tif", "--band", "3"}, 2, "two.tif has 2 bands, not a band 3"},
      {"negative resistance", {"p.gpkg", "--resistance", "negative.tif"}, 2, "the resistance at row 2, column 2 (x 1015.0, y 1985.0) of negative.tif is -3; resistances must be 0 or more"},
      {"patch outside the raster", {"far.gpkg", "--resistance", "r.tif"}, 2, "patch 2 (feature 2) lies outside the resistance raster r.tif"},
      {"patch on no data", {"hole.gpkg", "--resistance", "r.tif"}, 2, "patch 2 (feature 2) lies only on cells without data in r.tif"},
      {"negative cost", {"cover.tif", "--habitat", "1", "--costs", "negative.txt"}, 2, "negative.txt, line 3: the cost of code 3 is -1; costs must be 0 or more"},
      {"cost table not numbers", {"cover.tif", "--habitat", "1", "--costs", "junk.txt"}, 2, "junk.txt, line 1: the cost \"one\" is not a number"},
      {"missing cost table", {"cover.tif", "--habitat", "1", "--costs", "none.txt"}, 2, "cannot read the cost table none.txt"},
      {"costs without a raster", {"p.gpkg", "--costs", "negative.txt"}, 1, "--costs turns a land-cover raster into resistance"},
      {"bound without a raster", {"p.gpkg", "--max-cost", "5"}, 1, "--max-cost applies to least-cost distances"},
      {"straight bound", {"p.gpkg", "--resistance", "r.tif", "--max-distance", "5"}, 1, "least-cost distances are bounded with --max-cost C"},
      {"bad neighbours", {"p.gpkg", "--resistance", "r.tif", "--neighbours", "6"}, 1, "--neighbours expects 4, 8 or 16"},
      {"negative bound", {"p.gpkg", "--resistance", "r.tif", "--max-cost", "-1"}, 1, "--max-cost must be 0 or more"},
      {"reprojection", {"p.gpkg", "--resistance", "r.tif", "--to", "EPSG:3067"}, 1, "--to does not apply with --resistance"},
  };
  for (const badCase& c : cases) {
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"--nodes", "n.txt", "--connections", "c.txt", "--lengths", "l.txt", "--paths", "x.gpkg"});
    const runResult r = prep(args, folder.path());
    EXPECT_EQ(r.status, c.status) << c.what << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
    for (const char* output : {"n.txt", "c.txt", "l.txt", "x.gpkg"}) EXPECT_FALSE(fs::exists(folder / output)) << c.what;
  }
  EXPECT_EQ(folder.files().size(), 10u);  // the inputs only: no temporary file stays
}

// A raster without a coordinate system is read in the patches' system, and
// patches in another system than the raster's are reprojected to it, each
// with a line that says so.
TEST(PrepLeastCost, CoordinateSystemsOfRasterAndPatches) {
  tempFolder folder;
  writeLandscape(folder);
  writeFloatRaster(folder / "bare.tif", {{{1, 1, 1, 1, 1, 1, 1}, {2, none, none, none, none, none, 2}}}, 10, 1000, 2000, 0);
  runResult r = prep({"p.gpkg", "--id", "pid", "--resistance", "bare.tif", "--nodes", "n.txt", "--connections", "c.txt"},
                     folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("bare.tif has no coordinate reference system; it is read in the patches' (ETRS89 / TM35FIN(E,N) (EPSG:3067))"),
            std::string::npos)
      << r.err;
  const std::string expected = readFile(folder / "c.txt");
  // ETRS89 / TM35FIN and WGS 84 / UTM zone 35N share their projection.
  writeFloatRaster(folder / "utm.tif", {{{1, 1, 1, 1, 1, 1, 1}, {2, none, none, none, none, none, 2}}}, 10, 1000, 2000, 32635);
  r = prep({"p.gpkg", "--id", "pid", "--resistance", "utm.tif", "--nodes", "n.txt", "--connections", "c.txt"}, folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Reprojected the patches from ETRS89 / TM35FIN(E,N) (EPSG:3067) to the coordinate system of utm.tif"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(readFile(folder / "c.txt"), expected);
}

}  // namespace
