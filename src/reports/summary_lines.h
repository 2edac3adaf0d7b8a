#pragma once
// The lines of the summary files that many runs append to: the sums of the
// node and link importances and the EC values. A line starts with the run's
// prefix and parameters, so that the lines of many runs read as one table.
#include <string>
#include <utility>
#include <vector>

#include "support/numfmt.h"

namespace verdalis {

// One value column of a summary file. Single-precision sums are widened
// here; the stream writes a float as this same double, so nothing changes.
struct summaryColumn {
  std::string header;
  double value;
};

inline std::string prefixCell(const std::string& prefix) { return (prefix.empty() ? "NA" : prefix) + "\t"; }

// The leading columns of the PC family: distance and probability of the
// distance-to-probability conversion, or 0 and 0 when the input is not
// distances (the header still names both).
struct pcLeading {
  static std::string header() { return "Prefix\tDistance\tProbability\t"; }
  static std::string cells(const std::string& prefix, float kdistance, float kprob, bool distancies) {
    if (!distancies) return prefixCell(prefix) + "0\t0\t";
    return prefixCell(prefix) + toText(kdistance) + "\t" + toText(kprob) + "\t";
  }
};

// The leading columns of the IIC family: the binary threshold, a distance or
// a probability by input kind.
struct iicLeading {
  static std::string header(bool distancies) {
    return std::string("Prefix\t") + (distancies ? "Distance\t" : "Probability\t");
  }
  static std::string cells(const std::string& prefix, float adjacentTail) {
    return prefixCell(prefix) + toText(adjacentTail) + "\t";
  }
};

// The block one run appends: the header line when the file is new, then the
// data line. Both lines end with a tab before the line feed.
inline std::string summaryBlock(bool fileIsNew, const std::string& leadingHeader,
                                const std::string& leadingCells, const std::vector<summaryColumn>& columns) {
  std::string block;
  if (fileIsNew) {
    block = leadingHeader;
    for (const summaryColumn& column : columns) block += column.header + "\t";
    block += "\n";
  }
  block += leadingCells;
  for (const summaryColumn& column : columns) block += toText(column.value) + "\t";
  return block + "\n";
}

}  // namespace verdalis
