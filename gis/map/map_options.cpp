// Reading the command line of verdalis-map.
#include "map/map_options.h"

#include "common/failure.h"
#include "map/map_canvas.h"

namespace verdalis::gis {

const char* const mapUsage =
    "Usage: verdalis-map INPUT --results DIR [--prefix P] --out OUT.gpkg [options]\n"
    "\n"
    "Joins the result files of a Verdalis run to the patches of INPUT by identifier\n"
    "and writes them as a GeoPackage, draws a map of one result column and ranks the\n"
    "patches by it.\n"
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
    "  --ranking FILE        a bar chart of the --top patches of highest --column: value,\n"
    "                        share of the column's total, cumulative share (.png or .svg)\n"
    "  --top-file FILE       the same ranking as a table (tab-separated): rank, identifier,\n"
    "                        value, share_percent, cumulative_percent\n"
    "Map:\n"
    "  --column NAME         the result column drawn and ranked (default dPC)\n"
    "  --classes N           number of classes, 2 to 9 (default 5)\n"
    "  --breaks auto|quantile|natural  class limits (default auto): natural breaks\n"
    "                        (Jenks) when the values are skewed, their skewness beyond\n"
    "                        ±1 (a few patches far above the others), else quantiles\n"
    "                        (about as many patches in each class)\n"
    "  --label-top N         label the N patches of highest --column with their identifiers\n"
    "  --top N               how many patches --ranking and --top-file list (default 10)\n"
    "  --links               draw the links that have link importances\n"
    "  --links-from FILE.gpkg  draw the links along the least-cost paths of verdalis-prep\n"
    "                        --paths (every path when the run has no link importances)\n"
        "  --width PX            width of the images in pixels, 600 to 10000 (default 1200)\n"
    "  --title TEXT          the title (default: the column and the input)\n"
    "  -h, --help            this text\n";

namespace {
std::optional<breakMethod> parseBreaks(const std::string& text) {
  if (text == "auto") return std::nullopt;
  if (text == "quantile") return breakMethod::quantile;
  if (text == "natural") return breakMethod::natural;
  commandLineError("--breaks expects auto, quantile or natural, not \"" + text + "\"");
}

// The options of the ranking and the labels; false for any other option.
bool takeRankingOption(const std::vector<std::string>& args, std::size_t& at, mapOptions& o) {
  const optionWord option = splitOption(args[at]);
  const std::string& name = option.name;
  if (name != "--label-top" && name != "--ranking" && name != "--top" && name != "--top-file") return false;
  const std::string value = optionValue(args, at, option);
  if (name == "--label-top") o.labelTop = static_cast<std::size_t>(wholeOption(value, name, 1, kMostLabels));
  else if (name == "--top") o.top = static_cast<std::size_t>(wholeOption(value, name, 1, 1000000000)), o.topGiven = true;
  else if (name == "--top-file") o.topFile = value;
  else o.ranking = value;
  return true;
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

void checkRankingOptions(const mapOptions& o) {
  if (!o.ranking.empty() && imageFormatOf(o.ranking) == imageFormat::none)
    commandLineError("--ranking " + o.ranking + ": the chart is written as PNG or SVG; name it .png or .svg");
  if (!o.ranking.empty() && o.top > kMostRankingBars)
    commandLineError("--ranking draws at most " + std::to_string(kMostRankingBars) + " bars; --top " +
                     std::to_string(o.top) + " can go to --top-file");
  if (o.topGiven && o.ranking.empty() && o.topFile.empty())
    commandLineError("--top N says how many patches --ranking and --top-file list: give one of them");
  if (o.labelTop > 0 && o.png.empty() && o.svg.empty())
    commandLineError("--label-top labels the map: give --png or --svg");
}

void checkMapOutputs(const mapOptions& o) {
  if (o.resultsFolder.empty()) commandLineError("--results DIR is required");
  if (o.out.empty() && o.png.empty() && o.svg.empty() && o.ranking.empty() && o.topFile.empty())
    commandLineError("nothing to write: give --out, --png, --svg, --ranking or --top-file");
  checkRankingOptions(o);
  checkDistinctOutputs(o.source.input, mapOutputs(o));
  if (!o.linksFrom.empty()) checkDistinctOutputs(o.linksFrom, mapOutputs(o));
}
}  // namespace

std::vector<std::string> mapOutputs(const mapOptions& o) { return {o.out, o.png, o.svg, o.ranking, o.topFile}; }

mapOptions parseMapOptions(const std::vector<std::string>& args) {
  mapOptions o;
  o.help = !readCommandLine(args, o.source, [&o](const std::vector<std::string>& words, std::size_t& at) {
    if (!takeRankingOption(words, at, o)) takeMapOption(words, at, o);
  });
  if (o.help) return o;
  checkPatchOptions(o.source);
  checkMapOutputs(o);
  return o;
}

}  // namespace verdalis::gis
