#pragma once
// The text of the importance tables: the node table (one row per existing
// node, then one per candidate) and the three link tables (one row per
// unordered pair). Every cell is followed by a tab, the last one included.
// Program is a quivaraProgram<T>, or anything with the same accessors.
#include <ostream>
#include <string>
#include <vector>

#include "support/numfmt.h"

namespace verdalis {

// The indices that can own a column group, in the order of the node table.
enum class nodeGroupIndex { A, NL, NC, H, BC, CCP, LCP, IIC, F, AWF, PC, BCPC, BCIIC };

// One column of the node table: its header and how its cell is obtained.
struct nodeColumn {
  enum class source { delta, var, betweenness };
  const char* header;
  source from;
  const char* key;  // the accessor key of a delta or var cell
};

struct nodeColumnGroup {
  nodeGroupIndex index;
  std::vector<nodeColumn> columns;
};

// The node-table groups in their fixed order.
inline const std::vector<nodeColumnGroup>& nodeColumnGroups() {
  using S = nodeColumn::source;
  static const std::vector<nodeColumnGroup> groups = {
      {nodeGroupIndex::A, {{"dA", S::delta, "a"}, {"varA", S::var, "avar"}}},
      {nodeGroupIndex::NL, {{"dNL", S::delta, "nl"}, {"varNL", S::var, "nlvar"}}},
      {nodeGroupIndex::NC, {{"dNC", S::delta, "nc"}, {"varNC", S::var, "ncvar"}}},
      {nodeGroupIndex::H, {{"dH", S::delta, "h"}, {"varH", S::var, "hvar"}}},
      {nodeGroupIndex::BC, {{"BC", S::betweenness, ""}}},
      {nodeGroupIndex::CCP, {{"dCCP", S::delta, "ccp"}, {"varCCP", S::var, "ccpvar"}}},
      {nodeGroupIndex::LCP, {{"dLCP", S::delta, "lcp"}, {"varLCP", S::var, "lcpvar"}}},
      {nodeGroupIndex::IIC,
       {{"dIIC", S::delta, "iic"},
        {"dIICintra", S::delta, "iicintra"},
        {"dIICflux", S::delta, "iicflux"},
        {"dIICconnector", S::delta, "iicconnector"},
        {"varIIC", S::var, "iicvar"},
        {"varIICintra", S::var, "iicintravar"},
        {"varIICflux", S::var, "iicfluxvar"},
        {"varIICconnector", S::var, "iicconnectorvar"}}},
      {nodeGroupIndex::F, {{"dF", S::delta, "f"}, {"varF", S::var, "fvar"}}},
      {nodeGroupIndex::AWF, {{"dAWF", S::delta, "awf"}, {"varAWF", S::var, "awfvar"}}},
      {nodeGroupIndex::PC,
       {{"dPC", S::delta, "pc"},
        {"dPCintra", S::delta, "pcintra"},
        {"dPCflux", S::delta, "pcflux"},
        {"dPCconnector", S::delta, "pcconnector"},
        {"varPC", S::var, "pcvar"},
        {"varPCintra", S::var, "pcintravar"},
        {"varPCflux", S::var, "pcfluxvar"},
        {"varPCconnector", S::var, "pcconnectorvar"}}},
      {nodeGroupIndex::BCPC, {{"dBC_PC", S::delta, "bcpc"}, {"varBC_PC", S::var, "bcpcvar"}}},
      {nodeGroupIndex::BCIIC, {{"dBC_IIC", S::delta, "bciic"}, {"varBC_IIC", S::var, "bciicvar"}}},
  };
  return groups;
}

template <class Program>
bool groupSelected(const Program& program, nodeGroupIndex index) {
  switch (index) {
    case nodeGroupIndex::A: return program.solveA();
    case nodeGroupIndex::NL: return program.solveNL();
    case nodeGroupIndex::NC: return program.solveNC();
    case nodeGroupIndex::H: return program.solveH();
    case nodeGroupIndex::BC: return program.solveBC();
    case nodeGroupIndex::CCP: return program.solveCCP();
    case nodeGroupIndex::LCP: return program.solveLCP();
    case nodeGroupIndex::IIC: return program.solveIIC();
    case nodeGroupIndex::F: return program.solveF();
    case nodeGroupIndex::AWF: return program.solveAWF();
    case nodeGroupIndex::PC: return program.solvePC();
    case nodeGroupIndex::BCPC: return program.solveBCPC();
    case nodeGroupIndex::BCIIC: return program.solveBCIIC();
  }
  return false;
}

template <class Program>
std::string nodeTableHeader(const Program& program) {
  std::string header = "Node\t";
  for (const nodeColumnGroup& group : nodeColumnGroups()) {
    if (!groupSelected(program, group.index)) continue;
    for (const nodeColumn& column : group.columns) header += std::string(column.header) + "\t";
  }
  return header + "\n";
}

// One cell of a row of the given kind (1: existing node removed, 2: candidate
// added). A candidate has no betweenness of its own: its BC cell is the
// integer 0.
template <class Program>
void putNodeCell(std::ostream& out, Program& program, const nodeColumn& column, int typeLand,
                 int position) {
  switch (column.from) {
    case nodeColumn::source::delta:
      putNumber(out, program.valueOfDelta(typeLand, column.key, position));
      break;
    case nodeColumn::source::var:
      putNumber(out, program.valueOfVar(typeLand, column.key, position));
      break;
    case nodeColumn::source::betweenness:
      if (typeLand == 1) {
        putNumber(out, program.valueOfBC(position));
      } else {
        out << 0;
      }
      break;
  }
  out << "\t";
}

template <class Program>
void putNodeRow(std::ostream& out, Program& program, int typeLand, int position) {
  out << (typeLand == 1 ? program.valueOfLabel(position) : program.valueOfLabelAdd(position)) << "\t";
  for (const nodeColumnGroup& group : nodeColumnGroups()) {
    if (!groupSelected(program, group.index)) continue;
    // A group whose values cannot all be obtained keeps the cells written so
    // far; the row goes on with the next group.
    try {
      for (const nodeColumn& column : group.columns) putNodeCell(out, program, column, typeLand, position);
    } catch (...) {
    }
  }
  out << "\n";
}

// The rows of the existing nodes, then those of the candidates.
template <class Program>
void putNodeRows(std::ostream& out, Program& program) {
  for (int i = 0; i < program.numberNodes(); ++i) putNodeRow(out, program, 1, i);
  for (int k = 0; k < program.numberNodesAdd(); ++k) putNodeRow(out, program, 2, k);
}

// The three link analyses whose tables share one layout.
enum class linkFamily { removal, improvement, change };

template <class Program>
struct linkColumn {
  using accessor = float (Program::*)(int, int);
  const char* header;
  bool (Program::*selected)() const;
  accessor removal, improvement, change;
};

template <class Program>
const std::vector<linkColumn<Program>>& linkColumns() {
  using P = Program;
  static const std::vector<linkColumn<Program>> columns = {
      {"dNL", &P::solveNL, &P::valueOfDeltaConNL, &P::valueOfDeltaConSureNL, &P::valueOfDeltaConDiffNL},
      {"dNC", &P::solveNC, &P::valueOfDeltaConNC, &P::valueOfDeltaConSureNC, &P::valueOfDeltaConDiffNC},
      {"dH", &P::solveH, &P::valueOfDeltaConH, &P::valueOfDeltaConSureH, &P::valueOfDeltaConDiffH},
      {"dCCP", &P::solveCCP, &P::valueOfDeltaConCCP, &P::valueOfDeltaConSureCCP, &P::valueOfDeltaConDiffCCP},
      {"dLCP", &P::solveLCP, &P::valueOfDeltaConLCP, &P::valueOfDeltaConSureLCP, &P::valueOfDeltaConDiffLCP},
      {"dIIC", &P::solveIIC, &P::valueOfDeltaConIIC, &P::valueOfDeltaConSureIIC, &P::valueOfDeltaConDiffIIC},
      {"dF", &P::solveF, &P::valueOfDeltaConF, &P::valueOfDeltaConSureF, &P::valueOfDeltaConDiffF},
      {"dAWF", &P::solveAWF, &P::valueOfDeltaConAWF, &P::valueOfDeltaConSureAWF, &P::valueOfDeltaConDiffAWF},
      {"dPC", &P::solvePC, &P::valueOfDeltaConPC, &P::valueOfDeltaConSurePC, &P::valueOfDeltaConDiffPC},
  };
  return columns;
}

template <class Program>
void putLinkTable(std::ostream& out, Program& program, linkFamily family) {
  out << "Node1\tNode2\t";
  for (const linkColumn<Program>& column : linkColumns<Program>()) {
    if ((program.*column.selected)()) out << column.header << "\t";
  }
  out << "\n";
  for (int i = 0; i < program.numberNodes(); ++i) {
    for (int j = 0; j < i; ++j) {
      out << program.valueOfLabel(i) << "\t" << program.valueOfLabel(j) << "\t";
      for (const linkColumn<Program>& column : linkColumns<Program>()) {
        if (!(program.*column.selected)()) continue;
        typename linkColumn<Program>::accessor value = family == linkFamily::removal       ? column.removal
                                                       : family == linkFamily::improvement ? column.improvement
                                                                                           : column.change;
        putNumber(out, (program.*value)(i, j)) << "\t";
      }
      out << "\n";
    }
  }
}

}  // namespace verdalis
