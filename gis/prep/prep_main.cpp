// verdalis-prep: from a polygon layer or a land-cover raster to Verdalis's
// node file and connection file.
#include <iostream>
#include <memory>

#include "common/failure.h"
#include "common/gpkg_output.h"
#include "common/patch_loading.h"
#include "prep/dispersal_guide.h"
#include "prep/landscape_report.h"
#include "prep/layer_fields.h"
#include "prep/prep_files.h"
#include "prep/prep_options.h"

namespace verdalis::gis {

namespace {
void printSummary(const prepOptions& o, const patchSet& set, const pairRows& rows, const landscapeFigures& figures) {
  const std::size_t n = set.patches.size();
  std::size_t alone = 0;
  for (std::size_t k = 0; k < n; ++k) alone += rows.start[k] == rows.start[k + 1] ? 1 : 0;
  std::cout << "Read " << n << " patch" << (n == 1 ? "" : "es") << " from " << o.source.input << " ("
            << set.crsName << ")\n";
  if (o.source.dissolve)
    std::cout << "  --dissolve: " << set.polygonsBeforeDissolve << " polygon" << (set.polygonsBeforeDissolve == 1 ? "" : "s")
              << " became " << n << " patch" << (n == 1 ? "" : "es") << "\n";
  std::cout << "Wrote " << o.nodeFile << ": " << n << " lines, identifier and " << set.attributeText << "\n"
            << "Wrote " << o.connectionFile << ": " << 2 * rows.pairCount() << " lines, "
            << (o.distances.kind == distanceKind::centroid ? "centroid" : "edge-to-edge")
            << " distances in metres, both directions, ";
  if (o.distances.maxDistance)
    std::cout << "the pairs at most " << *o.distances.maxDistance << " m apart\n";
  else
    std::cout << "every pair\n";
  if (o.distances.maxDistance && alone > 0)
    std::cout << "  " << alone << " patch" << (alone == 1 ? " has" : "es have") << " no other patch within "
              << *o.distances.maxDistance << " m\n";
  if (rows.pairCount() == 0)
    warn(std::string("the connection file is empty (") +
         (set.patches.size() == 1 ? "a single patch" : "no two patches within --max-distance") +
         "), and Verdalis refuses an empty connection file");
  if (!o.patchLayer.empty())
    std::cout << "Wrote " << o.patchLayer << ": layer patches, identifier field patch_id\n";
  printLandscape(o, set, figures);
  if (o.suggestFor) std::cout << suggestionText(*o.suggestFor, o.floor) << "\n";
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
  checkWritable({o.nodeFile, o.connectionFile, o.patchLayer});
  warnAboutShortMaxDistance(o);
  geosContext context;
  const patchSet set = loadPatches(o.source, context);
  const landscapeFigures figures = measureLandscape(o, set, context);
  warnAboutEveryPair(o, set);
  const pairRows rows = measurePairs(set, o.distances);
  stagedFile nodes(o.nodeFile), connections(o.connectionFile);
  std::unique_ptr<stagedFile> layer;
  writeNodeFile(nodes, set);
  writeConnectionFile(connections, set, rows, o.decimals);
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
  if (layer) layer->commit();
  printSummary(o, set, rows, figures);
  return 0;
}
}  // namespace

}  // namespace verdalis::gis

int main(int argc, char** argv) { return verdalis::gis::runProgram("verdalis-prep", verdalis::gis::prepMain, argc, argv); }
