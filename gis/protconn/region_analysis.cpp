// The core's PC on a region's nodes, through the library.
#include "protconn/region_analysis.h"

#include <cmath>

#include "common/failure.h"
#include "verdalis/verdalis.h"

namespace verdalis::gis {

double kernelReach(double distance, double probability, double floor) {
  return distance * std::log(floor) / std::log(probability);
}

namespace {
struct coreLandscape {
  std::vector<int> id;
  std::vector<float> attribute;
  std::vector<int> from, to;
  std::vector<float> value;
};

// Nodes 1..n (the first `count` of them) and their pairs within the reach,
// one way each.
coreLandscape landscapeOf(const regionNodes& nodes, std::size_t count, const nodePairs& pairs, double reach) {
  coreLandscape land;
  for (std::size_t k = 0; k < count; ++k) {
    land.id.push_back(static_cast<int>(k + 1));
    land.attribute.push_back(k < nodes.inside ? static_cast<float>(nodes.area[k]) : 0.0f);
  }
  for (std::size_t p = 0; p < pairs.size(); ++p) {
    if (pairs.to[p] >= count || pairs.distance[p] > reach) continue;
    land.from.push_back(static_cast<int>(pairs.from[p] + 1));
    land.to.push_back(static_cast<int>(pairs.to[p] + 1));
    land.value.push_back(static_cast<float>(pairs.distance[p]));
  }
  return land;
}

// With the removals of the first `removed` nodes (0: PC alone).
analysisResults coreRun(const coreLandscape& land, const dispersalDistance& kernel, double regionArea,
                        std::size_t removed, int threads, std::vector<std::string>& told) {
  landscapeArrays arrays;
  arrays.id = land.id;
  arrays.attribute = land.attribute;
  arrays.from = land.from;
  arrays.to = land.to;
  arrays.value = land.value;
  arrays.reading.kind = pairValue::distance;
  arrays.reading.symmetric = true;
  arrays.nodesName = "protected units";
  arrays.pairsName = "pairs within reach";
  analysisOptions options;
  options.indices.PC = true;
  options.confProb = {static_cast<float>(kernel.distance), static_cast<float>(kernel.probability)};
  options.landArea = static_cast<float>(regionArea);
  options.onlyOverall = removed == 0;
  options.pcDrops = removed > 0;
  options.pcDropNodes = static_cast<int>(removed);
  options.threads = threads;
  options.sinks.tell = [&told](const std::string& line) { told.push_back(line); };
  try {
    return analyse(arrays, options);
  } catch (const outOfMemory& e) {
    inputError(std::string("not enough memory for the connectivity of a region: ") + e.what());
  } catch (const verdalisError& e) {
    inputError(std::string("Verdalis refused the nodes of a region: ") + e.what());
  }
}
}  // namespace

distanceResult analyseRegion(const regionNodes& nodes, const nodePairs& pairs, const dispersalDistance& kernel,
                             const analysisRequest& request) {
  distanceResult r;
  regionMeasures& m = r.measures;
  m.regionArea = nodes.regionArea;
  for (std::size_t k = 0; k < nodes.inside; ++k) {
    m.protectedArea += static_cast<float>(nodes.area[k]);
    m.unitSquares += coreSquare(nodes.area[k]);
  }
  m.individualArea = nodes.individualArea;
  m.individualSquares = nodes.individualSquares;
  if (nodes.inside > 0) {
    const coreLandscape all = landscapeOf(nodes, nodes.outlines.size(), pairs, kernel.reach);
    r.pairs = all.from.size();
    // The stepping stones' removals are not reported, and not measured.
    const analysisResults everyNode =
        coreRun(all, kernel, m.regionArea, request.removals ? nodes.inside : 0, request.threads, r.told);
    m.eca = everyNode.overallValue("EC(PC)");
    m.ecaWithoutTrans = m.eca;
    if (nodes.transboundary() > 0) {
      const coreLandscape inside = landscapeOf(nodes, nodes.inside, pairs, kernel.reach);
      m.ecaWithoutTrans = coreRun(inside, kernel, m.regionArea, 0, request.threads, r.told).overallValue("EC(PC)");
    }
    if (request.removals) {
      auto head = [&](const char* name) {
        const std::vector<double>& column = everyNode.nodes.column(name);
        return std::vector<double>(column.begin(), column.begin() + static_cast<std::ptrdiff_t>(nodes.inside));
      };
      r.dPC = head("dPC");
      r.dPCintra = head("dPCintra");
      r.dPCflux = head("dPCflux");
      r.dPCconnector = head("dPCconnector");
    }
  }
  r.values = protconnOf(m);
  return r;
}

}  // namespace verdalis::gis
