// The regions of a run: clipping and pairs on worker threads, the core's
// analyses on the calling thread in region order, with progress.
#include "protconn/protconn_run.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#include "common/failure.h"
#include "support/progress.h"

namespace verdalis::gis {

namespace {
// The work of a region, for the progress and time left, from the
// protected areas near it: its clipping and pairs follow their count, and
// so does an analysis of its indices at each distance. With the node
// removals an analysis grows about as the cube of it (a search from every
// node, repaired at every node of its best paths); the scale is that of
// generated layers, where 24,000 areas take a hundred times their clipping.
struct regionWork {
  long long prepare, analyse;
};

std::vector<regionWork> regionWeights(const protectedAreaIndex& index, const regionSet& regions, double reach,
                                      const runRequest& q, const geosContext& c) {
  std::vector<regionWork> weights;
  for (const region& r : regions.regions) {
    const envelope b = envelopeOf(c, r.outline.get());
    const double near = static_cast<double>(
        index.near({b.minX - reach, b.minY - reach, b.maxX + reach, b.maxY + reach}, c).size());
    const double removalWork = q.removals ? near * near * near / 3e6 : 0;
    weights.push_back({2 + 2 * static_cast<long long>(near),
                       static_cast<long long>(q.kernels.size()) * (1 + static_cast<long long>(near + removalWork))});
  }
  return weights;
}

// A region clipped and measured, waiting for its analyses.
struct preparedRegion {
  regionNodes nodes;
  nodePairs pairs;
};

// Regions handed from the workers to the analyses in region order; a worker
// takes a region only while fewer than `window` wait before it.
class regionQueue {
 public:
  regionQueue(std::size_t count, std::size_t window) : slots_(count), failures_(count), window_(window) {}

  // The next region for a worker, or none when every region is taken or the run stops.
  std::optional<std::size_t> take() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return stopped_ || next_ >= slots_.size() || next_ < analysed_ + window_; });
    if (stopped_ || next_ >= slots_.size()) return std::nullopt;
    return next_++;
  }
  void put(std::size_t k, preparedRegion prepared) {
    std::lock_guard<std::mutex> lock(mutex_);
    slots_[k] = std::move(prepared);
    changed_.notify_all();
  }
  void fail(std::size_t k, std::exception_ptr failure) {
    std::lock_guard<std::mutex> lock(mutex_);
    failures_[k] = std::move(failure);
    changed_.notify_all();
  }
  // Region k once ready; rethrows its failure.
  preparedRegion wait(std::size_t k) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return slots_[k].has_value() || failures_[k]; });
    if (failures_[k]) std::rethrow_exception(failures_[k]);
    preparedRegion prepared = std::move(*slots_[k]);
    slots_[k].reset();
    analysed_ = k + 1;
    changed_.notify_all();
    return prepared;
  }
  void stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
  }

 private:
  std::vector<std::optional<preparedRegion>> slots_;
  std::vector<std::exception_ptr> failures_;
  std::size_t window_, next_ = 0, analysed_ = 0;
  bool stopped_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
};

preparedRegion prepare(const protectedAreaIndex& index, const region& r, const runRequest& q, unsigned pairThreads,
                       const geosContext& c) {
  preparedRegion p{nodesOfRegion(index, r.outline.get(), q.nodes, c), {}};
  pairRequest pairs = q.pairs;
  pairs.threads = pairThreads;
  p.pairs = q.surface.grid ? measureLeastCostPairs(p.nodes.outlines, pairs, q.surface, c)
                           : measureNodePairs(p.nodes.outlines, pairs, c);
  return p;
}

regionResult analyse(const region& r, preparedRegion p, const runRequest& q) {
  regionResult result;
  result.id = r.id;
  result.inside = p.nodes.inside;
  result.transboundary = p.nodes.transboundary();
  for (std::size_t k = 0; k < q.kernels.size(); ++k) {
    if (q.landscape) q.landscape(r.id, k, p.nodes, p.pairs);
    result.distances.push_back(analyseRegion(p.nodes, p.pairs, q.kernels[k], {q.removals, static_cast<int>(q.threads)}));
  }
  result.unitId = std::move(p.nodes.unitId);
  result.unitPart = std::move(p.nodes.unitPart);
  result.unitArea = std::move(p.nodes.area);
  result.unitArea.resize(p.nodes.inside);
  if (q.keepUnits) {
    p.nodes.outlines.resize(p.nodes.inside);
    result.units = std::move(p.nodes.outlines);
  }
  return result;
}

// Names the region in a failure of its own.
std::exception_ptr failureOf(const region& r) {
  try {
    throw;
  } catch (const gisFailure& failure) {
    return std::make_exception_ptr(gisFailure(failure.kind(), "region " + r.id + ": " + failure.what()));
  } catch (...) {
    return std::current_exception();
  }
}

// The workers, stopped and joined however the analyses end.
class workerPool {
 public:
  workerPool(regionQueue& queue, unsigned count, const std::function<void(unsigned)>& work) : queue_(queue) {
    for (unsigned w = 0; w < count; ++w) threads_.emplace_back(work, w);
  }
  ~workerPool() {
    queue_.stop();
    for (std::thread& t : threads_) t.join();
  }
  workerPool(const workerPool&) = delete;
  workerPool& operator=(const workerPool&) = delete;

 private:
  regionQueue& queue_;
  std::vector<std::thread> threads_;
};
}  // namespace

std::vector<regionResult> runRegions(const protectedAreaIndex& index, const regionSet& regions,
                                     const runRequest& request, workerContexts& contexts) {
  const std::size_t n = regions.regions.size();
  const unsigned workers = static_cast<unsigned>(std::max<std::size_t>(1, std::min<std::size_t>(request.threads, n)));
  while (contexts.contexts.size() < workers) contexts.contexts.push_back(std::make_unique<geosContext>());
  const std::vector<regionWork> weights = regionWeights(
      index, regions, request.nodes.transboundary / request.nodes.metresPerUnit, request, *contexts.contexts[0]);
  long long total = 0;
  for (const regionWork& w : weights) total += w.prepare + w.analyse;
  // A meter of its own: the core's runs have theirs.
  progressMeter meter;
  meter.followedBy(runProgress());
  progressPhase phase("Regions", total, meter);
  const unsigned pairThreads = std::max(1u, request.threads / workers);
  regionQueue queue(n, workers);
  auto work = [&](unsigned w) {
    for (std::optional<std::size_t> k = queue.take(); k; k = queue.take()) {
      try {
        queue.put(*k, prepare(index, regions.regions[*k], request, pairThreads, *contexts.contexts[w]));
        meter.advance(weights[*k].prepare);
      } catch (...) {
        queue.fail(*k, std::current_exception());
      }
    }
  };
  std::vector<regionResult> results;
  workerPool pool(queue, workers, work);
  for (std::size_t k = 0; k < n; ++k) {
    try {
      results.push_back(analyse(regions.regions[k], queue.wait(k), request));
    } catch (...) {
      std::rethrow_exception(failureOf(regions.regions[k]));
    }
    meter.advance(weights[k].analyse);
  }
  return results;
}

}  // namespace verdalis::gis
