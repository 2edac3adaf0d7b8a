// Dijkstra's search from the cells of one patch over its window.
#include "cost/cost_search.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/failure.h"
#include "support/cancellation.h"

namespace verdalis::gis {

namespace {
constexpr double unreached = std::numeric_limits<double>::infinity();
constexpr std::uint8_t sourceCell = 255;  // the step of a cell of the source patch
// A search over a large raster runs for seconds: it looks whether the run was
// asked to stop every this many cells taken (a millisecond or two).
constexpr std::uint32_t cellsBetweenLooks = 1u << 14;
// How many cells ahead of the one taken the memory of a cell is asked for.
constexpr std::size_t prefetchDistance = 16;

int clampedReach(double cells, int size) { return cells >= size ? size : static_cast<int>(cells); }
}  // namespace

cellBox searchWindow(const cellBox& box, const resistanceGrid& grid, std::optional<double> maxCost) {
  const cellBox whole{0, grid.height - 1, 0, grid.width - 1};
  if (!maxCost || !(grid.smallest > 0)) return whole;
  // One cell more than the reach, so that rounding in the division can only widen the window.
  const double metres = *maxCost / grid.smallest;
  const int rows = clampedReach(metres / (grid.cellY * grid.metresPerUnit) + 1, grid.height);
  const int columns = clampedReach(metres / (grid.cellX * grid.metresPerUnit) + 1, grid.width);
  return {std::max(0, box.firstRow - rows), std::min(grid.height - 1, box.lastRow + rows),
          std::max(0, box.firstColumn - columns), std::min(grid.width - 1, box.lastColumn + columns)};
}

boundedCostSearch::boundedCostSearch(const resistanceGrid& grid, const patchCells& patches,
                                     const searchSettings& settings)
    : grid_(grid),
      patches_(patches),
      settings_(settings),
      steps_(cellSteps(settings.neighbours, grid.cellX * grid.metresPerUnit, grid.cellY * grid.metresPerUnit)),
      foundBy_(patches.boxes.size(), std::numeric_limits<std::uint32_t>::max()),
      foundAt_(patches.boxes.size(), 0) {
  for (std::size_t d = 0; d < steps_.size(); ++d) halfLengths_[d] = 0.5 * steps_[d].length;
  double shortest = unreached, longest = 0;
  for (const cellStep& s : steps_) shortest = std::min(shortest, s.length), longest = std::max(longest, s.length);
  const double least = grid.smallest * shortest, largest = double(grid.largest) * longest;
  if (least > 0 && bucketQueue::ringSize(least, largest) <= 4096) buckets_.emplace(least, largest);
}

std::vector<foundPair> boundedCostSearch::run(std::uint32_t source) {
  found_.clear();
  remaining_ = patches_.boxes.size() - 1 - source;
  if (remaining_ == 0) return {};
  const cellBox box = searchWindow(patches_.boxes[source], grid_, settings_.maxCost);
  const window w{box.firstRow, box.firstColumn, box.lastRow - box.firstRow + 1, box.lastColumn - box.firstColumn + 1};
  const std::uint64_t cells = std::uint64_t(w.rows) * std::uint64_t(w.columns);
  if (cells > std::numeric_limits<std::uint32_t>::max())
    inputError("the search window of a patch holds " + std::to_string(cells) +
               " cells, more than 4294967295; give a smaller --max-cost");
  windowCells_ = cells;
  if (cost_.size() < cells) cost_.resize(cells, unreached);
  const bool tracing = settings_.lengths || settings_.pathsUpTo;
  if (tracing && from_.size() < cells) from_.resize(cells);
  current_ = w;
  try {
    if (buckets_) searchBy(*buckets_, source, w);
    else searchBy(heap_, source, w);
  } catch (...) {
    // Stopped mid-search: left ready for the next one, as after a whole search.
    if (buckets_) buckets_->clear();
    heap_.clear();
    reset();
    for (const foundPair& pair : found_) foundBy_[pair.partner] = std::numeric_limits<std::uint32_t>::max();
    found_.clear();
    throw;
  }
  reset();
  std::sort(found_.begin(), found_.end(), [](const foundPair& a, const foundPair& b) { return a.partner < b.partner; });
  return std::move(found_);
}

// Asks for the memory a cell taken soon will read: its cost and those of the
// rows above and below, their resistances, and its bit of patch cells. The
// front of a search spreads over more than the processor's nearer caches can
// hold, so these reads would otherwise wait on the far ones.
inline void boundedCostSearch::prefetchFor(std::uint32_t cell, std::uint32_t row, cellIndex origin) const {
  const std::uint32_t columns = std::uint32_t(current_.columns);
  const cellIndex g = origin + cellIndex(row) * cellIndex(grid_.width) + (cell - row * columns);
  // As addresses, not pointers: the rows above and below may lie outside the arrays.
  auto ask = [](const void* base, std::int64_t bytes) {
    __builtin_prefetch(reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(base) + std::uintptr_t(bytes)));
  };
  const double* cost = cost_.data() + cell;
  const float* cells = grid_.cells.data() + g;
  const std::int64_t costRow = std::int64_t(columns) * std::int64_t(sizeof(double));
  const std::int64_t cellsRow = std::int64_t(grid_.width) * std::int64_t(sizeof(float));
  for (std::int64_t side = -1; side <= 1; ++side) ask(cost, side * costRow), ask(cells, side * cellsRow);
  ask(patches_.ownedBits.data() + (g >> 6), 0);
}

