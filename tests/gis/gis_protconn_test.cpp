// verdalis-protconn on small layers whose values are worked by hand: one
// protected area, two touching (Contig), two overlapping (the Within
// correction), one across the border, a stepping stone beyond the border
// (Trans), a region of two islands, a region without protected area; the
// identities of the fractions on every row; the landscape handed to the
// core, run by verdalis itself, gives the same ECA; the same files whatever
// the number of threads and of MPI processes; and the bad inputs, which
// leave no file.
#include <cmath>
#include <map>

#include "gis_fixtures.h"
#include "support/numfmt.h"
#include "verdalis/verdalis.h"

namespace gistest {
namespace {

using table = std::vector<std::map<std::string, std::string>>;

table readTable(const fs::path& file) {
  std::istringstream in(readFile(file));
  std::vector<std::string> names;
  table rows;
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> cells;
    std::istringstream words(line);
    for (std::string cell; std::getline(words, cell, '\t');) cells.push_back(cell);
    if (names.empty()) {
      names = cells;
      continue;
    }
    EXPECT_EQ(cells.size(), names.size()) << line;
    std::map<std::string, std::string> row;
    for (std::size_t k = 0; k < names.size() && k < cells.size(); ++k) row[names[k]] = cells[k];
    rows.push_back(row);
  }
  return rows;
}

double number(const std::map<std::string, std::string>& row, const std::string& column) {
  return std::stod(row.at(column));
}

const std::map<std::string, std::string>& rowOf(const table& t, const std::string& region, const std::string& distance) {
  for (const auto& row : t)
    if (row.at("region") == region && row.at("distance") == distance) return row;
  ADD_FAILURE() << "no row of region " << region << " at " << distance;
  return t.front();
}

runResult protconn(const std::vector<std::string>& args, const fs::path& folder) {
  return run(VERDALIS_PROTCONN, args, folder);
}

// Regions 100 km apart, each a square of 10 km (10,000 ha) but the island
// region, with protected areas of 100 ha (squares of 1 km) placed so that
// every value below can be worked by hand, with P = 0.5 at D = 1000 m.
void writeHandLayers(const tempFolder& dir) {
  auto at = [](int region, double x, double y, double side) { return square(region * 100000 + x, y, side); };
  std::vector<featureDefinition> regions;
  const char* names[] = {"one", "touch", "overlap", "border", "trans", "island", "empty"};
  for (int r = 0; r < 7; ++r)
    if (r != 5) regions.push_back({at(r, 0, 0, 10000), {names[r]}});
  regions.push_back({"MULTIPOLYGON(((500000 0,504000 0,504000 4000,500000 4000,500000 0)),"
                     "((505000 0,509000 0,509000 4000,505000 4000,505000 0)))",
                     {"island"}});
  writeLayer(dir / "regions.gpkg", "GPKG", "regions", 3067, {{"name", OFTString}}, regions);
  const std::vector<featureDefinition> areas = {
      {at(0, 4000, 4000, 1000), {"1"}},
      {at(1, 1000, 1000, 1000), {"11"}}, {at(1, 2000, 1000, 1000), {"12"}},    // touching along a side
      {at(2, 1000, 1000, 1000), {"21"}}, {at(2, 1500, 1000, 1000), {"22"}},    // overlapping by half
      {at(3, 9500, 1000, 1000), {"31"}},                                       // half of it outside
      {at(4, 8000, 0, 1000), {"41"}},    {at(4, 8000, 9000, 1000), {"42"}},    // 8 km apart...
      {"POLYGON((410000 0,411000 0,411000 10000,410000 10000,410000 0))", {"43"}},  // ...or 1 + 1 km through a stone
      {at(5, 2000, 1000, 1000), {"51"}}, {at(5, 6000, 1000, 1000), {"52"}},    // 3 km apart across the sea
  };
  writeLayer(dir / "pas.gpkg", "GPKG", "pas", 3067, {{"pid", OFTInteger}}, areas);
}

void expectNear(double value, double expected, const std::string& what) {
  EXPECT_NEAR(value, expected, 1e-6 * std::max(1.0, std::fabs(expected))) << what;
}

// The identities of the fractions, and the shares of the region.
void expectIdentities(const std::map<std::string, std::string>& row) {
  if (row.at("ProtConn_Prot") == "NA") return;
  const std::string f[] = {"ProtConn_Prot", "ProtConn_Within", "ProtConn_Contig", "ProtConn_Trans", "ProtConn_Unprot"};
  expectNear(number(row, f[0]) + number(row, f[3]) + number(row, f[4]), 100, "Prot + Trans + Unprot");
  expectNear(number(row, f[1]) + number(row, f[2]), number(row, f[0]), "Within + Contig");
  for (const std::string& name : f)
    expectNear(number(row, name + "_land"), number(row, name) * number(row, "ProtConn") / 100, name + "_land");
}

TEST(ProtconnTest, ValuesWorkedByHand) {
  tempFolder dir;
  writeHandLayers(dir);
  const runResult r = protconn({"pas.gpkg", "--id", "pid", "--regions", "regions.gpkg", "--region-id", "name",
                                "--distance", "1000,1", "--transboundary", "1500", "--out", "pc.tsv",
                                "--importances", "units.tsv"},
                               dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  const table t = readTable(dir / "pc.tsv");
  ASSERT_EQ(t.size(), 14u);
  for (const auto& row : t) expectIdentities(row);
  struct expected {
    const char* region;
    double protectedArea, eca, prot, within, trans;
    int nodes, transboundary;
  };
  const double trans = std::sqrt(25000.0), noTrans = std::sqrt(20000 + 20000 * std::pow(0.5, 8));
  const expected cases[] = {
      {"one", 100, 100, 100, 100, 0, 1, 0},
      {"touch", 200, 200, 100, 100 * std::sqrt(20000.0) / 200, 0, 1, 0},
      {"overlap", 150, 150, 100, 100 * std::sqrt(20000.0) * std::sqrt(150.0 / 200) / 150, 0, 1, 0},
      {"border", 50, 50, 100, 100, 0, 1, 1},
      {"trans", 200, trans, 100 * std::sqrt(20000.0) / trans, 100 * std::sqrt(20000.0) / trans,
       100 * (trans - noTrans) / trans, 2, 1},
      {"island", 200, 150, 100 * std::sqrt(20000.0) / 150, 100 * std::sqrt(20000.0) / 150, 0, 2, 0},
  };
  for (const expected& e : cases) {
    const auto& row = rowOf(t, e.region, "1000");
    const double area = std::string(e.region) == "island" ? 3200 : 10000;
    expectNear(number(row, "area"), area, e.region);
    expectNear(number(row, "protected"), e.protectedArea, e.region);
    EXPECT_EQ(row.at("nodes"), std::to_string(e.nodes)) << e.region;
    EXPECT_EQ(row.at("transboundary_nodes"), std::to_string(e.transboundary)) << e.region;
    expectNear(number(row, "ECA"), e.eca, e.region);
    expectNear(number(row, "Prot"), 100 * e.protectedArea / area, e.region);
    expectNear(number(row, "ProtConn"), 100 * e.eca / area, e.region);
    expectNear(number(row, "RelConn"), 100 * e.eca / e.protectedArea, e.region);
    expectNear(number(row, "ProtConn_Prot"), e.prot, e.region);
    expectNear(number(row, "ProtConn_Within"), e.within, e.region);
    expectNear(number(row, "ProtConn_Trans"), e.trans, e.region);
  }
  // At 1 m every pair is beyond reach: ECA of the islands is that of two isolated areas.
  expectNear(number(rowOf(t, "island", "1"), "ECA"), std::sqrt(20000.0), "island at 1 m");
  expectNear(number(rowOf(t, "island", "1"), "ProtConn_Unprot"), 0, "island at 1 m");
  // A region without protected area: zeros, and NA where a ratio has no denominator.
  const auto& empty = rowOf(t, "empty", "1000");
  for (const char* zero : {"protected", "nodes", "ECA", "Prot", "ProtConn", "ProtUnconn", "ProtConn_Prot_land"})
    EXPECT_EQ(empty.at(zero), "0") << zero;
  for (const char* none : {"RelConn", "ProtConn_Prot", "ProtConn_Within", "ProtConn_Unprot"})
    EXPECT_EQ(empty.at(none), "NA") << none;
  // Removing 41 of the stepping-stone region: PCnum 25000 falls to 10000 (dPC 60, of which intra 40,
  // flux 20), so ProtConn falls by 1 - sqrt(0.4).
  const table units = readTable(dir / "units.tsv");
  ASSERT_EQ(units.size(), 2u * 8);
  for (const auto& u : units) {
    if (u.at("pid") != "41" || u.at("distance") != "1000") continue;
    const double d = 100 * (1 - std::sqrt(0.4));
    expectNear(number(u, "dProtConn"), d, "dProtConn");
    expectNear(number(u, "dProtConn_intra"), d * 40 / 60, "intra");
    expectNear(number(u, "dProtConn_flux"), d * 20 / 60, "flux");
    expectNear(number(u, "dProtConn_connector"), 0, "connector");
  }
}

// Least-cost distances through the cost module: over a uniform resistance
// of 2 in cells of 100 m, the cheapest path between two squares 1 km apart
// runs from cell centre to cell centre, 11 steps of 100 m: a cost of 2200.
TEST(ProtconnTest, LeastCostDistances) {
  tempFolder dir;
  writeLayer(dir / "regions.gpkg", "GPKG", "regions", 3067, {{"name", OFTString}}, {{square(0, 0, 10000), {"r"}}});
  writeLayer(dir / "pas.gpkg", "GPKG", "pas", 3067, {{"pid", OFTInteger}},
             {{square(1000, 1000, 1000), {"1"}}, {square(3000, 1000, 1000), {"2"}}});
  writeRaster(dir / "resistance.tif", std::vector<std::vector<int>>(120, std::vector<int>(120, 2)), 100, -1000, 11000,
              3067);
  const runResult r = protconn({"pas.gpkg", "--id", "pid", "--regions", "regions.gpkg", "--region-id", "name",
                                "--distance", "1000", "--resistance", "resistance.tif", "--out", "pc.tsv"},
                               dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  const table t = readTable(dir / "pc.tsv");
  ASSERT_EQ(t.size(), 1u);
  expectNear(number(t.front(), "ECA"), std::sqrt(20000 + 20000 * std::pow(0.5, 2.2)), "least-cost ECA");
  const runResult bad = protconn({"pas.gpkg", "--regions", "regions.gpkg", "--region-id", "name", "--distance",
                                  "1000", "--neighbours", "4", "--out", "pc2.tsv"},
                                 dir.path());
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("give --resistance RASTER"), std::string::npos) << bad.err;
}

// Nine touching regions of 10 km and 80 protected areas of 200 m to 1.5 km
// drawn at random over them and beyond: overlaps, touching areas, areas
// across borders and stepping stones of every kind.
void writeRandomLayers(const tempFolder& dir) {
  std::vector<featureDefinition> regions, areas;
  for (int r = 0; r < 9; ++r) regions.push_back({square(10000 * (r % 3), 10000 * (r / 3), 10000), {"R" + std::to_string(r)}});
  writeLayer(dir / "regions.gpkg", "GPKG", "regions", 3067, {{"name", OFTString}}, regions);
  unsigned state = 12345;
  auto next = [&state](double low, double high) {
    state = state * 1103515245u + 12345u;
    return low + (high - low) * static_cast<double>((state >> 8) & 0xFFFF) / 65535.0;
  };
  for (int k = 1; k <= 80; ++k) {
    const double side = next(200, 1500);
    areas.push_back({square(std::round(next(-3000, 32000)), std::round(next(-3000, 32000)), std::round(side)), {std::to_string(k)}});
  }
  writeLayer(dir / "pas.gpkg", "GPKG", "pas", 3067, {{"pid", OFTInteger}}, areas);
}

TEST(ProtconnTest, CoreGivesTheSameValuesOnTheSameNodesWhateverTheThreads) {
  tempFolder dir;
  writeRandomLayers(dir);
  fs::create_directory(dir / "land");
  auto args = [](const std::string& threads, const std::string& suffix) {
    return std::vector<std::string>{"pas.gpkg", "--id", "pid", "--regions", "regions.gpkg", "--region-id", "name",
                                    "--distance", "1000,3000", "--transboundary", "2000", "--threads", threads,
                                    "--out", "pc" + suffix + ".tsv", "--importances", "units" + suffix + ".tsv",
                                    "--landscapes", "land"};
  };
  const runResult one = protconn(args("1", "1"), dir.path());
  ASSERT_EQ(one.status, 0) << one.err;
  const runResult three = protconn(args("3", "3"), dir.path());
  ASSERT_EQ(three.status, 0) << three.err;
  EXPECT_EQ(readFile(dir / "pc1.tsv"), readFile(dir / "pc3.tsv"));
  EXPECT_EQ(readFile(dir / "units1.tsv"), readFile(dir / "units3.tsv"));
#ifdef VERDALIS_PROTCONN_MPI_BINARY
  // Two processes, each analysis shared between them: the same files.
  // Open MPI keeps blocks of plugins it has unloaded to the end of the
  // process, which a sanitizer build's leak checker would blame on the program.
  std::string command = "cd " + quoted(dir.path().string()) + " && ASAN_OPTIONS=detect_leaks=0 " + quoted(VERDALIS_MPIEXEC) +
                        " --oversubscribe --allow-run-as-root -np 2 " + quoted(VERDALIS_PROTCONN_MPI_BINARY);
  std::vector<std::string> mpiArgs = args("2", "m");
  mpiArgs.resize(mpiArgs.size() - 2);  // without --landscapes
  for (const std::string& word : mpiArgs) command += " " + quoted(word);
  ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;
  EXPECT_EQ(readFile(dir / "pc1.tsv"), readFile(dir / "pcm.tsv"));
  EXPECT_EQ(readFile(dir / "units1.tsv"), readFile(dir / "unitsm.tsv"));
#endif
  const table t = readTable(dir / "pc1.tsv");
  ASSERT_EQ(t.size(), 18u);
  int compared = 0;
  for (const auto& row : t) {
    expectIdentities(row);
    const std::string stem = "land/" + row.at("region") + "_" + row.at("distance");
    if (readFile(dir / (stem + "_connections.txt")).empty()) continue;
    // The same landscape through the library, and through the program's files.
    verdalis::landscapeFiles files{(dir / (stem + "_nodes.txt")).string(), (dir / (stem + "_connections.txt")).string(),
                                   {verdalis::pairValue::distance, false, true}, false};
    verdalis::analysisOptions options;
    options.indices.PC = true;
    options.confProb = {std::stof(row.at("distance")), 0.5f};
    options.onlyOverall = true;
    EXPECT_EQ(verdalis::analyse(files, options).overallValue("EC(PC)"), number(row, "ECA")) << stem;
    const fs::path folder = dir / ("run_" + std::to_string(compared++));
    fs::create_directory(folder);
    const runResult core = run(VERDALIS_BINARY, {"-nodeFile", "../" + stem + "_nodes.txt", "-conFile",
                                                 "../" + stem + "_connections.txt", "-t", "dist", "notall",
                                                 "-symmetric", "-PC", "-confProb", row.at("distance"), "0.5",
                                                 "onlyoverall"},
                               folder);
    ASSERT_EQ(core.status, 0) << core.err;
    EXPECT_NE(readFile(folder / "overall_indices.txt").find("EC(PC)\t" + verdalis::toText(number(row, "ECA")) + "\n"),
              std::string::npos)
        << stem;
  }
  EXPECT_GE(compared, 12);
}

TEST(ProtconnTest, BadInputIsRefusedWithoutAnyFile) {
  tempFolder dir;
  writeHandLayers(dir);
  writeLayer(dir / "twice.gpkg", "GPKG", "regions", 3067, {{"name", OFTString}},
             {{square(0, 0, 100), {"a"}}, {square(200, 0, 100), {"a"}}});
  writeLayer(dir / "degrees.gpkg", "GPKG", "pas", 4326, {{"pid", OFTInteger}}, {{square(24, 60, 0.1), {"1"}}});
  const std::vector<std::string> base = {"--id", "pid", "--regions", "regions.gpkg", "--region-id", "name",
                                         "--distance", "1000", "--out", "pc.tsv", "--importances", "u.tsv"};
  struct refusal {
    std::vector<std::string> args;
    int status;
    const char* message;
  };
  auto with = [&](std::vector<std::string> args, const std::string& option, const std::string& value) {
    for (std::size_t k = 0; k + 1 < args.size(); ++k)
      if (args[k] == option) args[k + 1] = value;
    return args;
  };
  std::vector<std::string> plain = base;
  plain.insert(plain.begin(), "pas.gpkg");
  std::vector<std::string> degrees = base;
  degrees.insert(degrees.begin(), "degrees.gpkg");
  std::vector<std::string> filtered = plain, certain = plain;
  filtered.insert(filtered.end(), {"--where", "pid > 1000"});
  certain.insert(certain.end(), {"--probability", "1"});
  const refusal cases[] = {
      {with(plain, "--region-id", "nope"), 2, "no field \"nope\" in layer regions; its fields: name"},
      {with(plain, "--regions", "twice.gpkg"), 2, "the values of name must be unique"},
      {filtered, 2, "no protected area in pas.gpkg matches --where"},
      {with(plain, "--distance", "0"), 1, "--distance must be above 0"},
      {degrees, 2, "reproject with --to EPSG:CODE"},
      {certain, 1, "--probability expects a probability between 0 and 1"},
  };
  for (const refusal& c : cases) {
    const runResult r = protconn(c.args, dir.path());
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(dir.files(), (std::vector<std::string>{"degrees.gpkg", "pas.gpkg", "regions.gpkg", "twice.gpkg"}));
  }
  std::vector<std::string> one = plain;
  one.insert(one.end(), {"--region", "unknown"});
  const runResult unknown = protconn(one, dir.path());
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("no region unknown in regions.gpkg (field name); its regions: one, touch"), std::string::npos)
      << unknown.err;
  // Four self-intersecting areas: the first three named, then the count.
  std::vector<featureDefinition> bowties;
  for (int k = 0; k < 4; ++k) {
    const std::string x0 = std::to_string(1000 + 2000 * k), x1 = std::to_string(2000 + 2000 * k);
    bowties.push_back({"POLYGON((" + x0 + " 1000," + x1 + " 2000," + x1 + " 1000," + x0 + " 2000," + x0 + " 1000))",
                       {std::to_string(k + 1)}});
  }
  writeLayer(dir / "bowties.gpkg", "GPKG", "pas", 3067, {{"pid", OFTInteger}}, bowties);
  std::vector<std::string> repaired = base;
  repaired.insert(repaired.begin(), "bowties.gpkg");
  const runResult r = protconn(repaired, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("feature 3 (pid 3) had an invalid geometry"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("feature 4 (pid 4)"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("4 protected areas had invalid geometries and were repaired (the first 3 named above)"),
            std::string::npos)
      << r.err;
}

// Five periods worked by hand, AL = 10, -confProb 1000 0.5: two areas of 4
// 1000 m apart (ECA √48), then 2000 m apart (√40), one shrunk to 2 (√24),
// kept, and brought back to 1000 m (√28).
TEST(ChangeTest, PeriodsWorkedByHand) {
  tempFolder dir;
  writeFile(dir / "n1.txt", "1\t4\n2\t4\n");
  writeFile(dir / "n3.txt", "1\t2\n2\t4\n");
  writeFile(dir / "c1.txt", "1\t2\t1000\n2\t1\t1000\n");
  writeFile(dir / "c2.txt", "1\t2\t2000\n2\t1\t2000\n");
  const runResult r = run(VERDALIS_CHANGE,
                          {"--period", "2000", "n1.txt", "c1.txt", "--period", "2005", "n1.txt", "c2.txt", "--period",
                           "2010", "n3.txt", "c2.txt", "--period", "2015", "n3.txt", "c2.txt", "--period", "2020",
                           "n3.txt", "c1.txt", "--landArea", "10", "-confProb", "1000", "0.5", "--out", "change.tsv",
                           "--chart", "change.svg"},
                          dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(dir / "change.svg"));
  const table t = readTable(dir / "change.tsv");
  ASSERT_EQ(t.size(), 5u);
  const double eca[] = {std::sqrt(48.0), std::sqrt(40.0), std::sqrt(24.0), std::sqrt(24.0), std::sqrt(28.0)};
  const double habitat[] = {8, 8, 6, 6, 6};
  const char* words[] = {"connectivity loss", "connectivity loss", "habitat loss", "maintained", "gain"};
  for (std::size_t k = 0; k < 5; ++k) {
    const auto& row = t[k];
    expectNear(number(row, "A"), habitat[k], "A");
    expectNear(number(row, "ECA"), eca[k], "ECA");
    expectNear(number(row, "ECA_pct_landscape"), 10 * eca[k], "ECA_pct_landscape");
    expectNear(number(row, "ECA_pct_habitat"), 100 * eca[k] / habitat[k], "ECA_pct_habitat");
    const double a0 = k == 0 ? 10 : habitat[k - 1], e0 = k == 0 ? 10 : eca[k - 1];
    expectNear(number(row, "dA"), 100 * (habitat[k] - a0) / a0, "dA");
    if (k != 3) expectNear(number(row, "dECA"), 100 * (eca[k] - e0) / e0, "dECA");
    EXPECT_EQ(row.at("rECA") == "NA", habitat[k] == a0) << k;
    EXPECT_EQ(row.at("change"), words[k]) << k;
  }
  const runResult bad = run(VERDALIS_CHANGE, {"--period", "a", "n1.txt", "c1.txt", "-confProb", "1000", "0.5"}, dir.path());
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("--landArea AL is required"), std::string::npos) << bad.err;
}

}  // namespace
}  // namespace gistest
