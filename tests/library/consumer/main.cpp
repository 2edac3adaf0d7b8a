// A program outside the project that uses the installed library, as its
// users do: three patches in a row, 100 m apart; prints EC(PC).
#include <verdalis/verdalis.h>

#include <iostream>

int main() {
  const std::vector<int> id{1, 2, 3}, from{1, 2, 2, 3}, to{2, 1, 3, 2};
  const std::vector<float> area{10, 20, 30}, distance{100, 100, 100, 100};
  verdalis::landscapeArrays land;
  land.id = id;
  land.attribute = area;
  land.from = from;
  land.to = to;
  land.value = distance;
  verdalis::analysisOptions options;
  options.indices.PC = true;
  options.confProb = {100, 0.5};
  options.landArea = 100;
  std::cout << verdalis::analyse(land, options).overallValue("EC(PC)") << "\n";
}
