#pragma once
// Which progress lines a run prints in its log, chosen before the analysis
// from the size that its full progress text would have. Every line of a run
// whose text stays under the budget is printed; a larger run leaves out the
// per-source PC lines (the n² part: one line per source of every PC
// computation, 4 GB for the node importances of 10,000 patches) and thins the
// per-node and per-pair lines to the budget. Its progress is then shown on
// standard error (support/progress.h). -progress all prints everything.
#include "program/quivaraProgram.h"
#include "support/progress_lines.h"

namespace verdalis {

// Progress text a run writes by default, at most: about ten megabytes, a
// log that an editor still opens at once and a disk never notices.
constexpr long long kProgressTextBudget = 10'000'000;

// What decides the size of a run's progress text.
struct progressShape {
  long long nodes = 0, candidates = 0;
  bool pc = false;
  int betweennessIndices = 0;   // BC(PC) and BC(IIC): two lines per node each
  bool nodeImportances = false; // the removal and addition loops run
  int linkAnalyses = 0;
  // Pairs measured over every link analysis, each one PC computation of n
  // sources; counting stops once their lines alone pass the budget.
  long long measuredPairs = 0;
};

// In floating point: the pair counts of large landscapes times their line
// bytes pass the 64-bit integers.
struct progressTextSize {
  double sourceBytes = 0;  // the per-source PC lines
  double caseBytes = 0;    // the per-node and per-pair lines
};

// An upper bound of the text, with identifiers of up to 11 characters.
progressTextSize predictedProgressText(const progressShape& shape);

progressLines chooseProgressLines(const progressShape& shape, progressRequest request);

// The bytes of the per-source lines of one PC computation over n nodes.
long long pcSourceLineBytes(long long n);

template <class T>
progressShape progressShapeOf(const quivaraProgram<T>& p) {
  progressShape s;
  s.nodes = p.nNodes;
  s.candidates = p.nNodesAdd;
  s.pc = p.pcFlag;
  s.betweennessIndices = (p.bcpcFlag ? 1 : 0) + (p.bciicFlag ? 1 : 0);
  s.nodeImportances = !p.onlyoverall;
  if (p.onlyoverall) return s;
  const bool analyses[] = {p.linkImportances1Flag, p.linkImportances2Flag, p.linkImportances3Flag};
  for (bool on : analyses) s.linkAnalyses += on ? 1 : 0;
  // Without existing patches (every one a candidate) no pair is measured.
  if (!p.pcFlag || s.linkAnalyses == 0 || p.nNodes == 0) return s;
  const long long perPair = pcSourceLineBytes(p.nNodes);
  const long long enough = kProgressTextBudget / perPair + 1;
  const long long n = p.nNodes;
  if (p.linkImportances3Flag) s.measuredPairs += n * (n - 1) / 2;
  const int selective = (p.linkImportances1Flag ? 1 : 0) + (p.linkImportances2Flag ? 1 : 0);
  for (int i = 0; i < p.nNodes && selective > 0 && s.measuredPairs < enough; ++i)
    for (int j = 0; j < i; ++j)
      if (p.linkSelected(i, j)) s.measuredPairs += selective;
  return s;
}

}  // namespace verdalis
