// The text of the run log and of the summary.
#include "protconn/protconn_log.h"

#include "common/number_text.h"
#include "protconn/protconn_tables.h"
#include "verdalis/verdalis.h"

namespace verdalis::gis {

namespace {
std::string counted(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}
}  // namespace

std::string settingsText(const runInputs& in) {
  const protconnOptions& o = in.options;
  std::string text = "verdalis-protconn, " + version() + "\n";
  text += "Protected areas: " + counted(in.areas.patches.size(), "feature", "features") + " of " + o.areas.input +
          " (" + in.areas.crsName + "), areas in " + unitName(o.areas.unit) + "\n";
  text += "Regions: " + counted(in.regions.regions.size(), "region", "regions") + " of " + o.regions.input +
          " named by " + o.regions.idField +
          (in.regions.reprojected ? ", reprojected from " + in.regions.crsName : std::string()) + "\n";
  text += "Dispersal: probability " + exactText(o.probability) + " at";
  const std::string unit = o.resistance.empty() ? " m" : " (cost)";
  for (const dispersalDistance& k : in.kernels)
    text += " " + exactText(k.distance) + unit + " (pairs within " + roundedText(k.reach, 6) + unit + "),";
  text.back() = ';';
  text += " pairs below probability " + exactText(o.floor) + " are left out\n";
  text += std::string("Distances: ") + (o.resistance.empty() ? "" : "least-cost over " + o.resistance + ", ") +
          (o.kind == distanceKind::centroid ? "between representative points" : "edge to edge") +
          "; protected areas outside a region within " + exactText(o.transboundary) + " m are stepping stones\n";
  return text;
}

std::string regionLines(const std::vector<regionResult>& results, const std::vector<dispersalDistance>& kernels) {
  std::string text;
  for (const regionResult& r : results) {
    text += "Region " + r.id + ": " + counted(r.inside, "protected unit", "protected units") + ", " +
            counted(r.transboundary, "transboundary node", "transboundary nodes") + "\n";
    for (std::size_t k = 0; k < kernels.size(); ++k) {
      const distanceResult& d = r.distances[k];
      text += "  " + exactText(kernels[k].distance) + " m: " + counted(d.pairs, "pair", "pairs") + ", ECA " +
              exactText(d.measures.eca) + ", Prot " + exactText(d.values.prot) + ", ProtConn " +
              exactText(d.values.protConn) + "\n";
      for (const std::string& line : d.told) text += "    Verdalis: " + line + "\n";
    }
  }
  return text;
}

std::string writtenText(const protconnOptions& o, const std::vector<regionResult>& results,
                        const std::vector<dispersalDistance>& kernels) {
  std::size_t units = 0;
  for (const regionResult& r : results) units += r.inside;
  const std::string rows = counted(results.size() * kernels.size(), "row", "rows");
  std::string text = "Wrote " + o.table + ": " + rows + ", " + counted(results.size(), "region", "regions") + " by " +
                     counted(kernels.size(), "distance", "distances") + "\n";
  if (!o.importances.empty())
    text += "Wrote " + o.importances + ": " + counted(units * kernels.size(), "row", "rows") + ", " +
            counted(units, "protected unit", "protected units") + " by " +
            counted(kernels.size(), "distance", "distances") + "\n";
  if (!o.geopackage.empty()) text += "Wrote " + o.geopackage + ": layers protected_units and regions\n";
  for (const std::string& image : {o.png, o.svg})
    if (!image.empty()) text += "Drew dProtConn at " + exactText(kernels.front().distance) + " m to " + image + "\n";
  return text;
}

}  // namespace verdalis::gis
