#pragma once
// The command line: reading the tokens into a dataArg record, the checks of
// the combination, and the dispatch to the usage text, the error line, one
// run, or one run per matching pair of input files. The runs themselves are
// passed in as callbacks, so that all of this works without the analysis.
#include <functional>
#include <string>
#include <vector>

#include "cli/dataArg.h"
#include "support/problem_log.h"

namespace verdalis {

// A problem of the command line, for its line on standard error.
struct commandLineProblem {
  problemLevel level;
  std::string text;
  std::string option;  // the option it is about, so that a later check does not repeat it
};

// One run for one record; returns the run's exit status.
using runFunction = std::function<int(dataArg)>;

// Process exit statuses.
constexpr int kExitDone = 0;          // usage printed, or every run completed
constexpr int kExitCommandLine = 1;   // "\nError\n", or no usable file pairs
constexpr int kExitRunFailed = 2;     // at least one run did not complete
constexpr int kExitInvalidInput = 3;  // a run completed on values it called invalid

// The status that an invocation of several runs ends with: an interrupt
// (128 + signal) before a refused command line, before a run that did not
// complete, before a run on invalid input, before success.
int worseStatus(int a, int b);

// The six lines printed for the help options or an empty command line.
std::string usageText();

// Reads argv[1..argc-1] into arg and makes the checks after the loop.
// Every message is appended to messages instead of being printed, so that
// a help request can suppress them. Returns the number of errors.
int readArguments(int argc, char** argv, dataArg& arg, std::string& messages);
// The same, with a line for standard error for each problem found.
int readArguments(int argc, char** argv, dataArg& arg, std::string& messages, std::vector<commandLineProblem>& told);

// The checks of the combination of options, in their fixed order; the
// warnings clear their option without counting. Returns the error count.
int checkArguments(dataArg& arg, std::string& messages);
// The same, with a line for standard error for each problem found.
int checkArguments(dataArg& arg, std::string& messages, std::vector<commandLineProblem>& told);

// Lists the entries of the working directory whose names begin with the
// node-file or connection-file prefix. Returns 0, or the system error
// number when the directory cannot be read.
int comprovaFitxers(std::vector<std::string>& fitxerNodes, std::vector<std::string>& fitxerCon, dataArg arg);

// File-pair mode: one call of executa per matching pair of names.
int runFilePairs(dataArg arg, const runFunction& executa);

// Chooses the precision and repeats the run over a threshold range when
// one is given.
int executaWith(dataArg arg, const runFunction& runDouble, const runFunction& runSimple);

// Reads, checks and dispatches a whole command line; returns the exit status.
int dispatchArguments(int argc, char** argv, const runFunction& executa);

}  // namespace verdalis
