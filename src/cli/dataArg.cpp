#include "cli/dataArg.h"

#include "support/numfmt.h"

namespace verdalis {

namespace {

// Replaces the first occurrence of marker, if any.
void replaceFirst(std::string& text, const std::string& marker, const std::string& replacement) {
  std::string::size_type at = text.find(marker);
  if (at != std::string::npos) text.replace(at, marker.size(), replacement);
}

}  // namespace

void dataArg::setPrefix(std::string p) {
  prefix_name = p;
  actualitzaPrefix();
  // Rebuilt from the default names, so that a second prefix replaces the
  // first instead of stacking on it.
  static const dataArg defaults;
  const std::string lead = prefix_name + "_";
  node_importances = lead + defaults.node_importances;
  link_importances_removal = lead + defaults.link_importances_removal;
  link_importances_improvement = lead + defaults.link_importances_improvement;
  link_importances_improvementDiff = lead + defaults.link_importances_improvementDiff;
  components = lead + defaults.components;
  links = lead + defaults.links;
  direct_probabilities = lead + defaults.direct_probabilities;
  maximum_product_probabilities = lead + defaults.maximum_product_probabilities;
  execution_events = lead + defaults.execution_events;
}

void dataArg::actualitzaPrefix() {
  replaceFirst(prefix_name, "_b+_", "_b_" + toText(adjacentTail) + "_");
  replaceFirst(prefix_name, "_p+_", "_p_" + toText(kDistanceProb) + "_" + toText(kProbProb) + "_");
}

}  // namespace verdalis
