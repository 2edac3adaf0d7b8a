#pragma once
// The command line of verdalis-map.
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
  breakMethod breaks = breakMethod::quantile;
  int width = 1200;
  std::string title;
  bool help = false;
};

mapOptions parseMapOptions(const std::vector<std::string>& args);

extern const char* const mapUsage;

}  // namespace verdalis::gis
