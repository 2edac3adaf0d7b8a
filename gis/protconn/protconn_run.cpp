// The regions of a run over worker threads, with progress.
#include "protconn/protconn_run.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

#include "common/failure.h"
#include "support/progress.h"

namespace verdalis::gis {

namespace {
// The work of a region, for the progress and time left: the protected areas
// near it, which its clipping, pairs and analyses all follow.
std::vector<long long> regionWeights(const protectedAreaIndex& index, const regionSet& regions, double reach,
                                     const geosContext& c) {
  std::vector<long long> weights;
  for (const region& r : regions.regions) {
    const envelope b = envelopeOf(c, r.outline.get());
    weights.push_back(3 + 3 * static_cast<long long>(
                              index.near({b.minX - reach, b.minY - reach, b.maxX + reach, b.maxY + reach}, c).size()));
  }
  return weights;
}

struct regionWork {
  const protectedAreaIndex& index;
  const runRequest& request;
  progressMeter& meter;
  unsigned pairThreads;  // the threads a worker measures its pairs with: all of them for a single region
  std::mutex landscapeTurn;
};

regionResult oneRegion(regionWork& w, const region& r, long long weight, const geosContext& c) {
  const runRequest& q = w.request;
  regionResult result;
  result.id = r.id;
  regionNodes nodes = nodesOfRegion(w.index, r.outline.get(), q.nodes, c);
  w.meter.advance(weight / 3);
  result.inside = nodes.inside;
  result.transboundary = nodes.transboundary();
  pairRequest pairs = q.pairs;
  pairs.threads = w.pairThreads;
  const nodePairs measured = measureNodePairs(nodes.outlines, pairs, c);
  w.meter.advance(weight / 3);
  for (std::size_t k = 0; k < q.kernels.size(); ++k) {
    if (q.landscape) {
      std::lock_guard<std::mutex> turn(w.landscapeTurn);
      q.landscape(r.id, k, nodes, measured);
    }
    result.distances.push_back(analyseRegion(nodes, measured, q.kernels[k], {q.removals, 0}));
  }
  w.meter.advance(weight - 2 * (weight / 3));
  result.unitId = std::move(nodes.unitId);
  result.unitPart = std::move(nodes.unitPart);
  result.unitArea = std::move(nodes.area);
  result.unitArea.resize(nodes.inside);
  if (q.keepUnits) {
    nodes.outlines.resize(nodes.inside);
    result.units = std::move(nodes.outlines);
  }
  return result;
}
}  // namespace

std::vector<regionResult> runRegions(const protectedAreaIndex& index, const regionSet& regions,
                                     const runRequest& request, workerContexts& contexts) {
  const std::size_t n = regions.regions.size();
  const unsigned workers = static_cast<unsigned>(std::max<std::size_t>(1, std::min<std::size_t>(request.threads, n)));
  while (contexts.contexts.size() < workers) contexts.contexts.push_back(std::make_unique<geosContext>());
  const std::vector<long long> weights = regionWeights(index, regions, request.nodes.transboundary /
                                                                           request.nodes.metresPerUnit,
                                                       *contexts.contexts[0]);
  long long total = 0;
  for (long long w : weights) total += w;
  // A meter of its own: the core's runs have theirs.
  progressMeter meter;
  progressPhase phase("Regions", total, meter);
  regionWork work{index, request, meter, std::max(1u, request.threads / workers), {}};
  std::vector<regionResult> results(n);
  std::vector<std::exception_ptr> failures(n);
  std::atomic<std::size_t> next{0};
  auto worker = [&](unsigned w) {
    for (std::size_t k = next.fetch_add(1); k < n; k = next.fetch_add(1)) {
      try {
        results[k] = oneRegion(work, regions.regions[k], weights[k], *contexts.contexts[w]);
      } catch (const gisFailure& failure) {
        failures[k] = std::make_exception_ptr(gisFailure(failure.kind(), "region " + regions.regions[k].id + ": " +
                                                                             failure.what()));
        next = n;
      } catch (...) {
        failures[k] = std::current_exception();
        next = n;
      }
    }
  };
  std::vector<std::thread> pool;
  for (unsigned w = 1; w < workers; ++w) pool.emplace_back(worker, w);
  worker(0);
  for (std::thread& t : pool) t.join();
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
  return results;
}

}  // namespace verdalis::gis
