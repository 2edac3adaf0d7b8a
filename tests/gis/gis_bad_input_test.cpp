// Every bad input of verdalis-prep and verdalis-map gets its own message and
// exit status (1: command line, 2: input or output), and no output file is
// written or touched.
#include "gis_fixtures.h"

using namespace gistest;

namespace {

struct badCase {
  std::string what;
  std::vector<std::string> options;  // after the input
  int status;
  std::string message;
};

// The inputs of the cases, all in one folder.
void writeInputs(const tempFolder& folder) {
  const std::vector<fieldDefinition> fields = {{"pid", OFTInteger64}, {"real_id", OFTReal}, {"quality", OFTReal}};
  writeLayer(folder / "good.gpkg", "GPKG", "patches", 3067, fields,
             {{square(0, 0, 100), {"1", "1", "2"}}, {square(300, 0, 100), {"2", "2.5", "-1"}}});
  writeLayer(folder / "two.gpkg", "GPKG", "first", 3067, {}, {{square(0, 0, 10), {}}});
  writeLayer(folder / "two.gpkg", "GPKG", "second", 3067, {}, {{square(0, 0, 10), {}}});
  writeLayer(folder / "twice.gpkg", "GPKG", "patches", 3067, {{"pid", OFTInteger}},
             {{square(0, 0, 100), {"3"}}, {square(300, 0, 100), {"3"}}});
  writeLayer(folder / "empty.gpkg", "GPKG", "patches", 3067, {{"pid", OFTInteger}},
             {{square(0, 0, 100), {"1"}}, {"POLYGON EMPTY", {"2"}}});
  writeLayer(folder / "none.gpkg", "GPKG", "patches", 3067, {{"pid", OFTInteger}},
             {{square(0, 0, 100), {"1"}}, {"", {"2"}}});
  writeLayer(folder / "flat.gpkg", "GPKG", "patches", 3067, {{"pid", OFTInteger}},
             {{"POLYGON((0 0,10 0,20 0,0 0))", {"1"}}});
  writeLayer(folder / "lines.gpkg", "GPKG", "roads", 3067, {}, {{"LINESTRING(0 0,10 10)", {}}}, wkbLineString);
  writeLayer(folder / "mixed.geojson", "GeoJSON", "mixed", 3067, {{"pid", OFTInteger}},
             {{square(0, 0, 100), {"1"}}, {"POINT(5 5)", {"2"}}});
  writeLayer(folder / "degrees.gpkg", "GPKG", "patches", 4326, {}, {{square(3, 0, 0.01), {}}});
  writeLayer(folder / "huge.gpkg", "GPKG", "patches", 3067, {{"pid", OFTInteger64}},
             {{square(0, 0, 100), {"16777217"}}});
  writeRaster(folder / "bare.tif", {{0, 0}, {0, 0}}, 10, 0, 0, 3067);
  writeFile(folder / "junk.gpkg", "not a layer\n");
}

const std::vector<badCase> prepCases = {
    {"missing file", {"nothing.gpkg"}, 2, "cannot read nothing.gpkg: no such file"},
    {"unreadable file", {"junk.gpkg"}, 2, "junk.gpkg is not a layer that GDAL can read"},
    {"several layers", {"two.gpkg"}, 2, "two.gpkg holds 2 layers; choose one with --layer: first, second"},
    {"unknown layer", {"two.gpkg", "--layer", "third"}, 2, "no layer \"third\" in two.gpkg; its layers: first, second"},
    {"unknown field", {"good.gpkg", "--id", "nope"}, 2, "no field \"nope\" in layer patches; its fields: pid, real_id, quality"},
    {"non-integer identifier", {"good.gpkg", "--id", "real_id"}, 2, "feature 2 (real_id 2.5) has the identifier \"2.5\", which is not a whole number"},
    {"duplicate identifiers", {"twice.gpkg", "--id", "pid"}, 2, "identifier 3 is used by feature 1 (pid 3) and by feature 2 (pid 3)"},
    {"identifier beyond single precision", {"huge.gpkg", "--id", "pid"}, 2, "beyond 16777216"},
    {"negative attribute", {"good.gpkg", "--attribute", "quality"}, 2, "feature 2 has the attribute -1 in field quality"},
    {"empty geometry", {"empty.gpkg", "--id", "pid"}, 2, "feature 2 (pid 2) has an empty geometry"},
    {"no geometry", {"none.gpkg", "--id", "pid"}, 2, "feature 2 (pid 2) has an empty geometry"},
    {"invalid geometry without area", {"flat.gpkg"}, 2, "feature 1 has an invalid geometry"},
    {"lines layer", {"lines.gpkg"}, 2, "layer roads holds Line String geometries where polygons are expected"},
    {"point among polygons", {"mixed.geojson", "--id", "pid"}, 2, "feature 1 (pid 2) is a Point where polygons are expected"},
    {"geographic coordinates", {"degrees.gpkg"}, 2, "layer patches is in geographic coordinates (WGS 84 (EPSG:4326))"},
    {"no patch left by the filter", {"good.gpkg", "--where", "pid > 5"}, 2, "no patch in good.gpkg matches --where"},
    {"no habitat pixel", {"bare.tif", "--habitat", "1"}, 2, "no patch in bare.tif"},
    {"raster read as a layer", {"bare.tif"}, 2, "bare.tif is a raster: give its habitat classes with --habitat"},
    {"bad filter", {"good.gpkg", "--where", "pid >"}, 1, "--where \"pid >\" is not a valid filter"},
    {"unknown option", {"good.gpkg", "--colour", "red"}, 1, "unknown option --colour"},
    {"attribute and area", {"good.gpkg", "--attribute", "quality", "--area", "m2"}, 1, "--attribute and --area exclude each other"},
    {"bad unit", {"good.gpkg", "--area", "acres"}, 1, "--area expects ha, m2 or km2"},
    {"connectivity without raster", {"good.gpkg", "--connectivity", "4"}, 1, "--connectivity applies to a raster"},
    {"layer option on a raster", {"bare.tif", "--habitat", "1", "--id", "pid"}, 1, "--id applies to a polygon layer"},
    {"geographic target", {"degrees.gpkg", "--to", "EPSG:4326"}, 1, "is not a projected coordinate system"},
    {"too many decimals", {"good.gpkg", "--decimals", "12"}, 1, "--decimals expects a whole number from 0 to 9"},
    {"negative distance", {"good.gpkg", "--max-distance", "-5"}, 1, "--max-distance must be 0 or more"},
    {"two inputs", {"good.gpkg", "two.gpkg"}, 1, "more than one input given"},
};

TEST(BadInput, PrepRefusesWithAMessageAndLeavesOutputsUntouched) {
  tempFolder folder;
  writeInputs(folder);
  writeFile(folder / "n.txt", "earlier\n");
  for (const badCase& c : prepCases) {
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"--nodes", "n.txt", "--connections", "c.txt", "--patches", "p.gpkg"});
    const runResult r = prep(args, folder.path());
    EXPECT_EQ(r.status, c.status) << c.what << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
    EXPECT_EQ(readFile(folder / "n.txt"), "earlier\n") << c.what;
    EXPECT_FALSE(fs::exists(folder / "c.txt")) << c.what;
    EXPECT_FALSE(fs::exists(folder / "p.gpkg")) << c.what;
  }
  // Nothing but the inputs and the earlier node file: no temporary file stays.
  EXPECT_EQ(folder.files().size(), 13u);
}

