// verdalis-prep's work: from a polygon layer or a land-cover raster to
// Verdalis's node file and connection file, or to the same values as arrays.
#include "prep/prep_run.h"

#include <cstdlib>
#include <memory>
#include <ostream>
#include <sstream>

#include "common/failure.h"
#include "common/gpkg_output.h"
#include "common/patch_loading.h"
#include "prep/dispersal_guide.h"
#include "prep/landscape_report.h"
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

void printSummary(std::ostream& out, const prepOptions& o, const patchSet& set, const pairRows& rows,
                  const landscapeFigures& figures) {
  const std::size_t n = set.patches.size();
  std::size_t alone = 0;
  for (std::size_t k = 0; k < n; ++k) alone += rows.start[k] == rows.start[k + 1] ? 1 : 0;
  out << "Read " << n << " patch" << (n == 1 ? "" : "es") << " from " << o.source.input << " (" << set.crsName << ")\n";
  if (o.source.dissolve)
    out << "  --dissolve: " << set.polygonsBeforeDissolve << " polygon" << (set.polygonsBeforeDissolve == 1 ? "" : "s")
        << " became " << n << " patch" << (n == 1 ? "" : "es") << "\n";
  out << tableLine(o.nodeFile, "Nodes", n) << "identifier and " << set.attributeText << "\n"
      << tableLine(o.connectionFile, "Pairs", 2 * rows.pairCount())
      << (o.distances.kind == distanceKind::centroid ? "centroid" : "edge-to-edge")
      << " distances in metres, both directions, ";
  if (o.distances.maxDistance)
    out << "the pairs at most " << *o.distances.maxDistance << " m apart\n";
  else
    out << "every pair\n";
  if (o.distances.maxDistance && alone > 0)
    out << "  " << alone << " patch" << (alone == 1 ? " has" : "es have") << " no other patch within "
        << *o.distances.maxDistance << " m\n";
  if (rows.pairCount() == 0)
    warn(std::string("the connection file is empty (") +
         (set.patches.size() == 1 ? "a single patch" : "no two patches within --max-distance") +
         "), and Verdalis refuses an empty connection file");
  if (!o.patchLayer.empty()) out << "Wrote " << o.patchLayer << ": layer patches, identifier field patch_id\n";
  printLandscape(out, o, set, figures);
  if (o.suggestFor) out << suggestionText(*o.suggestFor, o.floor) << "\n";
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
}  // namespace

preparedLandscape runPrep(const prepOptions& o, prepArrays arrays) {
  checkWritable({o.nodeFile, o.connectionFile, o.patchLayer});
  warnAboutShortMaxDistance(o);
  geosContext context;
  const patchSet set = loadPatches(o.source, context);
  const landscapeFigures figures = measureLandscape(o, set, context);
  warnAboutEveryPair(o, set);
  const pairRows rows = measurePairs(set, o.distances);
  preparedLandscape out;
  if (arrays == prepArrays::kept) keepArrays(o, set, rows, out);
  std::unique_ptr<stagedFile> nodes, connections, layer;
  if (!o.nodeFile.empty()) {
    nodes = std::make_unique<stagedFile>(o.nodeFile);
    writeNodeFile(*nodes, set);
  }
  if (!o.connectionFile.empty()) {
    connections = std::make_unique<stagedFile>(o.connectionFile);
    writeConnectionFile(*connections, set, rows, o.decimals);
  }
  if (!o.patchLayer.empty()) {
    layer = std::make_unique<stagedFile>(o.patchLayer);
    dataColumn attribute{o.source.attributeField.empty() ? std::string("area_") + unitName(o.source.unit)
                                                          : o.source.attributeField,
                         columnKind::real, {}};
    for (const patch& p : set.patches) attribute.values.push_back(p.attribute);
    writePatchGeoPackage(*layer, set, context, "patch_id", {attribute}, nullptr);
  }
  for (const std::unique_ptr<stagedFile>* file : {&nodes, &connections, &layer})
    if (*file) (*file)->commit();
  std::ostringstream report;
  printSummary(report, o, set, rows, figures);
  out.report = report.str();
  out.everyPair = !o.distances.maxDistance.has_value();
  const std::string landArea = landAreaOf(figures);
  out.landArea = landArea.empty() ? 0 : std::strtod(landArea.c_str(), nullptr);
  return out;
}

}  // namespace verdalis::gis