template <class queue, int steps, bool tracing>
void boundedCostSearch::search(queue& q, std::uint32_t source, const window& w) {
  touchedCap_ = std::max<std::size_t>(1024, windowCells_ / 8);
  touched_.reserve(std::min(touchedCap_, touched_.capacity() + 1024));
  for (std::size_t at = patches_.start[source]; at < patches_.start[source + 1]; ++at) {
    const cellIndex g = patches_.cells[at];
    const std::uint32_t cell = std::uint32_t((int(g / grid_.width) - w.firstRow) * std::int64_t(w.columns) +
                                             (int(g % grid_.width) - w.firstColumn));
    cost_[cell] = 0;
    if (!from_.empty()) from_[cell] = sourceCell;
    touched_.push_back(cell);
    q.push(0.0, cell, std::uint32_t(int(g / grid_.width) - w.firstRow));
  }
  const cellIndex origin = grid_.index(w.firstRow, w.firstColumn);
  bound_ = settings_.maxCost.value_or(unreached);
  std::uint32_t taken = 0;
  while (!q.empty()) {
    const auto e = q.pop();
    if (const auto* later = q.ahead(prefetchDistance)) prefetchFor(later->item, later->extra, origin);
    const std::uint32_t cell = e.item;
    const double cost = e.key;
    if (cost > cost_[cell]) continue;  // reached again since at a lower cost
    if (++taken % cellsBetweenLooks == 0) stopIfCancelled();
    // Once every later patch is met, only what can still lower their costs is taken.
    if (remaining_ == 0 && q.after(cost, lastFirstFound_)) break;
    const int row = int(e.extra);
    const int column = int(cell - std::uint32_t(row) * std::uint32_t(w.columns));
    const settledCell u{cell, row, column, origin + cellIndex(row) * cellIndex(grid_.width) + cellIndex(column), cost};
    if (patches_.owned(u.grid)) notePartners(u.grid, cell, cost, source);
    if (row >= 2 && column >= 2 && row + 2 < w.rows && column + 2 < w.columns) settle<queue, true, steps, tracing>(q, u);
    else settle<queue, false, steps, tracing>(q, u);
  }
  q.clear();
}

