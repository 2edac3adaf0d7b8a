#pragma once
// The command line of verdalis-map.
#include <optional>
#include <string>
#include <vector>

#include "common/patch_options.h"
#include "map/class_breaks.h"

namespace verdalis::gis {

struct mapOptions {
  patchSourceOptions source;
  std::string resultsFolder;
  std::string prefix;
  std::string out;  // the GeoPackage
  std::string png;
  std::string svg;
  std::string column = "dPC";
  bool columnGiven = false;
  bool links = false;
  std::string linksFrom;  // --links-from: the least-cost paths of verdalis-prep
  int classes = 5;
  std::optional<breakMethod> breaks;  // none: by the skewness of the column
  int width = 1200;
  std::string title;
  bool help = false;
  // The patches of highest value in the column.
  std::size_t labelTop = 0;  // --label-top: labelled on the map
  std::string ranking;       // --ranking: the chart, PNG or SVG
  std::string topFile;       // --top-file: the table
  std::size_t top = 10;      // --top: the patches of the chart and the table
  bool topGiven = false;
};

// Beyond these a map is a cloud of labels and a chart a wall of bars.
constexpr long kMostLabels = 1000;
constexpr std::size_t kMostRankingBars = 100;

mapOptions parseMapOptions(const std::vector<std::string>& args);

// Every output file named on the command line ("" for those not asked for).
std::vector<std::string> mapOutputs(const mapOptions& options);

extern const char* const mapUsage;

}  // namespace verdalis::gis
