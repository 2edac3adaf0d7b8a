// The least-cost search of verdalis-prep in process: small grids whose costs
// are worked out by hand, and random grids against a plain Dijkstra over the
// whole grid.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>
#include <queue>
#include <random>

#include "cost/cost_search.h"
#include "support/cancellation.h"

using namespace verdalis::gis;

namespace {

const float none = std::numeric_limits<float>::quiet_NaN();

// 10 m cells; rows of resistances, NaN for no data.
resistanceGrid gridOf(const std::vector<std::vector<float>>& rows) {
  resistanceGrid g;
  g.height = int(rows.size());
  g.width = int(rows.front().size());
  g.cellX = g.cellY = 10;
  g.smallest = std::numeric_limits<float>::infinity();
  for (const auto& row : rows)
    for (float r : row) {
      g.cells.push_back(r);
      if (r < g.smallest) g.smallest = r;
      if (r > g.largest) g.largest = r;
    }
  return g;
}

// Patches as lists of (row, column).
patchCells patchesOf(const resistanceGrid& g, const std::vector<std::vector<std::pair<int, int>>>& patches) {
  std::vector<std::vector<cellIndex>> cells;
  for (const auto& p : patches) {
    cells.emplace_back();
    for (auto [r, c] : p) cells.back().push_back(g.index(r, c));
    std::sort(cells.back().begin(), cells.back().end());
  }
  return indexPatchCells(cells, g.width, g.cells.size());
}

// The cost from patch 0 to patch 1, or -1 when none is found.
double firstCost(const resistanceGrid& g, const patchCells& p, cellNeighbours n, std::optional<double> bound = {}) {
  searchSettings s;
  s.neighbours = n;
  s.maxCost = bound;
  boundedCostSearch search(g, p, s);
  const std::vector<foundPair> found = search.run(0);
  return found.empty() ? -1 : found.front().cost;
}

const double diagonal = 10 * std::sqrt(2.0), knight = 10 * std::sqrt(5.0);

TEST(CostSearch, HandWorkedGrids) {
  // A corridor of resistance 1 between walls of 100: four steps of 1 × 10 m.
  const resistanceGrid corridor = gridOf({{100, 100, 100, 100, 100}, {1, 1, 1, 1, 1}, {100, 100, 100, 100, 100}});
  const patchCells ends = patchesOf(corridor, {{{1, 0}}, {{1, 4}}});
  for (cellNeighbours n : {cellNeighbours::four, cellNeighbours::eight, cellNeighbours::sixteen})
    EXPECT_DOUBLE_EQ(firstCost(corridor, ends, n), 40);
  EXPECT_DOUBLE_EQ(firstCost(corridor, ends, cellNeighbours::eight, 40.0), 40);
  EXPECT_EQ(firstCost(corridor, ends, cellNeighbours::eight, 39.9), -1);

  // A barrier of no data open at the bottom: around it by sides (6 steps),
  // or with two diagonal steps through the gap. The knight's moves over the
  // barrier pass beside a cell without data and are not taken.
  const resistanceGrid barrier = gridOf({{1, none, 1}, {1, none, 1}, {1, 1, 1}});
  const patchCells across = patchesOf(barrier, {{{0, 0}}, {{0, 2}}});
  EXPECT_DOUBLE_EQ(firstCost(barrier, across, cellNeighbours::four), 60);
  EXPECT_DOUBLE_EQ(firstCost(barrier, across, cellNeighbours::eight), 20 + 2 * diagonal);
  EXPECT_DOUBLE_EQ(firstCost(barrier, across, cellNeighbours::sixteen), 20 + 2 * diagonal);
  const resistanceGrid wall = gridOf({{1, none, 1}, {1, none, 1}, {1, none, 1}});
  EXPECT_EQ(firstCost(wall, across, cellNeighbours::sixteen), -1);

  // One row down and two across: 3 sides, a diagonal and a side, or a knight's move.
  const resistanceGrid open = gridOf({{1, 1, 1}, {1, 1, 1}});
  const patchCells knightApart = patchesOf(open, {{{0, 0}}, {{1, 2}}});
  EXPECT_DOUBLE_EQ(firstCost(open, knightApart, cellNeighbours::four), 30);
  EXPECT_DOUBLE_EQ(firstCost(open, knightApart, cellNeighbours::eight), 10 + diagonal);
  EXPECT_DOUBLE_EQ(firstCost(open, knightApart, cellNeighbours::sixteen), knight);
  // A diagonal step costs the mean of its two cells: (2 + 4) / 2 × 14.14 m.
  const resistanceGrid steep = gridOf({{2, 50}, {50, 4}});
  EXPECT_DOUBLE_EQ(firstCost(steep, patchesOf(steep, {{{0, 0}}, {{1, 1}}}), cellNeighbours::eight), 3 * diagonal);
}

// A path from A to C crosses patch B at B's resistance; each pair is found by
// the search from its first patch, with the length of its path.
TEST(CostSearch, PathsCrossOtherPatches) {
  const resistanceGrid line = gridOf({{1, 1, 3, 3, 3, 1, 1}});
  const patchCells abc = patchesOf(line, {{{0, 0}}, {{0, 2}, {0, 3}, {0, 4}}, {{0, 6}}});
  searchSettings s;
  s.lengths = true;
  s.pathsUpTo = 1e9;
  boundedCostSearch search(line, abc, s);
  const std::vector<foundPair> fromA = search.run(0);
  ASSERT_EQ(fromA.size(), 2u);
  EXPECT_DOUBLE_EQ(fromA[0].cost, 10 + 20);
  EXPECT_DOUBLE_EQ(fromA[1].cost, 10 + 20 + 30 + 30 + 20 + 10);
  EXPECT_DOUBLE_EQ(fromA[1].length, 60);
  EXPECT_EQ(fromA[1].path, (std::vector<cellIndex>{0, 6}));  // a straight path keeps its two ends
  const std::vector<foundPair> fromB = search.run(1);
  ASSERT_EQ(fromB.size(), 1u);
  EXPECT_DOUBLE_EQ(fromB[0].cost, 30);
  EXPECT_TRUE(search.run(2).empty());
}

// Plain Dijkstra over the whole grid from one patch: the cost of every cell.
std::vector<double> everyCost(const resistanceGrid& g, const std::vector<cellIndex>& sources, cellNeighbours n) {
  const std::vector<cellStep> steps = cellSteps(n, g.cellX, g.cellY);
  std::vector<double> cost(g.cells.size(), std::numeric_limits<double>::infinity());
  using item = std::pair<double, cellIndex>;
  std::priority_queue<item, std::vector<item>, std::greater<item>> queue;
  for (cellIndex k : sources) cost[k] = 0, queue.push({0, k});
  auto passable = [&](int r, int c) { return r >= 0 && c >= 0 && r < g.height && c < g.width && !std::isnan(g.cells[g.index(r, c)]); };
  while (!queue.empty()) {
    const auto [d, k] = queue.top();
    queue.pop();
    if (d > cost[k]) continue;
    const int r = int(k / g.width), c = int(k % g.width);
    for (const cellStep& s : steps) {
      if (!passable(r + s.rows, c + s.columns)) continue;
      if (s.knight && (!passable(r + s.besideRows[0], c + s.besideColumns[0]) ||
                       !passable(r + s.besideRows[1], c + s.besideColumns[1])))
        continue;
      const cellIndex to = g.index(r + s.rows, c + s.columns);
      const double next = d + 0.5 * (double(g.cells[k]) + g.cells[to]) * s.length;
      if (next < cost[to]) cost[to] = next, queue.push({next, to});
    }
  }
  return cost;
}

// The cost of a traced path, walked again step by step between its turns.
double costAlong(const resistanceGrid& g, const std::vector<cellIndex>& turns) {
  double total = 0;
  for (std::size_t k = 0; k + 1 < turns.size(); ++k) {
    int r = int(turns[k] / g.width), c = int(turns[k] % g.width);
    const int tr = int(turns[k + 1] / g.width), tc = int(turns[k + 1] % g.width);
    const int n = std::gcd(std::abs(tr - r), std::abs(tc - c));  // the steps of a straight segment are all alike
    if (n == 0) continue;
    const int dr = (tr - r) / n, dc = (tc - c) / n;
    for (int s = 0; s < n; ++s, r += dr, c += dc)
      total += 0.5 * (double(g.cells[g.index(r, c)]) + g.cells[g.index(r + dr, c + dc)]) * std::hypot(dr * 10.0, dc * 10.0);
  }
  return total;
}

TEST(CostSearch, BoundedSearchMatchesDijkstraOverTheWholeGrid) {
  std::mt19937 random(19);
  for (int round = 0; round < 30; ++round) {
    const int height = 8 + int(random() % 20), width = 8 + int(random() % 20);
    std::vector<std::vector<float>> rows(height, std::vector<float>(width));
    for (auto& row : rows)
      for (float& r : row) {
        const unsigned kind = random() % 20;
        // Zero resistance in half the rounds only: without it the window is
        // smaller than the grid.
        r = kind == 0 ? none : kind == 1 && round % 2 ? 0.0f : float(1 + random() % 1000) / 100.0f;
      }
    const resistanceGrid g = gridOf(rows);
    std::vector<std::vector<std::pair<int, int>>> cells(2 + random() % 6);
    for (auto& p : cells)
      for (unsigned k = 0, size = 1 + random() % 4; k < size; ++k) {
        const int r = int(random() % height), c = int(random() % width);
        if (!std::isnan(rows[r][c]) && std::find(p.begin(), p.end(), std::make_pair(r, c)) == p.end()) p.push_back({r, c});
      }
    cells.erase(std::remove_if(cells.begin(), cells.end(), [](const auto& p) { return p.empty(); }), cells.end());
    if (cells.size() < 2) continue;
    const patchCells patches = patchesOf(g, cells);
    for (cellNeighbours n : {cellNeighbours::four, cellNeighbours::eight, cellNeighbours::sixteen})
      for (std::optional<double> bound : {std::optional<double>(), std::optional<double>(40.0 + random() % 200)}) {
        searchSettings s{n, bound, true, 1e300};
        boundedCostSearch search(g, patches, s);
        for (std::uint32_t a = 0; a < cells.size(); ++a) {
          const std::vector<double> cost = everyCost(
              g, {patches.cells.begin() + patches.start[a], patches.cells.begin() + patches.start[a + 1]}, n);
          std::vector<foundPair> expected;
          for (std::uint32_t b = a + 1; b < cells.size(); ++b) {
            double least = std::numeric_limits<double>::infinity();
            for (std::size_t at = patches.start[b]; at < patches.start[b + 1]; ++at) least = std::min(least, cost[patches.cells[at]]);
            if (std::isfinite(least) && (!bound || least <= *bound)) expected.push_back({b, least, 0, {}});
          }
          const std::vector<foundPair> found = search.run(a);
          ASSERT_EQ(found.size(), expected.size()) << "round " << round << " patch " << a;
          for (std::size_t k = 0; k < found.size(); ++k) {
            EXPECT_EQ(found[k].partner, expected[k].partner);
            EXPECT_NEAR(found[k].cost, expected[k].cost, 1e-12 * expected[k].cost);
            EXPECT_NEAR(costAlong(g, found[k].path), found[k].cost, 1e-9 * (1 + found[k].cost));
          }
        }
      }
  }
}

// A search over a large raster looks at the run's stop flag as it goes, and
// one stopped midway leaves its object ready for the next search.
TEST(CostSearch, AStopAskedForEndsASearchMidway) {
  const int side = 300;
  const resistanceGrid g = gridOf(std::vector<std::vector<float>>(side, std::vector<float>(side, 1)));
  const patchCells corners = patchesOf(g, {{{0, 0}}, {{side - 1, side - 1}}, {{0, side - 1}}});
  for (cellNeighbours n : {cellNeighbours::eight, cellNeighbours::sixteen}) {
    searchSettings s;
    s.neighbours = n;
    s.lengths = true;
    boundedCostSearch search(g, corners, s);
    std::atomic<bool> stop{true};
    verdalis::cancelFlag().store(&stop);
    EXPECT_THROW(search.run(0), verdalis::runStopped);
    verdalis::cancelFlag().store(nullptr);
    const std::vector<foundPair> found = search.run(0);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_NEAR(found[0].cost, (side - 1) * diagonal, 1e-9);
    EXPECT_NEAR(found[1].cost, (side - 1) * 10.0, 1e-9);
  }
}

}  // namespace
