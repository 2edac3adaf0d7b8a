// Reading the command line of verdalis-map.
#include "map/map_options.h"

#include "common/failure.h"

namespace verdalis::gis {

const char* const mapUsage =
    "Usage: verdalis-map INPUT --results DIR [--prefix P] --out OUT.gpkg [options]\n"
    "\n"
    "Joins the result files of a Verdalis run to the patches of INPUT by identifier\n"
    "and writes them as a GeoPackage, and draws a map of one result column.\n"
    "\n"
    "Results:\n"
    "  --results DIR         the folder where verdalis wrote its result files\n"
    "  --prefix P            the -prefix given to verdalis (files P_node_importances.txt, ...)\n"
    "Patches (the same options as given to verdalis-prep, or the GeoPackage written\n"
    "by its --patches with --id patch_id):\n"
    "  --layer NAME  --id FIELD  --where \"SQL\"  --dissolve  --to EPSG:CODE\n"
    "  --habitat V[,V...]  --connectivity 8|4  --min-area A  --area ha|m2|km2\n"
    "Output (at least one):\n"
    "  --out FILE.gpkg       layer patches with every result column under its own name,\n"
    "                        and layer links where link importances exist\n"
    "  --png FILE            a map of the patches coloured by --column\n"
    "  --svg FILE            the same map as SVG\n"
    "Map:\n"
    "  --column NAME         the result column drawn (default dPC)\n"
    "  --classes N           number of classes, 2 to 9 (default 5)\n"
    "  --breaks quantile|natural  class limits: quantiles (default) or natural breaks\n"
    "  --links               draw the links that have link importances\n"
    "  --links-from FILE.gpkg  draw the links along the least-cost paths of verdalis-prep\n"
    "                        --paths (every path when the run has no link importances)\n"
    "  --width PX            width of the image in pixels, 600 to 10000 (default 1200)\n"
    "  --title TEXT          the title (default: the column and the input)\n"
    "  -h, --help            this text\n";

namespace {
breakMethod parseBreaks(const std::string& text) {
  if (text == "quantile") return breakMethod::quantile;
  if (text == "natural") return breakMethod::natural;
  commandLineError("--breaks expects quantile or natural, not \"" + text + "\"");
}

void takeMapOption(const std::vector<std::string>& args, std::size_t& at, mapOptions& o) {
  const optionWord option = splitOption(args[at]);
  const std::string& name = option.name;
  if (name == "--links") {
    if (option.inlineValue) commandLineError("--links takes no value");
    o.links = true;
    return;
  }
  if (name != "--results" && name != "--prefix" && name != "--out" && name != "--png" && name != "--svg" &&
      name != "--column" && name != "--classes" && name != "--breaks" && name != "--width" && name != "--title" &&
      name != "--links-from")
    commandLineError("unknown option " + name + " (see --help)");
  const std::string value = optionValue(args, at, option);
  if (name == "--results") o.resultsFolder = value;
  else if (name == "--prefix") o.prefix = value;
  else if (name == "--out") o.out = value;
  else if (name == "--png") o.png = value;
  else if (name == "--svg") o.svg = value;
  else if (name == "--links-from") o.linksFrom = value, o.links = true;
  else if (name == "--column") o.column = value, o.columnGiven = true;
  else if (name == "--classes") o.classes = static_cast<int>(wholeOption(value, name, 2, 9));
  else if (name == "--breaks") o.breaks = parseBreaks(value);
  else if (name == "--width") o.width = static_cast<int>(wholeOption(value, name, 600, 10000));
  else o.title = value;
}

void checkMapOutputs(const mapOptions& o) {
  if (o.resultsFolder.empty()) commandLineError("--results DIR is required");
  if (o.out.empty() && o.png.empty() && o.svg.empty()) commandLineError("nothing to write: give --out, --png or --svg");
  checkDistinctOutputs(o.source.input, {o.out, o.png, o.svg});
  if (!o.linksFrom.empty()) checkDistinctOutputs(o.linksFrom, {o.out, o.png, o.svg});
}
}  // namespace

mapOptions parseMapOptions(const std::vector<std::string>& args) {
  mapOptions o;
  o.help = !readCommandLine(args, o.source, [&o](const std::vector<std::string>& words, std::size_t& at) {
    takeMapOption(words, at, o);
  });
  if (o.help) return o;
  checkPatchOptions(o.source);
  checkMapOutputs(o);
  return o;
}

}  // namespace verdalis::gis
