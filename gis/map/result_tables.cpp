// Parsing result tables.
#include "map/result_tables.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "common/failure.h"

namespace verdalis::gis {

std::string resultPath(const std::string& folder, const std::string& prefix, const std::string& name) {
  return folder + "/" + (prefix.empty() ? "" : prefix + "_") + name;
}

namespace {
// The cells of a line; the tab after the last cell ends it rather than
// starting an empty cell. A CR before the line feed is dropped.
std::vector<std::string> cellsOf(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::vector<std::string> cells;
  std::size_t start = 0;
  while (start < line.size()) {
    std::size_t tab = line.find('\t', start);
    if (tab == std::string::npos) tab = line.size();
    cells.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  return cells;
}

double valueOf(const std::string& cell, const std::string& where) {
  char* end = nullptr;
  const double value = std::strtod(cell.c_str(), &end);
  if (cell.empty() || *end != '\0') inputError(where + ": \"" + cell + "\" is not a number");
  return value;
}

std::int64_t identifierOf(const std::string& cell, const std::string& where) {
  const double value = valueOf(cell, where);
  if (!std::isfinite(value) || value != std::floor(value) || std::fabs(value) > 9.0e15)
    inputError(where + ": \"" + cell + "\" is not a node identifier");
  return static_cast<std::int64_t>(value);
}
}  // namespace

resultTable readResultTable(const std::string& path, tableKind kind) {
  std::ifstream in(path, std::ios::binary);
  if (!in) inputError("cannot read " + path + ": " + std::strerror(errno));
  resultTable table;
  table.path = path;
  const std::size_t keyCount = kind == tableKind::links ? 2 : 1;
  std::string line;
  if (!std::getline(in, line)) inputError(path + " is empty");
  std::vector<std::string> header = cellsOf(line);
  const std::vector<std::string> keys = keyCount == 2 ? std::vector<std::string>{"Node1", "Node2"}
                                                      : std::vector<std::string>{"Node"};
  if (header.size() < keyCount || !std::equal(keys.begin(), keys.end(), header.begin()))
    inputError(path + " is not a result table of Verdalis: its header does not start with " + keys[0]);
  table.names.assign(header.begin() + static_cast<std::ptrdiff_t>(keyCount), header.end());
  table.columns.resize(table.names.size());
  for (std::size_t number = 2; std::getline(in, line); ++number) {
    const std::string where = path + ", line " + std::to_string(number);
    const std::vector<std::string> cells = cellsOf(line);
    if (cells.empty()) continue;
    if (cells.size() != header.size())
      inputError(where + ": " + std::to_string(cells.size()) + " cells where the header has " +
                 std::to_string(header.size()));
    std::vector<double> values(table.names.size());
    bool nonZero = false;
    for (std::size_t c = 0; c < values.size(); ++c) {
      values[c] = valueOf(cells[keyCount + c], where);
      nonZero = nonZero || values[c] != 0.0;
    }
    if (kind == tableKind::links && !nonZero) continue;
    table.keys.push_back({identifierOf(cells[0], where), keyCount == 2 ? identifierOf(cells[1], where) : 0});
    for (std::size_t c = 0; c < values.size(); ++c) table.columns[c].push_back(values[c]);
  }
  if (in.bad()) inputError("cannot read " + path);
  return table;
}

}  // namespace verdalis::gis
