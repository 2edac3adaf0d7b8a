#pragma once
// What loading found besides the values it stored: the count of the
// problems the readers announced as making the results invalid, and the
// mistakes that change results without making any value invalid.
#include <cstdint>

namespace verdalis {

struct loadFindings {
  // Every value a reader reported with "RESULTS WILL ... BE INVALID": a
  // stopping error, a negative attribute, a value out of range, a line
  // naming an unknown node. A run with any of them ends with exit status 3.
  int readingProblems = 0;

  // Node lines whose identifier an earlier line already has; every
  // connection of it goes to the earlier line.
  int duplicateIds = 0;
  int firstDuplicateId = 0;
  int firstDuplicateLine = 0;
  int firstDuplicateEarlierLine = 0;

  // Pairs of existing nodes that a "notall" connection file lists in one
  // direction only, and the first of them in node order.
  std::int64_t oneWayPairs = 0;
  int firstOneWayFrom = 0;
  int firstOneWayTo = 0;
  // With -symmetric they were read in both directions instead.
  bool oneWayMadeSymmetric = false;

  // The range of the values listed between two distinct existing nodes, for
  // the warnings on thresholds that no listed value reaches.
  bool anyListedValue = false;
  float smallestListed = 0;
  float largestListed = 0;
  // The smallest value above 0 (0 when none is).
  float smallestPositiveListed = 0;
};

inline void noteListedValue(loadFindings& found, float value) {
  if (!(value == value)) return;
  if (!found.anyListedValue) {
    found.anyListedValue = true;
    found.smallestListed = found.largestListed = value;
  }
  if (value < found.smallestListed) found.smallestListed = value;
  if (value > found.largestListed) found.largestListed = value;
  if (value > 0 && (found.smallestPositiveListed == 0 || value < found.smallestPositiveListed))
    found.smallestPositiveListed = value;
}

}  // namespace verdalis
