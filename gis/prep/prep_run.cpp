// verdalis-prep's work: from a polygon layer or a land-cover raster to
// Verdalis's node file and connection file, or to the same values as arrays.
#include "prep/prep_run.h"

#include <cstdlib>
#include <memory>
#include <ostream>
#include <sstream>

#include "common/failure.h"
#include "common/gpkg_output.h"
#include "common/number_text.h"
#include "common/patch_loading.h"
#include "prep/dispersal_guide.h"
#include "prep/landscape_report.h"
#include "prep/least_cost_pairs.h"
#include "prep/prep_files.h"
#include "prep/prep_options.h"
#include "support/decimal.h"

namespace verdalis::gis {

namespace {
// "Wrote nodes.txt: 40 lines", or "Nodes: 40 rows" for arrays kept in-process.
std::string tableLine(const std::string& file, const char* table, std::size_t rows) {
  return file.empty() ? std::string(table) + ": " + std::to_string(rows) + " rows, "
                      : "Wrote " + file + ": " + std::to_string(rows) + " lines, ";
}

// The line of the connection file and those of the patches without a partner.
void printConnections(std::ostream& out, const prepOptions& o, const patchSet& set, const pairRows& rows,
                      const resistanceGrid& grid) {
  const std::size_t n = set.patches.size();
  std::size_t alone = 0;
  for (std::size_t k = 0; k < n; ++k) alone += rows.start[k] == rows.start[k + 1] ? 1 : 0;
  out << tableLine(o.connectionFile, "Pairs", 2 * rows.pairCount());
  if (o.costs.active()) {
    out << leastCostText(o, grid) << ", both directions, ";
    if (o.costs.maxCost) out << "the pairs of cost at most " << *o.costs.maxCost << "\n";
    else out << "every pair that a path joins\n";
    if (alone > 0)
      out << "  " << alone << " patch" << (alone == 1 ? " has" : "es have") << " no other patch "
          << (o.costs.maxCost ? "within cost " + roundedText(*o.costs.maxCost, 12) : std::string("that a path reaches"))
          << "\n";
  } else {
    out << (o.distances.kind == distanceKind::centroid ? "centroid" : "edge-to-edge")
        << " distances in metres, both directions, ";
    if (o.distances.maxDistance)
      out << "the pairs at most " << *o.distances.maxDistance << " m apart\n";
    else
      out << "every pair\n";
    if (o.distances.maxDistance && alone > 0)
      out << "  " << alone << " patch" << (alone == 1 ? " has" : "es have") << " no other patch within "
          << *o.distances.maxDistance << " m\n";
  }
  if (rows.pairCount() == 0)
    warn(std::string("the connection file is empty (") +
         (n == 1              ? "a single patch"
          : !o.costs.active() ? "no two patches within --max-distance"
          : o.costs.maxCost   ? "no two patches within --max-cost: every patch is isolated"
                              : "no path joins two patches") +
         "), and Verdalis refuses an empty connection file");
}

void printSummary(std::ostream& out, const prepOptions& o, const gridAndPatches& in, const leastCosts& least,
                  const landscapeFigures& figures) {
  const patchSet& set = in.set;
  const std::size_t n = set.patches.size();
  out << "Read " << n << " patch" << (n == 1 ? "" : "es") << " from " << o.source.input << " (" << set.crsName << ")\n";
  if (o.source.dissolve)
    out << "  --dissolve: " << set.polygonsBeforeDissolve << " polygon" << (set.polygonsBeforeDissolve == 1 ? "" : "s")
        << " became " << n << " patch" << (n == 1 ? "" : "es") << "\n";
  out << in.reprojected << tableLine(o.nodeFile, "Nodes", n) << "identifier and " << set.attributeText << "\n";
  printConnections(out, o, set, least.costs, in.grid);
  if (!o.costs.lengthsFile.empty())
    out << "Wrote " << o.costs.lengthsFile << ": " << 2 * least.lengths.pairCount()
        << " lines, the lengths in metres of the least-cost paths, both directions\n";
  if (!o.costs.pathsFile.empty())
    out << "Wrote " << o.costs.pathsFile << ": layer paths, " << least.paths.size() << " least-cost path"
        << (least.paths.size() == 1 ? "" : "s") << " (fields Node1, Node2, cost, length)"
        << (o.costs.pathsMaxCost ? ", those of cost at most " + roundedText(*o.costs.pathsMaxCost, 12) : "") << "\n";
  if (!o.patchLayer.empty()) out << "Wrote " << o.patchLayer << ": layer patches, identifier field patch_id\n";
  printLandscape(out, o, set, figures);
  if (o.suggestFor) out << suggestionText(*o.suggestFor, o.floor, o.costs.active()) << "\n";
  if (!o.nodeFile.empty() && !o.connectionFile.empty()) out << "Next:\n  " << nextCommand(o, figures) << "\n";
}

// The two tables as verdalis would read them from the files: every number
// written as prep writes it, then read back as verdalis reads its files.
// Identifiers fit: loading refuses those verdalis cannot read exactly.
void keepArrays(const prepOptions& o, const patchSet& set, const pairRows& rows, preparedLandscape& out) {
  auto asRead = [](const std::string& text) { return strtof_l(text.c_str(), nullptr, classicCLocale()); };
  const std::size_t n = set.patches.size();
  for (const patch& p : set.patches) {
    out.id.push_back(static_cast<int>(p.id));
    out.attribute.push_back(asRead(fixedText(p.attribute, 4)));
  }
  out.from.reserve(rows.partner.size());
  out.to.reserve(rows.partner.size());
  out.distance.reserve(rows.partner.size());
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t k = rows.start[i]; k < rows.start[i + 1]; ++k) {
      out.from.push_back(out.id[i]);
      out.to.push_back(out.id[rows.partner[k]]);
      out.distance.push_back(asRead(fixedText(rows.distance[k], o.decimals)));
    }
}

// The pairs measured: straight distances, or least costs over the raster
// (whose cells are let go once the searches are done).
leastCosts measureAll(const prepOptions& o, gridAndPatches& in, const geosContext& context) {
  leastCosts least;
  if (!o.costs.active()) {
    least.costs = measurePairs(in.set, o.distances);
    return least;
  }
  least = measureLeastCosts(o, in, context);
  decltype(in.grid.cells)().swap(in.grid.cells);
  return least;
}

void writeOutputs(const prepOptions& o, const patchSet& set, const leastCosts& least, const geosContext& context) {
  std::unique_ptr<stagedFile> nodes, connections, lengths, paths, layer;
  if (!o.nodeFile.empty()) {
    nodes = std::make_unique<stagedFile>(o.nodeFile);
    writeNodeFile(*nodes, set);
  }
  if (!o.connectionFile.empty()) {
    connections = std::make_unique<stagedFile>(o.connectionFile);
    writeConnectionFile(*connections, set, least.costs, o.decimals);
  }
  if (!o.costs.lengthsFile.empty()) {
    lengths = std::make_unique<stagedFile>(o.costs.lengthsFile);
    writeConnectionFile(*lengths, set, least.lengths, o.decimals);
  }
  if (!o.costs.pathsFile.empty()) {
    paths = std::make_unique<stagedFile>(o.costs.pathsFile);
    writePathLayer(*paths, set.crsWkt, least.paths);
  }
  if (!o.patchLayer.empty()) {
    layer = std::make_unique<stagedFile>(o.patchLayer);
    dataColumn attribute{o.source.attributeField.empty() ? std::string("area_") + unitName(o.source.unit)
                                                          : o.source.attributeField,
                         columnKind::real, {}};
    for (const patch& p : set.patches) attribute.values.push_back(p.attribute);
    writePatchGeoPackage(*layer, set, context, "patch_id", {attribute}, nullptr);
  }
  for (const std::unique_ptr<stagedFile>* file : {&nodes, &connections, &lengths, &paths, &layer})
    if (*file) (*file)->commit();
}
}  // namespace

preparedLandscape runPrep(const prepOptions& o, prepArrays arrays) {
  checkWritable({o.nodeFile, o.connectionFile, o.patchLayer, o.costs.lengthsFile, o.costs.pathsFile});
  warnAboutShortMaxDistance(o);
  geosContext context;
  gridAndPatches in;
  if (o.costs.active()) in = loadGridAndPatches(o, context);
  else in.set = loadPatches(o.source, context);
  const patchSet& set = in.set;
  const landscapeFigures figures = measureLandscape(o, set, context);
  warnAboutEveryPair(o, set);
  const leastCosts least = measureAll(o, in, context);
  preparedLandscape out;
  if (arrays == prepArrays::kept) keepArrays(o, set, least.costs, out);
  writeOutputs(o, set, least, context);
  std::ostringstream report;
  printSummary(report, o, in, least, figures);
  out.report = report.str();
  out.everyPair = !o.bounded();
  const std::string landArea = landAreaOf(figures);
  out.landArea = landArea.empty() ? 0 : std::strtod(landArea.c_str(), nullptr);
  return out;
}

}  // namespace verdalis::gis
