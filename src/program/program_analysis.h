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
#include "program/program_sparse.h"
#include "program/quivaraProgram.h"
#include "program/shared_cases.h"
#include "support/process_group.h"

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
  // Each removal records its route too: a landscape without existing
  // patches has none to record.
  p.taken.record(runPhase::removals, phaseRoute::straightforward);
  progressPhase phase("Node removals", p.nNodes);
  const int n = p.nNodes;
  // The divisor counts the candidates too, so this loop ends short of 100%
  // when there are any.
  auto one = [&](int i) {
    p.generate_landscape_deleting(i);
    runProgress().advance(1);
    if (!caseLineShown(i, n)) return;
    say("Processing importance of node with ID " + toText(p.label[i]) + "\n");
    sayProgress(i + 1, p.nNodesTotal);
  };
  shareCaseLoop(
      p, everyShare([&](int r) { return shareOf(n, r, processes().size); }), one,
      [&](int i, std::string& out) { putVariant(out, p.landDel[i]); },
      [&](int i, const std::string& in, std::size_t& at) { takeVariant(in, at, p.landDel[i]); });
}

template <class T>
void nodeAdditionLoop(quivaraProgram<T>& p) {
  if (p.nNodesAdd == 0) return;
  progressPhase phase("Node additions", p.nNodesAdd);
  const int m = p.nNodesAdd;
  auto one = [&](int k) {
    p.generate_landscape_adding(k);
    runProgress().advance(1);
    if (!caseLineShown(k, m)) return;
    say("Processing importances of added nodes with ID " + toText(p.labelAdd[k]) + "\n");
    sayProgress(k + 1, m);
  };
  shareCaseLoop(
      p, everyShare([&](int r) { return shareOf(m, r, processes().size); }), one,
      [&](int k, std::string& out) { putVariant(out, p.landAdd[k]); },
      [&](int k, const std::string& in, std::size_t& at) { takeVariant(in, at, p.landAdd[k]); });
}

// Visits the pairs (i, j), j < i, announcing each i and the share of pairs
// visited after it. A landscape of fewer than two nodes has no pair and so no
// share to show. The processes of a run share the rows; `store` holds what
// each pair leaves.
template <class T, class Store, class F>
void pairLoop(quivaraProgram<T>& p, linkAnalysis analysis, const std::string& announcement, Store& store,
              F&& visit) {
  const long long n = p.nNodes;
  const long long pairs = n * (n - 1) / 2;
  progressPhase phase(phaseName(analysis), pairs);
  auto row = [&](int i) {
    const bool shown = caseLineShown(i, p.nNodes);
    if (shown) say(announcement + toText(p.label[i]) + "\n");
    for (int j = 0; j < i; ++j) visit(i, j);
    runProgress().advance(i);
    if (shown) sayProgress(static_cast<long long>(i) * (i + 1) / 2, pairs);
  };
  shareCaseLoop(
      p, everyShare([&](int r) { return rowShareOf(p.nNodes, r, processes().size); }), row,
      [&](int i, std::string& out) {
        for (int j = 0; j < i; ++j) putBytes(out, store[pairIndex(i, j)]);
      },
      [&](int i, const std::string& in, std::size_t& at) {
        for (int j = 0; j < i; ++j) takeBytes(in, at, store[pairIndex(i, j)]);
      });
}

// The summary of the link removals, from the stored values once every pair
// is measured: the same additions, in pair order, as during the loop.
template <class T>
void sayLinkRemovalSummary(quivaraProgram<T>& p) {
  if (!p.pcFlag || !processes().lead()) return;
  float pcmax = 0;
  float pctotal = 0;
  for (int i = 0; i < p.nNodes; ++i)
    for (int j = 0; j < i; ++j) {
      if (!p.linkSelected(i, j)) continue;
      const float v = p.valueOfDelta(3, "pc", i, j);
      if (v > pcmax) pcmax = v;
      pctotal += v;
    }
  say("Max PC for QuivaraLink: " + fixedText(pcmax) + "\n" + "Total PC for QuivaraLink: " + fixedText(pctotal) +
      "\n" + "\n");
}

inline std::string announcementOf(linkAnalysis analysis) {
  return analysis == linkAnalysis::removal ? "Processing importances of Link Removal of node with ID "
         : analysis == linkAnalysis::improvement
             ? "Processing Link Improvement with probability=1 of node with ID "
             : "Processing importances of Change with diff value of node with ID ";
}

// Every pair of a link analysis built and measured in full.
template <class T>
void straightforwardLinkLoop(quivaraProgram<T>& p, linkAnalysis analysis) {
  const std::string announcement = announcementOf(analysis);
  if (analysis == linkAnalysis::removal) {
    pairLoop(p, analysis, announcement, p.landDelCon, [&](int i, int j) {
      // Unselected pairs are not even built.
      if (p.linkSelected(i, j)) p.generate_landscape_deleting_connection(i, j);
    });
  } else if (analysis == linkAnalysis::improvement) {
    // Every pair is built; the selection rule decides inside whether it is measured.
    pairLoop(p, analysis, announcement, p.landConSure, [&](int i, int j) { p.generate_landscape_connection_sure(i, j); });
  } else {
    pairLoop(p, analysis, announcement, p.landConDiff, [&](int i, int j) { p.generate_landscape_connection_diff(i, j); });
  }
  p.taken.record(phaseOf(analysis), phaseRoute::straightforward);
}

// One link analysis on the route of the plan.
template <class T>
void linkPhase(quivaraProgram<T>& p, linkAnalysis analysis) {
  if (p.plan.route(phaseOf(analysis)) == phaseRoute::straightforward)
    straightforwardLinkLoop(p, analysis);
  else
    engineLinkLoop(p, analysis, announcementOf(analysis));
  if (analysis == linkAnalysis::removal) sayLinkRemovalSummary(p);
}

// The node removals on the route of the plan.
template <class T>
void removalPhase(quivaraProgram<T>& p) {
  const phaseRoute route = p.plan.route(runPhase::removals);
  if (route == phaseRoute::straightforward || route == phaseRoute::savedPaths)
    nodeRemovalLoop(p);
  else
    engineRemovals(p);
}

// The global landscape on every process; a process that runs out of memory
// ends the run on all of them.
template <class T>
void measureGlobal(quivaraProgram<T>& p) {
  bool failed = false;
  try {
    // Only PC has a share to show: one unit per source of its searches.
    progressPhase phase("Overall landscape", p.pcFlag ? p.nNodes : 0);
    const sourcesCounted counted(runProgress());
    p.generate_landscape_global();
  } catch (const failureEverywhere&) {
    throw kNoMemory;
  } catch (...) {
    if (processes().size == 1) throw;
    failed = true;
  }
  if (processes().size > 1 && processes().agree(failed)) throw kNoMemory;
}

template <class T>
void quivaraProgram<T>::generacio_indexos() {
  say("Processed indices:" + processedIndices(*this) + "\n");
  say("Indices processing started at: " + calendarText(std::time(nullptr)) + "\n");
  say("Processing overall landscape indices\n");
  measureGlobal(*this);
  // Each phase takes the route of the plan (run_plan.h).
  if (!onlyoverall) {
    if (!onlyAddDeltas) removalPhase(*this);
    nodeAdditionLoop(*this);
    if (linkImportances1Solved()) linkPhase(*this, linkAnalysis::removal);
    if (linkImportances2Solved()) linkPhase(*this, linkAnalysis::improvement);
    if (linkImportances3Solved()) linkPhase(*this, linkAnalysis::change);
  }
  say("Execution ended\n");
}

}  // namespace verdalis
