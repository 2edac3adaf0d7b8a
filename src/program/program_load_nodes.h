#pragma once
// Reading the node file: the count of candidates, the node arrays with their
// identifier lookups, and the maximum landscape attribute AL.
#include <string>

#include "program/load_found.h"
#include "program/program_load_text.h"
#include "program/quivaraProgram.h"
#include "support/messages.h"
#include "support/numfmt.h"
#include "support/problem_log.h"

namespace verdalis {

inline const char* const kNoMoreLines = "\nNo more lines will be read from this file. RESULTS WILL BE INVALID.";
inline const char* const kGoesOnInvalid =
    "\nProcessing will continue, but the RESULTS WILL almost surely BE INVALID because of that error in the input "
    "data.";
inline const char* const kFixNodeFile =
    "\nPlease cancel and discard the processing and correct the format of the node file.";

// One line of the node file. Without a third column every line is an
// existing node.
struct nodeRecord {
  int id = 0;
  float attribute = 0;
  float third = 1;
  int fileLine = 0;  // the line of its identifier, as an editor counts
};

enum class nodeCheck {
  idNotNumber,
  idNotInteger,
  attributeNotNumber,
  attributeNegative,
  thirdNotNumber,
  thirdNotInteger,
  thirdNotBinary
};

inline std::string nodeCheckText(nodeCheck check, int line) {
  static const char* const opening[] = {
      "A non-numerical node ID value has been found in line ",
      "A non-integer node ID value has been found in line ",
      "A non-numerical node attribute value has been found in line ",
      "A negative node attribute value has been found in line ",
      "A non-numerical value has been found in line ",
      "A non-integer value has been found in line ",
      "A value different from 0 or 1 has been found in line ",
  };
  static const char* const column[] = {
      " of the node file (first column).",
      " of the node file (first column).",
      " of the node file (second column).",
      " of the node file (second column). \nPlease correct.",
      " of the node file (third column).",
      " of the node file (third column).",
      " of the node file (third column). \nPlease correct.",
  };
  int k = static_cast<int>(check);
  bool stops = check != nodeCheck::attributeNegative;
  return std::string(opening[k]) + toText(line) + column[k] + (stops ? kNoMoreLines : kGoesOnInvalid) + kFixNodeFile;
}

inline void reportNodeCheck(nodeCheck check, int line) { sayError(nodeCheckText(check, line)); }

enum class recordOutcome { end, stopped, read };

// Where each check looks, for the line that says what was found.
inline int nodeCheckColumn(nodeCheck check) {
  switch (check) {
    case nodeCheck::idNotNumber:
    case nodeCheck::idNotInteger: return 1;
    case nodeCheck::attributeNotNumber:
    case nodeCheck::attributeNegative: return 2;
    default: return 3;
  }
}

inline valueProblem nodeCheckProblem(nodeCheck check) {
  switch (check) {
    case nodeCheck::idNotInteger: return valueProblem::notIdentifier;
    case nodeCheck::thirdNotInteger:
    case nodeCheck::thirdNotBinary: return valueProblem::notExistingOrCandidate;
    default: return valueProblem::notNumber;
  }
}

// Reads the next node-file line with every check in column order and
// reports the first failed one; all but the negative attribute stop the
// reading. A negative attribute does not excuse a bad third column: that
// line is reported twice and not stored, so that a line never becomes a
// node or a candidate by a value that the count of candidates rejected.
// Every report adds one to `problems`.
inline recordOutcome readNodeRecord(numberReader& in, bool withThird, int line, nodeRecord& rec,
                                    const std::string& file, int& problems) {
  if (in.atEnd()) return recordOutcome::end;
  auto stop = [&](nodeCheck check) {
    reportNodeCheck(check, line);
    tellValueFound(file, in, nodeCheckColumn(check), nodeCheckProblem(check));
    ++problems;
    return recordOutcome::stopped;
  };
  double id = 0;
  if (!in.readDouble(id)) return stop(nodeCheck::idNotNumber);
  rec.fileLine = in.lastTokenLine();
  if (!isInt32Value(id)) return stop(nodeCheck::idNotInteger);
  rec.id = static_cast<int>(id);
  if (!in.readFloat(rec.attribute)) return stop(nodeCheck::attributeNotNumber);
  if (rec.attribute < 0) {
    reportNodeCheck(nodeCheck::attributeNegative, line);
    verdalis::problems().note(problemLevel::error, "negative attribute",
                    file + " has negative attributes (second column): an attribute is 0 or more. The run goes on, "
                    "but its results will be invalid",
                    "line " + toText(rec.fileLine) + ": " + toText(rec.attribute), "lines");
    ++problems;
  }
  rec.third = 1;
  if (withThird) {
    if (!in.readFloat(rec.third)) return stop(nodeCheck::thirdNotNumber);
    if (!isInt32Value(rec.third)) return stop(nodeCheck::thirdNotInteger);
    if (rec.third != 0 && rec.third != 1) return stop(nodeCheck::thirdNotBinary);
  }
  return recordOutcome::read;
}

// Reads three values checking only that they are numbers. Returns 0, or the
// column (1 to 3) of the first value that is missing or not a number.
inline int readThreeNumbers(numberReader& in, float& third) {
  double id;
  float attribute;
  if (!in.readDouble(id)) return 1;
  if (!in.readFloat(attribute)) return 2;
  if (!in.readFloat(third)) return 3;
  return 0;
}

// The candidate lines (third column 0) of a node file, as far as it can be
// read: up to the first line with a value that is not a number.
struct candidateCount {
  int candidates = 0;
  int failedColumn = 0;  // of that line, 0 when every line was read
  int failedLine = 0;
};

inline candidateCount countCandidateLines(const std::string& text) {
  candidateCount count;
  numberReader in(text);
  for (int line = 1; !in.atEnd(); ++line) {
    float third = 1;
    const int failed = readThreeNumbers(in, third);
    if (failed != 0) {
      count.failedColumn = failed;
      count.failedLine = line;
      break;
    }
    if (third == 0) ++count.candidates;
  }
  return count;
}

inline void reportCandidateCountStop(int column, bool firstLine) {
  static const nodeCheck lineOne[] = {nodeCheck::idNotNumber, nodeCheck::attributeNotNumber,
                                      nodeCheck::thirdNotNumber};
  static const char* const later[] = {
      "A non-numerical node ID value has been found in the node file (first column).",
      "A non-numerical node attribute value has been found in the node file (second column).",
      "A non-numerical value has been found in the node file (third column).",
  };
  if (firstLine)
    reportNodeCheck(lineOne[column - 1], 1);
  else
    sayError(std::string(later[column - 1]) + kNoMoreLines + kFixNodeFile);
}

// Notes an identifier that an earlier line already has: every connection
// line of it goes to that earlier line.
inline void noteDuplicate(loadFindings& findings, const nodeRecord& rec) {
  if (findings.duplicateIds++ > 0) return;
  findings.firstDuplicateId = rec.id;
  findings.firstDuplicateLine = rec.fileLine;
}

// Stores a line that passed the checks as the next existing node or the
// next candidate. The arrays were sized by the counts of the same file, so
// they cannot fill up; the bound is kept anyway so that no input can write
// past them. The position maps keep the first occurrence of an identifier.
template <class T>
void storeNodeRecord(quivaraProgram<T>& p, const nodeRecord& rec, int& existing, int& candidates) {
  const bool seen = p.labelPosition.count(rec.id) > 0 || p.labelAddPosition.count(rec.id) > 0;
  if (seen) noteDuplicate(p.findings, rec);
  if (p.addNodes && rec.third == 0) {
    if (candidates >= static_cast<int>(p.labelAdd.size())) return;
    p.labelAdd[candidates] = rec.id;
    p.sizeAdd[candidates] = rec.attribute;
    p.labelAddPosition.emplace(rec.id, candidates);
    ++candidates;
    return;
  }
  if (existing >= static_cast<int>(p.label.size())) return;
  p.label[existing] = rec.id;
  p.size[existing] = rec.attribute;
  p.labelPosition.emplace(rec.id, existing);
  p.sizeTotalHabitat += rec.attribute;
  ++existing;
}

// Settles AL once the attributes are summed; returns 1 when the given AL
// cannot hold them. With AL = 1 the LCP, IIC and PC values are numerators.
template <class T>
int settleLandscapeArea(quivaraProgram<T>& p) {
  if (p.sizeTotalHabitat > p.sizeLandscapeArea && p.sizeLandscapeArea != 0) {
    say("Error:  Maximum landscape attribute (AL) is lower than the sum of node attributes.\n Only the numerators "
        "of the overall LCP, IIC and PC values will be computed.\n");
    problems().note(problemLevel::warning, "landArea below the attributes",
                    "-landArea " + toText(p.sizeLandscapeArea) + " is lower than the sum of the node attributes, " +
                        toText(p.sizeTotalHabitat) + ": only the numerators of LCP, IIC and PC (LCPnum, IICnum, " +
                        "PCnum) are written. -landArea is the study area, in the units of the attributes, so at " +
                        "least their sum");
    p.utilLandscapeArea = false;
    p.sizeLandscapeArea = 1;
    return 1;
  }
  if (p.sizeLandscapeArea != 0) {
    p.utilLandscapeArea = true;
    return 0;
  }
  p.utilLandscapeArea = false;
  p.sizeLandscapeArea = 1;
  return 0;
}

template <class T>
int quivaraProgram<T>::verifyNodesNoExist(const std::string& file) {
  std::string text;
  if (!readWholeFile(file, text)) {
    sayError("Cannot open node file " + file);
    return 0;
  }
  candidateCount count = countCandidateLines(text);
  if (count.failedColumn != 0) reportCandidateCountStop(count.failedColumn, count.failedLine == 1);
  return count.candidates;
}

template <class T>
int quivaraProgram<T>::initialize_arrays_nodes() {
  sizeTotalHabitat = 0;
  labelPosition.clear();
  labelAddPosition.clear();
  labelPosition.reserve(label.size());
  labelAddPosition.reserve(labelAdd.size());
  bool valid = true;
  std::string text;
  if (!readWholeFile(fileNodes, text)) {
    sayError("Cannot open node file " + fileNodes);
    ++findings.readingProblems;
    valid = false;
  }
  numberReader in(text);
  int linesRead = 0, existing = 0, candidates = 0;
  while (valid) {
    nodeRecord rec;
    recordOutcome outcome = readNodeRecord(in, addNodes, linesRead + 1, rec, fileNodes, findings.readingProblems);
    if (outcome == recordOutcome::end) break;
    if (outcome == recordOutcome::stopped) {
      valid = false;
      break;
    }
    storeNodeRecord(*this, rec, existing, candidates);
    ++linesRead;
  }
  int areaProblem = settleLandscapeArea(*this);
  return (valid && areaProblem == 0) ? 0 : 1;
}

template <class T>
bool quivaraProgram<T>::exist_nodes(int key, int& pos) {
  auto found = labelPosition.find(key);
  pos = found == labelPosition.end() ? -1 : found->second;
  return pos != -1;
}

template <class T>
bool quivaraProgram<T>::exist_nodesAdd(int key, int& pos) {
  auto found = labelAddPosition.find(key);
  pos = found == labelAddPosition.end() ? -1 : found->second;
  return pos != -1;
}

}  // namespace verdalis
