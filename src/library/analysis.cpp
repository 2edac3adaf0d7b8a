// analyse(): one run of the program in-process, from the landscape (arrays
// or files) and the options to the values. The steps are those of the
// command-line program between its start and end stamps: the checks, the
// memory estimate, loading, the run summary and warnings, the analysis and
// the timing report; the program then writes its files from the results.
#include <chrono>
#include <mutex>

#include "library/memory_check.h"
#include "library/option_checks.h"
#include "library/result_values.h"
#include "library/run_control.h"
#include "library/run_state.h"
#include "library/run_warnings.h"
#include "program/plan_report.h"
#include "program/progress_choice.h"
#include "program/quivaraProgram.h"
#include "support/cancellation.h"
#include "support/messages.h"
#include "support/parallel.h"
#include "support/problem_log.h"
#include "support/process_group.h"
#include "support/progress.h"
#include "verdalis/verdalis.h"

namespace verdalis {

bool indexChoice::select(const std::string& name) {
  const std::pair<const char*, bool indexChoice::*> flags[] = {
      {"NC", &indexChoice::NC},   {"NL", &indexChoice::NL},   {"H", &indexChoice::H},         {"CCP", &indexChoice::CCP},
      {"LCP", &indexChoice::LCP}, {"IIC", &indexChoice::IIC}, {"BC", &indexChoice::BC},       {"BCIIC", &indexChoice::BCIIC},
      {"F", &indexChoice::F},     {"AWF", &indexChoice::AWF}, {"PC", &indexChoice::PC},       {"BCPC", &indexChoice::BCPC},
      {"A", &indexChoice::A}};
  for (const auto& [label, flag] : flags)
    if (name == label) {
      this->*flag = true;
      return true;
    }
  return false;
}

runControl::runControl() : state(std::make_shared<shared>()) {}
runControl::~runControl() = default;

void runControl::cancel() { state->cancelled.store(true); }

progressSnapshot runControl::progress() const {
  progressSnapshot snapshot;
  snapshot.running = state->running.load();
  if (!snapshot.running) return snapshot;
  const progressMeter::snapshot now = runProgress().now();
  snapshot.phase = now.phase;
  snapshot.done = now.done;
  snapshot.total = now.total;
  snapshot.seconds = now.seconds;
  return snapshot;
}

namespace {

// Sends the run's text to the caller's sinks for the life of the run, and
// keeps every line told for the results. Without sinks the run is silent.
class sinksInstalled {
 public:
  sinksInstalled(const textSinks& sinks, std::vector<std::string>& told) : saved(console()) {
    console().logSink = sinks.log ? sinks.log : [](const std::string&) {};
    const auto tell = sinks.tell;
    console().tellSink = [tell, &told](const std::string& line) {
      told.push_back(line);
      if (tell) tell(line);
    };
    console().phaseLines = sinks.tell != nullptr;
  }
  ~sinksInstalled() { console() = saved; }
  sinksInstalled(const sinksInstalled&) = delete;
  sinksInstalled& operator=(const sinksInstalled&) = delete;

