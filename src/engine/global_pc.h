#pragma once
// PC of a whole landscape with the exact searches, in parallel, keeping the
// searches for the variants. O(n) searches; each is O(n²) over a dense
// matrix and O(links · log n) over compressed rows.
//
// The sum, the best-path rows and the progress are those of the
// straightforward computation: every search follows the selection rule of
// the linear scan (graph/exact_search.h), so its rows are the scan's, and
// the sum is added source by source in order on one thread.
#include <functional>

#include "engine/global_searches.h"
#include "engine/tuning.h"
#include "landscape/landscape.h"
#include "support/process_group.h"

namespace verdalis {

// Called in source order for each finished range [begin, end) of sources,
// before their terms are added.
using sourcesDone = std::function<void(int begin, int end)>;

// The weights and the cut of the PC searches of a landscape, as the
// straightforward computation chooses them: every pair (allpaths), the pairs
// above minProb with the expansion cut, or every pair with a positive
// probability in its own direction.
template <class T>
void pcSearchSetup(const landscape<T>& land, searchWeights& w, T& cut, const engineLimits& limits);

// PC, PCnum and the best-path rows of land; the searches are left in
// searches for the variants. With a group of several processes, each
// searches a share of the sources and every process receives all the rows;
// the sum is then added in order on each. Every process of the group calls
// it; failureEverywhere says that one of them failed.
template <class T>
void measurePC(landscape<T>& land, unsigned threads, pcSearches<T>& searches, const sourcesDone& progress,
               const engineLimits& limits = engineLimits(), processGroup* group = nullptr);

// Whether every probability keeps the searches' weights non-negative; the
// engine relies on it and leaves other landscapes to the straightforward
// computation.
template <class T>
bool probabilitiesWithinRange(const landscape<T>& land);

}  // namespace verdalis
