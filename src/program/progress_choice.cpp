#include "program/progress_choice.h"

#include <cmath>

namespace verdalis {

namespace {

// The longest line of each kind, with an identifier of 11 characters and
// "100% completed" after it.
constexpr double kRemovalCaseBytes = 65;      // "Processing importance of node with ID ..."
constexpr double kAdditionCaseBytes = 73;     // "Processing importances of added nodes with ID ..."
constexpr double kLinkCaseBytes = 90;         // "Processing Link Improvement with probability=1 ..."
constexpr double kBetweennessCaseBytes = 64;  // "Processing BC(IIC) of node with ID ..."

long long digits(long long value) {
  long long count = 1;
  for (; value >= 10; value /= 10) ++count;
  return count;
}

}  // namespace

// "Processing node number " S " of " N " (" P "%)\r": 32 characters and
// three numbers, none longer than N, the share at most two digits.
long long pcSourceLineBytes(long long n) { return n <= 0 ? 0 : n * (34 + 2 * digits(n)); }

progressTextSize predictedProgressText(const progressShape& s) {
  const double n = static_cast<double>(s.nodes), m = static_cast<double>(s.candidates);
  const double pairs = static_cast<double>(s.measuredPairs);
  progressTextSize size;
  size.caseBytes = s.betweennessIndices * n * kBetweennessCaseBytes + s.linkAnalyses * n * kLinkCaseBytes;
  if (s.nodeImportances) size.caseBytes += n * kRemovalCaseBytes + m * kAdditionCaseBytes;
  if (!s.pc) return size;
  const double onePC = static_cast<double>(pcSourceLineBytes(s.nodes));
  size.sourceBytes = onePC + pairs * onePC;
  if (s.nodeImportances)
    size.sourceBytes += n * static_cast<double>(pcSourceLineBytes(s.nodes - 1)) +
                        m * static_cast<double>(pcSourceLineBytes(s.nodes + 1));
  return size;
}

progressLines chooseProgressLines(const progressShape& shape, progressRequest request) {
  progressLines lines;
  if (request == progressRequest::all) return lines;
  const progressTextSize size = predictedProgressText(shape);
  if (request == progressRequest::automatic && size.sourceBytes + size.caseBytes <= kProgressTextBudget)
    return lines;
  lines.pcSources = false;
  const double budget = static_cast<double>(kProgressTextBudget);
  if (size.caseBytes > budget) lines.caseStride = static_cast<long long>(std::ceil(size.caseBytes / budget));
  return lines;
}

}  // namespace verdalis
