#pragma once
// Failures of the companion programs and the exit status each one gives:
// 1 for a command line that cannot be carried out, 2 for input that cannot be
// read or used and output that cannot be written. Thrown, so that every file
// under way is discarded by its owner on the way out.
#include <functional>
#include <string>
#include <vector>

#include "verdalis/gis.h"

namespace verdalis::gis {

[[noreturn]] inline void commandLineError(const std::string& message) {
  throw gisFailure(failureKind::commandLine, message);
}
[[noreturn]] inline void inputError(const std::string& message) {
  throw gisFailure(failureKind::inputOutput, message);
}

inline int exitStatusOf(failureKind kind) { return kind == failureKind::commandLine ? 1 : 2; }

// The closing paragraph of both usage texts.
inline constexpr const char* exitStatusText =
    "Exit status: 0 done, 1 bad command line, 2 input that cannot be read or used, or\n"
    "output that cannot be written; 130 or 143 interrupted. No file is ever left\n"
    "half-written.\n";

// What a program run without any argument prints: the first line of its
// usage text and where to find the rest.
void printBareUsage(const char* usage);

// Warnings go to standard error, one line each, after the program's name.
void setProgramName(const std::string& name);
const std::string& programName();
void warn(const std::string& message);
// Where warnings go instead, for a program that gathers them (to count the
// repeated ones); an empty sink sends them to standard error again.
void setWarningSink(std::function<void(const std::string&)> sink);

// While one lives, warn() keeps its lines in `lines` instead of printing
// them (the in-process entries of verdalis/gis.h). One at a time.
class warningsCollected {
 public:
  explicit warningsCollected(std::vector<std::string>& lines);
  ~warningsCollected();
  warningsCollected(const warningsCollected&) = delete;
  warningsCollected& operator=(const warningsCollected&) = delete;
};

// Runs a program body and turns its failures into a message and an exit
// status; GDAL's own error output is held back, since the messages say what
// went wrong in the user's terms.
int runProgram(const std::string& name, int (*body)(int, char**), int argc, char** argv);

}  // namespace verdalis::gis
