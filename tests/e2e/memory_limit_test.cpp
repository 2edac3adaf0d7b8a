// The built program under an address-space limit (ulimit -v) on a landscape
// too large for it: that run ends with "error23" before it loads its files,
// after a line on standard error with what it needs, the next run of the
// same invocation (the next file pair, the next value of a range) still
// runs, and the result files of an earlier complete run are neither
// truncated nor appended to by the failed one. The file-pair case with
// separate logs is in cli_run_test.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "e2e/under_sanitizer.h"

namespace verdalis {

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// A chain of n patches, 100 m apart: its input arrays would fit in the
// limit below, its probability rows and searches would not.
void writeChain(const fs::path& folder, const std::string& nodes, const std::string& links, int n) {
  std::ostringstream nodeText, linkText;
  for (int i = 1; i <= n; ++i) nodeText << i << '\t' << 1 + i % 97 << '\n';
  for (int i = 2; i <= n; ++i) linkText << i << '\t' << i - 1 << "\t100\n" << i - 1 << '\t' << i << "\t100\n";
  std::ofstream(folder / nodes, std::ios::binary) << nodeText.str();
  std::ofstream(folder / links, std::ios::binary) << linkText.str();
}

// Held whole (-dense), a chain of 4000 patches needs far more than the limit.
const char* const kIndices = " -IIC -PC -confAdj 150 -confProb 100 0.5 -threads 2 -dense";
const char* const kLimit = "ulimit -v 400000 && ";

class MemoryLimit : public testing::Test {
 protected:
  void SetUp() override {
#ifdef VERDALIS_UNDER_ASAN
    GTEST_SKIP() << "the address sanitizer cannot run under an address-space limit";
#endif
    std::string pattern = (fs::temp_directory_path() / "verdalis_memory_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    if (!folder.empty()) fs::remove_all(folder, ignored);
  }

  int run(const std::string& arguments, const std::string& shellPrefix = "") {
    const std::string command = "cd '" + folder.string() + "' && " + shellPrefix + "'" VERDALIS_BINARY "' " +
                                arguments + " > console.txt 2>&1";
    const int status = std::system(command.c_str());
    console = readFile(folder / "console.txt");
    fs::remove(folder / "console.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Every result file with its content (the inputs are n_* and c_* files).
  std::map<std::string, std::string> results() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("n_", 0) == 0 || name.rfind("c_", 0) == 0) continue;
      files[name] = readFile(entry.path());
    }
    return files;
  }

  fs::path folder;
  std::string console;
};

// Lines of text that begin with the given prefix column, in order.
std::string linesOf(const std::string& text, const std::string& prefix) {
  std::istringstream in(text);
  std::string kept;
  for (std::string line; std::getline(in, line);)
    if (line.rfind(prefix + "\t", 0) == 0) kept += line + "\n";
  return kept;
}

TEST_F(MemoryLimit, NextFilePairRunsAndTheFailedPairLeavesItsEarlierFilesAlone) {
  writeChain(folder, "n_a.txt", "c_a.txt", 20);
  writeChain(folder, "n_b.txt", "c_b.txt", 10);
  ASSERT_EQ(run(std::string("-nodeFile n_ -conFile c_ -*") + kIndices), 0) << console;
  const std::map<std::string, std::string> before = results();
  ASSERT_TRUE(before.count("a.txt_node_importances.txt"));
  ASSERT_TRUE(before.count("node_importances_sum_PC.txt"));

  writeChain(folder, "n_a.txt", "c_a.txt", 4000);
  EXPECT_EQ(run(std::string("-nodeFile n_ -conFile c_ -*") + kIndices, kLimit), 2);
  // The first pair stops before it loads anything, saying what it needs;
  // the second completes.
  const std::size_t lost = console.find("error23");
  ASSERT_NE(lost, std::string::npos) << console;
  EXPECT_EQ(console.rfind("Number of nodes to process", lost), std::string::npos) << console;
  EXPECT_NE(console.rfind("Not enough memory: this run needs at least ", lost), std::string::npos) << console;
  EXPECT_EQ(count(console, "Not enough memory"), 1u);
  EXPECT_EQ(count(console, "error23"), 1u);
  // "error23" has no line feed of its own; on a console that shows both
  // streams the summary still starts on its own line.
  EXPECT_NE(console.find("error23\nSummary: the run ran out of memory and did not complete.\n"), std::string::npos)
      << console;
  EXPECT_EQ(count(console, "Execution started at: "), 2u);
  EXPECT_EQ(count(console, "Execution ended at: "), 1u);
  EXPECT_NE(console.find("Number of nodes to process: 10\n", lost), std::string::npos);

  const std::map<std::string, std::string> after = results();
  ASSERT_EQ(after.size(), before.size()) << "no file is added, no temporary file is left";
  for (const auto& [name, text] : before) {
    ASSERT_TRUE(after.count(name)) << name;
    const std::string& now = after.at(name);
    if (name.find("sum_") != std::string::npos || name.rfind("results_all_", 0) == 0) {
      // A summary file: the earlier content, then the second pair's block
      // once more, and nothing of the failed pair.
      EXPECT_EQ(now, text + linesOf(text, "b.txt")) << name;
    } else {
      EXPECT_EQ(now, text) << name;
    }
  }
}

TEST_F(MemoryLimit, EveryValueOfARangeRunsThoughEachIsRefused) {
  writeChain(folder, "n_x.txt", "c_x.txt", 10);
  const std::string command = std::string("-nodeFile n_x.txt -conFile c_x.txt -confMultipleValues 100 300 200") +
                              " -IIC -PC -confProb 100 0.5 -threads 2 -dense -prefix r";
  ASSERT_EQ(run(command), 0) << console;
  const std::map<std::string, std::string> before = results();
  ASSERT_TRUE(before.count("r_b_0__p_100_0.5__node_importances.txt")) << before.begin()->first;

  writeChain(folder, "n_x.txt", "c_x.txt", 4000);
  EXPECT_EQ(run(command, kLimit), 2);
  EXPECT_EQ(count(console, "Execution started at: "), 2u) << console;
  EXPECT_EQ(count(console, "error23"), 2u) << console;
  EXPECT_EQ(count(console, "Not enough memory: this run needs at least "), 2u) << console;
  EXPECT_EQ(count(console, "Processing overall landscape indices"), 0u) << console;
  EXPECT_EQ(count(console, "Execution ended at: "), 0u) << console;
  EXPECT_EQ(results(), before);
}

}  // namespace

}  // namespace verdalis
