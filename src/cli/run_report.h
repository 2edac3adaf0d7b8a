#pragma once
// What a run tells the user beside its log, on standard error: warnings
// about mistakes that change the results without making any value invalid,
// and the closing summary of the run.
#include <cmath>
#include <string>
#include <vector>

#include "cli/dataArg.h"
#include "program/quivaraProgram.h"
#include "reports/result_lists.h"
#include "support/messages.h"
#include "support/numfmt.h"
#include "support/problem_log.h"

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

// "a, b and c".
std::string joinedList(const std::vector<std::string>& items);

inline bool anyIndexSelected(const dataArg& a) {
  return a.A || a.CCP || a.LCP || a.IIC || a.NC || a.NL || a.H || a.F || a.AWF || a.PC || a.BC || a.BCIIC ||
         a.BCPC;
}

// The indices that -landArea turns from numerators into values.
inline std::vector<std::string> normalisedIndices(const dataArg& a) {
  std::vector<std::string> names;
  if (a.LCP) names.push_back("LCP");
  if (a.IIC) names.push_back("IIC");
  if (a.PC) names.push_back("PC");
  return names;
}

// The overall indices of the run as "NC 2, IICnum 1600, ...": the lines of
// overall_indices.txt, so that the two always agree.
template <class T>
std::string headlineIndices(quivaraProgram<T>& p) {
  const std::string lines = overallIndicesText(p, "", "");
  std::string text;
  for (std::size_t at = 0; at < lines.size();) {
    std::size_t end = lines.find('\n', at);
    if (end == std::string::npos) end = lines.size();
    std::string line = lines.substr(at, end - at);
    const std::size_t tab = line.find('\t');
    if (tab != std::string::npos) line[tab] = ' ';
    text += (text.empty() ? "" : ", ") + line;
    at = end + 1;
  }
  return text;
}

// Thresholds that no listed distance comes near: most often the distances
// and the thresholds are in different units (metres against kilometres).
// The probability is computed as the probabilistic indices compute it.
template <class T>
void unitWarnings(const quivaraProgram<T>& p, std::vector<std::string>& lines) {
  const loadFindings& found = p.findings;
  if (!p.inputDist || !found.anyListedValue) return;
  const std::string units = " Are the thresholds and the distances of " + p.fileConnections + " in the same units?";
  const float shortest = found.smallestPositiveListed;
  if (p.probType && shortest > 0 && p.kDistanceProb > 0) {
    const double probability = std::pow(static_cast<double>(p.kProbProb), shortest / p.kDistanceProb);
    if (probability < 1e-6)
      lines.push_back("with -confProb " + toText(p.kDistanceProb) + " " + toText(p.kProbProb) +
                      " the probability at the shortest listed distance above 0, " + toText(shortest) + ", is " +
                      toText(probability) + ": hardly any pair is connected, and PC is almost only its intra "
                      "part." + units);
  }
  if (!p.adjType) return;
  if (p.adjacentTail < found.smallestListed)
    lines.push_back("-confAdj " + toText(p.adjacentTail) + " is below every listed distance (the shortest is " +
                    toText(found.smallestListed) + "): no pair is linked for the binary indices." + units);
  else if (p.adjacentTail > found.largestListed)
    lines.push_back("-confAdj " + toText(p.adjacentTail) + " is above every listed distance (the longest is " +
                    toText(found.largestListed) + "): every listed pair is linked for the binary indices, and a "
                    "pair farther apart than the file lists is not." + units);
}

// One line per mistake found, each with a count and the first example;
// returns the number of lines said.
template <class T>
int sayRunWarnings(const quivaraProgram<T>& p, const dataArg& a) {
  const loadFindings& found = p.findings;
  std::vector<std::string> lines;
  if (found.oneWayPairs > 0 && !found.oneWayMadeSymmetric)
    lines.push_back(toText(found.oneWayPairs) + (found.oneWayPairs == 1 ? " pair" : " pairs") +
                    " of nodes listed in one direction only in " + a.fileConnections + " (first: " +
                    toText(found.firstOneWayFrom) + " to " + toText(found.firstOneWayTo) +
                    "); the other direction is read as no link, so the results depend on which direction and "
                    "node order were listed. List both directions, or add -symmetric to read such pairs both ways.");
  if (found.duplicateIds > 0)
    lines.push_back(toText(found.duplicateIds) + (found.duplicateIds == 1 ? " node line repeats" : " node lines repeat") +
                    " an identifier of an earlier line in " + a.fileNodes + " (first: " +
                    toText(found.firstDuplicateId) + " again in line " + toText(found.firstDuplicateLine) +
                    "); every connection of it goes to its first line, yet the tables have a row per line.");
  if (!anyIndexSelected(a))
    lines.push_back("no index selected (such as -IIC, -PC or -NC): the result files hold no index values. "
                    "verdalis --help lists them.");
  std::vector<std::string> normalised = normalisedIndices(a);
  if (!normalised.empty() && a.landscapeArea == 0) {
    const std::string names = joinedList(normalised);
    for (std::string& name : normalised) name += "num";
    lines.push_back(names + " without -landArea: only the numerators (" + joinedList(normalised) +
                    ") are written, not the indices themselves. Give -landArea with the study area, in the "
                    "units of the node attributes.");
  }
  unitWarnings(p, lines);
  for (const std::string& line : lines) tellUser("Warning: " + line);
  return static_cast<int>(lines.size());
}

}  // namespace verdalis
