#pragma once
// Runs the built program on one case folder of tests/data/golden and compares
// what it leaves behind with the hand-derived files of the case.
//
// A case folder holds the input files, "command.txt" (the arguments of one
// run per line), "README.txt" (the derivation), optionally "stdout.txt" (the
// expected console text with time stamps and durations masked) and the folder
// "expected" with every result file the runs must produce, byte for byte.
// Standard error (warnings and closing summaries) is kept apart from the
// console text.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace verdalis {

namespace golden {

namespace fs = std::filesystem;

inline std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline bool isCaseMetadata(const std::string& name) {
  return name == "command.txt" || name == "README.txt" || name == "stdout.txt";
}

// Calendar stamps and durations change from run to run; everything else of
// the console text is fixed.
inline std::string maskConsole(const std::string& text) {
  static const std::regex stamp("[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}");
  static const std::regex duration("( [0-9]+ (days|hours|minutes))* [0-9]+ seconds");
  return std::regex_replace(std::regex_replace(text, stamp, "<TIME>"), duration, " <DURATION>");
}

class goldenCase {
 public:
  explicit goldenCase(const std::string& name) : source_(fs::path(VERDALIS_TEST_DATA) / "golden" / name) {
    std::string pattern = (fs::temp_directory_path() / ("verdalis_golden_" + name + "_XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "no temporary folder";
    root_ = pattern;
    work_ = root_ / "work";
    fs::create_directory(work_);
    for (const auto& entry : fs::directory_iterator(source_)) {
      const std::string file = entry.path().filename().string();
      if (!entry.is_regular_file() || isCaseMetadata(file)) continue;
      fs::copy_file(entry.path(), work_ / file);
      inputs_.insert(file);
    }
  }
  ~goldenCase() { fs::remove_all(root_); }
  goldenCase(const goldenCase&) = delete;
  goldenCase& operator=(const goldenCase&) = delete;

  // Runs every line of command.txt in the working folder, in order, and
  // returns the exit status of each run.
  std::vector<int> runAll() {
    std::vector<int> statuses;
    std::istringstream lines(readFile(source_ / "command.txt"));
    std::string arguments;
    while (std::getline(lines, arguments)) {
      if (arguments.empty()) continue;
      // Standard output is the run log; warnings and the closing summary go
      // to standard error and are kept apart.
      const std::string command = "cd '" + work_.string() + "' && '" VERDALIS_BINARY "' " + arguments + " >> '" +
                                  (root_ / "console.txt").string() + "' 2>> '" + (root_ / "stderr.txt").string() +
                                  "'";
      const int raw = std::system(command.c_str());
      statuses.push_back(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1);
    }
    return statuses;
  }

  std::string console() const { return readFile(root_ / "console.txt"); }
  std::string errorConsole() const { return readFile(root_ / "stderr.txt"); }
  std::string expectedConsole() const { return readFile(source_ / "stdout.txt"); }
  bool hasExpectedConsole() const { return fs::exists(source_ / "stdout.txt"); }

  // The working folder must hold exactly the expected result files (besides
  // the inputs), each equal byte for byte.
  void expectResultFiles() const {
    std::set<std::string> produced, expected;
    for (const auto& entry : fs::directory_iterator(work_)) {
      const std::string file = entry.path().filename().string();
      if (!inputs_.count(file)) produced.insert(file);
    }
    for (const auto& entry : fs::directory_iterator(source_ / "expected")) {
      expected.insert(entry.path().filename().string());
    }
    EXPECT_EQ(produced, expected) << "set of result files of " << source_.filename();
    for (const std::string& file : expected) {
      if (!produced.count(file)) continue;
      EXPECT_EQ(readFile(work_ / file), readFile(source_ / "expected" / file)) << "result file " << file;
    }
  }

 private:
  fs::path source_, root_, work_;
  std::set<std::string> inputs_;
};

// Runs a case whose runs all end with the given exit status and compares its
// result files, and its console text when the case gives one.
inline void checkCase(const std::string& name, int status) {
  goldenCase run(name);
  for (int each : run.runAll()) EXPECT_EQ(each, status) << "exit status in case " << name;
  run.expectResultFiles();
  if (run.hasExpectedConsole()) {
    EXPECT_EQ(maskConsole(run.console()), run.expectedConsole());
  }
}

}  // namespace golden

}  // namespace verdalis
