#pragma once
// The closing summary of a run, which it tells the user beside its log, on
// standard error.
#include <string>
#include <vector>

#include "library/run_warnings.h"

namespace verdalis {

// How a run ended, for its closing summary.
enum class runEnding { completed, checksFailed, outOfMemory, planned };

struct runReport {
  runEnding ending = runEnding::completed;
  std::vector<std::string> writtenFiles;
  int failedFiles = 0;
  int warnings = 0;
  int readingProblems = 0;
  bool summariesSkipped = false;
  std::string headline;  // the overall indices, "label value" joined by ", "
};

// The closing lines: files written, counts, the headline indices, and last,
// for a run on invalid input, the repeated warning with its count.
void sayClosingSummary(const runReport& report);

}  // namespace verdalis
