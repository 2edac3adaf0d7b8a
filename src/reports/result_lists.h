#pragma once
// The text of the list-like result files: the overall indices (alone or with
// the line heads of the collecting file), the components, the binary links
// and the two probability lists. Their lines have no trailing tab.
// Program is a quivaraProgram<T>, or anything with the same accessors.
#include <locale>
#include <sstream>
#include <string>

#include "support/numfmt.h"

namespace verdalis {

// The overall indices of a run in their order: line(binary, label, value)
// for each, `binary` telling the binary indices from the probabilistic ones.
template <class Program, class Line>
void visitOverallIndices(Program& program, Line&& line) {
  const bool area = program.utilLandscapeAreaFunction();
  if (program.solveNL()) line(true, "NL", program.valueOfNL());
  if (program.solveNC()) line(true, "NC", program.valueOfNC());
  if (program.solveH()) line(true, "H", program.valueOfH());
  if (program.solveCCP()) line(true, "CCP", program.valueOfCCP());
  if (program.solveLCP()) {
    line(true, "LCPnum", program.valueOfLCPnum());
    if (area) line(true, "LCP", program.valueOfLCP());
  }
  if (program.solveIIC()) {
    line(true, "IICnum", program.valueOfIICnum());
    line(true, "EC(IIC)", program.valueOfIICEC());
    if (area) line(true, "IIC", program.valueOfIIC());
  }
  if (program.solveF()) line(false, "F", program.valueOfF());
  if (program.solveAWF()) line(false, "AWF", program.valueOfAWF());
  if (program.solvePC()) {
    line(false, "PCnum", program.valueOfPCnum());
    line(false, "EC(PC)", program.valueOfPCEC());
    if (area) line(false, "PC", program.valueOfPC());
    line(false, "PCintra(%)", program.retorna_valor_de_pcIntraGlob());
    line(false, "PCdirect(%)", program.retorna_valor_de_pcDirectGlob());
    line(false, "PCstep(%)", program.retorna_valor_de_pcStepGlob());
  }
}

// The overall-index lines of a run. binaryHead goes before the lines of the
// binary indices and probabilisticHead before those of the probabilistic
// ones; both are empty for overall_indices.txt.
template <class Program>
std::string overallIndicesText(Program& program, const std::string& binaryHead,
                               const std::string& probabilisticHead) {
  std::ostringstream text;
  text.imbue(std::locale::classic());
  visitOverallIndices(program, [&](bool binary, const char* label, auto value) {
    text << (binary ? binaryHead : probabilisticHead) << label << "\t";
    putNumber(text, value) << "\n";
  });
  return text.str();
}

// The head of the binary lines in results_all_overall_indices.txt: prefix and
// threshold, and a 0 in the probability column when a probabilistic distance
// was given, so that such runs keep five columns like the probabilistic lines.
inline std::string binaryLineHead(const std::string& prefix, float adjacentTail, float kDistanceProb) {
  std::string head = prefix + "\t" + toText(adjacentTail);
  if (kDistanceProb != 0) head += "\t0";
  return head + "\t";
}

inline std::string probabilisticLineHead(const std::string& prefix, float kDistanceProb, float kProbProb) {
  return prefix + "\t" + toText(kDistanceProb) + "\t" + toText(kProbProb) + "\t";
}

// Each visitor below calls row(label, value) or row(label, label, value)
// once per line of its file, in the file's order.
template <class Program, class Row>
void visitComponents(Program& program, Row&& row) {
  for (int i = 0; i < program.numberNodes(); ++i) row(program.valueOfLabel(i), program.valueOfComponent(i));
}

template <class Program, class Row>
void visitLinks(Program& program, Row&& row) {
  for (int i = 0; i < program.numberNodes(); ++i)
    for (int j = 0; j < i; ++j) row(program.valueOfLabel(i), program.valueOfLabel(j), program.isAdjacent(i, j));
}

// Both directions of every pair: the connection data may differ by direction.
template <class Program, class Row>
void visitProbabilities(Program& program, bool maximumProduct, Row&& row) {
  for (int i = 0; i < program.numberNodes(); ++i) {
    for (int j = 0; j < program.numberNodes(); ++j) {
      if (j == i) continue;
      float value = maximumProduct ? program.valueOfProbabilityMaximum(i, j) : program.valueOfProbability(i, j);
      row(program.valueOfLabel(i), program.valueOfLabel(j), value);
    }
  }
}

template <class Program>
void putComponents(std::ostream& out, Program& program) {
  out << "Node\tComponent\n";
  visitComponents(program, [&](int label, int component) { out << label << "\t" << component << "\n"; });
}

template <class Program>
void putLinks(std::ostream& out, Program& program) {
  visitLinks(program, [&](int a, int b, int linked) { out << a << "\t" << b << "\t" << linked << "\n"; });
}

template <class Program>
void putProbabilities(std::ostream& out, Program& program, bool maximumProduct) {
  visitProbabilities(program, maximumProduct, [&](int a, int b, float value) {
    out << a << "\t" << b << "\t";
    putNumber(out, value) << "\n";
  });
}

}  // namespace verdalis
