// Worker threads over the patch searches.
#include "cost/patch_searches.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "common/worker_threads.h"

namespace verdalis::gis {

std::vector<std::vector<foundPair>> searchEveryPatch(const resistanceGrid& grid, const patchCells& patches,
                                                     const searchSettings& settings, unsigned threads,
                                                     const searchProgress& progress) {
  const std::size_t n = patches.boxes.size();
  std::vector<std::vector<foundPair>> rows(n);
  std::atomic<std::size_t> next{0};
  std::mutex reporting;
  std::size_t done = 0;
  const unsigned workers = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(std::max<std::size_t>(n, 1))));
  auto work = [&] {
    boundedCostSearch search(grid, patches, settings);
    for (std::size_t k = next++; k < n; k = next++) {
      rows[k] = search.run(static_cast<std::uint32_t>(k));
      const std::lock_guard<std::mutex> hold(reporting);
      ++done;
      if (progress) progress(done);
    }
  };
  runOnThreads(workers, work, [&] { next = n; });
  return rows;
}

}  // namespace verdalis::gis
