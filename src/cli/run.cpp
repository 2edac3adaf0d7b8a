#include "cli/run.h"

#include "support/parallel.h"

#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <memory>

#include "cli/arguments.h"
#include "cli/run_report.h"
#include "library/run_state.h"
#include "reports/saveresults.h"
#include "verdalis/verdalis.h"
#include "support/clock.h"
#include "support/files.h"
#include "support/messages.h"
#include "support/numfmt.h"
#include "support/problem_log.h"
#include "support/process_group.h"
#include "support/progress_lines.h"

namespace verdalis {

namespace {


// Points standard output at a run's log file and back at the console.
// The console descriptor is kept, so that the next run never writes into
// this run's log, however this run ends.
class outputRedirection {
 public:
  outputRedirection() = default;
  outputRedirection(const outputRedirection&) = delete;
  outputRedirection& operator=(const outputRedirection&) = delete;
  ~outputRedirection() { restore(); }

  bool open(const std::string& file) {
    std::fflush(stdout);
    std::FILE* log = std::fopen(file.c_str(), "w");
    if (log == nullptr) {
      sayError("The execution events file " + file +
                         " cannot be opened; the run goes on with its output on the console");
      tellUser("Warning: the log file " + file + " of -noout cannot be written; the run log goes to the console.");
      return false;
    }
    console = dup(fileno(stdout));
    bool moved = console >= 0 && dup2(fileno(log), fileno(stdout)) >= 0;
    std::fclose(log);
    if (!moved) {
      if (console >= 0) close(console);
      console = -1;
      sayError("Standard output cannot be sent to " + file + "; the run goes on with its output on the console");
    }
    return moved;
  }

  void restore() {
    if (console < 0) return;
    std::fflush(stdout);
    dup2(console, fileno(stdout));
    close(console);
    console = -1;
  }

