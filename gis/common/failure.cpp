// Program name, warnings, and the outermost handler that maps failures to
// exit statuses.
#include "common/failure.h"

#include <cpl_error.h>
#include <gdal.h>

#include <iostream>
#include <new>

#include "support/interrupts.h"

namespace verdalis::gis {

namespace {
std::string& nameSlot() {
  static std::string name = "verdalis";
  return name;
}

std::vector<std::string>*& collector() {
  static std::vector<std::string>* lines = nullptr;
  return lines;
}

std::function<void(const std::string&)>& warningSink() {
  static std::function<void(const std::string&)> sink;
  return sink;
}
}  // namespace

void setWarningSink(std::function<void(const std::string&)> sink) { warningSink() = std::move(sink); }

warningsCollected::warningsCollected(std::vector<std::string>& lines) { collector() = &lines; }
warningsCollected::~warningsCollected() { collector() = nullptr; }

void setProgramName(const std::string& name) { nameSlot() = name; }
const std::string& programName() { return nameSlot(); }

void warn(const std::string& message) {
  if (collector() != nullptr) {
    collector()->push_back(message);
    return;
  }
  if (warningSink()) return warningSink()(message);
  std::cerr << programName() << ": warning: " << message << "\n";
}

void printBareUsage(const char* usage) {
  const std::string text = usage;
  std::cout << text.substr(0, text.find('\n') + 1) << "Every option: " << programName() << " --help\n";
}

int runProgram(const std::string& name, int (*body)(int, char**), int argc, char** argv) {
  setProgramName(name);
  installInterruptHandlers();
  CPLSetErrorHandler(CPLQuietErrorHandler);
  GDALAllRegister();
  int status = 0;
  try {
    status = body(argc, argv);
  } catch (const gisFailure& failure) {
    std::cerr << name << ": " << failure.what() << "\n";
    status = exitStatusOf(failure.kind());
  } catch (const std::bad_alloc&) {
    std::cerr << name << ": not enough memory\n";
    status = 2;
  }
  GDALDestroy();
  return status;
}

}  // namespace verdalis::gis
