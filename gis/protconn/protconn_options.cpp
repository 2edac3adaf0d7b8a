// Reading the command line of verdalis-protconn.
#include "protconn/protconn_options.h"

#include <algorithm>
#include <thread>

#include "common/failure.h"

namespace verdalis::gis {

const char* const protconnUsage =
    "Usage: verdalis-protconn PAS --regions REGIONS --region-id FIELD --distance D[,D...] --out TABLE.tsv [options]\n"
    "\n"
    "ProtConn, the protected and connected share of every region of a layer, with\n"
    "its fractions, computed by Verdalis on the protected areas (PAS, a polygon\n"
    "layer) of each region and those beyond its border within --transboundary.\n"
    "\n"
    "Protected areas:\n"
    "  --layer NAME          the layer of PAS, when the file holds several\n"
    "  --id FIELD            identifier field (whole numbers, unique); default: feature ID\n"
    "  --where \"SQL\"         attribute filter of the protected areas\n"
    "  --area ha|km2|m2      the unit of areas (default ha)\n"
    "  --to EPSG:CODE        reproject both layers to this projected system (required\n"
    "                        for protected areas in degrees)\n"
    "Regions:\n"
    "  --regions FILE        the region layer (countries, ecoregions)\n"
    "  --region-layer NAME   its layer, when the file holds several\n"
    "  --region-id FIELD     the field that names the regions (unique values)\n"
    "  --region ID...        these regions alone (default: every region)\n"
    "Dispersal:\n"
    "  --distance D[,D...]   the distance in metres at which the probability of\n"
    "                        dispersal is --probability (-confProb D P); several: one run each\n"
    "  --probability P       (default 0.5)\n"
    "  --floor F             pairs whose probability is below F are left out (default 0.001)\n"
    "  --transboundary B     protected areas outside a region within B metres are\n"
    "                        stepping stones (default 50000)\n"
    "  --centroid            distances between centroids instead of edge to edge\n"
    "  --resistance RASTER   least-cost distances over this resistance surface, as\n"
    "                        verdalis-prep measures them (D is then a cost)\n"
    "  --costs TABLE         RASTER holds land-cover codes: lines \"CODE COST\"\n"
    "  --band N              the band of RASTER (default: its only band)\n"
    "  --neighbours 4|8|16   the steps of the least-cost searches (default 8)\n"
    "Output:\n"
    "  --out FILE.tsv        a row per region and distance: ProtConn and its fractions\n"
    "  --importances FILE    a row per protected unit: dProtConn and its fractions\n"
    "  --gpkg FILE.gpkg      the protected units with dProtConn, and the regions with ProtConn\n"
    "  --png FILE, --svg FILE  a map of dProtConn (of the first distance)\n"
    "  --log FILE            the run log (default: --out with .log)\n"
    "  --landscapes DIR      the node and connection files of every run, for verdalis\n"
    "  --threads N           worker threads (default: all cores); the files are the same\n"
    "  -h, --help            this text\n";

namespace {
std::vector<double> parseDistances(const std::string& text) {
  std::vector<double> values;
  for (std::size_t start = 0;;) {
    const std::size_t comma = text.find(',', start);
    const double d = numberOption(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start),
                                  "--distance");
    if (!(d > 0)) commandLineError("--distance must be above 0 (a kernel distance of 0 connects nothing)");
    values.push_back(d);
    if (comma == std::string::npos) return values;
    start = comma + 1;
  }
}

void takeRegionOption(const std::vector<std::string>& args, std::size_t& at, const optionWord& option,
                      protconnOptions& o) {
  if (option.inlineValue) {
    o.regions.chosen.push_back(*option.inlineValue);
    return;
  }
  const std::size_t first = at;
  while (at + 1 < args.size() && args[at + 1].rfind("--", 0) != 0) o.regions.chosen.push_back(args[++at]);
  if (at == first) commandLineError("--region needs at least one region identifier");
}

void takeOption(const std::vector<std::string>& args, std::size_t& at, protconnOptions& o) {
  const optionWord option = splitOption(args[at]);
  const std::string& name = option.name;
  if (name == "--centroid") {
    if (option.inlineValue) commandLineError("--centroid takes no value");
    o.kind = distanceKind::centroid;
    return;
  }
  if (name == "--region") return takeRegionOption(args, at, option, o);
  static const char* const valued[] = {"--regions", "--region-layer", "--region-id", "--distance", "--probability",
                                       "--floor", "--transboundary", "--out", "--importances", "--gpkg", "--png",
                                       "--svg", "--log", "--landscapes", "--threads", "--resistance", "--costs",
                                       "--band", "--neighbours"};
  if (std::find(std::begin(valued), std::end(valued), name) == std::end(valued))
    commandLineError("unknown option " + name + " (see --help)");
  const std::string value = optionValue(args, at, option);
  if (name == "--regions") o.regions.input = value;
  else if (name == "--region-layer") o.regions.layer = value;
  else if (name == "--region-id") o.regions.idField = value;
  else if (name == "--distance") o.distances = parseDistances(value);
  else if (name == "--probability") o.probability = numberOption(value, name);
  else if (name == "--floor") o.floor = numberOption(value, name);
  else if (name == "--transboundary") o.transboundary = numberOption(value, name);
  else if (name == "--out") o.table = value;
  else if (name == "--importances") o.importances = value;
  else if (name == "--gpkg") o.geopackage = value;
  else if (name == "--png") o.png = value;
  else if (name == "--svg") o.svg = value;
  else if (name == "--log") o.log = value;
  else if (name == "--landscapes") o.landscapes = value;
  else if (name == "--resistance") o.resistance = value;
  else if (name == "--costs") o.costTable = value;
  else if (name == "--band") o.band = static_cast<int>(wholeOption(value, name, 1, 65535));
  else if (name == "--neighbours") o.neighbours = value == "4" ? cellNeighbours::four : value == "8" ? cellNeighbours::eight
                                               : value == "16" ? cellNeighbours::sixteen
                                                               : (commandLineError("--neighbours expects 4, 8 or 16, not \"" + value + "\""), cellNeighbours::eight),
       o.neighboursGiven = true;
  else o.threads = static_cast<unsigned>(wholeOption(value, name, 0, 1024));
}

void checkOptions(protconnOptions& o) {
  const patchSourceOptions& a = o.areas;
  if (a.input.empty()) commandLineError("no layer of protected areas given (see --help)");
  if (!a.attributeField.empty()) commandLineError("--attribute: the attribute of a protected area is its area");
  if (a.dissolve) commandLineError("--dissolve: the protected areas of a region are always dissolved");
  if (!a.habitat.empty() || a.neighboursGiven || a.minArea)
    commandLineError("the protected areas are a polygon layer: --habitat, --connectivity and --min-area do not apply");
  if (o.regions.input.empty()) commandLineError("--regions FILE is required: the layer of the regions");
  if (o.regions.idField.empty()) commandLineError("--region-id FIELD is required: the field that names the regions");
  if (o.distances.empty()) commandLineError("--distance D is required: the distance of the dispersal kernel in metres");
  if (!(o.probability > 0 && o.probability < 1))
    commandLineError("--probability expects a probability between 0 and 1 (both excluded)");
  if (!(o.floor > 0 && o.floor < 1)) commandLineError("--floor expects a probability between 0 and 1 (both excluded)");
  if (o.transboundary < 0) commandLineError("--transboundary must be 0 or more");
  if (o.resistance.empty() && (!o.costTable.empty() || o.band != 0 || o.neighboursGiven))
    commandLineError("--costs, --band and --neighbours apply to least-cost distances: give --resistance RASTER");
  if (o.table.empty()) commandLineError("--out FILE.tsv is required: the table of the regions");
  if (o.log.empty()) {
    const std::size_t dot = o.table.find_last_of('.'), slash = o.table.find_last_of('/');
    const bool extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    o.log = (extension ? o.table.substr(0, dot) : o.table) + ".log";
  }
  const std::vector<std::string> outputs = {o.table, o.importances, o.geopackage, o.png, o.svg, o.log};
  checkDistinctOutputs(a.input, outputs);
  checkDistinctOutputs(o.regions.input, outputs);
  if (o.threads == 0) o.threads = std::max(1u, std::thread::hardware_concurrency());
}
}  // namespace

protconnOptions parseProtconnOptions(const std::vector<std::string>& args) {
  protconnOptions o;
  o.help = !readCommandLine(args, o.areas, [&](const std::vector<std::string>& words, std::size_t& at) {
    takeOption(words, at, o);
  });
  if (!o.help) checkOptions(o);
  return o;
}

}  // namespace verdalis::gis