 private:
  int console = -1;
};

// The overall-index files and the node-importance files. The summary files
// that collect many runs get nothing when appendSummaries is off.
template <class T>
void writeNodeReports(saveresults<T>& w, quivaraProgram<T>* p, const dataArg& a, bool appendSummaries) {
  if (a.boverall_indices) {
    w.ActionSaveGlobResExecute(p, a.overall_indices, a);
    if (appendSummaries) {
      w.ActionSaveAllGlobResExecute(p, a.all_overall_indices, a);
      if (a.PC)
        w.ActionWriteTXT_EC_PC_Execute(p, a.node_importances_EC_PC, a.prefix_name, a.kDistanceProb, a.kProbProb,
                                       a.inputDist);
      if (a.IIC)
        w.ActionWriteTXT_EC_IIC_Execute(p, a.node_importances_EC_IIC, a.prefix_name, a.adjacentTail, a.inputDist);
    }
  }
  if (a.bnode_importances) {
    w.ActionWriteTXTExecute(p, a.node_importances);
    if (a.PC && appendSummaries)
      w.ActionWriteTXT_PC_Sum_Execute(p, a.node_importances_sum_PC, a.prefix_name, a.kDistanceProb, a.kProbProb,
                                      a.inputDist);
    if (a.IIC && appendSummaries)
      w.ActionWriteTXT_IIC_Sum_Execute(p, a.node_importances_sum_IIC, a.prefix_name, a.adjacentTail, a.inputDist);
  }
}

// The three link analyses, improvement first.
template <class T>
void writeLinkReports(saveresults<T>& w, quivaraProgram<T>* p, const dataArg& a, bool appendSummaries) {
  const bool pc = a.PC && appendSummaries, iic = a.IIC && appendSummaries;
  if (a.blink_importances_improvement) {
    w.ActionSaveTXTResConSureExecute(p, a.link_importances_improvement);
    if (pc)
      w.ActionWriteTXT_ResConSure_PC_Sum_Execute(p, a.link_importances_improvement_sum_PC, a.prefix_name,
                                                 a.kDistanceProb, a.kProbProb, a.inputDist);
    if (iic)
      w.ActionWriteTXT_ResConSure_IIC_Sum_Execute(p, a.link_importances_improvement_sum_IIC, a.prefix_name,
                                                  a.adjacentTail, a.inputDist);
  }
  if (a.blink_importances_removal) {
    w.ActionSaveTXTResConExecute(p, a.link_importances_removal);
    if (pc)
      w.ActionWriteTXT_ResCon_PC_Sum_Execute(p, a.link_importances_removal_sum_PC, a.prefix_name, a.kDistanceProb,
                                             a.kProbProb, a.inputDist);
    if (iic)
      w.ActionWriteTXT_ResCon_IIC_Sum_Execute(p, a.link_importances_removal_sum_IIC, a.prefix_name, a.adjacentTail,
                                              a.inputDist);
  }
  if (a.blink_importances_improvementDiff) {
    w.ActionSaveTXTResConDiffExecute(p, a.link_importances_improvementDiff);
    if (pc)
      w.ActionWriteTXT_ResConDiff_PC_Sum_Execute(p, a.link_importances_improvementDiff_sum_PC, a.prefix_name,
                                                 a.kDistanceProb, a.kProbProb, a.inputDist);
    if (iic)
      w.ActionWriteTXT_ResConDiff_IIC_Sum_Execute(p, a.link_importances_improvementDiff_sum_IIC, a.prefix_name,
                                                  a.adjacentTail, a.inputDist);
  }
}

// The optional graph files.
template <class T>
void writeGraphReports(saveresults<T>& w, quivaraProgram<T>* p, const dataArg& a) {
  if (a.bcomponents) w.ActionSaveCompTXTExecute(p, a.components);
  if (a.blinks) w.ActionSaveAdjacenciesExecute(p, a.links);
  if (a.bdirect_probabilities) w.ActionSaveProbabilitiesExecute(p, a.direct_probabilities);
  if (a.bmaximum_product_probabilities) w.ActionSaveProbMaxExecute(p, a.maximum_product_probabilities);
}

// Writes every requested file and notes in the report what was written.
template <class T>
void writeReports(quivaraProgram<T>* program, const dataArg& arg, runReport& report) {
  saveresults<T> writer;
  // A run on invalid input still writes its own files, but it must not slip
  // a line into the files that collect the runs of a series.
  const bool appendSummaries = report.readingProblems == 0 || arg.appendInvalid;
  writeNodeReports(writer, program, arg, appendSummaries);
  writeLinkReports(writer, program, arg, appendSummaries);
  writeGraphReports(writer, program, arg);
  report.writtenFiles = writer.writtenFiles;
  report.failedFiles = writer.failedFiles;
  report.summariesSkipped = !appendSummaries;
  if (!writer.repeatedSummaries.empty()) {
    tellUser("Warning: " + joinedList(writer.repeatedSummaries) +
             (writer.repeatedSummaries.size() == 1 ? " already held a line" : " already held lines") +
             " of a run with the prefix " + (arg.prefix_name.empty() ? std::string("NA") : arg.prefix_name) +
             " and these thresholds; a second one was appended. Give each run its own -prefix to tell them apart.");
    ++report.warnings;
  }
}

void sayEnd(std::time_t& end) {
  end = std::time(nullptr);
  say("Execution ended at: " + calendarText(end) + "\n");
}

// The run log to standard output and the lines for the user to standard
// error, standard output first so that a console showing both keeps them in
// the order they were said.
textSinks consoleSinks() {
  textSinks sinks;
  sinks.log = [](const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); };
  sinks.tell = [](const std::string& line) {
    std::fflush(stdout);
    const std::string text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
  };
  return sinks;
}

}  // namespace

analysisOptions analysisOptionsOf(const dataArg& a) {
  analysisOptions o;
  o.indices = {a.NC, a.NL, a.H, a.CCP, a.LCP, a.IIC, a.BC, a.BCIIC, a.F, a.AWF, a.PC, a.BCPC, a.A};
  o.confAdj = a.adjacentTail;
  o.confProb = {a.kDistanceProb, a.kProbProb};
  o.landArea = a.landscapeArea;
  o.pcHeurAll = a.allpathsp;
  o.pcHeur = a.minProbp;
  o.onlyOverall = a.onlyoverall;
  o.removal = a.linkImportances1;
  o.improvement = a.linkImportances2;
  o.linkMaxValue = a.linkImportancesPij;
  o.change = a.linkImportances3;
  o.components = a.bcomponents;
  o.singlePrecision = a.precission == 0;
  o.threads = a.threads;
  o.reference = a.reference;
  o.dense = a.dense;
  o.planOnly = a.plan;
  o.progressLines = a.progress == progressRequest::all     ? logDetail::all
                    : a.progress == progressRequest::brief ? logDetail::brief
                                                           : logDetail::automatic;
  o.sinks = consoleSinks();
  return o;
}

