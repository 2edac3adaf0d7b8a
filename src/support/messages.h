#pragma once
// Console output and the memory-failure texts shared by every layer.
#include <cstdio>
#include <functional>
#include <new>
#include <string>

namespace verdalis {

// Payloads of the exceptions that end a run when memory runs out.
inline const char* const kNoMemory =
    " Not enough memory.\n Please restart the software and \n try with a lower number of nodes";
inline const char* const kNoMemoryRows =
    "Not enough memory.\n Please restart the software \n and try with a lower number of nodes";
inline const char* const kNoMemoryFirst =
    "Not enough memory.\n Please restart the software \n and try with a lower number of nodes";
inline const char* const kNoMemoryCCP =
    " Not enough memory in Generate fuction of indexCCP.\n Please restart the software and \n try with a lower number of nodes";

// Runs an allocation step; exhausted memory becomes the C-string exception
// that the run driver turns into "error23".
template <class F>
void guardAlloc(const char* message, F&& step) {
  try {
    step();
  } catch (const std::bad_alloc&) {
    throw message;
  }
}

// Where the console text goes besides standard output. A process that only
// helps another with a run stays quiet; a process measuring cases for
// another keeps their text, which the speaking process prints in order.
// A caller of the library may take the run log and the lines for the user
// itself (sinks), and show the phases of a long run its own way.
struct consoleRoute {
  bool quiet = false;
  std::string* kept = nullptr;
  std::function<void(const std::string&)> logSink;
  std::function<void(const std::string&)> tellSink;
  bool phaseLines = true;  // "Node removals: 37% done, ..." on standard error
};

inline consoleRoute& console() {
  static consoleRoute route;
  return route;
}

// Every console text goes through here, so that it lands wherever standard
// output points at the moment (the console, or a run's log file).
inline void say(const std::string& text) {
  consoleRoute& route = console();
  if (route.kept != nullptr)
    route.kept->append(text);
  else if (route.quiet)
    return;
  else if (route.logSink)
    route.logSink(text);
  else
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// The "Error: %s\n" format used by the checks and readers.
inline void sayError(const std::string& text) { say("Error: " + text + "\n"); }

// A line for the user beside the run log: warnings, what a reader found and
// the closing summary. Standard output keeps the run log byte for byte (and
// goes to the log file with -noout), so these lines go to standard error.
// Standard output is flushed first, so that a console that shows both keeps
// them in the order they were said.
inline void tellUser(const std::string& line) {
  if (console().quiet) return;
  if (console().tellSink) {
    console().tellSink(line);
    return;
  }
  std::fflush(stdout);
  const std::string text = line + "\n";
  std::fwrite(text.data(), 1, text.size(), stderr);
}

}  // namespace verdalis
