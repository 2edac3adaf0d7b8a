#pragma once
// One least-cost search per patch, run in parallel over the patches: each
// thread owns one search object (its window memory) and takes the next patch
// from a shared counter. Every search depends only on its patch, so the
// results, stored by patch, are the same whatever the number of threads.
// Cost: the sum of the searches; memory: the threads' windows and the pairs.
#include <cstddef>
#include <functional>
#include <vector>

#include "cost/cost_search.h"

namespace verdalis::gis {

// Called after each search, one call at a time, with the number done.
using searchProgress = std::function<void(std::size_t done)>;

// Row k: the pairs of patch k with the later patches, in ascending position.
std::vector<std::vector<foundPair>> searchEveryPatch(const resistanceGrid& grid, const patchCells& patches,
                                                     const searchSettings& settings, unsigned threads,
                                                     const searchProgress& progress);

}  // namespace verdalis::gis
