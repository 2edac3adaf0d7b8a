#pragma once
// The progress lines of the index computations: one per source of PC, two
// per node of the betweenness indices, as far as the run prints them
// (support/progress_lines.h).
#include <string>

#include "support/numfmt.h"
#include "support/progress.h"
#include "support/progress_lines.h"

namespace verdalis {

// Ends in a carriage return, so that on a console each line overwrites the
// last. The share is taken in 64 bits, so that it never wraps.
inline void appendPCProgress(std::string& out, int source, int n) {
  out += "Processing node number ";
  out += std::to_string(source);
  out += " of ";
  out += std::to_string(n);
  out += " (";
  out += std::to_string(static_cast<long long>(source) * 100 / n);
  out += "%)\r";
}

// Counts `count` finished sources of a PC computation where the run counts
// them; whether their lines are printed.
inline bool pcSourcesDone(int count) {
  const progressLines& lines = runProgressLines();
  if (lines.sourceMeter != nullptr) lines.sourceMeter->advance(count);
  return lines.pcSources;
}

// "Processing BC(PC) of node with ID 7" and its share, for node k of n.
inline void appendBetweennessProgress(std::string& out, const char* index, int label, int k, int n) {
  if (!caseLineShown(k, n)) return;
  out += std::string("Processing ") + index + " of node with ID " + toText(label) + "\n";
  out += toText(k * 100 / n) + " % completed\n";
}

}  // namespace verdalis
