#pragma once
// The warnings a run tells beside its log once its files are read: mistakes
// that change the results without making any value invalid, one line each
// with a count and the first example.
#include <cmath>
#include <string>
#include <vector>

#include "program/quivaraProgram.h"
#include "support/messages.h"
#include "support/numfmt.h"

namespace verdalis {

// "a, b and c".
std::string joinedList(const std::vector<std::string>& items);

template <class T>
bool anyIndexSelected(const quivaraProgram<T>& p) {
  return p.aFlag || p.ccpFlag || p.lcpFlag || p.iicFlag || p.ncFlag || p.nlFlag || p.hFlag || p.fFlag ||
         p.awfFlag || p.pcFlag || p.bcFlag || p.bciicFlag || p.bcpcFlag;
}

// The indices that -landArea turns from numerators into values.
template <class T>
std::vector<std::string> normalisedIndices(const quivaraProgram<T>& p) {
  std::vector<std::string> names;
  if (p.lcpFlag) names.push_back("LCP");
  if (p.iicFlag) names.push_back("IIC");
  if (p.pcFlag) names.push_back("PC");
  return names;
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

// Tells one line per mistake found; returns the number of lines told.
// `landArea` is the value asked for, 0 when none was.
template <class T>
int tellRunWarnings(const quivaraProgram<T>& p, float landArea) {
  const loadFindings& found = p.findings;
  std::vector<std::string> lines;
  if (found.oneWayPairs > 0 && !found.oneWayMadeSymmetric)
    lines.push_back(toText(found.oneWayPairs) + (found.oneWayPairs == 1 ? " pair" : " pairs") +
                    " of nodes listed in one direction only in " + p.fileConnections + " (first: " +
                    toText(found.firstOneWayFrom) + " to " + toText(found.firstOneWayTo) +
                    "); the other direction is read as no link, so the results depend on which direction and "
                    "node order were listed. List both directions, or add -symmetric to read such pairs both ways.");
  if (found.duplicateIds > 0)
    lines.push_back(toText(found.duplicateIds) + (found.duplicateIds == 1 ? " node line repeats" : " node lines repeat") +
                    " an identifier of an earlier line in " + p.fileNodes + " (first: " +
                    toText(found.firstDuplicateId) + " again in line " + toText(found.firstDuplicateLine) +
                    "); every connection of it goes to its first line, yet the tables have a row per line.");
  if (!anyIndexSelected(p))
    lines.push_back("no index selected (such as -IIC, -PC or -NC): the result files hold no index values. "
                    "verdalis --help lists them.");
  std::vector<std::string> normalised = normalisedIndices(p);
  if (!normalised.empty() && landArea == 0) {
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
