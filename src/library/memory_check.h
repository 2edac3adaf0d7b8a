#pragma once
// The memory a run is estimated to need, said when it is large. A run that
// certainly cannot fit is refused before it allocates anything, with what
// it needs and what would make it fit, and ends as a run out of memory
// does, instead of failing hours in.
#include <string>

#include "program/memory_estimate.h"
#include "program/quivaraProgram.h"
#include "support/allocation.h"
#include "support/messages.h"

namespace verdalis {

template <class T>
void refuseWhatCannotFit(const quivaraProgram<T>& program) {
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

}  // namespace verdalis
