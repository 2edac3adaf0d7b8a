// verdalis-map's work: the result files of a Verdalis run joined to the
// patch layer, written as a GeoPackage and drawn as a map.
#include "map/map_run.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>

#include "common/failure.h"
#include "common/patch_loading.h"
#include "common/staged_file.h"
#include "common/number_text.h"
#include "map/column_meanings.h"
#include "map/map_drawing.h"
#include "map/map_options.h"
#include "map/path_links.h"
#include "map/patch_ranking.h"
#include "map/ranking_chart.h"
#include "map/result_join.h"
#include "support/numfmt.h"

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

mapStyle styleOf(const mapOptions& o, const patchSet& set, breakMethod breaks, std::size_t labels) {
  mapStyle style;
  style.column = o.column;
  style.meaning = columnMeaning(o.column);
  style.classes = o.classes;
  style.breaks = breaks;
  style.width = o.width;
  style.links = o.links;
  style.labels = labels;
  const std::size_t slash = o.source.input.find_last_of('/');
  const std::string name = slash == std::string::npos ? o.source.input : o.source.input.substr(slash + 1);
  style.title = o.title.empty() ? o.column + " of each patch \u2014 " + name : o.title;
  style.subtitle = std::to_string(set.patches.size()) + " patches, " + set.crsName +
                   (o.prefix.empty() ? "" : ", run " + o.prefix);
  return style;
}

// The class limits asked for, or those the skewness of the column calls for,
// which the summary then names.
breakMethod chosenBreaks(const mapOptions& o, const std::vector<double>& values, std::string& reason) {
  if (o.breaks) return *o.breaks;
  std::vector<double> finite;
  for (double v : values)
    if (std::isfinite(v)) finite.push_back(v);
  const double skew = skewness(finite);
  const breakMethod method = breaksFor(skew);
  reason = "Classes of " + o.column + ": " + (method == breakMethod::natural ? "natural breaks" : "quantiles") +
           (std::isnan(skew) ? " (its values do not vary)"
                             : std::string(" (skewness ") + roundedText(skew) +
                                   (method == breakMethod::natural ? ", beyond \u00b11)" : ", within \u00b11)"));
  return method;
}

void printSummary(std::ostream& out, const mapOptions& o, const patchSet& set, const joinedResults& joined,
                  const std::string& breaks, const patchRanking* ranking) {
  out << "Joined the results in " << o.resultsFolder << " to " << set.patches.size() << " patches of "
      << o.source.input << ": " << joined.columns.size() << " columns";
  if (!joined.links.from.empty()) out << ", " << joined.links.from.size() << " links";
  out << "\n";
  if (!o.out.empty())
    out << "Wrote " << o.out << ": layer patches" << (joined.links.from.empty() ? "" : " and layer links") << "\n";
  for (const std::string& image : {o.png, o.svg})
    if (!image.empty()) out << "Drew " << o.column << " to " << image << "\n";
  if (!breaks.empty() && (!o.png.empty() || !o.svg.empty() || !o.ranking.empty())) out << "  " << breaks << "\n";
  if (!ranking) return;
  const std::string listed = "the " + std::to_string(ranking->top.size()) + " patches of highest " + o.column;
  if (!o.ranking.empty()) out << "Drew " << listed << " to " << o.ranking << "\n";
  if (!o.topFile.empty()) out << "Wrote " << listed << " to " << o.topFile << "\n";
  const rankedPatch& first = ranking->top.front();
  out << "  highest: patch " << first.id << ", " << o.column << " " << toText(first.value);
  if (!std::isnan(first.share)) out << " (" << roundedText(first.share) << " % of the total)";
  out << "\n";
}

// The outputs asked for, committed together once all are written.
struct stagedOutputs {
  std::unique_ptr<stagedFile> layer, png, svg, chart, table;
  explicit stagedOutputs(const mapOptions& o) {
    std::unique_ptr<stagedFile>* slots[] = {&layer, &png, &svg, &chart, &table};
    const std::vector<std::string> paths = mapOutputs(o);
    for (std::size_t k = 0; k < paths.size(); ++k)
      if (!paths[k].empty()) *slots[k] = std::make_unique<stagedFile>(paths[k]);
  }
  void commit() {
    for (std::unique_ptr<stagedFile>* file : {&layer, &png, &svg, &chart, &table})
      if (*file) (*file)->commit();
  }
};

