// The changes of habitat and ECA between periods.
//
// dA_t = 100 (A_t − A_{t−1}) / A_{t−1}, dECA_t likewise, with A_0 = ECA_0 =
// AL; rECA = dECA / dA. The word: where dECA < dA < 0 connectivity is lost
// faster ("connectivity loss"), where dA < dECA < 0 habitat is ("habitat
// loss"), equal losses are "equal loss", no change "maintained". Where one
// of the two is lost and the other is not, the one lost names the change (a
// loss of ECA with the habitat kept is a connectivity loss, not a gain);
// only where neither falls is the change a "gain".
#include "change/change_values.h"

namespace verdalis::gis {

namespace {
std::optional<double> percentChange(double now, double before) {
  if (!(before > 0)) return std::nullopt;
  return 100 * (now - before) / before;
}
}  // namespace

std::string changeWord(std::optional<double> dA, std::optional<double> dECA) {
  if (!dA || !dECA) return "NA";
  const double a = *dA, e = *dECA;
  if (a == 0 && e == 0) return "maintained";
  if (a >= 0 && e >= 0) return "gain";
  if (e < a) return "connectivity loss";
  if (a < e) return "habitat loss";
  return "equal loss";
}

std::vector<periodChange> periodChanges(const std::vector<periodMeasure>& periods, double landArea) {
  std::vector<periodChange> changes;
  double habitatBefore = landArea, ecaBefore = landArea;
  for (const periodMeasure& p : periods) {
    periodChange c;
    c.label = p.label;
    c.habitat = p.habitat;
    c.eca = p.eca;
    c.ecaPercentOfLandscape = 100 * p.eca / landArea;
    if (p.habitat > 0) c.ecaPercentOfHabitat = 100 * p.eca / p.habitat;
    c.dA = percentChange(p.habitat, habitatBefore);
    c.dECA = percentChange(p.eca, ecaBefore);
    if (c.dA && c.dECA && *c.dA != 0) c.rECA = *c.dECA / *c.dA;
    c.change = changeWord(c.dA, c.dECA);
    changes.push_back(c);
    habitatBefore = p.habitat;
    ecaBefore = p.eca;
  }
  return changes;
}

}  // namespace verdalis::gis
