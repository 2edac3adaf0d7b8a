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

template <class T>
void fillResults(quivaraProgram<T>& p, const analysisOptions& o, analysisResults& results) {
  visitOverallIndices(p, [&](bool, const char* label, auto value) {
    results.overall.emplace_back(label, static_cast<double>(value));
  });
  if (!o.onlyOverall) results.nodes = nodeValues(p);
  if (o.components && p.ncFlag) results.components = componentValues(p);
}

}  // namespace verdalis
