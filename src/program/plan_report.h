#pragma once
// What -plan prints for a run: its plan (run_plan.h) and its memory
// estimate, a few lines on standard output.
#include <string>

#include "program/memory_estimate.h"
#include "program/quivaraProgram.h"
#include "program/run_plan.h"

namespace verdalis {

// The plan is the final one when the files were read, the first one when
// the run does not fit and they were not.
template <class T>
std::string planReport(const quivaraProgram<T>& p, const memoryEstimate& needed, double available) {
  std::string text = planText(p.plan, p.fileNodes + " and " + p.fileConnections);
  text += "Estimated peak memory: " + memoryText(needed.peak) + ", with " + memoryText(available) + " available";
  if (needed.certain > available)
    text += ": the run does not fit, as it needs at least " + memoryText(needed.certain);
  return text + "\n";
}

}  // namespace verdalis
