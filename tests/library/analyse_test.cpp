// The library against the program: a landscape given as arrays must give,
// formatted as the program formats them, the bytes of the program's own
// result files for the same landscape and options. The cases are those of
// the differential suite (both series), drawn from a seed; each is run by
// the built program in a fresh folder and by analyse() in-process. Then the
// library's own errors: refused input, exhausted memory and cancelling are
// typed errors, never a process exit.
//
// VERDALIS_LIBRARY_CASES sets the number of cases of each series (default 40).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/arguments.h"
#include "cli/run.h"
#include "e2e/differential_cases.h"
#include "e2e/differential_sparse.h"
#include "support/decimal.h"
#include "support/numfmt.h"
#include "verdalis/verdalis.h"

namespace verdalis {

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The columns of a text file, when every token is a decimal number; false
// for a file the readers would stop in (a damaged case).
bool columnsOf(const std::string& text, std::size_t width, std::vector<std::vector<double>>& columns) {
  columns.assign(width, {});
  std::istringstream in(text);
  std::vector<std::string> tokens;
  for (std::string token; in >> token;) tokens.push_back(token);
  if (tokens.size() % width != 0) return false;
  for (std::size_t k = 0; k < tokens.size(); ++k) {
    const std::string& t = tokens[k];
    if (!isDecimalNumber(t.data(), t.data() + t.size())) return false;
    columns[k % width].push_back(std::strtod(t.c_str(), nullptr));
  }
  return true;
}

// A landscape's arrays, read from the texts as the program reads its files.
struct arrays {
  std::vector<int> id, candidate, from, to;
  std::vector<float> attribute, value, alternative;
};

bool arraysOf(const difftest::landscapeCase& c, const dataArg& arg, arrays& a) {
  std::vector<std::vector<double>> nodes, pairs;
  if (!columnsOf(c.nodes, arg.addNodes ? 3 : 2, nodes)) return false;
  if (!columnsOf(c.connections, arg.linkImportances3 ? 4 : 3, pairs)) return false;
  auto whole = [](const std::vector<double>& column, std::vector<int>& out) {
    for (double v : column) {
      if (v != static_cast<double>(static_cast<int>(v))) return false;
      out.push_back(static_cast<int>(v));
    }
    return true;
  };
  auto single = [](const std::vector<double>& column, std::vector<float>& out) {
    for (double v : column) out.push_back(static_cast<float>(v));
  };
  if (!whole(nodes[0], a.id) || !whole(pairs[0], a.from) || !whole(pairs[1], a.to)) return false;
  if (arg.addNodes && !whole(nodes[2], a.candidate)) return false;
  single(nodes[1], a.attribute);
  single(pairs[2], a.value);
  if (arg.linkImportances3) single(pairs[3], a.alternative);
  return true;
}

bool isIdentifier(const std::string& name) { return name == "Node" || name == "Node1" || name == "Node2"; }

// A table as its result file has it: every cell followed by a tab.
std::string tableText(const resultsTable& table) {
  std::string text;
  for (const std::string& name : table.names) text += name + "\t";
  text += "\n";
  for (std::size_t r = 0; r < table.rows(); ++r) {
    for (std::size_t c = 0; c < table.names.size(); ++c) {
      const double v = table.columns[c][r];
      text += (isIdentifier(table.names[c]) ? toText(static_cast<long long>(v)) : toText(v)) + "\t";
    }
    text += "\n";
  }
  return text;
}

std::string componentsText(const resultsTable& table) {
  std::string text = "Node\tComponent\n";
  for (std::size_t r = 0; r < table.rows(); ++r)
    text += toText(static_cast<long long>(table.columns[0][r])) + "\t" +
            toText(static_cast<long long>(table.columns[1][r])) + "\n";
  return text;
}

std::string overallText(const analysisResults& r) {
  std::string text;
  for (const auto& [label, value] : r.overall) text += label + "\t" + toText(value) + "\n";
  return text;
}

int runProgram(const fs::path& folder, const std::vector<std::string>& arguments) {
  std::string command = "cd '" + folder.string() + "' && '" VERDALIS_BINARY "'";
  for (const std::string& a : arguments) command += " '" + a + "'";
  const int status = std::system((command + " > console.txt 2> errors.txt").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int caseCount() {
  const char* text = std::getenv("VERDALIS_LIBRARY_CASES");
  return text != nullptr ? std::atoi(text) : 40;
}

// Case k of a series as the program takes it (arguments without -noout)
// and as the library does (arrays, options); false for a case the
// command line or the readers would refuse.
struct libraryCase {
  difftest::landscapeCase c;
  std::vector<std::string> arguments;
  dataArg arg;
  arrays a;
  landscapeArrays land() const {
    landscapeArrays land;
    land.id = a.id;
    land.attribute = a.attribute;
    land.candidate = a.candidate;
    land.from = a.from;
    land.to = a.to;
    land.value = a.value;
    land.alternative = a.alternative;
    land.reading = landscapeFilesOf(arg).reading;
    return land;
  }
};

bool libraryCaseOf(bool sparseSeries, int k, libraryCase& lc) {
  const std::uint64_t seed = difftest::caseSeed(sparseSeries ? 77 : 78, k);
  lc.c = sparseSeries ? difftest::sparseCaseMaker(seed, 60).make() : difftest::caseMaker(seed, 25).make();
  for (const std::string& a : lc.c.arguments)
    if (a != "-noout") lc.arguments.push_back(a);
  std::string messages;
  std::vector<std::string> words = lc.arguments;
  std::vector<char*> argv{const_cast<char*>("verdalis")};
  for (std::string& a : words) argv.push_back(a.data());
  if (readArguments(static_cast<int>(argv.size()), argv.data(), lc.arg, messages) != 0 || lc.arg.type1_iteration)
    return false;
  return arraysOf(lc.c, lc.arg, lc.a);
}

class LibraryAgainstProgram : public testing::TestWithParam<bool> {};

TEST_P(LibraryAgainstProgram, ArraysGiveTheBytesOfTheResultFiles) {
  const bool sparseSeries = GetParam();
  const fs::path root = fs::temp_directory_path() / ("verdalis_library_" + std::to_string(getpid()));
  int compared = 0;
  for (int k = 0; k < caseCount(); ++k) {
    libraryCase lc;
    if (!libraryCaseOf(sparseSeries, k, lc)) continue;
    const difftest::landscapeCase& c = lc.c;
    const dataArg& arg = lc.arg;
    const fs::path folder = root / ("case" + std::to_string(k)), work = folder / "run";
    fs::create_directories(work);
    std::ofstream(folder / "nodes.txt", std::ios::binary) << c.nodes;
    std::ofstream(folder / "connections.txt", std::ios::binary) << c.connections;
    const int status = runProgram(work, lc.arguments);
    if (status != 0 && status != 3) continue;  // refused by the checks: nothing to compare

    const landscapeArrays land = lc.land();
    analysisOptions options = analysisOptionsOf(arg);
    options.sinks = {};
    options.components = true;
    const analysisResults r = analyse(land, options);
    SCOPED_TRACE("case " + std::to_string(k) + ": " + c.summary);
    EXPECT_EQ(overallText(r), readFile(work / "overall_indices.txt"));
    auto same = [&](bool asked, const std::string& values, const std::string& file) {
      if (!asked) return;
      EXPECT_EQ(values, readFile(work / file)) << file;
    };
    same(!arg.onlyoverall, tableText(r.nodes), arg.node_importances);
    same(arg.bcomponents, componentsText(r.components), arg.components);
    same(arg.linkImportances1, tableText(r.linkTable(linkAnalysisKind::removal)), arg.link_importances_removal);
    same(arg.linkImportances2, tableText(r.linkTable(linkAnalysisKind::improvement)),
         arg.link_importances_improvement);
    same(arg.linkImportances3, tableText(r.linkTable(linkAnalysisKind::change)), arg.link_importances_improvementDiff);
    EXPECT_EQ(r.readingProblems > 0, status == 3);
    ++compared;
    fs::remove_all(folder);
  }
  fs::remove_all(root);
  EXPECT_GT(compared, caseCount() / 2);
}

// The drops of PC summed from the terms that change give the removals'
// dPC and its fractions that the sums of every term give, within the
// rounding of those sums (n² additions, in single precision with -simple)
// and of the single precision they are written in, and add up to dPC; on
// the sparse series, whose zero distances make some searches ones the
// double-precision checks cannot vouch for. Where BC(PC) finds a node on
// no best path the program writes its connector as 0, and a drop keeps
// what it found.
TEST(LibraryPCDrops, AgreeWithTheSumsOfEveryTerm) {
  // In-process only, so five times the cases: enough to meet searches the
  // checks refuse under a cut, which a drop makes again in full.
  const int cases = 5 * caseCount();
  int compared = 0;
  for (int k = 0; k < cases; ++k) {
    libraryCase lc;
    if (!libraryCaseOf(true, k, lc) || !lc.arg.PC || lc.arg.onlyoverall) continue;
    analysisOptions options = analysisOptionsOf(lc.arg);
    options.sinks = {};
    analysisResults sums, drops, firstDrops;
    const int first = static_cast<int>(lc.a.id.size() / 2);
    try {
      sums = analyse(lc.land(), options);
      options.pcDrops = true;
      drops = analyse(lc.land(), options);
      options.pcDropNodes = first;
      if (first > 0) firstDrops = analyse(lc.land(), options);
    } catch (const verdalisError&) {
      continue;  // refused by the checks
    }
    if (sums.route.text.find("Node removals: engine, sparse form") == std::string::npos) continue;
    SCOPED_TRACE("case " + std::to_string(k) + ": " + lc.c.summary);
    // The rows of the existing patches come first; candidates are added, not removed.
    std::size_t existing = lc.a.id.size();
    if (!lc.a.candidate.empty())
      existing = static_cast<std::size_t>(std::count(lc.a.candidate.begin(), lc.a.candidate.end(), 1));
    const double n = static_cast<double>(existing);
    const double rounding = n * n * (options.singlePrecision ? 0x1p-24 : 0x1p-53);
    const std::vector<double>& whole = drops.nodes.column("dPC");
    const char* const names[] = {"dPC", "dPCintra", "dPCflux", "dPCconnector"};
    for (std::size_t r = 0; r < existing; ++r) {
      // A PC that overflows (huge attributes) has no dPC to compare.
      if (!std::isfinite(sums.nodes.column("dPC")[r])) continue;
      // The connector is written as dPC less the other parts, each rounded
      // to single precision: within the rounding of the largest of them.
      double written = 0;
      for (const char* name : names) written += 1e-6 * std::fabs(sums.nodes.column(name)[r]);
      for (const char* name : names) {
        const double expected = sums.nodes.column(name)[r], got = drops.nodes.column(name)[r];
        if (lc.arg.BCPC && name == std::string("dPCconnector") && expected == 0) continue;
        EXPECT_NEAR(got, expected, written + 100 * rounding) << name << " row " << r;
      }
    }
    for (std::size_t r = 0; r < existing; ++r) {
      const double parts = drops.nodes.column("dPCintra")[r] + drops.nodes.column("dPCflux")[r] +
                           drops.nodes.column("dPCconnector")[r];
      if (std::isnan(whole[r])) continue;
      EXPECT_NEAR(whole[r], parts, 1e-12 * std::fabs(whole[r])) << "row " << r;
    }
    EXPECT_EQ(overallText(drops), overallText(sums));
    // The drops of the first patches alone: theirs, and NaN after them.
    for (const char* name : names) {
      if (first == 0) break;
      const std::vector<double>&all = drops.nodes.column(name), &some = firstDrops.nodes.column(name);
      for (std::size_t r = 0; r < existing; ++r) {
        if (r >= static_cast<std::size_t>(first)) {
          EXPECT_TRUE(std::isnan(some[r])) << name << " row " << r;
        } else if (!std::isnan(all[r])) {
          EXPECT_EQ(some[r], all[r]) << name << " row " << r;
        }
      }
    }
    ++compared;
  }
  EXPECT_GT(compared, cases / 4);
}

INSTANTIATE_TEST_SUITE_P(Series, LibraryAgainstProgram, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Sparse" : "Random"; });

// A landscape held in vectors, and its view as the library's arrays.
struct vectorLandscape {
  std::vector<int> id, from, to;
  std::vector<float> attribute, value;
  landscapeArrays land() const {
    landscapeArrays l;
    l.id = id;
    l.attribute = attribute;
    l.from = from;
    l.to = to;
    l.value = value;
    return l;
  }
};

// Three patches in a row, 100 m apart.
struct smallLandscape : vectorLandscape {
  smallLandscape() {
    id = {1, 2, 3};
    from = {1, 2, 2, 3};
    to = {2, 1, 3, 2};
    attribute = {10, 20, 30};
    value = {100, 100, 100, 100};
  }
};

// The pairs of a small landscape among 300,000 patches: too many to hold
// whole.
struct manyPatches {
  const smallLandscape& small;
  std::vector<int> id;
  std::vector<float> attribute;
  explicit manyPatches(const smallLandscape& s) : small(s), id(300000), attribute(id.size(), 1.0f) {
    for (std::size_t k = 0; k < id.size(); ++k) id[k] = static_cast<int>(k + 1);
  }
  landscapeArrays land() const {
    landscapeArrays l = small.land();
    l.id = id;
    l.attribute = attribute;
    return l;
  }
};

TEST(LibraryErrors, AreTypedAndTheCallerGoesOn) {
  const smallLandscape small;
  analysisOptions options;
  options.indices.PC = true;  // without -confProb: the checks refuse it
  EXPECT_THROW(analyse(small.land(), options), inputRefused);
  analysisOptions binary;
  binary.indices.NC = true;  // without -confAdj, which 0 stands for
  std::string told;
  binary.sinks.tell = [&](const std::string& line) { told += line + "\n"; };
  EXPECT_THROW(analyse(small.land(), binary), inputRefused);
  EXPECT_EQ(told.rfind("Error: the binary indices (NC, NL, H, CCP, LCP, IIC, BC, BCIIC) need -confAdj V", 0), 0u)
      << told;

  options.confProb = {100, 0.5};
  options.landArea = 100;
  const analysisResults r = analyse(small.land(), options);
  EXPECT_EQ(r.overallValue("PCintra(%)"), r.overall[3].second);
  EXPECT_EQ(r.nodes.names.front(), "Node");
  EXPECT_EQ(r.nodes.column("Node"), (std::vector<double>{1, 2, 3}));
  EXPECT_THROW(r.overallValue("nothing"), std::out_of_range);

  // The dense form of 300,000 patches is refused before it begins.
  const manyPatches many(small);
  const landscapeArrays large = many.land();
  options.dense = true;
  EXPECT_THROW(analyse(large, options), outOfMemory);

  // A run asked to stop before it starts stops at its first step.
  options.dense = false;
  runControl control;
  control.cancel();
  EXPECT_THROW(analyse(large, options, &control), runCancelled);
  EXPECT_FALSE(control.progress().running);
  // And the next one runs.
  EXPECT_EQ(analyse(small.land(), options).nodes.rows(), 3u);
}

// Patches on a grid 100 m apart, each pair within 250 m listed both ways.
struct gridLandscape : vectorLandscape {
  gridLandscape(int columns, int rows) {
    for (int k = 0; k < columns * rows; ++k) {
      id.push_back(k + 1);
      attribute.push_back(1.0f + static_cast<float>(k % 7));
    }
    for (int a = 0; a < columns * rows; ++a)
      for (int b = 0; b < columns * rows; ++b) {
        const int dx = a % columns - b % columns, dy = a / columns - b / columns;
        const float d = 100.0f * std::sqrt(static_cast<float>(dx * dx + dy * dy));
        if (a == b || d > 250.0f) continue;
        from.push_back(a + 1);
        to.push_back(b + 1);
        value.push_back(d);
      }
  }
};

// Round patches scattered over a square, each pair within 30 km edge to
// edge listed both ways: best paths of many steps, as between protected
// areas, where the drops sum each pair from one end and skip the removals
// with none of a source's pairs below them. They give the dPC of the sums
// of every term, to the single precision those are written in.
TEST(LibraryPCDrops, OfScatteredPatchesAgreeWithTheSums) {
  vectorLandscape land;
  std::vector<double> x, y, radius;
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> unit(0, 1);
  auto next = [&] { return unit(rng); };
  for (int k = 0; k < 300; ++k) {
    land.id.push_back(k + 1);
    land.attribute.push_back(static_cast<float>(1 + 99 * next()));
    x.push_back(100000 * next());
    y.push_back(100000 * next());
    radius.push_back(500 + 2000 * next());
  }
  for (int a = 0; a < 300; ++a)
    for (int b = 0; b < 300; ++b) {
      // Edge to edge: a path through the patches between is often shorter.
      const double centres = std::hypot(x[a] - x[b], y[a] - y[b]);
      const float d = static_cast<float>(std::max(0.0, centres - radius[a] - radius[b]));
      if (a == b || d > 30000) continue;
      land.from.push_back(a + 1);
      land.to.push_back(b + 1);
      land.value.push_back(d);
    }
  analysisOptions options;
  options.indices.PC = true;
  options.confProb = {5000, 0.5};
  const analysisResults sums = analyse(land.land(), options);
  options.pcDrops = true;
  const analysisResults drops = analyse(land.land(), options);
  ASSERT_NE(drops.route.text.find("Node removals: engine, sparse form"), std::string::npos) << drops.route.text;
  for (const char* name : {"dPC", "dPCintra", "dPCflux", "dPCconnector"})
    for (std::size_t r = 0; r < land.id.size(); ++r) {
      const double expected = sums.nodes.column(name)[r];
      EXPECT_NEAR(drops.nodes.column(name)[r], expected, 1e-6 * std::fabs(sums.nodes.column("dPC")[r]) + 1e-9)
          << name << " row " << r;
    }
}

// Cancelled in the middle of a phase that two threads share, here at the
// first progress line of the calling thread (which, in a caller, another
// thread would do at any moment), the run ends with runCancelled and every
// thread of it stops.
TEST(LibraryErrors, ARunCancelledWhileItRunsEndsTyped) {
  const gridLandscape grid(50, 40);
  analysisOptions options;
  options.indices.PC = true;
  options.confProb = {100, 0.5};
  options.threads = 2;
  options.progressLines = logDetail::all;
  runControl control;
  options.sinks.log = [&](const std::string& text) {
    if (text.find("Processing node") != std::string::npos) control.cancel();
  };
  EXPECT_THROW(analyse(grid.land(), options, &control), runCancelled);
  EXPECT_FALSE(control.progress().running);
}

// The route a run took is in its results; planOnly gives the plan alone,
// also of a run that could not fit.
TEST(LibraryPlan, TheRouteOfARunAndThePlanAlone) {
  const smallLandscape small;
  analysisOptions options;
  options.indices.PC = true;
  options.confProb = {100, 0.5};
  const analysisResults sparse = analyse(small.land(), options);
  EXPECT_NE(sparse.route.text.find("Form: sparse"), std::string::npos) << sparse.route.text;
  EXPECT_NE(sparse.route.text.find("Node removals: engine, sparse form\n"), std::string::npos);
  options.dense = true;
  EXPECT_NE(analyse(small.land(), options).route.text.find("Node removals: engine, dense form\n"),
            std::string::npos);

  options.planOnly = true;
  const analysisResults plan = analyse(small.land(), options);
  EXPECT_EQ(plan.nodes.rows(), 0u);
  EXPECT_TRUE(plan.overall.empty());
  EXPECT_NE(plan.route.text.find("Estimated peak memory: "), std::string::npos);

  const analysisResults unread = analyse(manyPatches(small).land(), options);
  EXPECT_NE(unread.route.text.find("Form: dense (held whole: n x n matrices): -dense\n"), std::string::npos);
  EXPECT_NE(unread.route.text.find(": the run does not fit"), std::string::npos) << unread.route.text;
}

TEST(LibraryErrors, TheTablesOfArraysOfTheWrongShapeAreRefused) {
  smallLandscape small;
  small.attribute.pop_back();
  analysisOptions options;
  options.indices.NC = true;
  options.confAdj = 150;
  std::string told;
  options.sinks.tell = [&](const std::string& line) { told += line + "\n"; };
  EXPECT_THROW(analyse(small.land(), options), inputRefused);
  EXPECT_EQ(told, "Error: nodes has 3 identifiers and 2 attributes: every row needs both\n");
}

}  // namespace

}  // namespace verdalis
