#pragma once
// The command line of verdalis-prep.
#include <optional>
#include <string>
#include <vector>

#include "common/patch_options.h"
#include "prep/pair_distances.h"

namespace verdalis::gis {

struct prepOptions {
  patchSourceOptions source;
  std::string nodeFile;
  std::string connectionFile;
  std::string patchLayer;  // --patches: a GeoPackage of the patches as measured
  distanceRequest distances;
  int decimals = 1;
  bool help = false;
};

// Throws a command-line failure for anything it cannot use.
prepOptions parsePrepOptions(const std::vector<std::string>& args);

extern const char* const prepUsage;

}  // namespace verdalis::gis
