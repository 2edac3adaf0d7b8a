#pragma once
// Verdalis as a library: the connectivity of a landscape of habitat patches
// and the importance of every patch and link, computed in-process.
//
//   verdalis::landscapeArrays land;          // or landscapeFiles: the two text files
//   land.id = ids; land.attribute = areas;   // any contiguous arrays the caller keeps alive
//   land.from = from; land.to = to; land.value = distances;
//   verdalis::analysisOptions options;
//   options.indices.PC = true;
//   options.confProb = {1000, 0.5};
//   options.landArea = 14400;
//   verdalis::analysisResults r = verdalis::analyse(land, options);
//   r.overallValue("EC(PC)");                // 93.6373 on the bundled example
//   r.nodes.column("dPC");                   // one value per patch, as the node file has it
//
// The numbers are those the command-line program writes, bit for bit: the
// program itself is a thin tool over this library. The options follow the
// command line's (README, "Options"); tables carry the result files' column
// names and the overall indices their labels ("PC", "EC(PC)", "PCintra(%)").
//
// One analysis runs at a time in a process (calls from several threads wait
// for each other); each may use several threads itself.
#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace verdalis {

// ---- the landscape ----------------------------------------------------

// n contiguous values that the caller keeps alive while analyse runs: a
// std::vector, a numpy array, an R vector. Nothing is copied.
template <class V>
struct arrayView {
  const V* data = nullptr;
  std::size_t size = 0;
  arrayView() = default;
  arrayView(const V* d, std::size_t n) : data(d), size(n) {}
  arrayView(const std::vector<V>& v) : data(v.data()), size(v.size()) {}  // NOLINT: a view of the vector
  bool empty() const { return size == 0; }
  const V& operator[](std::size_t k) const { return data[k]; }
};

// What the value of a pair is: -t dist, -t prob or -t adj.
enum class pairValue { distance, probability, link };

// How the pairs are read, as the connection file is.
struct pairReading {
  pairValue kind = pairValue::distance;
  bool everyPair = false;  // "all": every ordered pair of distinct patches is listed
  bool symmetric = false;  // -symmetric: a pair listed one way only is read both ways
};

// A landscape as arrays: a row per patch (a node-file line) and a row per
// ordered pair (a connection-file line), in the order the files would list
// them. Values are taken in single precision, as the files are read.
struct landscapeArrays {
  arrayView<int> id;
  arrayView<float> attribute;
  arrayView<int> candidate;  // empty: no candidates; else 1 existing, 0 candidate to add (-add)
  arrayView<int> from, to;
  arrayView<float> value;
  arrayView<float> alternative;  // empty, or the value of the link change analysis (-change)
  pairReading reading;
  // How the run log and the messages name the two tables.
  std::string nodesName = "nodes", pairsName = "pairs";
};

// A landscape as the command line's two files (README, "Input files").
struct landscapeFiles {
  std::string nodeFile, connectionFile;
  pairReading reading;
  bool candidates = false;  // -add: the node file has a third column
};

// ---- what to compute --------------------------------------------------

struct indexChoice {
  bool NC = false, NL = false, H = false, CCP = false, LCP = false, IIC = false, BC = false, BCIIC = false;
  bool F = false, AWF = false, PC = false, BCPC = false, A = false;
  // Selects the index of this name ("NC", "IIC", "PC", ...); false when no
  // index has it, for the bindings that take the names as text.
  bool select(const std::string& name);
};

struct distanceProbability {
  float distance = 0, probability = 0;  // -confProb D P: probability P at distance D
};

// Where a run's log and its lines for the user go. Both default to nowhere;
// the command-line program sends them to standard output and error.
struct textSinks {
  std::function<void(const std::string&)> log;   // the run log, as verdalis prints it
  std::function<void(const std::string&)> tell;  // warnings and problems, a line each, without its line feed
};

// How many progress lines the run log holds (-progress all / brief): by
// default the brief log only where the full one would pass 10 MB.
enum class logDetail { automatic, all, brief };

