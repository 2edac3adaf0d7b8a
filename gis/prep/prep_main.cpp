// verdalis-prep: from a polygon layer or a land-cover raster to Verdalis's
// node file and connection file.
#include <iostream>
#include <memory>

#include "common/failure.h"
#include "common/gpkg_output.h"
#include "common/number_text.h"
#include "common/patch_loading.h"
#include "prep/dispersal_guide.h"
#include "prep/landscape_report.h"
#include "prep/least_cost_pairs.h"
#include "prep/layer_fields.h"
#include "prep/prep_files.h"
#include "prep/prep_options.h"

namespace verdalis::gis {

namespace {
// The line of the connection file and those of the patches without a partner.
void printConnections(const prepOptions& o, const patchSet& set, const pairRows& rows, const resistanceGrid& grid) {
  const std::size_t n = set.patches.size();
  std::size_t alone = 0;
  for (std::size_t k = 0; k < n; ++k) alone += rows.start[k] == rows.start[k + 1] ? 1 : 0;
  std::cout << "Wrote " << o.connectionFile << ": " << 2 * rows.pairCount() << " lines, ";
  if (o.costs.active()) {
    std::cout << leastCostText(o, grid) << ", both directions, ";
    if (o.costs.maxCost) std::cout << "the pairs of cost at most " << *o.costs.maxCost << "\n";
    else std::cout << "every pair that a path joins\n";
    if (alone > 0)
      std::cout << "  " << alone << " patch" << (alone == 1 ? " has" : "es have") << " no other patch "
                << (o.costs.maxCost ? "within cost " + roundedText(*o.costs.maxCost, 12) : std::string("that a path reaches"))
                << "\n";
  } else {
    std::cout << (o.distances.kind == distanceKind::centroid ? "centroid" : "edge-to-edge")
              << " distances in metres, both directions, ";
    if (o.distances.maxDistance)
      std::cout << "the pairs at most " << *o.distances.maxDistance << " m apart\n";
    else
      std::cout << "every pair\n";
    if (o.distances.maxDistance && alone > 0)
      std::cout << "  " << alone << " patch" << (alone == 1 ? " has" : "es have") << " no other patch within "
                << *o.distances.maxDistance << " m\n";
  }
  if (rows.pairCount() == 0)
    warn(std::string("the connection file is empty (") +
         (n == 1                ? "a single patch"
          : !o.costs.active()   ? "no two patches within --max-distance"
          : o.costs.maxCost     ? "no two patches within --max-cost: every patch is isolated"
                                : "no path joins two patches") +
         "), and Verdalis refuses an empty connection file");
}

void printSummary(const prepOptions& o, const gridAndPatches& in, const pairRows& rows, const leastCosts& least,
                  const landscapeFigures& figures) {
  const patchSet& set = in.set;
  const std::size_t n = set.patches.size();
  std::cout << "Read " << n << " patch" << (n == 1 ? "" : "es") << " from " << o.source.input << " ("
            << set.crsName << ")\n";
  if (o.source.dissolve)
    std::cout << "  --dissolve: " << set.polygonsBeforeDissolve << " polygon" << (set.polygonsBeforeDissolve == 1 ? "" : "s")
              << " became " << n << " patch" << (n == 1 ? "" : "es") << "\n";
  std::cout << "Wrote " << o.nodeFile << ": " << n << " lines, identifier and " << set.attributeText << "\n";
  printConnections(o, set, rows, in.grid);
  if (!o.costs.lengthsFile.empty())
    std::cout << "Wrote " << o.costs.lengthsFile << ": " << 2 * least.lengths.pairCount()
              << " lines, the lengths in metres of the least-cost paths, both directions\n";
  if (!o.costs.pathsFile.empty())
    std::cout << "Wrote " << o.costs.pathsFile << ": layer paths, " << least.paths.size() << " least-cost path"
              << (least.paths.size() == 1 ? "" : "s") << " (fields Node1, Node2, cost, length)"
              << (o.costs.pathsMaxCost ? ", those of cost at most " + roundedText(*o.costs.pathsMaxCost, 12) : "") << "\n";
  if (!o.patchLayer.empty())
    std::cout << "Wrote " << o.patchLayer << ": layer patches, identifier field patch_id\n";
  printLandscape(o, set, figures);
  if (o.suggestFor) std::cout << suggestionText(*o.suggestFor, o.floor, o.costs.active()) << "\n";
  std::cout << "Next:\n  " << nextCommand(o, figures) << "\n";
}

int prepMain(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    printBareUsage(prepUsage);
    return 0;
  }
  const prepOptions o = parsePrepOptions(args);
  if (o.help) {
    std::cout << prepUsage << "\n" << exitStatusText;
    return 0;
  }
  if (o.listFields) {
    listFields(o.source.input, o.source.layer);
    return 0;
  }
  if (o.suggestionOnly) {
    std::cout << suggestionText(*o.suggestFor, o.floor) << "\n";
    return 0;
  }
  checkWritable({o.nodeFile, o.connectionFile, o.patchLayer, o.costs.lengthsFile, o.costs.pathsFile});
  warnAboutShortMaxDistance(o);
  geosContext context;
  gridAndPatches in;
  if (o.costs.active()) in = loadGridAndPatches(o, context);
  else in.set = loadPatches(o.source, context);
  const patchSet& set = in.set;
  const landscapeFigures figures = measureLandscape(o, set, context);
  warnAboutEveryPair(o, set);
  leastCosts least;
  if (o.costs.active()) {
    least = measureLeastCosts(o, in, context);
    std::vector<float>().swap(in.grid.cells);
  } else {
    least.costs = measurePairs(set, o.distances);
  }
  const pairRows& rows = least.costs;
  stagedFile nodes(o.nodeFile), connections(o.connectionFile);
  std::unique_ptr<stagedFile> layer, lengths, paths;
  writeNodeFile(nodes, set);
  writeConnectionFile(connections, set, rows, o.decimals);
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
  nodes.commit();
  connections.commit();
  for (const std::unique_ptr<stagedFile>& file : {std::cref(lengths), std::cref(paths), std::cref(layer)})
    if (file) file->commit();
  printSummary(o, in, rows, least, figures);
  return 0;
}
}  // namespace

}  // namespace verdalis::gis

int main(int argc, char** argv) { return verdalis::gis::runProgram("verdalis-prep", verdalis::gis::prepMain, argc, argv); }
