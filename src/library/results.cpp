// The accessors of a result: a named overall index or column, and the tables
// built on request from the run behind it.
#include <stdexcept>

#include "library/result_values.h"
#include "library/run_state.h"
#include "verdalis/verdalis.h"

namespace verdalis {

const std::vector<double>& resultsTable::column(const std::string& name) const {
  for (std::size_t k = 0; k < names.size(); ++k)
    if (names[k] == name) return columns[k];
  throw std::out_of_range("no column " + name);
}

double analysisResults::overallValue(const std::string& label) const {
  for (const auto& [name, value] : overall)
    if (name == label) return value;
  throw std::out_of_range("no overall index " + label);
}

resultsTable analysisResults::linkTable(linkAnalysisKind kind) const {
  const linkFamily family = kind == linkAnalysisKind::removal       ? linkFamily::removal
                            : kind == linkAnalysisKind::improvement ? linkFamily::improvement
                                                                    : linkFamily::change;
  return state->visit([&](auto& p) {
    const bool run = family == linkFamily::removal       ? p.linkImportances1Flag
                     : family == linkFamily::improvement ? p.linkImportances2Flag
                                                         : p.linkImportances3Flag;
    return run ? linkTableValues(p, family) : resultsTable{};
  });
}

resultsTable analysisResults::linkList() const {
  return state->visit([](auto& p) { return p.adjType ? linkListValues(p) : resultsTable{}; });
}

resultsTable analysisResults::probabilities(bool bestPath) const {
  return state->visit([&](auto& p) {
    const bool available = bestPath ? p.pcFlag : p.probType;
    return available ? probabilityValues(p, bestPath) : resultsTable{};
  });
}

}  // namespace verdalis
