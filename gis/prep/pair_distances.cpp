// Measuring patch pairs with a spatial index and worker threads.
#include "prep/pair_distances.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

#include "common/failure.h"
#include "common/representative_point.h"
#include "common/worker_threads.h"
#include "support/progress.h"

namespace verdalis::gis {

namespace {
// What the workers read: the shapes measured (outlines or centroids), their
// boxes, and the index over them. Built on one thread, then only read.
struct measuredShapes {
  const geosContext& context;
  std::vector<geometryPtr> centroids;
  std::vector<const GEOSGeometry*> shapes;
  std::vector<envelope> boxes;
  std::vector<std::uint32_t> positions;  // items of the tree
  treePtr tree;
};

void collectPosition(void* item, void* found) {
  static_cast<std::vector<std::uint32_t>*>(found)->push_back(*static_cast<const std::uint32_t*>(item));
}

void buildShapes(measuredShapes& m, const patchSet& set, const distanceRequest& request) {
  const GEOSContextHandle_t c = m.context.get();
  const std::size_t n = set.patches.size();
  for (const patch& p : set.patches) {
    if (request.kind == distanceKind::centroid) {
      m.centroids.push_back(representativePoint(m.context, p.outline.get()));
      m.shapes.push_back(m.centroids.back().get());
    } else {
      m.shapes.push_back(p.outline.get());
    }
    m.boxes.push_back(envelopeOf(m.context, m.shapes.back()));
  }
  if (!request.maxDistance) return;
  m.positions.resize(n);
  m.tree = treePtr(GEOSSTRtree_create_r(c, 10), treeDeleter{c});
  for (std::size_t k = 0; k < n; ++k) {
    m.positions[k] = static_cast<std::uint32_t>(k);
    GEOSSTRtree_insert_r(c, m.tree.get(), m.shapes[k], &m.positions[k]);
  }
  // The tree is built by its first query; done here, later queries from the
  // workers only read it.
  std::vector<std::uint32_t> ignored;
  GEOSSTRtree_query_r(c, m.tree.get(), m.shapes[0], collectPosition, &ignored);
}

double gapBetween(const envelope& a, const envelope& b) {
  const double dx = std::max({0.0, b.minX - a.maxX, a.minX - b.maxX});
  const double dy = std::max({0.0, b.minY - a.maxY, a.minY - b.maxY});
  return std::sqrt(dx * dx + dy * dy);
}

// The partners after position i, in ascending order, with their distances.
void measureRow(const measuredShapes& m, const geosContext& own, std::uint32_t i, double limit,
                bool limited, std::vector<std::uint32_t>& candidates, std::vector<nearPair>& row) {
  const GEOSContextHandle_t c = own.get();
  candidates.clear();
  if (limited) {
    const envelope& b = m.boxes[i];
    geometryPtr box(GEOSGeom_createRectangle_r(c, b.minX - limit, b.minY - limit, b.maxX + limit, b.maxY + limit),
                    geometryDeleter{c});
    GEOSSTRtree_query_r(c, m.tree.get(), box.get(), collectPosition, &candidates);
    std::sort(candidates.begin(), candidates.end());
  } else {
    for (std::uint32_t j = i + 1; j < m.shapes.size(); ++j) candidates.push_back(j);
  }
  preparedPtr prepared(GEOSPrepare_r(c, m.shapes[i]), preparedDeleter{c});
  for (std::uint32_t j : candidates) {
    if (j <= i || (limited && gapBetween(m.boxes[i], m.boxes[j]) > limit)) continue;
    double d = 0.0;
    if (GEOSPreparedDistance_r(c, prepared.get(), m.shapes[j], &d) != 1)
      inputError("cannot measure the distance of two patches: " + own.takeError());
    if (!limited || d <= limit) row.push_back({j, d});
  }
}
}  // namespace

// Rows in patch order, partners ascending: row j receives its earlier
// partners while the rows before it are read, in ascending order, and its
// later ones from its own list.
pairRows bothDirections(std::vector<std::vector<nearPair>>& after, double scale) {
  const std::size_t n = after.size();
  pairRows rows;
  rows.start.assign(n + 1, 0);
  for (std::size_t i = 0; i < n; ++i) {
    rows.start[i + 1] += after[i].size();
    for (const nearPair& p : after[i]) ++rows.start[p.partner + 1];
  }
  for (std::size_t k = 0; k < n; ++k) rows.start[k + 1] += rows.start[k];
  rows.partner.resize(rows.start[n]);
  rows.distance.resize(rows.start[n]);
  std::vector<std::size_t> cursor(rows.start.begin(), rows.start.end() - 1);
  for (std::size_t i = 0; i < n; ++i) {
    for (const nearPair& p : after[i]) {
      const double metres = p.distance * scale;
      rows.partner[cursor[i]] = p.partner;
      rows.distance[cursor[i]++] = metres;
      rows.partner[cursor[p.partner]] = static_cast<std::uint32_t>(i);
      rows.distance[cursor[p.partner]++] = metres;
    }
    std::vector<nearPair>().swap(after[i]);
  }
  return rows;
}

pairRows measurePairs(const patchSet& set, const distanceRequest& request) {
  geosContext context;
  measuredShapes shapes{context, {}, {}, {}, {}, treePtr(nullptr, treeDeleter{context.get()})};
  buildShapes(shapes, set, request);
  const std::size_t n = set.patches.size();
  const bool limited = request.maxDistance.has_value();
  const double limit = limited ? *request.maxDistance / set.metresPerUnit : 0.0;
  std::vector<std::vector<nearPair>> after(n);
  std::atomic<std::size_t> next{0};
  constexpr std::size_t chunk = 16;
  // Every pair: a row costs its partners after it. Nearby pairs: about the same for every row.
  progressPhase phase("Distances", static_cast<long long>(limited ? n : n * (n - 1) / 2));
  auto work = [&] {
    geosContext mine;
    std::vector<std::uint32_t> candidates;
    for (std::size_t from = next.fetch_add(chunk); from < n; from = next.fetch_add(chunk))
      for (std::size_t i = from; i < std::min(n, from + chunk); ++i) {
        measureRow(shapes, mine, static_cast<std::uint32_t>(i), limit, limited, candidates, after[i]);
        runProgress().advance(static_cast<long long>(limited ? 1 : n - 1 - i));
      }
  };
  runOnThreads(std::max(1u, request.threads), work, [&] { next = n; });
  return bothDirections(after, set.metresPerUnit);
}

}  // namespace verdalis::gis