// Relaxes the steps out of a settled cell; inside the window's border of two
// cells no step can leave it, so the bounds are not tested. The number of
// steps is a constant, so that the loop unrolls and a knight's move (steps 8
// to 15) is known as one where it is compiled.
template <class queue, bool inside, int steps, bool tracing>
inline void boundedCostSearch::settle(queue& q, const settledCell& u) {
  const float* cells = grid_.cells.data();
  double* cost = cost_.data();
  std::uint8_t* from = from_.data();
  const double here = cells[u.grid], bound = bound_;
  const std::int64_t rows = current_.rows, columns = current_.columns, width = grid_.width;
#pragma GCC unroll 16
  for (int d = 0; d < steps; ++d) {
    if (!inside && (unsigned(u.row + stepRows[d]) >= unsigned(rows) ||
                    unsigned(u.column + stepColumns[d]) >= unsigned(columns)))
      continue;
    const std::uint32_t to = std::uint32_t(std::int64_t(u.cell) + stepRows[d] * columns + stepColumns[d]);
    const double before = cost[to];
    if (before <= u.cost) continue;  // settled, or no step can lower it
    // A step onto a cell without data costs NaN, which fails the test below.
    const float there = cells[std::int64_t(u.grid) + stepRows[d] * width + stepColumns[d]];
    if (d >= 8 && (std::isnan(cells[std::int64_t(u.grid) + besideRow(d, 0) * width + besideColumn(d, 0)]) ||
                   std::isnan(cells[std::int64_t(u.grid) + besideRow(d, 1) * width + besideColumn(d, 1)])))
      continue;
    const double next = u.cost + (here + double(there)) * halfLengths_[d];
    if (!(next < before) || next > bound) continue;
    if (before == unreached) touch(to);
    cost[to] = next;
    if (tracing) from[to] = static_cast<std::uint8_t>(d);
    q.push(next, to, std::uint32_t(u.row + stepRows[d]));
  }
}

template <class queue>
void boundedCostSearch::searchBy(queue& q, std::uint32_t source, const window& w) {
  const bool tracing = !from_.empty();
  switch (steps_.size()) {
    case 4: return tracing ? search<queue, 4, true>(q, source, w) : search<queue, 4, false>(q, source, w);
    case 8: return tracing ? search<queue, 8, true>(q, source, w) : search<queue, 8, false>(q, source, w);
    default: return tracing ? search<queue, 16, true>(q, source, w) : search<queue, 16, false>(q, source, w);
  }
}

void boundedCostSearch::notePartners(cellIndex g, std::uint32_t cell, double cost, std::uint32_t source) {
  auto at = std::lower_bound(patches_.owners.begin(), patches_.owners.end(), std::make_pair(g, std::uint32_t(0)));
  for (; at != patches_.owners.end() && at->first == g; ++at) {
    const std::uint32_t partner = at->second;
    if (partner <= source) continue;
    if (foundBy_[partner] == source) {
      // Met again in the same bucket: the least of its cells counts.
      foundPair& pair = found_[foundAt_[partner]];
      if (cost < pair.cost) {
        pair = foundPair{partner, cost, 0, {}};
        if (!from_.empty()) trace(cell, current_, pair);
      }
      continue;
    }
    foundBy_[partner] = source;
    foundAt_[partner] = static_cast<std::uint32_t>(found_.size());
    foundPair pair;
    pair.partner = partner;
    pair.cost = cost;
    if (!from_.empty()) trace(cell, current_, pair);
    found_.push_back(std::move(pair));
    if (--remaining_ == 0) lastFirstFound_ = cost;
  }
}

// Follows the steps back from a settled cell to the source patch; the chain
// of a settled cell no longer changes.
void boundedCostSearch::trace(std::uint32_t cell, const window& w, foundPair& pair) const {
  const bool keep = settings_.pathsUpTo && pair.cost <= *settings_.pathsUpTo;
  auto global = [&](std::uint32_t c) {
    return grid_.index(int(c / w.columns) + w.firstRow, int(c % w.columns) + w.firstColumn);
  };
  if (keep) pair.path.push_back(global(cell));
  int previous = -1;
  while (from_[cell] != sourceCell) {
    const int d = from_[cell];
    pair.length += steps_[d].length;
    if (keep && previous >= 0 && d != previous) pair.path.push_back(global(cell));
    previous = d;
    cell = std::uint32_t(std::int64_t(cell) - std::int64_t(steps_[d].rows) * w.columns - steps_[d].columns);
  }
  if (keep) {
    pair.path.push_back(global(cell));
    std::reverse(pair.path.begin(), pair.path.end());
  }
}

void boundedCostSearch::reset() {
  if (touchedAll_) std::fill(cost_.begin(), cost_.begin() + std::ptrdiff_t(windowCells_), unreached);
  else
    for (std::uint32_t cell : touched_) cost_[cell] = unreached;
  touched_.clear();
  touchedAll_ = false;
}

}  // namespace verdalis::gis
