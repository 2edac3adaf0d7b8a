#pragma once
// The steps between neighbouring cells of the resistance grid and the rule of
// their cost: the mean of the two cells' resistances times the distance
// between their centres. 4 neighbours: the sides; 8: and the corners (√2
// times the cell size); 16: and the knight's moves (√5 times it). A knight's
// move passes between two cells, the two that share a side with both ends;
// it is taken only when both are passable, so that a barrier one cell wide is
// never jumped.
#include <cmath>
#include <vector>

namespace verdalis::gis {

enum class cellNeighbours { four, eight, sixteen };

struct cellStep {
  int rows, columns;  // from the cell to its neighbour
  double length;      // metres between the two centres
  // For a knight's move, the two cells passed between, relative to the start.
  int besideRows[2] = {0, 0}, besideColumns[2] = {0, 0};
  bool knight = false;
};

inline std::vector<cellStep> cellSteps(cellNeighbours neighbours, double cellWidth, double cellHeight) {
  std::vector<cellStep> steps;
  auto add = [&](int r, int c) {
    cellStep s{r, c, std::hypot(r * cellHeight, c * cellWidth)};
    if (std::abs(r) + std::abs(c) == 3) {
      s.knight = true;
      const int halfR = std::abs(r) == 2 ? r / 2 : 0, halfC = std::abs(c) == 2 ? c / 2 : 0;
      s.besideRows[0] = halfR, s.besideColumns[0] = halfC;
      s.besideRows[1] = halfR ? halfR : r, s.besideColumns[1] = halfC ? halfC : c;
    }
    steps.push_back(s);
  };
  add(-1, 0), add(0, -1), add(0, 1), add(1, 0);
  if (neighbours == cellNeighbours::four) return steps;
  add(-1, -1), add(-1, 1), add(1, -1), add(1, 1);
  if (neighbours == cellNeighbours::eight) return steps;
  add(-2, -1), add(-2, 1), add(-1, -2), add(-1, 2), add(1, -2), add(1, 2), add(2, -1), add(2, 1);
  return steps;
}

inline int neighbourCount(cellNeighbours neighbours) {
  return neighbours == cellNeighbours::four ? 4 : neighbours == cellNeighbours::eight ? 8 : 16;
}

}  // namespace verdalis::gis
