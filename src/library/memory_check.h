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

// A run's estimated peak memory and what the machine has for it.
struct memoryOutlook {
  memoryEstimate needed;
  double available = 0;
  bool fits() const { return needed.certain <= available; }
};

template <class T>
memoryOutlook memoryOutlookOf(const quivaraProgram<T>& program) {
  return {estimatedPeak(runShapeOf(program)), static_cast<double>(memoryAvailable(program.threads))};
}

template <class T>
memoryOutlook refuseWhatCannotFit(const quivaraProgram<T>& program) {
  const memoryOutlook outlook = memoryOutlookOf(program);
  const memoryEstimate& needed = outlook.needed;
  const double available = outlook.available;
  if (!outlook.fits()) {
    tellUser("Not enough memory: this run needs at least " + memoryText(needed.certain) + " and " +
             memoryText(available) + " are available (free memory and swap, within the limits of the process); "
             "it stops here.");
    for (const std::string& remedy : memoryRemedies(program, available)) tellUser("  " + remedy);
    throw kNoMemory;
  }
  if (needed.peak >= kReportedPeakFrom) tellUser("Estimated peak memory: " + memoryText(needed.peak));
  return outlook;
}

}  // namespace verdalis
