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

// The steps in the order searches take them: the sides, the corners, the
// knight's moves. Constants, so that a search's loop over them unrolls into
// fixed offsets.
constexpr int stepRows[16] = {-1, 0, 0, 1, -1, -1, 1, 1, -2, -2, -1, -1, 1, 1, 2, 2};
constexpr int stepColumns[16] = {0, -1, 1, 0, -1, 1, -1, 1, -1, 1, -2, 2, -2, 2, -1, 1};
// The two cells a knight's move d passes between (side 0 or 1), relative to its start.
constexpr int besideRow(int d, int side) {
  const int r = stepRows[d], half = r == 2 || r == -2 ? r / 2 : 0;
  return side == 0 || half ? half : r;
}
constexpr int besideColumn(int d, int side) {
  const int c = stepColumns[d], half = c == 2 || c == -2 ? c / 2 : 0;
  return side == 0 || half ? half : c;
}

inline int neighbourCount(cellNeighbours neighbours) {
  return neighbours == cellNeighbours::four ? 4 : neighbours == cellNeighbours::eight ? 8 : 16;
}

inline std::vector<cellStep> cellSteps(cellNeighbours neighbours, double cellWidth, double cellHeight) {
  std::vector<cellStep> steps;
  for (int d = 0; d < neighbourCount(neighbours); ++d) {
    const int r = stepRows[d], c = stepColumns[d];
    cellStep s{r, c, std::hypot(r * cellHeight, c * cellWidth)};
    if (d >= 8) {
      s.knight = true;
      for (int side = 0; side < 2; ++side) s.besideRows[side] = besideRow(d, side), s.besideColumns[side] = besideColumn(d, side);
    }
    steps.push_back(s);
  }
  return steps;
}

}  // namespace verdalis::gis
