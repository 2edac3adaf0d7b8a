#pragma once
// The least-cost search from one patch: Dijkstra's algorithm on the graph of
// passable cells, every cell of the patch a source at cost 0, steps costed by
// the rule of cell_steps.h. Steps are never negative, so a cell's cost is
// final when it is taken from the queue, and the first cell of another patch
// taken gives the least cost between the two patches. The costs are those of
// a search over the whole raster: a path that costs at most C has a length of
// at most C / r (r the least resistance of the raster), and each of its cells
// lies within that length of the patch, so the search runs in the window of
// the patch's box grown by C / r on every side and nothing inside C is missed.
//
// Each pair is computed once, by the search from its patch of smaller
// position, and the search stops once every later patch is found. Equal costs
// are settled in one fixed order (that of the queue, then of the steps), so
// the path kept among equal ones, and its length, are the same on every run.
//
// The queue is Dial's buckets (bucket_queue.h) when every step costs at least
// some least > 0 and the ring of buckets is small: O(k) per cell settled.
// Otherwise the radix heap: O(k + 64) amortised, in practice a few moves. With
// buckets, the cells of one bucket are final in any order, so a patch's cost
// is the least over its cells taken from the bucket where it is first met. Memory: 8 bytes a window cell
// (one more with paths or lengths), allocated once per search object and
// reset through the list of cells touched, so a thread's memory follows the
// largest window it meets, not the raster. Over a large window the front of
// the search holds more than the processor's nearer caches, so the memory a
// queued cell will read is asked for some cells before it is taken.
#include <cstdint>
#include <optional>
#include <vector>

#include "cost/bucket_queue.h"
#include "cost/cell_steps.h"
#include "cost/huge_pages.h"
#include "cost/patch_cells.h"
#include "cost/radix_heap.h"
#include "cost/resistance_grid.h"

namespace verdalis::gis {

struct searchSettings {
  cellNeighbours neighbours = cellNeighbours::eight;
  std::optional<double> maxCost;    // none: no bound
  bool lengths = false;             // measure the length of every path
  std::optional<double> pathsUpTo;  // keep the cells of the paths of at most this cost
};

struct foundPair {
  std::uint32_t partner = 0;
  double cost = 0;
  double length = 0;             // metres; 0 unless lengths or paths are asked for
  std::vector<cellIndex> path;  // from the source to the partner: its first and last cells and every turn
};

// The window of a search from a patch of this box.
cellBox searchWindow(const cellBox& box, const resistanceGrid& grid, std::optional<double> maxCost);

class boundedCostSearch {
 public:
  boundedCostSearch(const resistanceGrid& grid, const patchCells& patches, const searchSettings& settings);

  // The later patches (positions after source) within the bound, in
  // ascending position.
  std::vector<foundPair> run(std::uint32_t source);

 private:
  struct window {
    int firstRow, firstColumn, rows, columns;
  };
  template <class queue>
  void searchBy(queue& q, std::uint32_t source, const window& w);
  template <class queue, int steps, bool tracing>
  void search(queue& q, std::uint32_t source, const window& w);
  struct settledCell {
    std::uint32_t cell;  // in the window
    int row, column;     // in the window
    cellIndex grid;
    double cost;
  };
  template <class queue, bool inside, int steps, bool tracing>
  [[gnu::always_inline]] inline void settle(queue& q, const settledCell& u);
  [[gnu::always_inline]] inline void prefetchFor(std::uint32_t cell, std::uint32_t row, cellIndex origin) const;
  void touch(std::uint32_t cell) {
    if (touchedAll_) return;
    if (touched_.size() < touchedCap_) touched_.push_back(cell);
    else touchedAll_ = true;
  }
  void notePartners(cellIndex g, std::uint32_t cell, double cost, std::uint32_t source);
  void trace(std::uint32_t cell, const window& w, foundPair& pair) const;
  void reset();

  const resistanceGrid& grid_;
  const patchCells& patches_;
  searchSettings settings_;
  std::vector<cellStep> steps_;
  double halfLengths_[16] = {};  // half the length of each step
  double bound_ = 0;
  std::vector<double, hugePageAllocator<double>> cost_;
  std::vector<std::uint8_t, hugePageAllocator<std::uint8_t>> from_;  // the step that reached each cell
  std::vector<std::uint32_t> touched_;
  bool touchedAll_ = false;
  std::size_t touchedCap_ = 0;
  std::size_t windowCells_ = 0;
  radixHeap heap_;
  std::optional<bucketQueue> buckets_;
  std::vector<std::uint32_t> foundBy_;  // per patch, the last source that found it
  std::vector<std::uint32_t> foundAt_;  // per patch, its place in found_ when found
  double lastFirstFound_ = 0;           // the cost at which the last partner was first met
  std::vector<foundPair> found_;
  std::size_t remaining_ = 0;
  window current_{};
};

}  // namespace verdalis::gis
