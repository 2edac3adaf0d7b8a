#pragma once
// The analysis of one run: the global landscape, then every removed node,
// every added candidate and, on request, every pair of existing nodes for
// each link analysis, with the progress on the console.
// Included from program_impl.h only.
#include <cmath>
#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>
#include <string>

#include "support/clock.h"
#include "support/messages.h"
#include "support/numfmt.h"
#include "support/progress.h"
#include "support/progress_lines.h"
#include "program/engine_runs.h"
#include "program/program_by_neighbour.h"
#include "program/quivaraProgram.h"

namespace verdalis {

// The percentage of a loop done, truncated; a loop over nothing has none.
inline void sayProgress(long long done, long long total) {
  if (total <= 0) return;
  say(toText(done * 100 / total) + "% completed\n");
}

// Fixed notation with 17 decimals, for the link-removal PC summary.
inline std::string fixedText(float value) {
  if (std::isnan(value)) return "nan";
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << std::fixed << std::setprecision(17) << value;
  return out.str();
}

template <class T>
std::string processedIndices(const quivaraProgram<T>& p) {
  const bool selected[] = {p.nlFlag, p.ncFlag, p.hFlag, p.ccpFlag, p.lcpFlag, p.iicFlag,
                           p.bcFlag, p.fFlag,  p.awfFlag, p.pcFlag, p.bcpcFlag, p.bciicFlag};
  const char* const names[] = {" NL", " NC", " H", " CCP", " LCP", " IIC", " BC", " F", " AWF", " PC", " BCPC", " BCIIC"};
  std::string list;
  for (int k = 0; k < 12; ++k)
    if (selected[k]) list += names[k];
  return list;
}

template <class T>
void nodeRemovalLoop(quivaraProgram<T>& p) {
  progressPhase phase("Node removals", p.nNodes);
  // The divisor counts the candidates too, so this loop ends short of 100%
  // when there are any.
  for (int i = 0; i < p.nNodes; ++i) {
    p.generate_landscape_deleting(i);
    runProgress().advance(1);
    if (!caseLineShown(i, p.nNodes)) continue;
    say("Processing importance of node with ID " + toText(p.label[i]) + "\n");
    sayProgress(i + 1, p.nNodesTotal);
  }
}

template <class T>
void nodeAdditionLoop(quivaraProgram<T>& p) {
  if (p.nNodesAdd == 0) return;
  progressPhase phase("Node additions", p.nNodesAdd);
  for (int k = 0; k < p.nNodesAdd; ++k) {
    p.generate_landscape_adding(k);
    runProgress().advance(1);
    if (!caseLineShown(k, p.nNodesAdd)) continue;
    say("Processing importances of added nodes with ID " + toText(p.labelAdd[k]) + "\n");
    sayProgress(k + 1, p.nNodesAdd);
  }
}

// Visits the pairs (i, j), j < i, announcing each i and the share of pairs
// visited after it. A landscape of fewer than two nodes has no pair and so no
// share to show.
template <class T, class F>
void pairLoop(const quivaraProgram<T>& p, linkAnalysis analysis, const std::string& announcement, F&& visit) {
  const long long n = p.nNodes;
  const long long pairs = n * (n - 1) / 2;
  progressPhase phase(phaseName(analysis), pairs);
  long long visited = 0;
  for (int i = 0; i < p.nNodes; ++i) {
    const bool shown = caseLineShown(i, p.nNodes);
    if (shown) say(announcement + toText(p.label[i]) + "\n");
    for (int j = 0; j < i; ++j) visit(i, j);
    visited += i;
    runProgress().advance(i);
    if (shown) sayProgress(visited, pairs);
  }
}

template <class T>
void linkRemovalLoop(quivaraProgram<T>& p) {
  float pcmax = 0;
  float pctotal = 0;
  auto summarise = [&](int i, int j) {
    if (!p.pcFlag) return;
    const float v = p.valueOfDelta(3, "pc", i, j);
    if (v > pcmax) pcmax = v;
    pctotal += v;
  };
  if (fastLinkLoop(p, linkAnalysis::removal, "Processing importances of Link Removal of node with ID ")) {
    for (int i = 0; i < p.nNodes; ++i)
      for (int j = 0; j < i; ++j)
        if (p.linkSelected(i, j)) summarise(i, j);
  } else {
    pairLoop(p, linkAnalysis::removal, "Processing importances of Link Removal of node with ID ", [&](int i, int j) {
      // Unselected pairs are not even built.
      if (!p.linkSelected(i, j)) return;
      p.generate_landscape_deleting_connection(i, j);
      summarise(i, j);
    });
  }
  if (!p.pcFlag) return;
  say("Max PC for QuivaraLink: " + fixedText(pcmax) + "\n" + "Total PC for QuivaraLink: " + fixedText(pctotal) +
      "\n" + "\n");
}

template <class T>
void quivaraProgram<T>::generacio_indexos() {
  say("Processed indices:" + processedIndices(*this) + "\n");
  say("Indices processing started at: " + calendarText(std::time(nullptr)) + "\n");
  say("Processing overall landscape indices\n");
  settleLandscapeForm(*this);
  {
    // Only PC has a share to show: one unit per source of its searches.
    progressPhase phase("Overall landscape", pcFlag ? nNodes : 0);
    const sourcesCounted counted(runProgress());
    generate_landscape_global();
  }
  if (!onlyoverall) {
    if (!onlyAddDeltas && !byNeighbourRemovalLoop(*this) && !fastNodeRemovalLoop(*this)) nodeRemovalLoop(*this);
    nodeAdditionLoop(*this);
    if (linkImportances1Solved()) linkRemovalLoop(*this);
    if (linkImportances2Solved()) {
      const std::string announcement = "Processing Link Improvement with probability=1 of node with ID ";
      // Every pair is built; the selection rule decides inside whether it is measured.
      if (!fastLinkLoop(*this, linkAnalysis::improvement, announcement))
        pairLoop(*this, linkAnalysis::improvement, announcement,
                 [&](int i, int j) { generate_landscape_connection_sure(i, j); });
    }
    if (linkImportances3Solved()) {
      const std::string announcement = "Processing importances of Change with diff value of node with ID ";
      if (!fastLinkLoop(*this, linkAnalysis::change, announcement))
        pairLoop(*this, linkAnalysis::change, announcement,
                 [&](int i, int j) { generate_landscape_connection_diff(i, j); });
    }
  }
  say("Execution ended\n");
}

}  // namespace verdalis
