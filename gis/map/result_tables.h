#pragma once
// Reading the tab-separated result files of a Verdalis run: a header line of
// column names, then rows that start with one node identifier (node tables:
// node importances, components) or two (link importance tables); every cell
// is followed by a tab. Linear in the size of the file.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace verdalis::gis {

struct resultTable {
  std::string path;
  std::vector<std::string> names;             // the value columns
  std::vector<std::array<std::int64_t, 2>> keys;  // one or two identifiers per row
  std::vector<std::vector<double>> columns;   // columns[c][row]
};

enum class tableKind { nodes, links };

// Reads a table; keys are "Node" or "Node1", "Node2". For link tables only
// the rows with a value other than 0 are kept: a table lists every pair of
// nodes, linked or not, and unlinked pairs are 0 in the removal analysis.
resultTable readResultTable(const std::string& path, tableKind kind);

// The name of a result file of the run with that prefix: "P_" + name, or the
// name alone without a prefix, in the folder.
std::string resultPath(const std::string& folder, const std::string& prefix, const std::string& name);

}  // namespace verdalis::gis
