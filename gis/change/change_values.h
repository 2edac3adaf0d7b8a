#pragma once
// ECA over time or between scenarios: for each period the habitat A (the
// sum of the attributes) and ECA (the core's EC(PC)), their shares of the
// landscape, and their changes from the period before (the first period
// from the landscape area AL, as if the landscape had been habitat whole),
// with the word that names which is lost faster. Linear in the periods.
#include <optional>
#include <string>
#include <vector>

namespace verdalis::gis {

struct periodMeasure {
  std::string label;
  double habitat = 0;  // A
  double eca = 0;
};

struct periodChange {
  std::string label;
  double habitat = 0, eca = 0;
  double ecaPercentOfLandscape = 0;              // 100 ECA / AL
  std::optional<double> ecaPercentOfHabitat;     // 100 ECA / A; none without habitat
  std::optional<double> dA, dECA;                // % change; none from a period without habitat
  std::optional<double> rECA;                    // dECA / dA; none where dA is 0 or none
  std::string change;
};

// "connectivity loss", "habitat loss", "equal loss", "maintained" or "gain".
std::string changeWord(std::optional<double> dA, std::optional<double> dECA);

std::vector<periodChange> periodChanges(const std::vector<periodMeasure>& periods, double landArea);

}  // namespace verdalis::gis
