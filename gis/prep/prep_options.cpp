// Reading the command line of verdalis-prep.
#include "prep/prep_options.h"

#include <algorithm>
#include <thread>

#include "common/failure.h"

namespace verdalis::gis {

const char* const prepUsage =
    "Usage: verdalis-prep INPUT --nodes NODEFILE --connections CONFILE [options]\n"
    "       verdalis-prep INPUT --fields\n"
    "       verdalis-prep --suggest-for D P [--floor F]\n"
    "\n"
    "Reads habitat patches from a polygon layer (GeoPackage, Shapefile, GeoJSON, any\n"
    "layer GDAL reads) or a land-cover raster, and writes Verdalis's node file and\n"
    "connection file (edge-to-edge distances in metres).\n"
    "\n"
    "Polygon layers:\n"
    "  --layer NAME          the layer, when the file holds several\n"
    "  --id FIELD            identifier field (whole numbers, unique); default: feature ID\n"
    "  --attribute FIELD     node attribute from a numeric field (default: the area)\n"
    "  --area ha|m2|km2      the area as attribute, in this unit (default ha)\n"
    "  --where \"SQL\"         attribute filter (an OGR SQL where clause)\n"
    "  --dissolve            merge touching or overlapping polygons into one patch,\n"
    "                        named by the smallest identifier among them\n"
    "Land-cover rasters:\n"
    "  --habitat V[,V...]    the habitat class values; groups of their pixels are patches,\n"
    "                        numbered by a row-major scan over all groups\n"
    "  --connectivity 8|4    pixels joined through corners too (8, default) or by sides (4)\n"
    "  --min-area A          groups smaller than A (in the --area unit) are left out\n"
    "Distances:\n"
    "  --max-distance D      only the pairs at most D metres apart (run with -t dist notall);\n"
    "                        default: every pair (run with -t dist all)\n"
    "  --centroid            between centroids instead of edge to edge\n"
    "  --decimals K          decimals of the distances (default 1; attributes keep 4)\n"
    "  --to EPSG:CODE        reproject to this projected system first (required for\n"
    "                        layers in degrees)\n"
    "Least-cost distances (instead of straight ones):\n"
    "  --resistance FILE     a resistance raster in metres (one band, or --band N); the\n"
    "                        cost of a step is the mean of the two cells' resistances\n"
    "                        times the distance between their centres\n"
    "  --costs TABLE         the raster (--resistance, or INPUT with --habitat) holds\n"
    "                        land-cover codes: lines CODE COST give their resistances\n"
    "  --band N              the band of the resistance raster\n"
    "  --neighbours 4|8|16   steps to the sides, also the corners (8, default), also\n"
    "                        the knight's moves (16)\n"
    "  --max-cost C          only the pairs of cost at most C (run with -t dist notall);\n"
    "                        each search stays within that cost of its patch\n"
    "  --lengths FILE        also the length in metres of each least-cost path\n"
    "  --paths FILE.gpkg     also the least-cost paths as lines, for verdalis-map\n"
    "  --paths-max-cost C    only the paths of cost at most C in --paths\n"
    "  (--centroid: from the cell of one point inside each patch, its largest part's\n"
    "  centroid, or a point on that part when the centroid lies outside it)\n"
    "Output:\n"
    "  --nodes FILE          the node file to write (ID<TAB>attribute)\n"
    "  --connections FILE    the connection file to write (ID1 ID2 distance)\n"
    "  --patches FILE.gpkg   also a GeoPackage of the patches as measured (for verdalis-map)\n"
    "  --threads N           worker threads for the distances (default: all cores)\n"
    "Guidance:\n"
    "  --fields              list the layers of INPUT, their fields with types and a\n"
    "                        sample value (or a raster's classes), and stop\n"
    "  --suggest-for D P     the -confProb D P of the run to come: prints the distance\n"
    "                        beyond which the probability falls below --floor (the\n"
    "                        --max-distance it suggests), and fills -confProb and\n"
    "                        -confAdj in the verdalis command printed at the end;\n"
    "                        without INPUT it only prints the distance\n"
    "  --floor F             the probability not worth a line (default 0.001)\n"
    "  --study-area FILE     a polygon layer of the study area: its area is -landArea\n"
    "                        (default: the extent of the patches, or of the raster)\n"
    "  -h, --help            this text\n";

namespace {
void takeOutputOption(const std::vector<std::string>& args, std::size_t& at, prepOptions& o) {
  const optionWord option = splitOption(args[at]);
  const std::string& name = option.name;
  if (name == "--centroid") {
    if (option.inlineValue) commandLineError("--centroid takes no value");
    o.distances.kind = distanceKind::centroid;
    return;
  }
  if (name != "--nodes" && name != "--connections" && name != "--patches" && name != "--max-distance" &&
      name != "--decimals" && name != "--threads")
    commandLineError("unknown option " + name + " (see --help)");
  const std::string value = optionValue(args, at, option);
  if (name == "--nodes") o.nodeFile = value;
  else if (name == "--connections") o.connectionFile = value;
  else if (name == "--patches") o.patchLayer = value;
  else if (name == "--decimals") o.decimals = static_cast<int>(wholeOption(value, name, 0, 9));
  else if (name == "--threads") o.distances.threads = static_cast<unsigned>(wholeOption(value, name, 0, 1024));
  else {
    o.distances.maxDistance = numberOption(value, name);
    if (*o.distances.maxDistance < 0) commandLineError("--max-distance must be 0 or more");
  }
}

double costOption(const std::string& value, const std::string& name) {
  const double cost = numberOption(value, name);
  if (cost < 0) commandLineError(name + " must be 0 or more");
  return cost;
}

// The options of least-cost distances; false for any other option.
bool takeLeastCostOption(const std::vector<std::string>& args, std::size_t& at, leastCostRequest& c) {
  const optionWord option = splitOption(args[at]);
  const std::string& name = option.name;
  if (name != "--resistance" && name != "--costs" && name != "--band" && name != "--neighbours" &&
      name != "--max-cost" && name != "--lengths" && name != "--paths" && name != "--paths-max-cost")
    return false;
  const std::string value = optionValue(args, at, option);
  if (name == "--resistance") c.resistance = value;
  else if (name == "--costs") c.costTable = value;
  else if (name == "--band") c.band = static_cast<int>(wholeOption(value, name, 1, 65535));
  else if (name == "--lengths") c.lengthsFile = value;
  else if (name == "--paths") c.pathsFile = value;
  else if (name == "--max-cost") c.maxCost = costOption(value, name);
  else if (name == "--paths-max-cost") c.pathsMaxCost = costOption(value, name);
  else if (value == "4") c.neighbours = cellNeighbours::four;
  else if (value == "8") c.neighbours = cellNeighbours::eight;
  else if (value == "16") c.neighbours = cellNeighbours::sixteen;
  else commandLineError("--neighbours expects 4, 8 or 16, not \"" + value + "\"");
  return true;
}

// Least-cost options without a resistance surface, and the straight
// distances' bound with one, are refused rather than ignored.
void checkLeastCost(prepOptions& o, const std::vector<std::string>& args) {
  leastCostRequest& c = o.costs;
  if (c.resistance.empty() && !c.costTable.empty()) {
    if (o.source.habitat.empty())
      commandLineError("--costs turns a land-cover raster into resistance: give it with --resistance FILE, or as "
                       "INPUT with --habitat");
    c.resistance = o.source.input;
  }
  for (const char* only : {"--band", "--neighbours", "--max-cost", "--lengths", "--paths", "--paths-max-cost"})
    for (const std::string& word : args)
      if (c.resistance.empty() && splitOption(word).name == only)
        commandLineError(std::string(only) + " applies to least-cost distances: give a resistance raster with --resistance FILE");
  if (c.resistance.empty()) return;
  if (o.distances.maxDistance)
    commandLineError("--max-distance bounds straight distances; least-cost distances are bounded with --max-cost C");
  if (!o.source.targetCrs.empty())
    commandLineError("--to does not apply with --resistance: the patches are measured in the raster's coordinate "
                     "system (reproject the raster with gdalwarp -t_srs)");
  if (c.pathsMaxCost && c.pathsFile.empty()) commandLineError("--paths-max-cost applies to --paths FILE.gpkg");
}

// The options that help choose the run to come; false for any other option.
bool takeGuidanceOption(const std::vector<std::string>& args, std::size_t& at, prepOptions& o, bool& floorGiven) {
  const optionWord option = splitOption(args[at]);
  const std::string& name = option.name;
  if (name == "--fields") {
    if (option.inlineValue) commandLineError("--fields takes no value");
    o.listFields = true;
    return true;
  }
  if (name == "--suggest-for") {
    if (option.inlineValue || at + 2 >= args.size())
      commandLineError("--suggest-for takes two values, D P: the distance and probability of -confProb");
    dispersalKernel kernel{numberOption(args[at + 1], name), numberOption(args[at + 2], name)};
    if (kernel.distance <= 0 || kernel.probability <= 0 || kernel.probability >= 1)
      commandLineError("--suggest-for D P needs a distance above 0 and a probability between 0 and 1 (both excluded)");
    o.suggestFor = kernel;
    at += 2;
    return true;
  }
  if (name != "--floor" && name != "--study-area") return false;
  const std::string value = optionValue(args, at, option);
  if (name == "--study-area") {
    o.studyArea = value;
  } else {
    o.floor = numberOption(value, name);
    if (o.floor <= 0 || o.floor >= 1) commandLineError("--floor expects a probability between 0 and 1 (both excluded)");
    floorGiven = true;
  }
  return true;
}

void checkOutputs(const prepOptions& o, prepOutputs outputs) {
  if (outputs == prepOutputs::required && o.nodeFile.empty()) commandLineError("--nodes NODEFILE is required");
  if (outputs == prepOutputs::required && o.connectionFile.empty())
    commandLineError("--connections CONFILE is required");
  const std::vector<std::string> written = {o.nodeFile, o.connectionFile, o.patchLayer, o.costs.lengthsFile,
                                            o.costs.pathsFile};
  checkDistinctOutputs(o.source.input, written);
  if (!o.studyArea.empty()) checkDistinctOutputs(o.studyArea, written);
  for (const std::string& read : {o.costs.resistance, o.costs.costTable})
    if (!read.empty()) checkDistinctOutputs(read, written);
}
}  // namespace

prepOptions parsePrepOptions(const std::vector<std::string>& args, prepOutputs outputs) {
  prepOptions o;
  o.distances.threads = 0;
  bool floorGiven = false;
  o.help = !readCommandLine(args, o.source, [&](const std::vector<std::string>& words, std::size_t& at) {
    if (!takeGuidanceOption(words, at, o, floorGiven) && !takeLeastCostOption(words, at, o.costs))
      takeOutputOption(words, at, o);
  });
  if (o.help) return o;
  if (floorGiven && !o.suggestFor) commandLineError("--floor applies to --suggest-for D P");
  if (o.listFields) {
    if (o.source.input.empty()) commandLineError("--fields lists the layers and fields of INPUT: give the file");
    return o;
  }
  o.suggestionOnly = o.suggestFor && o.source.input.empty() && o.nodeFile.empty() && o.connectionFile.empty();
  if (o.suggestionOnly) return o;
  checkPatchOptions(o.source);
  checkLeastCost(o, args);
  checkOutputs(o, outputs);
  if (o.distances.threads == 0) o.distances.threads = std::max(1u, std::thread::hardware_concurrency());
  return o;
}

}  // namespace verdalis::gis
