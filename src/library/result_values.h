#pragma once
// The values of a run as the library returns them: the same walks over the
// run's accessors that write the result files (reports/), each value kept
// as a number instead of written as text.
#include <string>
#include <vector>

#include "program/quivaraProgram.h"
#include "reports/result_lists.h"
#include "reports/result_tables.h"
#include "verdalis/verdalis.h"

namespace verdalis {

// Fills a table row by row from a walk that gives one value per cell.
class tableFiller {
 public:
  explicit tableFiller(resultsTable& table, std::vector<std::string> names) : table_(table) {
    table_.names = std::move(names);
    table_.columns.assign(table_.names.size(), {});
  }
  // Starts a row; a row left short by a group that could not be read has
  // its last cells not a number.
  void row() {
    pad();
    at_ = 0;
    started_ = true;
  }
  template <class V>
  void operator()(V value) {
    if (at_ < table_.columns.size()) table_.columns[at_++].push_back(static_cast<double>(value));
  }
  void finish() { pad(); }

 private:
  void pad() {
    if (!started_) return;
    for (; at_ < table_.columns.size(); ++at_) table_.columns[at_].push_back(std::nan(""));
  }
  resultsTable& table_;
  std::size_t at_ = 0;
  bool started_ = false;
};

template <class T>
resultsTable nodeValues(quivaraProgram<T>& p) {
  resultsTable table;
  tableFiller fill(table, nodeTableColumns(p));
  visitNodeRows(p, [&](int, int) { fill.row(); }, [&](auto value) { fill(value); });
  fill.finish();
  return table;
}

template <class T>
resultsTable linkTableValues(quivaraProgram<T>& p, linkFamily family) {
  resultsTable table;
  tableFiller fill(table, linkTableColumns(p));
  visitLinkRows(p, family, [&](int, int) { fill.row(); }, [&](auto value) { fill(value); });
  fill.finish();
  return table;
}

template <class T>
resultsTable componentValues(quivaraProgram<T>& p) {
  resultsTable table;
  tableFiller fill(table, {"Node", "Component"});
  visitComponents(p, [&](int label, int component) {
    fill.row();
    fill(label);
    fill(component);
  });
  fill.finish();
  return table;
}

template <class T>
resultsTable linkListValues(quivaraProgram<T>& p) {
  resultsTable table;
  tableFiller fill(table, {"Node1", "Node2", "Link"});
  visitLinks(p, [&](int a, int b, int linked) {
    fill.row();
    fill(a);
    fill(b);
    fill(linked);
  });
  fill.finish();
  return table;
}

template <class T>
resultsTable probabilityValues(quivaraProgram<T>& p, bool bestPath) {
  resultsTable table;
  tableFiller fill(table, {"From", "To", "Probability"});
  visitProbabilities(p, bestPath, [&](int a, int b, float value) {
    fill.row();
    fill(a);
    fill(b);
    fill(value);
  });
  fill.finish();
  return table;
}

// With pcDrops, the PC columns of the removed nodes from the drops the
// sparse engine summed, in double (the other routes keep their values).
template <class T>
void placePCDrops(const quivaraProgram<T>& p, resultsTable& nodes) {
  if (p.taken.of(runPhase::removals) != phaseRoute::sparseEngine) return;
  const double base = static_cast<double>(p.landGlobal->pc);
  if (!(base > 0)) return;
  auto columnOf = [&](const char* name) -> std::vector<double>* {
    for (std::size_t c = 0; c < nodes.names.size(); ++c)
      if (nodes.names[c] == name) return &nodes.columns[c];
    return nullptr;
  };
  std::vector<double>* whole = columnOf("dPC");
  std::vector<double>* intra = columnOf("dPCintra");
  std::vector<double>* flux = columnOf("dPCflux");
  std::vector<double>* connector = columnOf("dPCconnector");
  if (!whole || !intra || !flux || !connector) return;
  for (int i = 0; i < p.nNodes; ++i) {
    const landscape<T>& v = p.landDel[i];
    const std::size_t row = static_cast<std::size_t>(i);
    (*intra)[row] = 100 * v.pcintra / base;
    (*flux)[row] = 100 * v.pcflux / base;
    (*connector)[row] = 100 * v.pcconnector / base;
    (*whole)[row] = 100 * (v.pcintra + v.pcflux + v.pcconnector) / base;
  }
}

template <class T>
void fillResults(quivaraProgram<T>& p, const analysisOptions& o, analysisResults& results) {
  visitOverallIndices(p, [&](bool, const char* label, auto value) {
    results.overall.emplace_back(label, static_cast<double>(value));
  });
  if (!o.onlyOverall) results.nodes = nodeValues(p);
  if (!o.onlyOverall && o.pcDrops) placePCDrops(p, results.nodes);
  if (o.components && p.ncFlag) results.components = componentValues(p);
}

}  // namespace verdalis
