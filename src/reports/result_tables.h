#pragma once
// The importance tables: the node table (one row per existing node, then one
// per candidate) and the three link tables (one row per unordered pair).
// Their cells are visited as values, in the types the accessors return (an
// int label, a float index value), by the file writers, which follow every
// cell by a tab, the last one included, and by the library, which returns
// them as numbers: both get the same values from one walk.
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

// The column names of the node table, "Node" first.
template <class Program>
std::vector<std::string> nodeTableColumns(const Program& program) {
  std::vector<std::string> names{"Node"};
  for (const nodeColumnGroup& group : nodeColumnGroups()) {
    if (!groupSelected(program, group.index)) continue;
    for (const nodeColumn& column : group.columns) names.push_back(column.header);
  }
  return names;
}

template <class Program>
std::string nodeTableHeader(const Program& program) {
  std::string header;
  for (const std::string& name : nodeTableColumns(program)) header += name + "\t";
  return header + "\n";
}

// One cell of a row of the given kind (1: existing node removed, 2: candidate
// added). A candidate has no betweenness of its own: its BC cell is the
// integer 0.
template <class Program, class Cell>
void visitNodeCell(Program& program, const nodeColumn& column, int typeLand, int position, Cell&& cell) {
  switch (column.from) {
    case nodeColumn::source::delta: cell(program.valueOfDelta(typeLand, column.key, position)); break;
    case nodeColumn::source::var: cell(program.valueOfVar(typeLand, column.key, position)); break;
    case nodeColumn::source::betweenness:
      if (typeLand == 1)
        cell(program.valueOfBC(position));
      else
        cell(0);
      break;
  }
}

// The label, then every cell of one row.
template <class Program, class Cell>
void visitNodeRow(Program& program, int typeLand, int position, Cell&& cell) {
  cell(typeLand == 1 ? program.valueOfLabel(position) : program.valueOfLabelAdd(position));
  for (const nodeColumnGroup& group : nodeColumnGroups()) {
    if (!groupSelected(program, group.index)) continue;
    // A group whose values cannot all be obtained keeps the cells given so
    // far; the row goes on with the next group.
    try {
      for (const nodeColumn& column : group.columns) visitNodeCell(program, column, typeLand, position, cell);
    } catch (...) {
    }
  }
}

// The rows of the existing nodes, then those of the candidates: row(typeLand,
// position) before the cells of each.
template <class Program, class Row, class Cell>
void visitNodeRows(Program& program, Row&& row, Cell&& cell) {
  for (int i = 0; i < program.numberNodes(); ++i) {
    row(1, i);
    visitNodeRow(program, 1, i, cell);
  }
  for (int k = 0; k < program.numberNodesAdd(); ++k) {
    row(2, k);
    visitNodeRow(program, 2, k, cell);
  }
}

// Each line feed but the last ends the row before it.
template <class Program>
void putNodeRows(std::ostream& out, Program& program) {
  bool any = false;
  visitNodeRows(
      program,
      [&](int, int) {
        if (any) out << "\n";
        any = true;
      },
      [&](auto value) { putNumber(out, value) << "\t"; });
  if (any) out << "\n";
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
std::vector<std::string> linkTableColumns(const Program& program) {
  std::vector<std::string> names{"Node1", "Node2"};
  for (const linkColumn<Program>& column : linkColumns<Program>())
    if ((program.*column.selected)()) names.push_back(column.header);
  return names;
}

// Every pair (i, j), j < i: row(i, j), then its two labels and its cells.
template <class Program, class Row, class Cell>
void visitLinkRows(Program& program, linkFamily family, Row&& row, Cell&& cell) {
  for (int i = 0; i < program.numberNodes(); ++i) {
    for (int j = 0; j < i; ++j) {
      row(i, j);
      cell(program.valueOfLabel(i));
      cell(program.valueOfLabel(j));
      for (const linkColumn<Program>& column : linkColumns<Program>()) {
        if (!(program.*column.selected)()) continue;
        typename linkColumn<Program>::accessor value = family == linkFamily::removal       ? column.removal
                                                       : family == linkFamily::improvement ? column.improvement
                                                                                           : column.change;
        cell((program.*value)(i, j));
      }
    }
  }
}

template <class Program>
void putLinkTable(std::ostream& out, Program& program, linkFamily family) {
  // Each line feed ends the line before it: the header's, then each row's.
  for (const std::string& name : linkTableColumns(program)) out << name << "\t";
  visitLinkRows(
      program, family, [&](int, int) { out << "\n"; }, [&](auto value) { putNumber(out, value) << "\t"; });
  out << "\n";
}

}  // namespace verdalis
