#include "cli/run.h"

#include "support/parallel.h"

#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <memory>

#include "cli/arguments.h"
#include "cli/run_report.h"
#include "program/memory_estimate.h"
#include "program/plan_report.h"
#include "program/progress_choice.h"
#include "program/quivaraProgram.h"
#include "reports/saveresults.h"
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

template <class T>
std::unique_ptr<quivaraProgram<T>> createProgram(const dataArg& a) {
  auto program = std::make_unique<quivaraProgram<T>>(
      a.inputDist, a.inputProb, a.inputAdjacen, a.A, a.CCP, a.LCP, a.IIC, a.NC, a.NL, a.H, a.F, a.AWF, a.PC, a.BC,
      a.BCPC, a.BCIIC, a.fileNodes, a.fileConnections, a.adjacentTail, a.kDistanceProb, a.kProbProb, a.minProbp,
      a.allpathsp, false, a.onlyoverall, false, a.structType, a.addNodes, a.linkImportances1, a.linkImportances2,
      a.linkImportancesPij, a.linkImportances3, a.landscapeArea);
  program->routing.engine = !a.reference;
  program->routing.denseAsked = a.dense;
  program->threads = workerThreads(a.threads);
  program->symmetric = a.symmetric;
  return program;
}

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

// Said when the run is large. A run that certainly cannot fit is refused
// before it allocates anything, with what it needs, and ends as a run out
// of memory does, instead of failing hours in.
template <class T>
void checkMemory(const quivaraProgram<T>& program) {
  const memoryEstimate needed = estimatedPeak(runShapeOf(program));
  const double available = static_cast<double>(memoryAvailable(program.threads));
  if (needed.certain > available) {
    tellUser("Not enough memory: this run needs at least " + memoryText(needed.certain) + " and " +
             memoryText(available) + " are available (free memory and swap, within the limits of the process); "
             "it stops here.");
    for (const std::string& remedy : memoryRemedies(program, available)) tellUser("  " + remedy);
    throw kNoMemory;
  }
  if (needed.peak >= kReportedPeakFrom) tellUser("Estimated peak memory: " + memoryText(needed.peak));
}

// The processes of a job each check the files on their own machine. A run
// that passes on rank 0 but not on another (a file missing or unreadable
// there) ends on all of them as a failed check, rather than leaving rank 0
// waiting for a process that has given up the run.
inline int checksOnEveryProcess(int errors) {
  if (!processes().agree(errors != 0) || errors != 0) return errors;
  tellUser("Another process of this job failed the checks of the settings or input files that this one passed "
           "(are the input files readable on every machine?); the run stops here.");
  return 1;
}

void sayEnd(std::time_t& end) {
  end = std::time(nullptr);
  say("Execution ended at: " + calendarText(end) + "\n");
}

// Steps from the start stamp to the total time; the exit status of the run.
template <class T>
int runSteps(dataArg arg, runReport& report) {
  const std::time_t start = std::time(nullptr);
  say("Execution started at: " + calendarText(start) + "\n");
  std::unique_ptr<quivaraProgram<T>> program = createProgram<T>(arg);
  int errors = 0;
  bool failed = false;
  problems().clear();
  try {
    errors = program->initial_check();
    if (errors != 0) problems().tell();
  } catch (...) {
    if (processes().size == 1) throw;
    failed = true;
  }
  if (processes().size > 1 && processes().agree(failed)) throw kNoMemory;
  if (processes().size > 1) errors = checksOnEveryProcess(errors);
  if (errors == 0) {
    // Each process reads the files on its own machine, whose memory may
    // differ: a run that cannot fit on one of them ends on all of them.
    try {
      checkMemory(*program);
      errors = program->load_data();
      say(program->information_execution() + "\n");
      report.warnings = arg.commandLineWarnings + problems().tell() + sayRunWarnings(*program, arg);
      report.readingProblems = program->findings.readingProblems;
      const float al = program->midaSizeLandscapeArea();
      if (al != 1 && arg.landscapeArea < al) arg.landscapeArea = al;
    } catch (...) {
      if (processes().size == 1) throw;
      failed = true;
    }
    if (processes().size > 1 && processes().agree(failed)) throw kNoMemory;
  }
  std::time_t end = start;
  if (errors != 0) {
    program.reset();
    sayEnd(end);
    say("Total processing time: " + toText(static_cast<float>(std::difftime(end, start))) + " seconds\n");
    report.ending = runEnding::checksFailed;
    return kExitRunFailed;
  }
  runProgressLines() = chooseProgressLines(progressShapeOf(*program), arg.progress);
  program->generacio_indexos();
  say(program->show_time_proces() + "\n");
  // Rank 0 alone holds every value, and alone writes.
  if (processes().lead()) writeReports(program.get(), arg, report);
  report.headline = headlineIndices(*program);
  say("\n");
  sayEnd(end);
  const float elapsed = static_cast<float>(std::difftime(end, start));
  say("Total processing time: " + durationText(static_cast<long long>(elapsed)));
  program.reset();
  if (report.failedFiles > 0) return kExitRunFailed;
  return report.readingProblems > 0 ? kExitInvalidInput : kExitDone;
}

// -plan: the checks and the reading of the files, then the plan and the
// memory estimate instead of the analysis. Each process of a job plans on
// its own; rank 0 alone prints.
template <class T>
int planSteps(const dataArg& arg, runReport& report) {
  std::unique_ptr<quivaraProgram<T>> program = createProgram<T>(arg);
  problems().clear();
  if (program->initial_check() != 0) {
    problems().tell();
    report.ending = runEnding::checksFailed;
    return kExitRunFailed;
  }
  const memoryEstimate needed = estimatedPeak(runShapeOf(*program));
  const double available = static_cast<double>(memoryAvailable(program->threads));
  if (needed.certain <= available) program->load_data();
  problems().tell();
  say(planReport(*program, needed, available));
  report.ending = runEnding::planned;
  return kExitDone;
}

template <class T>
int execution(dataArg arg) {
  // The processes of a run start it together: none lists the folder of a
  // later run while rank 0 writes the files of this one.
  if (processes().size > 1) processes().agree(false);
  outputRedirection redirection;
  const bool logLost = arg.bexecution_events && processes().lead() && !redirection.open(arg.execution_events);
  int status = kExitDone;
  runReport report;
  try {
    status = arg.plan ? planSteps<T>(arg, report) : runSteps<T>(arg, report);
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

int executionDouble(dataArg arg) { return execution<double>(arg); }

int executionSimple(dataArg arg) { return execution<float>(arg); }

int executa(dataArg arg) { return executaWith(arg, executionDouble, executionSimple); }

int verdalisMain(int argc, char** argv) { return dispatchArguments(argc, argv, executa); }

}  // namespace verdalis
