// The table of known result columns.
#include "map/column_meanings.h"

#include <map>

namespace verdalis::gis {

namespace {
// The indices whose removal Verdalis measures, with their d and var columns.
const char* const kIndices[] = {"NL", "NC", "H", "CCP", "LCP", "IIC", "F", "AWF", "PC"};

// The parts of dIIC and dPC, by the suffix of their columns.
struct fraction {
  const char* suffix;
  const char* part;
};
const fraction kFractions[] = {{"intra", "from the patch's own attribute (intra)"},
                               {"flux", "from dispersal from and to the patch (flux)"},
                               {"connector", "from the patch as a stepping stone between others (connector)"}};

std::map<std::string, std::string> knownColumns() {
  std::map<std::string, std::string> known = {
      {"dA", "the patch's attribute, as % of the total"},
      {"varA", "the patch's attribute (absolute)"},
      {"BC", "betweenness: the shortest paths between other patches that pass through the patch (count)"},
      {"dBC_PC", "betweenness weighted by PC (BC(PC)), as % of the PC numerator"},
      {"varBC_PC", "betweenness weighted by PC (BC(PC)), absolute"},
      {"dBC_IIC", "betweenness weighted by IIC (BC(IIC)), as % of the IIC numerator"},
      {"varBC_IIC", "betweenness weighted by IIC (BC(IIC)), absolute"},
      {"Component", "the number of the component the patch belongs to"},
  };
  for (const std::string index : kIndices) {
    known["d" + index] = "% of " + index + " lost when the patch is removed";
    known["var" + index] = index + " lost when the patch is removed (absolute)";
  }
  known["dNC"] += " (below 0: it joins components)";
  known["varNC"] = "components lost when the patch is removed (below 0: it joins components)";
  for (const std::string index : {"IIC", "PC"})
    for (const fraction& f : kFractions) {
      known["d" + index + f.suffix] = "% of " + index + " lost when the patch is removed, " + f.part;
      known["var" + index + f.suffix] = index + " lost when the patch is removed, " + f.part + " (absolute)";
    }
  return known;
}
}  // namespace

std::string columnMeaning(const std::string& column) {
  static const std::map<std::string, std::string> known = knownColumns();
  const auto found = known.find(column);
  return found == known.end() ? std::string() : found->second;
}

}  // namespace verdalis::gis
