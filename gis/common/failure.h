#pragma once
// Failures of the companion programs and the exit status each one gives:
// 1 for a command line that cannot be carried out, 2 for input that cannot be
// read or used and output that cannot be written. Thrown, so that every file
// under way is discarded by its owner on the way out.
#include <functional>
#include <stdexcept>
#include <string>

namespace verdalis::gis {

enum class failureKind { commandLine, inputOutput };

class gisFailure : public std::runtime_error {
 public:
  gisFailure(failureKind kind, const std::string& message)
      : std::runtime_error(message), kind_(kind) {}
  failureKind kind() const { return kind_; }

 private:
  failureKind kind_;
};

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

// Runs a program body and turns its failures into a message and an exit
// status; GDAL's own error output is held back, since the messages say what
// went wrong in the user's terms.
int runProgram(const std::string& name, int (*body)(int, char**), int argc, char** argv);

}  // namespace verdalis::gis
