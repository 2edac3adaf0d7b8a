// The in-process entries of verdalis/gis.h: prep() and map() take the
// programs' command lines and do their work in the caller's process. What
// the programs' runProgram() sets for a whole process is set here for one
// call only: GDAL's messages held back on the calling thread (the failures
// say what went wrong), warnings kept for the caller, the caller's
// runControl installed, and one call at a time with any analysis.
#include <cpl_error.h>
#include <gdal.h>

#include <mutex>
#include <new>

#include "common/failure.h"
#include "library/run_control.h"
#include "map/map_options.h"
#include "map/map_run.h"
#include "prep/prep_options.h"
#include "prep/prep_run.h"
#include "support/cancellation.h"
#include "verdalis/gis.h"

namespace verdalis::gis {

namespace {
class gdalQuiet {
 public:
  gdalQuiet() {
    GDALAllRegister();
    CPLPushErrorHandler(CPLQuietErrorHandler);
  }
  ~gdalQuiet() { CPLPopErrorHandler(); }
  gdalQuiet(const gdalQuiet&) = delete;
  gdalQuiet& operator=(const gdalQuiet&) = delete;
};

void refuseProgramOnly(bool asked, const char* option) {
  if (asked) commandLineError(std::string(option) + " is an option of the program only: its text goes to standard output");
}

template <class Result, class Work>
Result inProcess(runControl* control, Work&& work) {
  std::lock_guard<std::mutex> lock(analysisMutex());
  std::vector<std::string> told;
  warningsCollected warnings(told);
  controlInstalled controlled(control);
  gdalQuiet quiet;
  Result result;
  try {
    result = work();
  } catch (const runStopped&) {
    throw runCancelled("the run was cancelled");
  } catch (const std::bad_alloc&) {
    throw outOfMemory("not enough memory");
  }
  result.warnings = std::move(told);
  return result;
}
}  // namespace

preparedLandscape prep(const std::vector<std::string>& arguments, runControl* control) {
  return inProcess<preparedLandscape>(control, [&] {
    const prepOptions o = parsePrepOptions(arguments, prepOutputs::optional);
    refuseProgramOnly(o.help, "--help");
    refuseProgramOnly(o.listFields, "--fields");
    refuseProgramOnly(o.suggestionOnly, "--suggest-for without an input");
    return runPrep(o, prepArrays::kept);
  });
}

mapReport map(const std::vector<std::string>& arguments, runControl* control) {
  return inProcess<mapReport>(control, [&] {
    const mapOptions o = parseMapOptions(arguments);
    refuseProgramOnly(o.help, "--help");
    return runMap(o);
  });
}

}  // namespace verdalis::gis
