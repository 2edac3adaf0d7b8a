// Finding and joining the result files of a run.
#include "map/result_join.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <unistd.h>

#include "common/failure.h"

namespace verdalis::gis {

runResults readRunResults(const std::string& folder, const std::string& prefix) {
  if (::access(folder.c_str(), R_OK | X_OK) != 0) inputError("cannot read the results folder " + folder);
  runResults results;
  for (const char* name : {"node_importances.txt", "components.txt"}) {
    const std::string path = resultPath(folder, prefix, name);
    if (::access(path.c_str(), F_OK) == 0) results.nodeTables.push_back(readResultTable(path, tableKind::nodes));
  }
  for (const char* kind : {"removal", "improvement", "change"}) {
    const std::string path = resultPath(folder, prefix, std::string("link_importances_") + kind + ".txt");
    if (::access(path.c_str(), F_OK) != 0) continue;
    results.linkKinds.push_back(kind);
    results.linkTables.push_back(readResultTable(path, tableKind::links));
  }
  if (results.nodeTables.empty() && results.linkTables.empty())
    inputError("no result file of Verdalis in " + folder + " (looked for " +
               resultPath(folder, prefix, "node_importances.txt") + " and the components and link files" +
               (prefix.empty() ? "; was the run given a -prefix?)" : ")"));
  return results;
}

namespace {
constexpr double noValue = std::numeric_limits<double>::quiet_NaN();

// Position of a patch by identifier; -1 when no patch has it.
long positionOf(const patchSet& set, std::int64_t id) {
  const auto found = std::lower_bound(set.patches.begin(), set.patches.end(), id,
                                      [](const patch& p, std::int64_t key) { return p.id < key; });
  return found != set.patches.end() && found->id == id ? found - set.patches.begin() : -1;
}

void reportIdentifiers(const std::vector<std::int64_t>& ids, const std::string& what) {
  if (ids.empty()) return;
  std::string list;
  for (std::size_t k = 0; k < ids.size() && k < 10; ++k) list += (k ? ", " : "") + std::to_string(ids[k]);
  if (ids.size() > 10) list += ", ...";
  warn(std::to_string(ids.size()) + " " + what + ": " + list);
}

void joinNodeTable(const patchSet& set, const resultTable& table, std::vector<dataColumn>& columns) {
  const std::size_t first = columns.size();
  for (const std::string& name : table.names)
    columns.push_back({name, name == "Component" ? columnKind::whole : columnKind::real,
                       std::vector<double>(set.patches.size(), noValue)});
  std::vector<bool> seen(set.patches.size(), false);
  std::vector<std::int64_t> unknown, missing;
  for (std::size_t row = 0; row < table.keys.size(); ++row) {
    const long at = positionOf(set, table.keys[row][0]);
    if (at < 0) {
      unknown.push_back(table.keys[row][0]);
      continue;
    }
    if (seen[at]) inputError(table.path + " has two rows for node " + std::to_string(table.keys[row][0]));
    seen[at] = true;
    for (std::size_t c = 0; c < table.names.size(); ++c) columns[first + c].values[at] = table.columns[c][row];
  }
  for (std::size_t k = 0; k < set.patches.size(); ++k)
    if (!seen[k]) missing.push_back(set.patches[k].id);
  reportIdentifiers(missing, "patches of the layer have no row in " + table.path + " (their values are left empty)");
  reportIdentifiers(unknown, "rows of " + table.path + " name no patch of the layer (left out)");
}

void joinLinkTable(const patchSet& set, const resultTable& table, const std::string& kind, patchLinks& links,
                   std::map<std::pair<std::size_t, std::size_t>, std::size_t>& rowOfPair) {
  const std::size_t first = links.columns.size();
  for (const std::string& name : table.names)
    links.columns.push_back({kind + "_" + name, columnKind::real, std::vector<double>(links.from.size(), noValue)});
  std::vector<std::int64_t> unknown;
  for (std::size_t row = 0; row < table.keys.size(); ++row) {
    const long a = positionOf(set, table.keys[row][0]), b = positionOf(set, table.keys[row][1]);
    if (a < 0 || b < 0) {
      unknown.push_back(a < 0 ? table.keys[row][0] : table.keys[row][1]);
      continue;
    }
    const std::pair<std::size_t, std::size_t> pair(std::min(a, b), std::max(a, b));
    const auto [entry, added] = rowOfPair.emplace(pair, links.from.size());
    if (added) {
      links.from.push_back(static_cast<std::size_t>(a));
      links.to.push_back(static_cast<std::size_t>(b));
      for (dataColumn& column : links.columns) column.values.push_back(noValue);
    }
    for (std::size_t c = 0; c < table.names.size(); ++c) links.columns[first + c].values[entry->second] = table.columns[c][row];
  }
  reportIdentifiers(unknown, "rows of " + table.path + " name a node that is no patch of the layer (left out)");
}
}  // namespace

joinedResults joinResults(const patchSet& set, const runResults& results) {
  joinedResults joined;
  for (const resultTable& table : results.nodeTables) joinNodeTable(set, table, joined.columns);
  std::map<std::pair<std::size_t, std::size_t>, std::size_t> rowOfPair;
  for (std::size_t k = 0; k < results.linkTables.size(); ++k)
    joinLinkTable(set, results.linkTables[k], results.linkKinds[k], joined.links, rowOfPair);
  return joined;
}

}  // namespace verdalis::gis
