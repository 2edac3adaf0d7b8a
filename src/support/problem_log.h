#pragma once
// The problems a run or a command line tells the user on standard error,
// beside the messages of the run log. The log keeps its fixed words on
// standard output (and in the log file with -noout); each problem is told
// once more, as one line that says what was found and what to do, where a
// user who sends the log to a file still sees it. A problem that many lines
// repeat (338 connection lines naming unknown identifiers) is told once, with
// its count and its first three examples.
#include <string>
#include <vector>

namespace verdalis {

enum class problemLevel { error, warning };

class problemLog {
 public:
  // Notes one occurrence of the problem `kind`. The first occurrence of a
  // kind fixes its level and its text; each occurrence may bring an example
  // ("line 4"), of which the first three are told.
  // `counted` names what the count counts ("lines", "pairs").
  void note(problemLevel level, const std::string& kind, const std::string& text, const std::string& example = "",
            const char* counted = "times");

  // Tells every kind noted since the last call, in the order they were
  // first noted, as "Error: ..." or "Warning: ...", and forgets them.
  // Returns the number of warning lines told.
  int tell();

  bool empty() const { return kinds.empty(); }
  // The kinds noted and not told yet, of either level.
  int pending(problemLevel level) const;
  void clear() { kinds.clear(); }

 private:
  struct kindEntry {
    std::string kind;
    problemLevel level = problemLevel::error;
    std::string text;
    long long count = 0;
    std::vector<std::string> examples;
    const char* counted = "times";
  };
  std::vector<kindEntry> kinds;
};

// The line a kind is told as: its text, then its count and first examples
// when there are several ("(338 lines; the first: line 4, line 9, line 12)"),
// or its one example.
std::string problemLine(problemLevel level, const std::string& text, long long count,
                        const std::vector<std::string>& examples, const char* counted = "times");

// The problems of the command line and of the run under way.
problemLog& problems();

}  // namespace verdalis