 private:
  consoleRoute saved;
};

template <class T>
std::unique_ptr<quivaraProgram<T>> programOf(const analysisOptions& o, const pairReading& reading,
                                             const std::string& nodes, const std::string& pairs,
                                             bool candidates) {
  const indexChoice& i = o.indices;
  const bool distances = reading.kind == pairValue::distance;
  auto p = std::make_unique<quivaraProgram<T>>(
      distances, reading.kind == pairValue::probability, reading.kind == pairValue::link, i.A, i.CCP, i.LCP, i.IIC,
      i.NC, i.NL, i.H, i.F, i.AWF, i.PC, i.BC && !o.onlyOverall, i.BCPC && !o.onlyOverall,
      i.BCIIC && !o.onlyOverall, nodes, pairs, o.confAdj, o.confProb.distance, o.confProb.probability, o.pcHeur,
      o.pcHeurAll, false, o.onlyOverall, false, reading.everyPair, candidates, o.removal && !o.onlyOverall,
      o.improvement && !o.onlyOverall, o.linkMaxValue, o.change && !o.onlyOverall, o.landArea);
  p->routing.engine = !o.reference;
  p->routing.denseAsked = o.dense;
  p->routing.pcDrops = o.pcDrops;
  p->routing.pcDropNodes = o.pcDropNodes;
  p->threads = workerThreads(o.threads);
  p->symmetric = reading.symmetric;
  return p;
}

// A step that every process of a job takes: a process that fails it ends
// the run on all of them, rather than leaving the others waiting.
template <class F>
void onEveryProcess(F&& step) {
  bool failed = false;
  try {
    step();
  } catch (...) {
    if (processes().size == 1) throw;
    failed = true;
  }
  if (processes().size > 1 && processes().agree(failed)) throw kNoMemory;
}

// A run that passes the checks on rank 0 but not on another process (a file
// missing or unreadable there) ends on all of them as a failed check.
inline int checksOnEveryProcess(int errors) {
  if (!processes().agree(errors != 0) || errors != 0) return errors;
  tellUser("Another process of this job failed the checks of the settings or input files that this one passed "
           "(are the input files readable on every machine?); the run stops here.");
  return 1;
}

progressRequest progressRequestOf(logDetail detail) {
  switch (detail) {
    case logDetail::all: return progressRequest::all;
    case logDetail::brief: return progressRequest::brief;
    case logDetail::automatic: break;
  }
  return progressRequest::automatic;
}

std::string toldText(const std::vector<std::string>& told) {
  std::string text;
  for (const std::string& line : told) text += line + "\n";
  return text.empty() ? std::string("the run stopped at the checks of its settings or input\n") : text;
}

// The combinations the command line refuses while it reads its arguments,
// refused here for the callers that do not go through it.
template <class T>
void refuseCombinations(const quivaraProgram<T>& p, const analysisOptions& o, analysisResults& results) {
  combinationFacts facts;
  facts.binary = p.ccpFlag || p.lcpFlag || p.iicFlag || p.ncFlag || p.nlFlag || p.hFlag || p.bcFlag || p.bciicFlag;
  facts.probabilistic = p.fFlag || p.awfFlag || p.pcFlag || p.bcpcFlag;
  facts.PC = p.pcFlag;
  facts.IIC = p.iicFlag;
  facts.BCIIC = p.bciicFlag;
  facts.BCPC = p.bcpcFlag;
  facts.distances = p.inputDist;
  facts.probabilities = p.inputProb;
  facts.links = p.inputAdjacen;
  facts.confAdj = p.adjacentTail;
  facts.confProbDistance = p.kDistanceProb;
  facts.confProbProbability = p.kProbProb;
  facts.pcHeur = o.pcHeurAll || o.pcHeur > 0;
  const std::vector<combinationRefusal> refused = refusedCombinations(facts);
  for (const combinationRefusal& r : refused) tellUser("Error: " + r.text);
  if (!refused.empty()) throw inputRefused(toldText(results.told));
}

template <class T>
void runSteps(quivaraProgram<T>& program, const analysisOptions& o, analysisResults& results) {
  int errors = 0;
  problems().clear();
  refuseCombinations(program, o, results);
  onEveryProcess([&] {
    errors = program.initial_check();
    if (errors != 0) problems().tell();
  });
  if (processes().size > 1) errors = checksOnEveryProcess(errors);
  if (errors != 0) throw inputRefused(toldText(results.told));
  memoryOutlook memory;
  onEveryProcess([&] {
    if (o.planOnly) {
      // A run that cannot fit keeps the first plan: its files are not read.
      memory = memoryOutlookOf(program);
      if (memory.fits()) program.load_data();
      results.warnings = problems().tell();
      results.readingProblems = program.findings.readingProblems;
      return;
    }
    // Each process reads the files on its own machine, whose memory may
    // differ: a run that cannot fit on one of them ends on all of them.
    memory = refuseWhatCannotFit(program);
    program.load_data();
    say(program.information_execution() + "\n");
    results.warnings = problems().tell() + tellRunWarnings(program, o.landArea);
    results.readingProblems = program.findings.readingProblems;
  });
  results.route.text = planReport(program, memory.needed, memory.available);
  if (o.planOnly) return;
  runProgressLines() = chooseProgressLines(progressShapeOf(program), progressRequestOf(o.progressLines));
  program.generacio_indexos();
  say(program.show_time_proces() + "\n");
}

template <class T>
analysisResults analyseIn(std::unique_ptr<quivaraProgram<T>> program, const analysisOptions& options,
                          runControl* control) {
  std::lock_guard<std::mutex> lock(analysisMutex());
  analysisResults results;
  results.state = std::make_shared<runState>();
  quivaraProgram<T>& p = *program;
  if constexpr (sizeof(T) == sizeof(float))
    results.state->simple = std::move(program);
  else
    results.state->full = std::move(program);
  {
    sinksInstalled sinks(options.sinks, results.told);
    controlInstalled controlled(control);
    try {
      runSteps(p, options, results);
    } catch (const char* message) {
      throw outOfMemory(message);
    } catch (const std::bad_alloc&) {
      throw outOfMemory(kNoMemory);
    } catch (const runStopped&) {
      throw runCancelled("the run was cancelled");
    }
    if (!options.planOnly) fillResults(p, options, results);
  }
  return results;
}

template <class T>
analysisResults analyseArrays(const landscapeArrays& land, const analysisOptions& options, runControl* control) {
  inputArrays arrays;
  arrays.id = {land.id.data, land.id.size};
  arrays.attribute = {land.attribute.data, land.attribute.size};
  arrays.candidate = {land.candidate.data, land.candidate.size};
  arrays.from = {land.from.data, land.from.size};
  arrays.to = {land.to.data, land.to.size};
  arrays.value = {land.value.data, land.value.size};
  arrays.alternative = {land.alternative.data, land.alternative.size};
  std::unique_ptr<quivaraProgram<T>> program =
      programOf<T>(options, land.reading, land.nodesName, land.pairsName, !land.candidate.empty());
  program->arrays = &arrays;
  analysisResults results = analyseIn(std::move(program), options, control);
  // The arrays are the caller's: nothing may look at them after this call.
  results.state->visit([](auto& p) { p.arrays = nullptr; });
  return results;
}

}  // namespace

analysisResults analyse(const landscapeArrays& landscape, const analysisOptions& options, runControl* control) {
  return options.singlePrecision ? analyseArrays<float>(landscape, options, control)
                                 : analyseArrays<double>(landscape, options, control);
}

analysisResults analyse(const landscapeFiles& landscape, const analysisOptions& options, runControl* control) {
  auto run = [&](auto precision) {
    using T = decltype(precision);
    return analyseIn(programOf<T>(options, landscape.reading, landscape.nodeFile, landscape.connectionFile,
                                  landscape.candidates),
                     options, control);
  };
  return options.singlePrecision ? run(float{}) : run(double{});
}

std::string version() { return "Verdalis 2.8.8 (command line version 1.1.6)"; }

}  // namespace verdalis
