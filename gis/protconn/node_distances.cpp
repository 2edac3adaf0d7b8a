// Measuring the pairs of a region's nodes.
#include "protconn/node_distances.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <thread>

#include "common/failure.h"
#include "common/representative_point.h"

namespace verdalis::gis {

namespace {
void collectPosition(void* item, void* found) {
  static_cast<std::vector<std::uint32_t>*>(found)->push_back(*static_cast<const std::uint32_t*>(item));
}

// Built on one thread, then only read by the workers.
struct shapeIndex {
  std::vector<geometryPtr> centroids;
  std::vector<const GEOSGeometry*> shapes;
  std::vector<envelope> boxes;
  std::vector<std::uint32_t> positions;
  treePtr tree;
};

void buildIndex(shapeIndex& s, const std::vector<geometryPtr>& outlines, distanceKind kind, const geosContext& c) {
  for (const geometryPtr& outline : outlines) {
    if (kind == distanceKind::centroid) {
      s.centroids.push_back(representativePoint(c, outline.get()));
      s.shapes.push_back(s.centroids.back().get());
    } else {
      s.shapes.push_back(outline.get());
    }
    s.boxes.push_back(envelopeOf(c, s.shapes.back()));
  }
  s.positions.resize(s.shapes.size());
  for (std::size_t k = 0; k < s.shapes.size(); ++k) {
    s.positions[k] = static_cast<std::uint32_t>(k);
    GEOSSTRtree_insert_r(c.get(), s.tree.get(), s.shapes[k], &s.positions[k]);
  }
  std::vector<std::uint32_t> ignored;
  if (!s.shapes.empty()) GEOSSTRtree_query_r(c.get(), s.tree.get(), s.shapes[0], collectPosition, &ignored);
}

double gapBetween(const envelope& a, const envelope& b) {
  const double dx = std::max({0.0, b.minX - a.maxX, a.minX - b.maxX});
  const double dy = std::max({0.0, b.minY - a.maxY, a.minY - b.maxY});
  return std::sqrt(dx * dx + dy * dy);
}

void measureRow(const shapeIndex& s, const geosContext& mine, std::uint32_t i, double reach,
                std::vector<std::uint32_t>& candidates, std::vector<nearPair>& row) {
  const GEOSContextHandle_t c = mine.get();
  const envelope& b = s.boxes[i];
  candidates.clear();
  geometryPtr box = own(mine, GEOSGeom_createRectangle_r(c, b.minX - reach, b.minY - reach, b.maxX + reach, b.maxY + reach));
  GEOSSTRtree_query_r(c, s.tree.get(), box.get(), collectPosition, &candidates);
  std::sort(candidates.begin(), candidates.end());
  preparedPtr prepared(GEOSPrepare_r(c, s.shapes[i]), preparedDeleter{c});
  for (std::uint32_t j : candidates) {
    if (j <= i || gapBetween(b, s.boxes[j]) > reach) continue;
    double d = 0;
    if (GEOSPreparedDistance_r(c, prepared.get(), s.shapes[j], &d) != 1)
      inputError("cannot measure the distance of two protected areas: " + mine.takeError());
    if (d <= reach) row.push_back({j, d});
  }
}
}  // namespace

nodePairs measureNodePairs(const std::vector<geometryPtr>& outlines, const pairRequest& request,
                           const geosContext& context) {
  shapeIndex index{{}, {}, {}, {}, treePtr(GEOSSTRtree_create_r(context.get(), 10), treeDeleter{context.get()})};
  buildIndex(index, outlines, request.kind, context);
  const std::size_t n = outlines.size();
  const double reach = request.reach / request.metresPerUnit;
  std::vector<std::vector<nearPair>> rows(n);
  std::atomic<std::size_t> next{0};
  constexpr std::size_t chunk = 16;
  const unsigned workers = std::max(1u, std::min<unsigned>(request.threads, static_cast<unsigned>(n / chunk + 1)));
  std::vector<std::exception_ptr> failures(workers);
  auto work = [&](std::exception_ptr& failure) {
    try {
      geosContext mine;
      std::vector<std::uint32_t> candidates;
      for (std::size_t from = next.fetch_add(chunk); from < n; from = next.fetch_add(chunk))
        for (std::size_t i = from; i < std::min(n, from + chunk); ++i)
          measureRow(index, mine, static_cast<std::uint32_t>(i), reach, candidates, rows[i]);
    } catch (...) {
      failure = std::current_exception();
      next = n;
    }
  };
  std::vector<std::thread> pool;
  for (unsigned w = 1; w < workers; ++w) pool.emplace_back(work, std::ref(failures[w]));
  work(failures[0]);
  for (std::thread& t : pool) t.join();
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
  nodePairs pairs;
  for (std::size_t i = 0; i < n; ++i) {
    for (const nearPair& p : rows[i]) {
      pairs.from.push_back(static_cast<std::uint32_t>(i));
      pairs.to.push_back(p.partner);
      pairs.distance.push_back(p.distance * request.metresPerUnit);
    }
    std::vector<nearPair>().swap(rows[i]);
  }
  return pairs;
}

}  // namespace verdalis::gis
