// verdalis-mpi under mpirun with 1 to 4 processes must write what the plain
// program writes: every result file and the console byte for byte, with the
// calendar stamps and durations masked, and the same exit status.
//
// Fixed cases cover what every run must split and bring together: every
// index, node removals and additions, the three link analyses, both
// precisions, "all" files and "notall" files in the sparse form, -reference,
// a threshold range, file pairs (-*), -noout, and more processes than cases.
// Random cases of the differential suite (tests/e2e/differential_cases.h)
// follow, each with two process counts.
//
// Environment (optional): VERDALIS_MPI_CASES, the number of random cases
// (default 16); VERDALIS_MPI_SEED, their series (default 20261208);
// VERDALIS_MPI_KEEP, set: keep the folders of the cases that pass too.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/differential_cases.h"
#include "e2e/differential_sparse.h"
#include "e2e/under_sanitizer.h"

namespace verdalis {

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void writeFile(const fs::path& file, const std::string& content) {
  std::ofstream(file, std::ios::binary) << content;
}

std::string quote(const std::string& word) {
  std::string out = "'";
  for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct runResult {
  int status = -1;
  std::string console, errors;
  std::map<std::string, std::string> files;
};

// Runs `command` (already quoted) in `folder`, which then holds only what
// the program wrote besides the given inputs.
runResult runIn(const fs::path& folder, const std::map<std::string, std::string>& inputs,
                const std::string& command) {
  fs::create_directories(folder);
  for (const auto& [name, text] : inputs) writeFile(folder / name, text);
  const std::string out = folder.string() + ".stdout", err = folder.string() + ".stderr";
  const std::string line = "cd " + quote(folder.string()) + " && timeout 300 " + command + " >" + quote(out) +
                           " 2>" + quote(err) + " </dev/null";
  const int raw = std::system(line.c_str());
  runResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.console = readFile(out);
  r.errors = readFile(err);
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) r.files[fs::relative(entry.path(), folder).string()] = readFile(entry.path());
  return r;
}

std::string commandOf(const std::string& program, const std::vector<std::string>& arguments) {
  std::string command = quote(program);
  for (const std::string& a : arguments) command += " " + quote(a);
  return command;
}

std::string mpiCommand(int processes, const std::vector<std::string>& arguments) {
  return quote(VERDALIS_MPIEXEC) + " --oversubscribe --allow-run-as-root -np " + std::to_string(processes) + " " +
         commandOf(VERDALIS_MPI_BINARY, arguments);
}

// The calendar stamps, the total time and the durations of the timing
// report are the only text that may differ between two runs of a case.
std::string masked(const std::string& text) {
  std::istringstream in(text);
  std::string out, line;
  bool timing = false;
  while (std::getline(in, line)) {
    if (timing && line.size() > 8 && line.compare(line.size() - 8, 8, " seconds") == 0 &&
        line.find(": ") != std::string::npos)
      line = line.substr(0, line.find(": ")) + ": <duration>";
    else
      timing = false;
    for (const char* label : {"Execution started at: ", "Indices processing started at: ", "Execution ended at: ",
                              "Total processing time: "}) {
      const std::size_t found = line.find(label);
      if (found != std::string::npos) line = line.substr(0, found + std::string(label).size()) + "<masked>";
    }
    if (line.find("Processing time for indices:") != std::string::npos) timing = true;
    out += line + "\n";
  }
  return out;
}

// The phase lines of standard error come and go with the time a phase takes.
std::string withoutPhaseLines(const std::string& text) {
  std::istringstream in(text);
  std::string kept, line;
  while (std::getline(in, line)) {
    bool phase = false;
    for (const char* name : {"Overall landscape: ", "Node removals: ", "Node additions: ", "Link removal: ",
                             "Link improvement: ", "Link change: "})
      phase = phase || line.rfind(name, 0) == 0;
    if (!phase) kept += line + "\n";
  }
  return kept;
}

bool isLog(const std::string& name) { return name.find("execution_events") != std::string::npos; }

std::vector<std::string> differences(const runResult& plain, const runResult& run) {
  std::vector<std::string> found;
  if (plain.status != run.status)
    found.push_back("exit status " + std::to_string(plain.status) + " against " + std::to_string(run.status));
  if (masked(plain.console) != masked(run.console))
    found.push_back("console:\n--- plain\n" + masked(plain.console) + "--- mpi\n" + masked(run.console));
  // mpirun adds its own lines to the error stream of a job that did not end
  // with status 0.
  if (plain.status == 0 && withoutPhaseLines(plain.errors) != withoutPhaseLines(run.errors))
    found.push_back("error stream:\n--- plain\n" + plain.errors + "--- mpi\n" + run.errors);
  std::set<std::string> names;
  for (const auto& f : plain.files) names.insert(f.first);
  for (const auto& f : run.files) names.insert(f.first);
  for (const std::string& name : names) {
    const auto a = plain.files.find(name), b = run.files.find(name);
    if (a == plain.files.end() || b == run.files.end()) {
      found.push_back("file " + name + " written by one run only");
      continue;
    }
    const bool same = isLog(name) ? masked(a->second) == masked(b->second) : a->second == b->second;
    if (!same) found.push_back("file " + name + " differs");
  }
  return found;
}

struct mpiCase {
  std::string name;
  std::map<std::string, std::string> inputs;  // beside the run folders, or in them
  bool inputsInRunFolder = false;
  std::vector<std::string> arguments;
  std::vector<int> processCounts;
  bool completes = true;  // the plain run ends with status 0
};

void checkCase(const mpiCase& c) {
  std::string pattern = (fs::temp_directory_path() / ("verdalis_mpi_" + c.name + "_XXXXXX")).string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const fs::path work = pattern;
  const std::map<std::string, std::string> none;
  const std::map<std::string, std::string>& inFolder = c.inputsInRunFolder ? c.inputs : none;
  if (!c.inputsInRunFolder)
    for (const auto& [name, text] : c.inputs) writeFile(work / name, text);
  const runResult plain = runIn(work / "plain", inFolder, commandOf(VERDALIS_BINARY, c.arguments));
  if (c.completes) {
    EXPECT_EQ(plain.status, 0) << c.name << ": " << plain.console << plain.errors;
  }
  for (int n : c.processCounts) {
    // 0: started without mpirun, a job of one process.
    const runResult run = runIn(work / ("np" + std::to_string(n)), inFolder,
                                n == 0 ? commandOf(VERDALIS_MPI_BINARY, c.arguments) : mpiCommand(n, c.arguments));
    for (const std::string& d : differences(plain, run))
      ADD_FAILURE() << c.name << " with " << n << " processes: " << d << "\n  errors: " << run.errors
                    << "\n  kept in " << work.string();
  }
  if (!testing::Test::HasFailure() && std::getenv("VERDALIS_MPI_KEEP") == nullptr) fs::remove_all(work);
}

// ---------------------------------------------------------------- fixed cases

// A small clustered landscape: distances between points on a line with gaps,
// every pair listed (all) or only the near ones (notall), a changed value for
// every pair, and a few candidates.
mpiCase landscapeCase(const std::string& name, int existing, int candidates, bool all, bool change) {
  mpiCase c;
  c.name = name;
  std::string nodes, connections;
  const int total = existing + candidates;
  auto position = [](int k) { return 300.0 * k + (k % 4 == 0 ? 900.0 : 0.0) * (k / 4); };
  for (int k = 0; k < total; ++k)
    nodes += std::to_string(10 + k) + "\t" + std::to_string(1 + (k * 7) % 5) + (candidates > 0 ? (k >= existing ? "\t0" : "\t1") : "") + "\n";
  // "all" lists every ordered pair; "notall" the near ones, one way.
  for (int a = 0; a < total; ++a)
    for (int b = 0; b < total; ++b) {
      const double d = std::abs(position(b) - position(a));
      if (a == b || (!all && (d > 1500 || b < a))) continue;
      connections += std::to_string(10 + a) + "\t" + std::to_string(10 + b) + "\t" +
                     std::to_string(static_cast<int>(d)) +
                     (change ? "\t" + std::to_string(static_cast<int>(d * 0.6)) : std::string()) + "\n";
    }
  c.inputs = {{"nodes.txt", nodes}, {"connections.txt", connections}};
  c.arguments = {"-nodeFile", "../nodes.txt", "-conFile", "../connections.txt", "-t", "dist", all ? "all" : "notall"};
  return c;
}

std::vector<std::string> everyIndex() {
  return {"-confAdj", "700", "-confProb", "1000", "0.5", "-A", "-NL", "-NC", "-H", "-CCP", "-LCP", "-IIC",
          "-F", "-AWF", "-PC", "-BC", "-BCIIC", "-BCPC"};
}

void extend(std::vector<std::string>& to, const std::vector<std::string>& more) {
  to.insert(to.end(), more.begin(), more.end());
}

TEST(MpiDifferential, EveryIndexAndAnalysisInDoublePrecision) {
  mpiCase c = landscapeCase("double", 11, 3, true, true);
  extend(c.arguments, everyIndex());
  extend(c.arguments, {"-add", "-removal", "-improvement", "-change", "-double", "-prefix", "r", "-wcomp", "-wlinks"});
  c.processCounts = {1, 2, 3, 4};
  checkCase(c);
}

TEST(MpiDifferential, EveryIndexAndAnalysisInSinglePrecisionWithThreads) {
  mpiCase c = landscapeCase("simple", 10, 2, true, true);
  extend(c.arguments, everyIndex());
  extend(c.arguments, {"-add", "-removal", "maxValue", "900", "-improvement", "-change", "-simple", "-threads", "2"});
  c.processCounts = {2, 3};
  checkCase(c);
}

TEST(MpiDifferential, NotallFileHeldByNeighbour) {
  mpiCase c = landscapeCase("notall", 14, 3, false, false);
  extend(c.arguments, everyIndex());
  extend(c.arguments, {"-add", "-pcHeur", "0.01"});
  c.processCounts = {0, 1, 2, 4};
  checkCase(c);
}

// PC alone by neighbour: the processes share the sources of the global
// searches, in rounds of 64 sources a process (one thread each), the last
// of them empty on one process.
TEST(MpiDifferential, PCByNeighbourSharesItsSources) {
  mpiCase c = landscapeCase("pc_sources", 300, 0, false, false);
  extend(c.arguments, {"-confProb", "1000", "0.5", "-PC", "-removal", "-threads", "1"});
  c.processCounts = {2, 3};
  checkCase(c);
}

TEST(MpiDifferential, LinkAnalysesHeldByNeighbourAndInFull) {
  for (const bool dense : {false, true}) {
    mpiCase c = landscapeCase(dense ? "links_dense" : "links_by_neighbour", 13, 0, false, true);
    extend(c.arguments, {"-confAdj", "700", "-confProb", "1000", "0.5", "-IIC", "-PC", "-NC", "-H", "-removal",
                         "-improvement", "-change"});
    if (dense) c.arguments.push_back("-dense");
    c.processCounts = {2, 3};
    checkCase(c);
  }
}

TEST(MpiDifferential, ReferenceAndLinksOfANotallFile) {
  mpiCase c = landscapeCase("reference", 9, 2, false, true);
  extend(c.arguments, {"-confAdj", "700", "-confProb", "1000", "0.5", "-IIC", "-PC", "-NC", "-add", "-removal",
                       "-improvement", "-change", "-reference"});
  c.processCounts = {3};
  checkCase(c);
}

TEST(MpiDifferential, ThresholdRangeWithTheLogInAFile) {
  mpiCase c = landscapeCase("range", 10, 1, true, false);
  extend(c.arguments, {"-confProb", "1000", "0.5", "-IIC", "-PC", "-LCP", "-add", "-confMultipleValues", "300",
                       "900", "300", "-prefix", "it_b+_", "-noout"});
  c.processCounts = {2, 4};
  checkCase(c);
}

TEST(MpiDifferential, FilePairs) {
  mpiCase one = landscapeCase("pairs", 8, 0, true, false), two = landscapeCase("pairs", 12, 0, false, false);
  mpiCase c;
  c.name = "pairs";
  c.inputsInRunFolder = true;
  c.inputs = {{"nodes_a.txt", one.inputs["nodes.txt"]}, {"dist_a.txt", one.inputs["connections.txt"]},
              {"nodes_b.txt", two.inputs["nodes.txt"]}, {"dist_b.txt", two.inputs["connections.txt"]}};
  c.arguments = {"-nodeFile", "nodes_", "-conFile", "dist_", "-*", "-t", "dist", "notall", "-confAdj", "700",
                 "-confProb", "1000", "0.5", "-IIC", "-PC", "-removal"};
  c.processCounts = {1, 3};
  checkCase(c);
}

TEST(MpiDifferential, MoreProcessesThanCases) {
  mpiCase c = landscapeCase("tiny", 2, 1, true, true);
  extend(c.arguments, everyIndex());
  extend(c.arguments, {"-add", "-removal", "-improvement", "-change"});
  c.processCounts = {4};
  checkCase(c);
}

// A process that runs out of memory (here the second, under a data limit
// too small for the larger landscape of two file pairs) ends that run on
// every process with "error23", the next run still takes place, and the job
// ends with the status of a failed run.
TEST(MpiFaults, OutOfMemoryOnOneProcessEndsThatRunOnAll) {
#ifdef VERDALIS_UNDER_ASAN
  GTEST_SKIP() << "the address sanitizer cannot run under a data limit";
#endif
  std::string pattern = (fs::temp_directory_path() / "verdalis_mpi_memory_XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const fs::path work = pattern;
  const std::string generate = quote(VERDALIS_GENERATOR) + " --seed 3 --full --nodes ";
  ASSERT_EQ(std::system((generate + "800 --out-nodes " + quote((work / "nodes_a.txt").string()) +
                         " --out-connections " + quote((work / "dist_a.txt").string()) + " >/dev/null").c_str()),
            0);
  ASSERT_EQ(std::system((generate + "12 --out-nodes " + quote((work / "nodes_b.txt").string()) +
                         " --out-connections " + quote((work / "dist_b.txt").string()) + " >/dev/null").c_str()),
            0);
  const std::vector<std::string> arguments{"-nodeFile", "nodes_", "-conFile", "dist_", "-*", "-t", "dist", "all",
                                           "-confAdj", "1000", "-confProb", "1000", "0.5", "-IIC", "-PC",
                                           "-threads", "1"};
  const std::string program = commandOf(VERDALIS_MPI_BINARY, arguments);
  const std::string command = quote(VERDALIS_MPIEXEC) + " --oversubscribe --allow-run-as-root -np 1 " + program +
                              " : -np 1 sh -c " + quote("ulimit -d 35000 && exec " + program);
  const std::map<std::string, std::string> none;
  const runResult run = runIn(work, none, command);
  auto count = [&](const std::string& text) {
    int found = 0;
    for (std::size_t at = run.console.find(text); at != std::string::npos; at = run.console.find(text, at + 1))
      ++found;
    return found;
  };
  EXPECT_EQ(run.status, 2) << run.console << run.errors;
  EXPECT_EQ(count("error23"), 1) << run.console;
  EXPECT_EQ(count("Execution started at: "), 2) << run.console;
  EXPECT_EQ(run.files.count("a.txt_node_importances.txt"), 0u);
  EXPECT_EQ(run.files.count("b.txt_node_importances.txt"), 1u);
  if (!testing::Test::HasFailure()) fs::remove_all(work);
}

// ---------------------------------------------------------------- random cases

int randomCases() {
  const char* text = std::getenv("VERDALIS_MPI_CASES");
  return text != nullptr && *text != '\0' ? std::atoi(text) : 16;
}

std::uint64_t randomSeries() {
  const char* text = std::getenv("VERDALIS_MPI_SEED");
  return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : 20261208;
}

class MpiRandom : public testing::TestWithParam<int> {};

TEST_P(MpiRandom, SameBytesAsOneProcess) {
  const int k = GetParam();
  const std::uint64_t seed = difftest::caseSeed(randomSeries(), k);
  const difftest::landscapeCase drawn =
      k % 3 == 2 ? difftest::sparseCaseMaker(seed, 14).make() : difftest::caseMaker(seed, 14).make();
  mpiCase c;
  c.name = "random" + std::to_string(k);
  c.inputs = {{"nodes.txt", drawn.nodes}, {"connections.txt", drawn.connections}};
  c.arguments = drawn.arguments;
  c.processCounts = {1 + k % 4, 1 + (k + 2) % 4};
  c.completes = false;
  SCOPED_TRACE(drawn.summary);
  checkCase(c);
}

INSTANTIATE_TEST_SUITE_P(Drawn, MpiRandom, testing::Range(0, randomCases()),
                         [](const testing::TestParamInfo<int>& info) { return "case" + std::to_string(info.param); });

}  // namespace

}  // namespace verdalis
