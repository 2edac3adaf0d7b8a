#pragma once
// The run driver: one analysis run per record, from the start stamp to the
// last report, in double or single precision.
#include "cli/dataArg.h"
#include "verdalis/verdalis.h"

namespace verdalis {

// Chooses the precision and repeats the run over a threshold range.
// Returns the exit status of the worst run.
int executa(dataArg arg);

// One run in double / single precision; 0 when it completed, 2 when it
// ended through a failed check, exhausted memory or an unwritable file.
int executionDouble(dataArg arg);
int executionSimple(dataArg arg);

// The library's view of a command line: the options of the analysis (the
// run log to standard output, the lines for the user to standard error) and
// the two files.
analysisOptions analysisOptionsOf(const dataArg& arg);
landscapeFiles landscapeFilesOf(const dataArg& arg);

// The whole program: command line, dispatch and runs; the exit status.
int verdalisMain(int argc, char** argv);

}  // namespace verdalis
