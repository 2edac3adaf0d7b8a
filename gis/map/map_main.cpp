// verdalis-map: the result files of a Verdalis run joined to the patch layer,
// written as a GeoPackage and drawn as a map (map_run.h does the work).
#include <iostream>

#include "common/failure.h"
#include "map/map_options.h"
#include "map/map_run.h"

namespace verdalis::gis {

namespace {
int mapMain(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    printBareUsage(mapUsage);
    return 0;
  }
  const mapOptions o = parseMapOptions(args);
  if (o.help) {
    std::cout << mapUsage << "\n" << exitStatusText;
    return 0;
  }
  std::cout << runMap(o).report;
  return 0;
}
}  // namespace

}  // namespace verdalis::gis

int main(int argc, char** argv) { return verdalis::gis::runProgram("verdalis-map", verdalis::gis::mapMain, argc, argv); }
