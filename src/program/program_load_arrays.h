#pragma once
// Loading a landscape from arrays by the rules of the two files: the same
// checks in the same order, the same messages (a row named as its line
// would be), the same arrays and lists as reading the files gives, so that
// every later step and every value is the same. A value the files could not
// hold (not a finite number) stops the reading there, as the text of one
// would. Included from program_load.h only.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "program/input_arrays.h"
#include "program/program_load_connections.h"
#include "program/program_load_nodes.h"
#include "support/problem_log.h"

namespace verdalis {

inline int arrayShapeError(const std::string& text) {
  sayError(text);
  problems().note(problemLevel::error, text, text);
  return 1;
}

// The rows of each table agree, the change analysis has its values, and an
// "all" landscape lists every ordered pair. Returns the number of errors.
template <class T>
int checkArrayShapes(quivaraProgram<T>& p) {
  const inputArrays& a = *p.arrays;
  int errors = 0;
  auto rows = [](std::size_t count) { return toText(static_cast<unsigned long long>(count)); };
  if (a.attribute.size != a.id.size)
    errors += arrayShapeError(p.fileNodes + " has " + rows(a.id.size) + " identifiers and " + rows(a.attribute.size) +
                              " attributes: every row needs both");
  if (!a.candidate.empty() && a.candidate.size != a.id.size)
    errors += arrayShapeError(p.fileNodes + " has " + rows(a.id.size) + " rows and " + rows(a.candidate.size) +
                              " candidate marks: every row needs one, or none has");
  if (a.to.size != a.from.size || a.value.size != a.from.size)
    errors += arrayShapeError(p.fileConnections + " has " + rows(a.from.size) + " first identifiers, " +
                              rows(a.to.size) + " second ones and " + rows(a.value.size) +
                              " values: every row needs the three");
  if (p.linkImportances3Flag && a.alternative.size != a.from.size)
    errors += arrayShapeError("the link change analysis needs an alternative value for every row of " +
                              p.fileConnections + ", which has " + rows(a.alternative.size) + " for " +
                              rows(a.from.size) + " rows");
  p.nNodesTotal = static_cast<int>(a.id.size);
  p.connectionLines = static_cast<long long>(a.from.size);
  const std::int64_t pairs = static_cast<std::int64_t>(p.nNodesTotal) * (p.nNodesTotal - 1);
  if (p.structType && p.connectionLines != pairs)
    errors += arrayShapeError(p.fileConnections + " has " + toText(p.connectionLines) +
                              " rows, but \"all\" needs every ordered pair of the " + toText(p.nNodesTotal) +
                              " rows of " + p.fileNodes + ", " + toText(pairs) + " rows");
  else if (p.connectionLines > pairs)
    errors += arrayShapeError(p.fileConnections + " has " + toText(p.connectionLines) + " rows, more than the " +
                              toText(pairs) + " ordered pairs of the " + toText(p.nNodesTotal) + " rows of " +
                              p.fileNodes);
  return errors;
}

inline int candidateRows(const inputArrays& a) {
  int count = 0;
  for (std::size_t k = 0; k < a.candidate.size; ++k) count += a.candidate[k] == 0 ? 1 : 0;
  return count;
}

inline void tellRowValue(const std::string& table, std::size_t row, const char* column, double value) {
  tellUser("Found: " + toText(value) + " in row " + toText(static_cast<unsigned long long>(row + 1)) + " of " + table +
           ", column " + column + "; a value is a finite number.");
}

// Row k of the node arrays with the checks of a node-file line, in column
// order; every report adds one to `problems`.
inline recordOutcome readNodeRow(const inputArrays& a, std::size_t k, nodeRecord& rec, const std::string& table,
                                 int& problems) {
  if (k >= a.id.size) return recordOutcome::end;
  const int line = static_cast<int>(k + 1);
  auto stop = [&](nodeCheck check, const char* column, double value) {
    reportNodeCheck(check, line);
    tellRowValue(table, k, column, value);
    ++problems;
    return recordOutcome::stopped;
  };
  rec.id = a.id[k];
  rec.fileLine = line;
  rec.attribute = a.attribute[k];
  if (!std::isfinite(rec.attribute)) return stop(nodeCheck::attributeNotNumber, "attribute", rec.attribute);
  if (rec.attribute < 0) {
    reportNodeCheck(nodeCheck::attributeNegative, line);
    verdalis::problems().note(problemLevel::error, "negative attribute",
                              table + " has negative attributes: an attribute is 0 or more. The run goes on, but "
                              "its results will be invalid",
                              "row " + toText(line) + ": " + toText(rec.attribute), "rows");
    ++problems;
  }
  rec.third = 1;
  if (!a.candidate.empty()) {
    rec.third = static_cast<float>(a.candidate[k]);
    if (rec.third != 0 && rec.third != 1) return stop(nodeCheck::thirdNotBinary, "candidate", rec.third);
  }
  return recordOutcome::read;
}

template <class T>
int loadNodeArrays(quivaraProgram<T>& p) {
  p.sizeTotalHabitat = 0;
  p.labelPosition.clear();
  p.labelAddPosition.clear();
  p.labelPosition.reserve(p.label.size());
  p.labelAddPosition.reserve(p.labelAdd.size());
  bool valid = true;
  int existing = 0, candidates = 0;
  for (std::size_t k = 0;; ++k) {
    nodeRecord rec;
    const recordOutcome outcome = readNodeRow(*p.arrays, k, rec, p.fileNodes, p.findings.readingProblems);
    if (outcome == recordOutcome::end) break;
    if (outcome == recordOutcome::stopped) {
      valid = false;
      break;
    }
    storeNodeRecord(p, rec, existing, candidates);
  }
  const int areaProblem = settleLandscapeArea(p);
  return valid && areaProblem == 0 ? 0 : 1;
}

// Row k of the pair arrays; false when a value is not a finite number (the
// reading stops there). The values read before it stay in the record.
inline bool readPairRow(const inputArrays& a, std::size_t k, bool withChanged, connectionRecord& rec,
                        const std::string& table) {
  auto finite = [&](float value, const char* column) {
    if (std::isfinite(value)) return true;
    reportConnectionStop(connectionCheck::valueNotNumber, static_cast<int>(k + 1));
    tellRowValue(table, k, column, value);
    return false;
  };
  rec.id1 = a.from[k];
  rec.id2 = a.to[k];
  rec.value = a.value[k];
  if (!finite(rec.value, "value")) return false;
  rec.valueRead = true;
  if (!withChanged) return true;
  rec.changed = a.alternative[k];
  if (!finite(rec.changed, "alternative")) return false;
  rec.changedRead = true;
  return true;
}

template <class T>
int loadPairArrays(quivaraProgram<T>& p) {
  fillNoLink(p);
  const inputArrays& a = *p.arrays;
  const connectionKind kind = connectionKindOf(p);
  std::vector<std::uint64_t> listed;
  std::vector<std::uint64_t>* pairs = p.structType ? nullptr : &listed;
  listedLines gathered;
  int problems = 0;
  for (std::size_t k = 0; k < a.from.size; ++k) {
    connectionRecord rec;
    const bool read = readPairRow(a, k, p.linkImportances3Flag, rec, p.fileConnections);
    if (!read) ++problems;
    problems += checkConnectionRanges(kind, rec, p.fileConnections, static_cast<int>(k + 1));
    if (!read) break;
    problems += storeConnectionRecord(p, rec, static_cast<int>(k + 1), pairs, gathered);
  }
  if (p.heldSparse()) settleListedLines(p, gathered);
  if (pairs != nullptr) settleOneWayPairs(p, listed);
  p.findings.readingProblems += problems;
  return problems;
}

}  // namespace verdalis
