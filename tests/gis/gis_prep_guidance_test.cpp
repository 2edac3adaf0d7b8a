// What verdalis-prep tells for the run to come: the whole summary of a
// dissolved layer, whose printed verdalis command then runs as it stands;
// the distance --suggest-for suggests; the study area; --fields; and, on a
// layer of 5,001 patches, the warning before every pair, the progress line
// and an interrupt that leaves no file.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "gis_fixtures.h"

using namespace gistest;

namespace {

// 1 and 5 share a side, 2 and 7 overlap: dissolved, patch 1 (2 ha) and
// patch 2 (1.75 ha) 200 m apart, in a 550 × 150 m extent.
void writeTouchingSquares(const fs::path& file) {
  writeLayer(file, "GPKG", "patches", 3067, {{"pid", OFTInteger64}},
             {{square(100, 0, 100), {"5"}}, {square(0, 0, 100), {"1"}}, {square(450, 50, 100), {"7"}},
              {square(400, 0, 100), {"2"}}});
}

// The command of the line after "Next:", with the built verdalis for "verdalis".
std::string nextCommand(const std::string& out) {
  const std::size_t next = out.find("Next:\n  verdalis ");
  if (next == std::string::npos) return "";
  const std::size_t start = next + std::string("Next:\n  verdalis ").size();
  return out.substr(start, out.find('\n', start) - start);
}

TEST(PrepGuidance, DissolvedSummaryWholeAndItsCommandRuns) {
  tempFolder folder;
  writeTouchingSquares(folder / "in.gpkg");
  const runResult r = prep({"in.gpkg", "--id", "pid", "--dissolve", "--suggest-for", "250", "0.5", "--nodes", "n.txt",
                            "--connections", "c.txt"},
                           folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  // 250 ln(0.001) / ln(0.5) = 2491.4 m.
  EXPECT_EQ(r.out,
            "Read 2 patches from in.gpkg (ETRS89 / TM35FIN(E,N) (EPSG:3067))\n"
            "  --dissolve: 4 polygons became 2 patches\n"
            "Wrote n.txt: 2 lines, identifier and area in ha\n"
            "Wrote c.txt: 2 lines, edge-to-edge distances in metres, both directions, every pair\n"
            "Extent: x 0 to 550, y 0 to 150 (550 m by 150 m), 8.25 ha; the 2 patches cover 3.75 ha (45.5 %)\n"
            "For -confProb 250 0.5, pairs more than 2492 m apart have a probability below 0.001: --max-distance 2492 "
            "leaves out only those\n"
            "Next:\n"
            "  verdalis -nodeFile n.txt -conFile c.txt -t dist all -landArea 8.25 -NC -PC -confAdj 250 -confProb 250 0.5\n");
  const std::string command = nextCommand(r.out);
  std::vector<std::string> words;
  std::istringstream split(command);
  for (std::string word; split >> word;) words.push_back(word);
  const runResult core = run(VERDALIS_BINARY, words, folder.path());
  EXPECT_EQ(core.status, 0) << command << "\n" << core.err;
  EXPECT_EQ(core.err.find("landArea"), std::string::npos) << core.err;
}

TEST(PrepGuidance, SuggestionAloneFloorAndShortMaxDistance) {
  tempFolder folder;
  runResult r = prep({"--suggest-for", "1000", "0.5"}, folder.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "For -confProb 1000 0.5, pairs more than 9966 m apart have a probability below 0.001: --max-distance 9966 "
            "leaves out only those\n");
  r = prep({"--suggest-for", "1000", "0.5", "--floor", "0.01"}, folder.path());
  EXPECT_NE(r.out.find("pairs more than 6644 m apart have a probability below 0.01"), std::string::npos) << r.out;
  EXPECT_TRUE(folder.files().empty());
  for (const auto& [args, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--suggest-for", "1000", "1"}, "--suggest-for D P needs a distance above 0 and a probability between 0 and 1"},
           {{"--suggest-for", "1000"}, "--suggest-for takes two values, D P"},
           {{"--suggest-for", "1000", "0.5", "--floor", "2"}, "--floor expects a probability between 0 and 1"},
           {{"--floor", "0.01"}, "--floor applies to --suggest-for D P"}}) {
    r = prep(args, folder.path());
    EXPECT_EQ(r.status, 1) << message;
    EXPECT_EQ(r.err.rfind("verdalis-prep: " + message, 0), 0u) << r.err;
  }
  writeTouchingSquares(folder / "in.gpkg");
  r = prep({"in.gpkg", "--suggest-for", "1000", "0.5", "--max-distance", "2000", "--nodes", "n.txt", "--connections",
            "c.txt"},
           folder.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "verdalis-prep: warning: --max-distance 2000 leaves out pairs whose probability under -confProb 1000 0.5 is "
            "up to 0.25, above --floor 0.001: --max-distance 9966 keeps them\n");
  // Without arguments: where to find the options.
  r = prep({}, folder.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Usage: verdalis-prep INPUT --nodes NODEFILE --connections CONFILE [options]\n"
                   "Every option: verdalis-prep --help\n");
}

// -landArea comes from the study area when given; a raster's extent is the
// raster's; an attribute field leaves -landArea to the user.
TEST(PrepGuidance, StudyAreaRasterExtentAndAttributeField) {
  tempFolder folder;
  writeTouchingSquares(folder / "in.gpkg");
  writeLayer(folder / "study.geojson", "GeoJSON", "study", 3067, {}, {{square(-100, -100, 1000), {}}});
  runResult r = prep({"in.gpkg", "--study-area", "study.geojson", "--nodes", "n.txt", "--connections", "c.txt"},
                     folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\nStudy area study.geojson: 100 ha\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("-t dist all -landArea 100 [indices and thresholds"), std::string::npos) << r.out;
  r = prep({"in.gpkg", "--attribute", "pid", "--nodes", "n.txt", "--connections", "c.txt"}, folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("the 4 patches cover 4 ha (48.5 %)\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("-landArea [the most field pid the study area could hold]"), std::string::npos) << r.out;
  writeRaster(folder / "cover.tif", {{1, 0, 0, 1}, {1, 0, 0, 0}, {0, 0, 1, 1}}, 10, 0, 30, 3067);
  r = prep({"cover.tif", "--habitat", "1", "--area", "m2", "--nodes", "n.txt", "--connections", "c.txt"}, folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\nExtent of the raster: x 0 to 40, y 0 to 30 (40 m by 30 m), 1200 m2; the 3 patches cover 500 m2 "
                       "(41.7 %)\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("-landArea 1200 "), std::string::npos) << r.out;
  // A study area that does not hold the patches is named in the warning.
  writeLayer(folder / "small.geojson", "GeoJSON", "small", 3067, {}, {{square(0, 0, 10), {}}});
  r = prep({"in.gpkg", "--study-area", "small.geojson", "--nodes", "n.txt", "--connections", "c.txt"}, folder.path());
  EXPECT_EQ(r.err, "verdalis-prep: warning: the patches cover 4 ha, more than the study area small.geojson (0.01 ha): "
                   "is it the study area of these patches?\n");
  r = prep({"in.gpkg", "--study-area", "none.gpkg", "--nodes", "n.txt", "--connections", "c.txt"}, folder.path());
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "verdalis-prep: --study-area none.gpkg: cannot read none.gpkg: no such file or not readable\n");
}

TEST(PrepGuidance, FieldsOfLayersAndClassesOfARaster) {
  tempFolder folder;
  writeLayer(folder / "in.gpkg", "GPKG", "patches", 3067, {{"pid", OFTInteger}, {"quality", OFTReal}, {"kind", OFTString}},
             {{square(0, 0, 100), {"1", "", "keep"}}, {square(400, 0, 100), {"2", "7.25", "drop"}}}, wkbPolygon);
  writeLayer(folder / "in.gpkg", "GPKG", "bare", 3067, {}, {{square(0, 0, 10), {}}}, wkbPolygon);
  runResult r = prep({"in.gpkg", "--fields"}, folder.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "in.gpkg: 2 layers\n"
            "Layer patches: 2 features, Polygon, ETRS89 / TM35FIN(E,N) (EPSG:3067)\n"
            "  Field    Type     Sample\n"
            "  pid      Integer  1\n"
            "  quality  Real     7.25\n"
            "  kind     String   \"keep\"\n"
            "Layer bare: 1 feature, Polygon, ETRS89 / TM35FIN(E,N) (EPSG:3067)\n"
            "  (no field: the patches are named by their feature IDs)\n"
            "--id takes a field of unique whole numbers (default: the feature IDs), --attribute a numeric field "
            "(default: the area)\n");
  r = prep({"in.gpkg", "--fields", "--layer", "bare"}, folder.path());
  EXPECT_EQ(r.out.find("Layer patches"), std::string::npos) << r.out;
  writeRaster(folder / "cover.tif", {{1, 0, 0, 1}, {1, 0, 0, 0}, {0, 0, 1, 2}}, 10, 0, 30, 3067);
  r = prep({"cover.tif", "--fields"}, folder.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "cover.tif: a raster of 4 by 3 pixels of 10 by 10, 1 band (Byte), ETRS89 / TM35FIN(E,N) (EPSG:3067)\n"
            "  class values of band 1 (pixels): 0 (7) 1 (4) 2 (1)\n"
            "  read it with --habitat V[,V...], the class values of the habitat\n");
  r = prep({"--fields"}, folder.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "verdalis-prep: --fields lists the layers and fields of INPUT: give the file\n");
}

// Runs prep in folder until its standard error holds every one of wanted
// (at most a minute), then sends SIGTERM. The status is 128 + the signal
// when the process was ended by one.
runResult interruptedPrep(const std::vector<std::string>& args, const fs::path& folder,
                          const std::vector<std::string>& wanted) {
  const fs::path errFile = folder / ".stderr";
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(folder.c_str()) != 0) _exit(127);
    dup2(open(".stderr", O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    dup2(open("/dev/null", O_WRONLY), 1);
    std::vector<char*> argv = {const_cast<char*>(VERDALIS_PREP)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(VERDALIS_PREP, argv.data());
    _exit(127);
  }
  runResult result;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  auto allSeen = [&] {
    result.err = readFile(errFile);
    return std::all_of(wanted.begin(), wanted.end(), [&](const std::string& w) { return result.err.find(w) != std::string::npos; });
  };
  while (!allSeen() && std::chrono::steady_clock::now() < giveUp) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  kill(child, SIGTERM);
  int raw = 0;
  waitpid(child, &raw, 0);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
  result.err = readFile(errFile);
  fs::remove(errFile);
  return result;
}

TEST(PrepGuidance, EveryPairOfALargeLayerWarnsShowsProgressAndStopsCleanly) {
  tempFolder folder;
  std::vector<featureDefinition> features;
  for (int k = 0; k < 5001; ++k) features.push_back({square(k % 71 * 20.0, k / 71 * 20.0, 10), {}});
  writeLayer(folder / "many.geojson", "GeoJSON", "many", 3067, {}, features);
  const std::string warning =
      "verdalis-prep: warning: every pair of the 5001 patches will be measured and written: 25005000 lines, about ";
  const runResult r = interruptedPrep({"many.geojson", "--suggest-for", "100", "0.5", "--nodes", "n.txt", "--connections",
                                       "c.txt", "--threads", "2"},
                                      folder.path(), {warning, "\nDistances: "});
  EXPECT_EQ(r.status, 143) << r.err;
  EXPECT_EQ(r.err.rfind(warning, 0), 0u) << r.err;
  EXPECT_NE(r.err.find(" MB of memory; --max-distance 997 keeps only the pairs whose probability under -confProb 100 "
                       "0.5 is at least 0.001\n"),
            std::string::npos)
      << r.err;
  // "Distances: 3% done, about 1 min left", from the second second on.
  const std::size_t progress = r.err.find("\nDistances: ");
  ASSERT_NE(progress, std::string::npos) << r.err;
  const std::string line = r.err.substr(progress + 1, r.err.find('\n', progress + 1) - progress - 1);
  EXPECT_NE(line.find("% done, about "), std::string::npos) << line;
  EXPECT_EQ(line.substr(line.size() - 5), " left") << line;
  EXPECT_EQ(folder.files(), std::vector<std::string>{"many.geojson"});
}

}  // namespace
