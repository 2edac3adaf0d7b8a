// verdalis-prep: from a polygon layer or a land-cover raster to Verdalis's
// node file and connection file (prep_run.h does the work).
#include <iostream>

#include "common/failure.h"
#include "prep/dispersal_guide.h"
#include "prep/layer_fields.h"
#include "prep/prep_options.h"
#include "prep/prep_run.h"

namespace verdalis::gis {

namespace {
int prepMain(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    printBareUsage(prepUsage);
    return 0;
  }
  const prepOptions o = parsePrepOptions(args);
  if (o.help) {
    std::cout << prepUsage << "\n" << exitStatusText;
    return 0;
  }
  if (o.listFields) {
    listFields(o.source.input, o.source.layer);
    return 0;
  }
  if (o.suggestionOnly) {
    std::cout << suggestionText(*o.suggestFor, o.floor) << "\n";
    return 0;
  }
  std::cout << runPrep(o, prepArrays::dropped).report;
  return 0;
}
}  // namespace

}  // namespace verdalis::gis

int main(int argc, char** argv) { return verdalis::gis::runProgram("verdalis-prep", verdalis::gis::prepMain, argc, argv); }