struct columnOutputs {
  std::string breaksReason;
  std::optional<patchRanking> ranking;  // the --top patches
};

// The map, the chart and the table of the chosen column.
columnOutputs drawColumn(const mapOptions& o, const patchSet& set, const geosContext& context, const dataColumn& drawn,
                         const patchLinks* links, const stagedOutputs& files, const std::string& idName) {
  columnOutputs done;
  patchRanking ranking = rankPatches(set, drawn.values, std::max(o.top, o.labelTop));
  if (ranking.top.empty() && (files.chart || files.table))
    inputError("no patch has a value in column " + o.column + ": nothing to rank");
  const breakMethod breaks = chosenBreaks(o, drawn.values, done.breaksReason);
  const patchClasses classes = classify(drawn.values, o.classes, breaks);
  std::vector<std::size_t> labelled;
  for (std::size_t k = 0; k < std::min(o.labelTop, ranking.top.size()); ++k) labelled.push_back(ranking.top[k].position);
  const mapStyle style = styleOf(o, set, breaks, labelled.size());
  std::vector<const stagedFile*> maps;
  for (const stagedFile* image : {files.png.get(), files.svg.get()})
    if (image) maps.push_back(image);
  drawMapImages(maps, set, context, classes, links, style, labelled);
  ranking.top.resize(std::min(o.top, ranking.top.size()));
  if (files.chart) drawRankingChart(*files.chart, ranking, classes, style, set.patches.size());
  if (files.table) writeRankingTable(*files.table, ranking, idName, o.column);
  if (files.chart || files.table) done.ranking = std::move(ranking);
  return done;
}

}  // namespace

namespace {
// The links along the paths of --links-from; the line that says so when the
// paths themselves become the links.
std::string followLinkPaths(const mapOptions& o, const patchSet& set, patchLinks& links) {
  const bool ownLinks = links.from.empty();
  const pathJoin join = followPaths(links, set, readPathLayer(o.linksFrom));
  if (join.unknown > 0)
    warn(std::to_string(join.unknown) + " path" + (join.unknown == 1 ? "" : "s") + " of " + o.linksFrom +
         " name a patch that " + o.source.input + " does not hold; they are left out");
  if (join.straight > 0)
    warn(std::to_string(join.straight) + " link" + (join.straight == 1 ? " has" : "s have") + " no path in " +
         o.linksFrom + " (beyond --paths-max-cost?); drawn straight");
  if (!ownLinks || links.from.empty()) return "";
  return "No link importances in the results: drawing the " + std::to_string(links.from.size()) +
         " least-cost paths of " + o.linksFrom + "\n";
}
}  // namespace

mapReport runMap(const mapOptions& o) {
  checkWritable(mapOutputs(o));
  const runResults results = readRunResults(o.resultsFolder, o.prefix);
  geosContext context;
  const patchSet set = loadPatches(o.source, context);
  joinedResults joined = joinResults(set, results);
  const std::string pathsNote = o.linksFrom.empty() ? "" : followLinkPaths(o, set, joined.links);
  const patchLinks* links = joined.links.from.empty() ? nullptr : &joined.links;
  if (o.links && !links) warn("no link importances in the results: no link is drawn");
  const bool columnUsed = !o.png.empty() || !o.svg.empty() || !o.ranking.empty() || !o.topFile.empty();
  const dataColumn* drawn = columnUsed ? &drawnColumn(joined, o) : nullptr;
  stagedOutputs files(o);
  const std::string idName = o.source.idField.empty() ? "patch_id" : o.source.idField;
  if (files.layer) writePatchGeoPackage(*files.layer, set, context, idName, joined.columns, links);
  const columnOutputs column = drawn ? drawColumn(o, set, context, *drawn, links, files, idName) : columnOutputs{};
  files.commit();
  std::ostringstream out;
  out << pathsNote;
  printSummary(out, o, set, joined, column.breaksReason, column.ranking ? &*column.ranking : nullptr);
  mapReport report;
  report.report = out.str();
  return report;
}

}  // namespace verdalis::gis

