// Patches from a land-cover raster: groups of habitat pixels joined through
// corners (8) or sides only (4), numbered by a row-major scan over all groups,
// small ones included.
#include "common/raster_patches.h"
#include "gis_fixtures.h"

using namespace gistest;
using verdalis::gis::labelRuns;
using verdalis::gis::pixelNeighbours;
using verdalis::gis::pixelRun;

namespace {

// 10 m pixels, 1 = habitat, 2 = habitat of another class, 0 = other.
//   row 0: 1 0 0 0 2 1      groups with 8 neighbours: {(0,0),(1,1)}, {(0,4),(0,5)},
//   row 1: 0 1 0 0 0 0      {(2,3),(3,4),(4,5)} joined only through corners,
//   row 2: 0 0 0 1 0 0      and the 2 × 2 block {(3,0),(3,1),(4,0),(4,1)}.
//   row 3: 1 1 0 0 1 0      With 4 neighbours every diagonal step splits a group.
//   row 4: 1 1 0 0 0 1
const std::vector<std::vector<int>> cells = {
    {1, 0, 0, 0, 2, 1}, {0, 1, 0, 0, 0, 0}, {0, 0, 0, 1, 0, 0}, {1, 1, 0, 0, 1, 0}, {1, 1, 0, 0, 0, 1}};

TEST(PrepRaster, EightAndFourNeighboursNumberGroupsInScanOrder) {
  tempFolder folder;
  writeRaster(folder / "cover.tif", cells, 10, 1000, 2000, 3067);
  runResult r = prep({"cover.tif", "--habitat", "1,2", "--area", "m2", "--nodes", "n.txt", "--connections", "c.txt"},
                     folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(folder / "n.txt"), "1\t200.0000\n2\t200.0000\n3\t300.0000\n4\t400.0000\n");
  r = prep({"cover.tif", "--habitat", "1,2", "--connectivity", "4", "--area", "m2", "--nodes", "n.txt",
            "--connections", "c.txt"},
           folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(folder / "n.txt"),
            "1\t100.0000\n2\t200.0000\n3\t100.0000\n4\t100.0000\n5\t400.0000\n6\t100.0000\n7\t100.0000\n");
  // Only class 1: the pixel of class 2 is no habitat, so (0,5) stands alone.
  r = prep({"cover.tif", "--habitat", "1", "--area", "m2", "--nodes", "n.txt", "--connections", "c.txt"}, folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(folder / "n.txt"), "1\t200.0000\n2\t100.0000\n3\t300.0000\n4\t400.0000\n");
}

// Leaving small groups out keeps the numbers of the others. The diagonal
// group's pixel (2,3) has its lower-left corner one pixel (10 m) from the
// block's right side.
TEST(PrepRaster, MinimumAreaKeepsIdentifiersAndMeasuresPixelOutlines) {
  tempFolder folder;
  writeRaster(folder / "cover.tif", cells, 10, 1000, 2000, 3067);
  const runResult r = prep({"cover.tif", "--habitat", "1,2", "--min-area", "0.025", "--nodes", "n.txt",
                            "--connections", "c.txt", "--patches", "p.gpkg"},
                           folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(folder / "n.txt"), "3\t0.0300\n4\t0.0400\n");
  EXPECT_EQ(readFile(folder / "c.txt"), "3 4 10.0\n4 3 10.0\n");
  GDALDataset* layer = GDALDataset::Open((folder / "p.gpkg").c_str(), GDAL_OF_VECTOR);
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->GetLayerByName("patches")->GetFeatureCount(), 2);
  GDALClose(layer);
  // A single patch left: the empty connection file is written, with a warning
  // that Verdalis will not take it.
  const runResult single = prep({"cover.tif", "--habitat", "1,2", "--min-area", "0.035", "--nodes", "n.txt",
                                 "--connections", "c.txt"},
                                folder.path());
  ASSERT_EQ(single.status, 0) << single.err;
  EXPECT_EQ(readFile(folder / "n.txt"), "4\t0.0400\n");
  EXPECT_EQ(readFile(folder / "c.txt"), "");
  EXPECT_NE(single.err.find("the connection file is empty (a single patch)"), std::string::npos) << single.err;
}

// A raster in degrees is refused with the way out, then measured once
// reprojected: two pixels of 0.01° two pixels apart on the equator, in UTM
// zone 31N, are 2 × 1112.75 m apart and about 123 ha each.
TEST(PrepRaster, DegreesRefusedThenReprojected) {
  tempFolder folder;
  writeRaster(folder / "cover.tif", {{1, 0, 0, 1}}, 0.01, 3, 0.01, 4326);
  runResult r = prep({"cover.tif", "--habitat", "1", "--nodes", "n.txt", "--connections", "c.txt"}, folder.path());
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("raster cover.tif is in geographic coordinates (WGS 84 (EPSG:4326))"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("reproject with --to EPSG:CODE"), std::string::npos) << r.err;
  r = prep({"cover.tif", "--habitat", "1", "--to", "EPSG:32631", "--nodes", "n.txt", "--connections", "c.txt"},
           folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  const firstValues first = readFirstValues(folder.path());
  EXPECT_NEAR(first.attribute, 123.0, 0.3);
  EXPECT_NEAR(first.distance, 2 * 1112.75, 0.2);
}

std::vector<std::int64_t> labels(const std::vector<pixelRun>& runs, pixelNeighbours neighbours) {
  return labelRuns(runs, neighbours);
}

// A U whose arms meet only on the last row: the right arm starts as a group
// of its own and joins the left one, which keeps the first label; the group
// after it is numbered 2 whatever the joins before.
TEST(PrepRaster, LabelsOfRunsFollowTheFirstPixelOfEachGroup) {
  const std::vector<pixelRun> runs = {{0, 0, 0}, {0, 4, 4}, {0, 7, 8}, {1, 0, 0}, {1, 4, 4}, {2, 0, 4}};
  EXPECT_EQ(labels(runs, pixelNeighbours::four), (std::vector<std::int64_t>{1, 1, 2, 1, 1, 1}));
  // Rows apart do not join, even when their columns overlap.
  EXPECT_EQ(labels({{0, 0, 3}, {2, 0, 3}}, pixelNeighbours::eight), (std::vector<std::int64_t>{1, 2}));
  // Runs that only touch at a corner join with 8 neighbours alone.
  EXPECT_EQ(labels({{0, 0, 1}, {1, 2, 3}}, pixelNeighbours::eight), (std::vector<std::int64_t>{1, 1}));
  EXPECT_EQ(labels({{0, 0, 1}, {1, 2, 3}}, pixelNeighbours::four), (std::vector<std::int64_t>{1, 2}));
  EXPECT_TRUE(labels({}, pixelNeighbours::eight).empty());
}

}  // namespace