struct analysisOptions {
  indexChoice indices;
  float confAdj = 0;                 // -confAdj: the binary link threshold
  distanceProbability confProb;      // -confProb, with distances
  float landArea = 0;                // -landArea: 0 writes the numerators only
  bool pcHeurAll = false;            // -pcHeur all
  float pcHeur = 0;                  // -pcHeur V
  bool onlyOverall = false;          // onlyoverall
  bool removal = false;              // -removal
  bool improvement = false;          // -improvement
  float linkMaxValue = 0;            // their maxValue V: only the pairs within it (0: every pair)
  bool change = false;               // -change (needs the alternative values)
  // Tables beside the importances, which the options -wcomp, -wlinks,
  // -wprobdir and -wprobmax ask for.
  bool components = false, links = false, directProbabilities = false, bestPathProbabilities = false;
  bool singlePrecision = false;      // -simple
  // The node removals' dPC, dPCintra, dPCflux and dPCconnector in double,
  // each removal's drop of PC summed from the terms that change (old minus
  // new) rather than as the difference of two sums of every term, when the
  // sparse form's engine measures them (a notall landscape); they agree
  // with the program's to the six digits it writes. Without -pcHeur, a
  // removed landscape's best paths are then the least over its paths, where
  // the straightforward search may keep a path longer by less than its
  // single-precision rounding.
  bool pcDrops = false;
  // With pcDrops, the drops of the first pcDropNodes patches only (0: of
  // every patch); the other rows' PC columns then hold NaN.
  int pcDropNodes = 0;
  int threads = 0;                   // 0: every hardware thread
  bool reference = false;            // -reference: the straightforward measure, one thread
  bool dense = false;                // -dense: a notall landscape in the dense form, n x n matrices
  bool planOnly = false;             // -plan: check and read the landscape, choose the plan, compute nothing
  logDetail progressLines = logDetail::automatic;
  textSinks sinks;
};

// ---- the results ------------------------------------------------------

// Columns of numbers under their result-file names, column by column.
// Identifiers (Node, Node1, Node2, Component) are whole numbers.
struct resultsTable {
  std::vector<std::string> names;
  std::vector<std::vector<double>> columns;
  std::size_t rows() const { return columns.empty() ? 0 : columns.front().size(); }
  // The column of that name; throws std::out_of_range when there is none.
  const std::vector<double>& column(const std::string& name) const;
};

enum class linkAnalysisKind { removal, improvement, change };

// How a run was computed: the form of the landscape (dense, n x n matrices,
// or sparse, each patch keeping its own pairs) and the route of every phase
// (straightforward, or the engine on the form), with the memory estimate,
// as `verdalis -plan` prints it.
struct runRoute {
  std::string text;
};

class runState;

class analysisResults {
 public:
  // The overall indices, as overall_indices.txt lists them.
  std::vector<std::pair<std::string, double>> overall;
  // The node importance table (empty with onlyOverall): existing patches,
  // then candidates.
  resultsTable nodes;
  // With options.components: Node, Component.
  resultsTable components;
  // The lines told to the user (warnings, problems) and the number of input
  // values the run called invalid ("RESULTS WILL BE INVALID").
  std::vector<std::string> told;
  int warnings = 0;  // how many of them are warnings
  int readingProblems = 0;
  runRoute route;

  double overallValue(const std::string& label) const;  // throws std::out_of_range
  // A link table as its file has it: every unordered pair of existing
  // patches, Node1 > Node2 in node order (n (n - 1) / 2 rows).
  resultsTable linkTable(linkAnalysisKind kind) const;
  // With options.links: Node1, Node2, Link. With directProbabilities or
  // bestPathProbabilities: From, To, Probability, for every ordered pair.
  resultsTable linkList() const;
  resultsTable probabilities(bool bestPath) const;

  // The run behind the values, for writing the result files.
  std::shared_ptr<runState> state;
};

// ---- errors -----------------------------------------------------------

class verdalisError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};
// The options or the landscape failed the checks that stop a run; what()
// holds the messages.
class inputRefused : public verdalisError {
  using verdalisError::verdalisError;
};
// The run needs more memory than the machine has (estimated before it
// starts, or found while it runs).
class outOfMemory : public verdalisError {
  using verdalisError::verdalisError;
};
// runControl::cancel was called.
class runCancelled : public verdalisError {
  using verdalisError::verdalisError;
};

// ---- progress and cancelling, from another thread ---------------------

struct progressSnapshot {
  std::string phase;     // "Overall landscape", "Node removals", ...; empty between phases
  long long done = 0, total = 0;
  double seconds = 0;    // since the phase began
  bool running = false;  // analyse has not returned yet
};

class runControl {
 public:
  runControl();
  ~runControl();
  runControl(const runControl&) = delete;
  runControl& operator=(const runControl&) = delete;
  // Asks the run to stop at its next step; analyse then throws runCancelled.
  void cancel();
  progressSnapshot progress() const;

  struct shared;
  std::shared_ptr<shared> state;
};

// ---- the analysis -----------------------------------------------------

analysisResults analyse(const landscapeArrays& landscape, const analysisOptions& options,
                        runControl* control = nullptr);
analysisResults analyse(const landscapeFiles& landscape, const analysisOptions& options,
                        runControl* control = nullptr);

// "Verdalis 1.1.6" and the build's version.
std::string version();

}  // namespace verdalis
