#pragma once
// The column check of an input file and the reading of the connection file
// into the three connection matrices.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "program/load_found.h"
#include "program/program_sparse.h"
#include "program/program_load_nodes.h"
#include "program/program_load_text.h"
#include "program/quivaraProgram.h"
#include "support/messages.h"
#include "support/numfmt.h"
#include "support/problem_log.h"

namespace verdalis {

inline const char* const kFixConnectionFile =
    "\nPlease cancel and discard the processing and correct the format of the connection file.";

// One line of the connection file, with what of it could be read.
struct connectionRecord {
  int id1 = 0;
  int id2 = 0;
  float value = 0;
  float changed = 0;
  bool valueRead = false;
  bool changedRead = false;
};

enum class connectionCheck { id1NotNumber, id1NotInteger, id2NotNumber, id2NotInteger, valueNotNumber };

inline void reportConnectionStop(connectionCheck check, int line) {
  static const char* const opening[] = {
      "A non-numerical node ID value has been found in line ", "A non-integer node ID value has been found in line ",
      "A non-numerical node ID value has been found in line ", "A non-integer node ID value has been found in line ",
      "A non-numerical value has been found in line ",
  };
  // The changed value (fourth column) is reported with the third column's
  // text as well.
  static const char* const column[] = {
      " of the connection file (first column).",  " of the connection file (first column).",
      " of the connection file (second column).", " of the connection file (second column).",
      " of the connection file (third column). \nPlease correct.",
  };
  int k = static_cast<int>(check);
  sayError(std::string(opening[k]) + toText(line) + column[k] + kNoMoreLines + kFixConnectionFile);
}

// Reads one record with the stopping checks; false when one failed (it has
// been reported, with what was found). Values read before the failure stay
// in the record.
inline bool readConnectionRecord(numberReader& in, bool withChanged, int line, connectionRecord& rec,
                                 const std::string& file) {
  auto stop = [&](connectionCheck check, int column) {
    reportConnectionStop(check, line);
    const bool identifier = check == connectionCheck::id1NotInteger || check == connectionCheck::id2NotInteger;
    tellValueFound(file, in, column, identifier ? valueProblem::notIdentifier : valueProblem::notNumber);
    return false;
  };
  double id = 0;
  if (!in.readDouble(id)) return stop(connectionCheck::id1NotNumber, 1);
  if (!isInt32Value(id)) return stop(connectionCheck::id1NotInteger, 1);
  rec.id1 = static_cast<int>(id);
  if (!in.readDouble(id)) return stop(connectionCheck::id2NotNumber, 2);
  if (!isInt32Value(id)) return stop(connectionCheck::id2NotInteger, 2);
  rec.id2 = static_cast<int>(id);
  if (!in.readFloat(rec.value)) return stop(connectionCheck::valueNotNumber, 3);
  rec.valueRead = true;
  if (withChanged) {
    if (!in.readFloat(rec.changed)) return stop(connectionCheck::valueNotNumber, 4);
    rec.changedRead = true;
  }
  return true;
}

enum class connectionKind { distances, probabilities, binary };

inline bool valueInRange(connectionKind kind, float v) {
  switch (kind) {
    case connectionKind::distances: return !(v < 0);
    case connectionKind::probabilities: return !(v < 0 || v > 1);
    case connectionKind::binary: return v == 0 || v == 1;
  }
  return true;
}

// Reports a value out of the range of its kind (third or fourth column).
inline void reportOutOfRange(connectionKind kind, bool fourthColumn, int id1, int id2) {
  static const char* const opening[] = {
      "Error: A negative distance value for the nodes with IDs ",
      "Error: A probability value smaller than 0 or bigger than 1 for the nodes with IDs ",
      "Error: A link value different from 0 or 1 for the nodes with IDs ",
  };
  static const char* const advice[] = {
      " \nPlease correct.",
      " \nPlease correct or check if \xEF\xBF\xBD"
      "Distances\xEF\xBF\xBD may be the appropriate type of connection for your connection file.",
      " \nPlease correct or check if \xEF\xBF\xBD"
      "Distances\xEF\xBF\xBD or \xEF\xBF\xBD"
      "Probabilities\xEF\xBF\xBD may be the appropriate type of connection for your connection file.",
  };
  int k = static_cast<int>(kind);
  std::string where = fourthColumn ? " has been found in the four column of the connection file."
                                   : " has been found in the third column of the connection file.";
  // Identifiers are written the way the program has always written them in
  // this message: as single-precision values.
  sayError(std::string(opening[k]) + toText(static_cast<float>(id1)) + " and " + toText(static_cast<float>(id2)) +
           where + advice[k] + kGoesOnInvalid + kFixConnectionFile + "\n");
}

inline void reportUnknownNode(int id1, int id2, int line) {
  sayError("Error: Error in the format of the connection file. \nNodes with IDs " + toText(id1) + " and " +
           toText(id2) + " are found in line " + toText(line) +
           " of the connection file, but at least one of them may not be listed in the node file. \nPlease check "
           "that the node file ends with a blank line. \nProcessing will continue without using the connection "
           "information for those two nodes, but the RESULTS will probably BE INVALID because of that error in the "
           "input data.\nPlease cancel and discard the processing and correct the format of the input files.\n");
}

// The line on standard error for the values out of range of one kind, told
// once with their count and first examples.
inline void noteOutOfRange(connectionKind kind, bool fourthColumn, const std::string& file, int line, float value) {
  static const char* const what[] = {"negative distances", "probabilities below 0 or above 1",
                                     "link values other than 0 or 1"};
  static const char* const advice[] = {
      "a distance is 0 or more", "if the file holds distances, read it with -t dist",
      "if the file holds distances or probabilities, read it with -t dist or -t prob"};
  const int k = static_cast<int>(kind);
  const std::string column = fourthColumn ? "fourth" : "third";
  problems().note(problemLevel::error, "range " + column + " " + toText(k),
                  file + " has " + what[k] + " in its " + column + " column: " + advice[k] +
                      ". The run goes on, but its results will be invalid",
                  "line " + toText(line) + ": " + toText(value), "lines");
}

// The range checks of one record; returns the number of problems.
inline int checkConnectionRanges(connectionKind kind, const connectionRecord& rec, const std::string& file,
                                 int line) {
  int problems = 0;
  if (rec.valueRead && !valueInRange(kind, rec.value)) {
    reportOutOfRange(kind, false, rec.id1, rec.id2);
    noteOutOfRange(kind, false, file, line, rec.value);
    ++problems;
  }
  if (rec.changedRead && !valueInRange(kind, rec.changed)) {
    reportOutOfRange(kind, true, rec.id1, rec.id2);
    noteOutOfRange(kind, true, file, line, rec.changed);
    ++problems;
  }
  return problems;
}

// An ordered pair of existing node positions as one sortable key: the two
// positions, smaller first, then whether the line named the larger one first.
// Positions are below 2^31, so the key fits 64 bits.
inline std::uint64_t directedPairKey(int i, int j) {
  const std::uint64_t low = static_cast<std::uint64_t>(std::min(i, j));
  const std::uint64_t high = static_cast<std::uint64_t>(std::max(i, j));
  return ((high << 32 | low) << 1) | (i > j ? 1u : 0u);
}

// Puts one record into the matrices, or among the gathered lines in the
// sparse form; returns 1 when a node of the pair is unknown
// (reported), else 0. A pair of two candidates, or of two unknown nodes, is
// ignored. The pairs of existing nodes go to `listed` when given.
template <class T>
int storeConnectionRecord(quivaraProgram<T>& p, const connectionRecord& rec, int line,
                          std::vector<std::uint64_t>* listed, listedLines& lines) {
  int i, j;
  bool first = p.exist_nodes(rec.id1, i);
  bool second = p.exist_nodes(rec.id2, j);
  const std::uint32_t order = static_cast<std::uint32_t>(line);
  if (first && second) {
    if (p.heldSparse()) {
      guardAlloc(kNoMemory, [&] { lines.existing.push_back({i, j, rec.value, rec.changed, order}); });
    } else {
      p.connections(i, j) = rec.value;
      if (p.linkImportances3Flag) p.connectionsDiff(i, j) = p.connectionsDiff(j, i) = rec.changed;
    }
    if (listed != nullptr && i != j) guardAlloc(kNoMemory, [&] { listed->push_back(directedPairKey(i, j)); });
    if (i != j) noteListedValue(p.findings, rec.value);
    return 0;
  }
  if (!first && !second) return 0;
  int existing = first ? i : j;
  int candidate;
  if (p.exist_nodesAdd(first ? rec.id2 : rec.id1, candidate)) {
    if (p.heldSparse())
      guardAlloc(kNoMemory, [&] { lines.candidates.push_back({candidate, existing, rec.value, 0, order}); });
    else
      p.connectionsAdd(candidate, existing) = rec.value;
    return 0;
  }
  reportUnknownNode(rec.id1, rec.id2, line);
  problems().note(problemLevel::error, "unknown node",
                  p.fileConnections + " has lines that name an identifier missing from " + p.fileNodes +
                      ": their links are left out, and the results will be invalid. Check that the two files "
                      "describe the same patches",
                  "line " + toText(line) + ": " + toText(first ? rec.id2 : rec.id1), "lines");
  return 1;
}

template <class T>
connectionKind connectionKindOf(const quivaraProgram<T>& p) {
  if (p.inputDist) return connectionKind::distances;
  if (p.inputProb) return connectionKind::probabilities;
  return connectionKind::binary;
}

// Every cell starts at the no-link value, which a line may overwrite.
template <class T>
void fillNoLink(quivaraProgram<T>& p) {
  if (p.heldSparse()) return;
  float none = p.inputDist ? std::numeric_limits<float>::max() : 0.0f;
  p.connections.assign(p.connections.rows(), p.connections.cols(), none);
  p.connectionsAdd.assign(p.connectionsAdd.rows(), p.connectionsAdd.cols(), none);
  if (p.linkImportances3Flag) p.connectionsDiff.assign(p.connectionsDiff.rows(), p.connectionsDiff.cols(), none);
}

// The pairs of a "notall" file listed in one direction only. The direction
// not listed has the no-link value; with -symmetric it takes the value of the
// listed one instead. A direction that a line lists keeps its own value.
template <class T>
void settleOneWayPairs(quivaraProgram<T>& p, std::vector<std::uint64_t>& listed) {
  std::vector<std::pair<int, int>> mirrored;
  std::sort(listed.begin(), listed.end());
  loadFindings& found = p.findings;
  found.oneWayMadeSymmetric = p.symmetric;
  for (std::size_t k = 0; k < listed.size();) {
    const std::uint64_t pair = listed[k] >> 1;
    unsigned directions = 0;
    for (; k < listed.size() && listed[k] >> 1 == pair; ++k) directions |= 1u << (listed[k] & 1u);
    if (directions == 3u) continue;
    const int low = static_cast<int>(pair & 0xFFFFFFFFu), high = static_cast<int>(pair >> 32);
    const int from = directions == 1u ? low : high, to = directions == 1u ? high : low;
    if (found.oneWayPairs++ == 0) {
      found.firstOneWayFrom = p.label[from];
      found.firstOneWayTo = p.label[to];
    }
    if (!p.symmetric) continue;
    if (p.heldSparse())
      guardAlloc(kNoMemory, [&] { mirrored.push_back({from, to}); });
    else
      p.connections(to, from) = p.connections(from, to);
  }
  addMirrored(p, mirrored);
}

// The column check of a file, then a description of the first line whose
// columns differ. `text` receives the content, for the callers that describe
// the first line too.
inline int checkFileColumns(const std::string& file, int& words, int& lines, std::string& text) {
  if (!readWholeFile(file, text)) {
    const int reason = errno;
    sayError("Cannot open node file or connection file " + file);
    tellCannotOpen(file, reason);
    return 1;
  }
  columnMismatch odd;
  const int errors = countColumnsAndLines(text, words, lines, &odd);
  const std::string others = errors > 1 ? "; " + toText(errors) + " lines differ from it" : "";
  if (odd.found)
    tellColumnsFound(file, text, odd.offset, odd.columns, " (its first line has " + toText(words) + others + ")");
  return errors;
}

template <class T>
int quivaraProgram<T>::verifyFile(const std::string& file, int& words, int& lines) {
  std::string text;
  return checkFileColumns(file, words, lines, text);
}

template <class T>
int quivaraProgram<T>::initialize_arrays_connections() {
  fillNoLink(*this);
  std::string text;
  int problems = 0, words = 0, lines = 0;
  // The file is read once and checked from memory: the same check as
  // verifyFile, without reading a large file twice.
  if (!readWholeFile(fileConnections, text)) {
    sayError("Cannot open node file or connection file " + fileConnections);
    ++findings.readingProblems;
    return 1;
  }
  problems += countColumnsAndLines(text, words, lines);
  connectionKind kind = connectionKindOf(*this);
  numberReader in(text);
  // Only a "notall" file may list a pair one way; an "all" file lists
  // every ordered pair, and a million lines need not be sorted.
  std::vector<std::uint64_t> listed;
  std::vector<std::uint64_t>* pairs = structType ? nullptr : &listed;
  listedLines gathered;
  for (int k = 0; k < lines; ++k) {
    connectionRecord rec;
    bool read = readConnectionRecord(in, linkImportances3Flag, k + 1, rec, fileConnections);
    if (!read) ++problems;
    problems += checkConnectionRanges(kind, rec, fileConnections, k + 1);
    if (!read) break;
    problems += storeConnectionRecord(*this, rec, k + 1, pairs, gathered);
  }
  std::string().swap(text);
  if (heldSparse()) settleListedLines(*this, gathered);
  if (pairs != nullptr) settleOneWayPairs(*this, listed);
  findings.readingProblems += problems;
  return problems;
}

}  // namespace verdalis
