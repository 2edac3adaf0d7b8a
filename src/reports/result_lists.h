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

// The overall-index lines of a run. binaryHead goes before the lines of the
// binary indices and probabilisticHead before those of the probabilistic
// ones; both are empty for overall_indices.txt.
template <class Program>
std::string overallIndicesText(Program& program, const std::string& binaryHead,
                               const std::string& probabilisticHead) {
  std::ostringstream text;
  text.imbue(std::locale::classic());
  auto line = [&text](const std::string& head, const char* label, auto value) {
    text << head << label;
    putNumber(text, value) << "\n";
  };
  const bool area = program.utilLandscapeAreaFunction();
  if (program.solveNL()) line(binaryHead, "NL\t", program.valueOfNL());
  if (program.solveNC()) line(binaryHead, "NC\t", program.valueOfNC());
  if (program.solveH()) line(binaryHead, "H\t", program.valueOfH());
  if (program.solveCCP()) line(binaryHead, "CCP\t", program.valueOfCCP());
  if (program.solveLCP()) {
    line(binaryHead, "LCPnum\t", program.valueOfLCPnum());
    if (area) line(binaryHead, "LCP\t", program.valueOfLCP());
  }
  if (program.solveIIC()) {
    line(binaryHead, "IICnum\t", program.valueOfIICnum());
    line(binaryHead, "EC(IIC)\t", program.valueOfIICEC());
    if (area) line(binaryHead, "IIC\t", program.valueOfIIC());
  }
  if (program.solveF()) line(probabilisticHead, "F\t", program.valueOfF());
  if (program.solveAWF()) line(probabilisticHead, "AWF\t", program.valueOfAWF());
  if (program.solvePC()) {
    line(probabilisticHead, "PCnum\t", program.valueOfPCnum());
    line(probabilisticHead, "EC(PC)\t", program.valueOfPCEC());
    if (area) line(probabilisticHead, "PC\t", program.valueOfPC());
    line(probabilisticHead, "PCintra(%)\t", program.retorna_valor_de_pcIntraGlob());
    line(probabilisticHead, "PCdirect(%)\t", program.retorna_valor_de_pcDirectGlob());
    line(probabilisticHead, "PCstep(%)\t", program.retorna_valor_de_pcStepGlob());
  }
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

template <class Program>
void putComponents(std::ostream& out, Program& program) {
  out << "Node\tComponent\n";
  for (int i = 0; i < program.numberNodes(); ++i) {
    out << program.valueOfLabel(i) << "\t" << program.valueOfComponent(i) << "\n";
  }
}

template <class Program>
void putLinks(std::ostream& out, Program& program) {
  for (int i = 0; i < program.numberNodes(); ++i) {
    for (int j = 0; j < i; ++j) {
      out << program.valueOfLabel(i) << "\t" << program.valueOfLabel(j) << "\t" << program.isAdjacent(i, j) << "\n";
    }
  }
}

// Both directions of every pair: the connection data may differ by direction.
template <class Program>
void putProbabilities(std::ostream& out, Program& program, bool maximumProduct) {
  for (int i = 0; i < program.numberNodes(); ++i) {
    for (int j = 0; j < program.numberNodes(); ++j) {
      if (j == i) continue;
      float value = maximumProduct ? program.valueOfProbabilityMaximum(i, j) : program.valueOfProbability(i, j);
      out << program.valueOfLabel(i) << "\t" << program.valueOfLabel(j) << "\t";
      putNumber(out, value) << "\n";
    }
  }
}

}  // namespace verdalis