TEST(BadInput, PrepNeedsBothOutputsAndAWritableFolder) {
  tempFolder folder;
  writeInputs(folder);
  EXPECT_EQ(prep({"good.gpkg", "--nodes", "n.txt"}, folder.path()).status, 1);
  EXPECT_EQ(prep({"good.gpkg", "--nodes", "n.txt", "--connections", "n.txt"}, folder.path()).status, 1);
  const runResult r = prep({"good.gpkg", "--nodes", "no/such/n.txt", "--connections", "c.txt"}, folder.path());
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("folder no/such does not exist"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(folder / "c.txt"));
}

TEST(BadInput, MapRefusesMissingOrBrokenResults) {
  tempFolder folder;
  writeInputs(folder);
  fs::create_directory(folder / "empty");
  fs::create_directory(folder / "broken");
  writeFile(folder / "broken" / "node_importances.txt", "Node\tdPC\t\n1\t0.5\t\n2\tlots\t\n");
  fs::create_directory(folder / "twice");
  writeFile(folder / "twice" / "node_importances.txt", "Node\tdPC\t\n1\t0.5\t\n1\t0.7\t\n");
  fs::create_directory(folder / "other");
  writeFile(folder / "other" / "node_importances.txt", "Node\tdIIC\t\n1\t0.5\t\n2\t0.7\t\n");
  fs::create_directory(folder / "blank");
  writeFile(folder / "blank" / "node_importances.txt", "Node\tdPC\t\n1\tnan\t\n2\tnan\t\n");
  const std::vector<badCase> cases = {
      {"no results", {"--results", "empty"}, 2, "no result file of Verdalis in empty"},
      {"missing folder", {"--results", "gone"}, 2, "cannot read the results folder gone"},
      {"not a number", {"--results", "broken"}, 2, "broken/node_importances.txt, line 3: \"lots\" is not a number"},
      {"two rows of a node", {"--results", "twice"}, 2, "twice/node_importances.txt has two rows for node 1"},
      {"no such column", {"--results", "other"}, 2, "no column dPC in the results of other (the default; choose another with --column)"},
      {"no results option", {}, 1, "--results DIR is required"},
      {"bad classes", {"--results", "other", "--classes", "1"}, 1, "--classes expects a whole number from 2 to 9"},
      {"chart neither PNG nor SVG", {"--results", "other", "--ranking", "r.jpg"}, 1, "--ranking r.jpg: the chart is written as PNG or SVG"},
      {"too many bars", {"--results", "other", "--ranking", "r.png", "--top", "500"}, 1, "--ranking draws at most 100 bars"},
      {"top without a ranking", {"--results", "other", "--top", "5"}, 1, "--top N says how many patches --ranking and --top-file list"},
      {"nothing to rank", {"--results", "blank", "--top-file", "t.tsv"}, 2, "no patch has a value in column dPC: nothing to rank"},
      {"ranking of no such column", {"--results", "other", "--ranking", "r.svg"}, 2, "no column dPC in the results of other"},
  };
  for (const badCase& c : cases) {
    std::vector<std::string> args = {"good.gpkg", "--id", "pid"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.insert(args.end(), {"--out", "out.gpkg", "--png", "map.png"});
    const runResult r = map(args, folder.path());
    EXPECT_EQ(r.status, c.status) << c.what << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
    for (const char* output : {"out.gpkg", "map.png", "r.png", "r.svg", "t.tsv"})
      EXPECT_FALSE(fs::exists(folder / output)) << c.what << ": " << output;
  }
  // Nothing but the inputs and the result folders: no temporary file stays.
  EXPECT_EQ(folder.files().size(), 17u);
  const runResult r = map({"good.gpkg", "--results", "other", "--label-top", "3", "--out", "out.gpkg"}, folder.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "verdalis-map: --label-top labels the map: give --png or --svg\n");
}

}  // namespace
