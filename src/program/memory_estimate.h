#pragma once
// The peak memory of a run, estimated after the initial check has counted
// the lines of both files and before anything large is allocated, so that a
// run that cannot fit is refused at once instead of failing hours in.
//
// The figures are fitted to the peak resident memory of measured runs
// (seeded landscapes of 200 to 4000 patches and the 6164 islands of the
// Archipelago Sea, both file kinds, both precisions, each analysis): the
// peak errs high, by up to about a third once the matrices dominate (a few
// thousand patches; below, by a few tens of megabytes).
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "landscape/landscape_form.h"
#include "program/program_load_arrays.h"
#include "program/program_load_nodes.h"
#include "program/quivaraProgram.h"

namespace verdalis {

// What decides the memory of a run.
struct runShape {
  long long nodes = 0;            // existing nodes
  long long candidates = 0;       // nodes to add
  long long connectionLines = 0;  // lines of the connection file
  long long connectionBytes = 0;  // its size
  // The sparse form (memory linear in the nodes and the listed pairs), or
  // the dense one (n x n matrices).
  landscapeForm form = landscapeForm::dense;
  bool fullFile = false;       // "all": every ordered pair listed
  bool binary = false;         // a binary index: links and topological distances
  bool probabilistic = false;  // F, AWF, PC or BC(PC): the probability rows
  bool pc = false;
  bool betweenness = false;    // BC, BC(IIC) or BC(PC)
  bool nodeImportances = false;
  int linkAnalyses = 0;
  bool linkChange = false;     // the fourth column is held as well
  // An improvement whose threshold takes the pairs that no line lists: in
  // the sparse form it still measures every pair.
  bool improvesEveryPair = false;
  bool doublePrecision = true;
  bool fast = true;            // the engine somewhere, not -reference throughout
  unsigned threads = 1;
};

struct memoryEstimate {
  double peak = 0;  // on the high side
  // Without the allowances for what depends on the values rather than on
  // the counts (ties between best paths, kept pairs): what the run holds
  // whatever its values. A run is refused only when this does not fit.
  double certain = 0;
};

memoryEstimate estimatedPeak(const runShape& shape);

// The two models behind it: the n x n matrices of the dense form, and the
// neighbour lists of the sparse one (a first model, to be refined with the
// form itself).
double densePeakBytes(const runShape& shape, bool allowances);
double sparsePeakBytes(const runShape& shape, bool allowances);

// "1.23 GB", "583 MB": three significant digits, decimal units.
std::string memoryText(double bytes);

// Estimates below this are not worth a line on the console.
constexpr double kReportedPeakFrom = 100e6;

// What a run that does not fit could change, beside its shape.
struct remedyContext {
  bool denseAsked = false;      // -dense
  bool referenceAsked = false;  // -reference
  // The distance at which the direct probability falls below the -pcHeur
  // value (or 0.005 when none is given), with -confProb on distances; 0
  // when it cannot be told.
  double reach = 0;
  double reachProbability = 0;
};

// The changes that the estimate says would make the run fit in `available`
// bytes, one line each with the estimate they give, and last what
// verdalis-mpi would and would not change.
std::vector<std::string> memoryRemedies(const runShape& shape, double available, const remedyContext& context);

template <class T>
runShape runShapeOf(const quivaraProgram<T>& p) {
  runShape s;
  if (p.arrays != nullptr) {
    s.candidates = candidateRows(*p.arrays);
  } else if (p.addNodes) {
    std::string text;
    if (readWholeFile(p.fileNodes, text)) s.candidates = countCandidateLines(text).candidates;
  }
  s.nodes = p.nNodesTotal - s.candidates;
  s.connectionLines = p.connectionLines;
  // Arrays are read where they lie: no text to hold.
  std::error_code unknown;
  const std::uintmax_t bytes = p.arrays != nullptr ? 0 : std::filesystem::file_size(p.fileConnections, unknown);
  s.connectionBytes = unknown ? 0 : static_cast<long long>(bytes);
  // The first plan's form: the values read may still turn the run dense;
  // the estimate then errs low, which never refuses a run that fits.
  s.form = p.plan.form;
  s.fullFile = p.structType;
  s.binary = p.adjType;
  s.probabilistic = p.probType;
  s.pc = p.pcFlag;
  s.betweenness = p.bcFlag || p.bcpcFlag || p.bciicFlag;
  s.nodeImportances = !p.onlyoverall;
  s.linkAnalyses = (p.linkImportances1Flag ? 1 : 0) + (p.linkImportances2Flag ? 1 : 0) +
                   (p.linkImportances3Flag ? 1 : 0);
  s.linkChange = p.linkImportances3Flag;
  s.improvesEveryPair = p.linkImportances2Flag && p.valueSelected(p.noLinkValue());
  s.doublePrecision = sizeof(T) == sizeof(double);
  s.fast = p.plan.usesEngine();
  s.threads = p.threads;
  return s;
}

template <class T>
std::vector<std::string> memoryRemedies(const quivaraProgram<T>& p, double available) {
  remedyContext context;
  context.denseAsked = p.routing.denseAsked;
  context.referenceAsked = !p.routing.engine;
  const double floor = p.minProb > 0 && !p.allpaths ? p.minProb : 0.005;
  if (p.inputDist && p.probType && p.kProbProb > 0 && p.kProbProb < 1 && p.kDistanceProb > 0) {
    context.reach = p.kDistanceProb * std::log(floor) / std::log(static_cast<double>(p.kProbProb));
    context.reachProbability = floor;
  }
  return memoryRemedies(runShapeOf(p), available, context);
}

}  // namespace verdalis