landscapeFiles landscapeFilesOf(const dataArg& a) {
  landscapeFiles files;
  files.nodeFile = a.fileNodes;
  files.connectionFile = a.fileConnections;
  files.reading.kind = a.inputProb ? pairValue::probability : a.inputAdjacen ? pairValue::link : pairValue::distance;
  files.reading.everyPair = a.structType;
  files.reading.symmetric = a.symmetric;
  files.candidates = a.addNodes;
  return files;
}

namespace {

// The overall indices as "NC 2, IICnum 1600, ...": the lines of
// overall_indices.txt, so that the two always agree.
std::string headlineOf(const analysisResults& results) {
  std::string text;
  for (const auto& [label, value] : results.overall) text += (text.empty() ? "" : ", ") + label + " " + toText(value);
  return text;
}

// From the start stamp to the total time: the library runs the analysis,
// the program writes its files. The exit status of the run.
int runSteps(dataArg arg, runReport& report) {
  const std::time_t start = std::time(nullptr);
  say("Execution started at: " + calendarText(start) + "\n");
  analysisResults results;
  std::time_t end = start;
  try {
    results = analyse(landscapeFilesOf(arg), analysisOptionsOf(arg));
  } catch (const inputRefused&) {
    sayEnd(end);
    say("Total processing time: " + toText(static_cast<float>(std::difftime(end, start))) + " seconds\n");
    report.ending = runEnding::checksFailed;
    return kExitRunFailed;
  }
  report.warnings = arg.commandLineWarnings + results.warnings;
  report.readingProblems = results.readingProblems;
  results.state->visit([&](auto& program) {
    const float al = program.midaSizeLandscapeArea();
    if (al != 1 && arg.landscapeArea < al) arg.landscapeArea = al;
    // Rank 0 alone holds every value, and alone writes.
    if (processes().lead()) writeReports(&program, arg, report);
  });
  report.headline = headlineOf(results);
  say("\n");
  sayEnd(end);
  const float elapsed = static_cast<float>(std::difftime(end, start));
  say("Total processing time: " + durationText(static_cast<long long>(elapsed)));
  results.state.reset();
  if (report.failedFiles > 0) return kExitRunFailed;
  return report.readingProblems > 0 ? kExitInvalidInput : kExitDone;
}

// -plan: the library checks and reads the landscape and chooses the plan of
// the run, which is printed instead of carried out.
int planSteps(const dataArg& arg, runReport& report) {
  try {
    const std::string plan = analyse(landscapeFilesOf(arg), analysisOptionsOf(arg)).route.text;
    say(plan.empty() || plan.back() == '\n' ? plan : plan + "\n");
  } catch (const inputRefused&) {
    report.ending = runEnding::checksFailed;
    return kExitRunFailed;
  }
  report.ending = runEnding::planned;
  return kExitDone;
}

int execution(dataArg arg) {
  // The processes of a run start it together: none lists the folder of a
  // later run while rank 0 writes the files of this one.
  if (processes().size > 1) processes().agree(false);
  outputRedirection redirection;
  const bool logLost = arg.bexecution_events && processes().lead() && !redirection.open(arg.execution_events);
  int status = kExitDone;
  runReport report;
  try {
    status = arg.plan ? planSteps(arg, report) : runSteps(arg, report);
  } catch (...) {
    // Only exhausted memory throws; the run ends, the next one still runs.
    say("error23");
    problems().clear();
    status = kExitRunFailed;
    report.ending = runEnding::outOfMemory;
  }
  redirection.restore();
  // "error23" ends without a line feed; where the console shows it, the
  // summary still starts on a line of its own.
  if (report.ending == runEnding::outOfMemory && (!arg.bexecution_events || logLost) && standardStreamsShareFile())
    tellUser("");
  sayClosingSummary(report);
  return logLost ? worseStatus(status, kExitRunFailed) : status;
}

}  // namespace

// The precision is an option of the analysis; both go through one driver.
int executionDouble(dataArg arg) { return execution(arg); }

int executionSimple(dataArg arg) { return execution(arg); }

int executa(dataArg arg) { return executaWith(arg, executionDouble, executionSimple); }

int verdalisMain(int argc, char** argv) { return dispatchArguments(argc, argv, executa); }

}  // namespace verdalis
