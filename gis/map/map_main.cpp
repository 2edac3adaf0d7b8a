// verdalis-map: the result files of a Verdalis run joined to the patch layer,
// written as a GeoPackage and drawn as a map.
#include <algorithm>
#include <iostream>
#include <memory>

#include "common/failure.h"
#include "common/patch_loading.h"
#include "common/staged_file.h"
#include "map/map_drawing.h"
#include "map/map_options.h"
#include "map/path_links.h"
#include "map/result_join.h"

namespace verdalis::gis {

namespace {
const dataColumn& drawnColumn(const joinedResults& joined, const mapOptions& o) {
  const auto found = std::find_if(joined.columns.begin(), joined.columns.end(),
                                  [&](const dataColumn& c) { return c.name == o.column; });
  if (found != joined.columns.end()) return *found;
  std::string names;
  for (const dataColumn& c : joined.columns) names += (names.empty() ? "" : ", ") + c.name;
  inputError("no column " + o.column + " in the results of " + o.resultsFolder +
             (o.columnGiven ? "" : " (the default; choose another with --column)") + "; columns: " +
             (names.empty() ? "none" : names));
}

mapStyle styleOf(const mapOptions& o, const patchSet& set) {
  mapStyle style;
  style.column = o.column;
  style.classes = o.classes;
  style.breaks = o.breaks;
  style.width = o.width;
  style.links = o.links;
  const std::size_t slash = o.source.input.find_last_of('/');
  const std::string name = slash == std::string::npos ? o.source.input : o.source.input.substr(slash + 1);
  style.title = o.title.empty() ? o.column + " of each patch \u2014 " + name : o.title;
  style.subtitle = std::to_string(set.patches.size()) + " patches, " + set.crsName +
                   (o.prefix.empty() ? "" : ", run " + o.prefix);
  return style;
}

void followLinkPaths(const mapOptions& o, const patchSet& set, patchLinks& links) {
  const bool ownLinks = links.from.empty();
  const pathJoin join = followPaths(links, set, readPathLayer(o.linksFrom));
  if (join.unknown > 0)
    warn(std::to_string(join.unknown) + " path" + (join.unknown == 1 ? "" : "s") + " of " + o.linksFrom +
         " name a patch that " + o.source.input + " does not hold; they are left out");
  if (join.straight > 0)
    warn(std::to_string(join.straight) + " link" + (join.straight == 1 ? " has" : "s have") + " no path in " +
         o.linksFrom + " (beyond --paths-max-cost?); drawn straight");
  if (ownLinks && !links.from.empty())
    std::cout << "No link importances in the results: drawing the " << links.from.size() << " least-cost paths of "
              << o.linksFrom << "\n";
}

void printSummary(const mapOptions& o, const patchSet& set, const joinedResults& joined) {
  std::cout << "Joined the results in " << o.resultsFolder << " to " << set.patches.size() << " patches of "
            << o.source.input << ": " << joined.columns.size() << " columns";
  if (!joined.links.from.empty()) std::cout << ", " << joined.links.from.size() << " links";
  std::cout << "\n";
  if (!o.out.empty())
    std::cout << "Wrote " << o.out << ": layer patches" << (joined.links.from.empty() ? "" : " and layer links") << "\n";
  for (const std::string& image : {o.png, o.svg})
    if (!image.empty()) std::cout << "Drew " << o.column << " to " << image << "\n";
}

int mapMain(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const mapOptions o = parseMapOptions(args);
  if (o.help || args.empty()) {
    std::cout << mapUsage << "\n" << exitStatusText;
    return 0;
  }
  checkWritable({o.out, o.png, o.svg});
  const runResults results = readRunResults(o.resultsFolder, o.prefix);
  geosContext context;
  const patchSet set = loadPatches(o.source, context);
  joinedResults joined = joinResults(set, results);
  if (!o.linksFrom.empty()) followLinkPaths(o, set, joined.links);
  const patchLinks* links = joined.links.from.empty() ? nullptr : &joined.links;
  if (o.links && !links) warn("no link importances in the results: no link is drawn");
  const dataColumn* drawn = o.png.empty() && o.svg.empty() ? nullptr : &drawnColumn(joined, o);
  std::unique_ptr<stagedFile> layer;
  if (!o.out.empty()) {
    layer = std::make_unique<stagedFile>(o.out);
    const std::string idName = o.source.idField.empty() ? "patch_id" : o.source.idField;
    writePatchGeoPackage(*layer, set, context, idName, joined.columns, links);
  }
  if (drawn) drawMapImages(o.png, o.svg, set, context, drawn->values, links, styleOf(o, set));
  if (layer) layer->commit();
  printSummary(o, set, joined);
  return 0;
}
}  // namespace

}  // namespace verdalis::gis

int main(int argc, char** argv) { return verdalis::gis::runProgram("verdalis-map", verdalis::gis::mapMain, argc, argv); }
