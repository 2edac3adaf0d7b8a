// verdalis-change: ECA of a landscape over time or between scenarios, each
// period computed by Verdalis in-process, with the changes of habitat and
// connectivity from one period to the next and a chart of both.
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "change/change_chart.h"
#include "change/change_values.h"
#include "common/failure.h"
#include "common/patch_options.h"
#include "common/staged_file.h"
#include "map/map_canvas.h"
#include "protconn/protconn_tables.h"
#include "verdalis/verdalis.h"

namespace verdalis::gis {

namespace {
const char* const changeUsage =
    "Usage: verdalis-change --period LABEL NODES CONNECTIONS [--period ...] --landArea AL\n"
    "                       [-confProb D P] [-t dist|prob [all|notall]] [-symmetric] [--out FILE.tsv]\n"
    "                       [--chart FILE.png|.svg] [--title TEXT]\n"
    "\n"
    "ECA (the equivalent connected area, EC(PC) of Verdalis) of every period, given\n"
    "in time order as a node file and a connection file each, and its change from\n"
    "one period to the next: a table with the columns period, A (the sum of the\n"
    "attributes), ECA, ECA_pct_landscape, ECA_pct_habitat, dA, dECA, rECA, change.\n"
    "The first period is compared with the landscape area AL.\n"
    "\n"
    "  --period LABEL NODES CONNECTIONS  a period: its label and its two files\n"
    "  --landArea AL         the area of the landscape, in the unit of the attributes\n"
    "  -confProb D P         probability P of dispersal at distance D (with -t dist)\n"
    "  -t dist|prob all|notall  what the connection files hold, as verdalis reads them\n"
    "                        (default dist notall)\n"
    "  -symmetric            a pair listed one way is read both ways\n"
    "  --out FILE.tsv        the table (default: standard output)\n"
    "  --chart FILE          a chart of A and ECA over the periods, PNG or SVG by its name\n"
    "  --title TEXT          the title of the chart\n"
    "  -h, --help            this text\n";

struct period {
  std::string label, nodes, connections;
};

struct changeOptions {
  std::vector<period> periods;
  double landArea = 0;
  bool landAreaGiven = false;
  std::optional<std::pair<double, double>> confProb;
  pairValue kind = pairValue::distance;
  bool everyPair = false;
  bool symmetric = false;
  std::string out, chart, title = "Habitat and connectivity over the periods";
  bool help = false;
};

std::size_t valuesAfter(const std::vector<std::string>& args, std::size_t at, std::size_t count, const std::string& name,
                        const char* what) {
  if (at + count >= args.size()) commandLineError(name + " takes " + what);
  return at + count;
}

void takeWord(const std::vector<std::string>& args, std::size_t& at, changeOptions& o) {
  const std::string& name = args[at];
  if (name == "-h" || name == "--help") {
    o.help = true;
  } else if (name == "--period") {
    at = valuesAfter(args, at, 3, name, "three values: LABEL NODES CONNECTIONS");
    o.periods.push_back({args[at - 2], args[at - 1], args[at]});
  } else if (name == "--landArea" || name == "-landArea") {
    at = valuesAfter(args, at, 1, name, "a value: the area of the landscape");
    o.landArea = numberOption(args[at], name);
    o.landAreaGiven = true;
  } else if (name == "-confProb" || name == "--confProb") {
    at = valuesAfter(args, at, 2, name, "two values, D P: a distance and its probability");
    o.confProb = std::make_pair(numberOption(args[at - 1], name), numberOption(args[at], name));
  } else if (name == "-t") {
    at = valuesAfter(args, at, 1, name, "dist or prob, then all or notall");
    if (args[at] != "dist" && args[at] != "prob") commandLineError("-t expects dist or prob, not \"" + args[at] + "\"");
    o.kind = args[at] == "dist" ? pairValue::distance : pairValue::probability;
    if (at + 1 < args.size() && (args[at + 1] == "all" || args[at + 1] == "notall")) o.everyPair = args[++at] == "all";
  } else if (name == "-symmetric") {
    o.symmetric = true;
  } else if (name == "--out" || name == "--chart" || name == "--title") {
    at = valuesAfter(args, at, 1, name, "a value");
    (name == "--out" ? o.out : name == "--chart" ? o.chart : o.title) = args[at];
  } else {
    commandLineError("unknown option " + name + " (see --help)");
  }
}

changeOptions parseChangeOptions(const std::vector<std::string>& args) {
  changeOptions o;
  for (std::size_t at = 0; at < args.size() && !o.help; ++at) takeWord(args, at, o);
  if (o.help) return o;
  if (o.periods.empty()) commandLineError("no period given: --period LABEL NODES CONNECTIONS, once for each period");
  if (!o.landAreaGiven || !(o.landArea > 0))
    commandLineError("--landArea AL is required and must be above 0: the first period is compared with it");
  if (o.kind == pairValue::distance && !o.confProb)
    commandLineError("-confProb D P is required with distances (-t dist): the probability P at distance D");
  if (o.confProb && (!(o.confProb->first > 0) || !(o.confProb->second > 0 && o.confProb->second < 1)))
    commandLineError("-confProb D P needs a distance above 0 and a probability between 0 and 1 (both excluded)");
  if (!o.chart.empty() && imageFormatOf(o.chart) == imageFormat::none)
    commandLineError("--chart " + o.chart + ": the chart is written as PNG or SVG; name it .png or .svg");
  for (const period& p : o.periods) checkDistinctOutputs(p.nodes, {o.out, o.chart}), checkDistinctOutputs(p.connections, {o.out, o.chart});
  checkDistinctOutputs("", {o.out, o.chart});
  return o;
}

// The sum of the attributes of the existing patches, read as the core reads
// them (single precision), from a node file the core has just accepted.
double habitatOf(const std::string& nodeFile) {
  std::ifstream in(nodeFile);
  double sum = 0;
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    double id = 0, attribute = 0, existing = 1;
    if (!(words >> id >> attribute)) continue;
    if (words >> existing && existing == 0) continue;
    sum += static_cast<float>(attribute);
  }
  return sum;
}

periodMeasure measurePeriod(const period& p, const changeOptions& o) {
  landscapeFiles files;
  files.nodeFile = p.nodes;
  files.connectionFile = p.connections;
  files.reading.kind = o.kind;
  files.reading.everyPair = o.everyPair;
  files.reading.symmetric = o.symmetric;
  analysisOptions options;
  options.indices.PC = true;
  if (o.confProb) options.confProb = {static_cast<float>(o.confProb->first), static_cast<float>(o.confProb->second)};
  options.landArea = static_cast<float>(o.landArea);
  options.onlyOverall = true;
  options.sinks.tell = [&p](const std::string& line) { warn("period " + p.label + ": " + line); };
  try {
    const analysisResults r = analyse(files, options);
    return {p.label, habitatOf(p.nodes), r.overallValue("EC(PC)")};
  } catch (const verdalisError& e) {
    inputError("period " + p.label + ": Verdalis could not compute ECA on " + p.nodes + " and " + p.connections +
               (std::string(e.what()).empty() ? "" : ": " + std::string(e.what())));
  }
}

std::string tableText(const std::vector<periodChange>& changes) {
  std::string text = "period\tA\tECA\tECA_pct_landscape\tECA_pct_habitat\tdA\tdECA\trECA\tchange\n";
  for (const periodChange& c : changes)
    text += c.label + "\t" + exactText(c.habitat) + "\t" + exactText(c.eca) + "\t" + exactText(c.ecaPercentOfLandscape) +
            "\t" + exactText(c.ecaPercentOfHabitat) + "\t" + exactText(c.dA) + "\t" + exactText(c.dECA) + "\t" +
            exactText(c.rECA) + "\t" + c.change + "\n";
  return text;
}

int changeMain(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    printBareUsage(changeUsage);
    return 0;
  }
  const changeOptions o = parseChangeOptions(args);
  if (o.help) {
    std::cout << changeUsage << "\n" << exitStatusText;
    return 0;
  }
  checkWritable({o.out, o.chart});
  std::vector<periodMeasure> measures;
  for (const period& p : o.periods) measures.push_back(measurePeriod(p, o));
  const std::vector<periodChange> changes = periodChanges(measures, o.landArea);
  const std::string text = tableText(changes);
  std::unique_ptr<stagedFile> table = o.out.empty() ? nullptr : std::make_unique<stagedFile>(o.out);
  std::unique_ptr<stagedFile> chart = o.chart.empty() ? nullptr : std::make_unique<stagedFile>(o.chart);
  if (table) writeStagedText(*table, text);
  if (chart) drawChangeChart(*chart, changes, o.title);
  if (table) table->commit();
  if (chart) chart->commit();
  if (!table) std::cout << text;
  else std::cout << "Wrote " << o.out << ": " << changes.size() << " period" << (changes.size() == 1 ? "" : "s") << "\n";
  if (chart) std::cout << "Drew A and ECA over the periods to " << o.chart << "\n";
  return 0;
}
}  // namespace

}  // namespace verdalis::gis

int main(int argc, char** argv) { return verdalis::gis::runProgram("verdalis-change", verdalis::gis::changeMain, argc, argv); }
