// The built program interrupted in the middle of a long analysis: it stops at
// once with 130 (SIGINT) or 143 (SIGTERM), and the result files of an earlier
// complete run under the same names, overwritten or appended ones alike, are
// left exactly as they were, with no temporary file beside them.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/default_signals.h"

namespace verdalis {

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A full distance file of n patches scattered by a fixed pseudo-random
// sequence over 5 km.
void writeLandscape(const fs::path& folder, int n) {
  std::uint32_t state = 2024;
  auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / 16777216.0;
  };
  std::vector<double> x(n), y(n);
  std::ostringstream nodes, links;
  for (int i = 0; i < n; ++i) {
    x[i] = 5000 * next();
    y[i] = 5000 * next();
    nodes << i + 1 << '\t' << 1 + static_cast<int>(99 * next()) << '\n';
  }
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      if (i != j) links << i + 1 << '\t' << j + 1 << '\t' << std::round(std::hypot(x[i] - x[j], y[i] - y[j])) << '\n';
  std::ofstream(folder / "nodes.txt", std::ios::binary) << nodes.str();
  std::ofstream(folder / "links.txt", std::ios::binary) << links.str();
}

const char* const kOptions[] = {"-nodeFile", "nodes.txt", "-conFile", "links.txt", "-t",        "dist",
                                "all",       "-PC",       "-IIC",     "-confAdj", "1000",      "-confProb",
                                "1000",      "0.5",       "-removal", "-prefix",  "r",         "-reference"};

class Interrupted : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "verdalis_interrupt_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }

  // Starts the program in the folder with the options above; its console
  // goes to console.txt.
  pid_t start() {
    pid_t child = fork();
    if (child == 0) {
      if (chdir(folder.c_str()) != 0) _exit(120);
      if (!freopen("console.txt", "w", stdout)) _exit(121);
      restoreDefaultSignals();
      std::vector<char*> argv{const_cast<char*>(VERDALIS_BINARY)};
      for (const char* option : kOptions) argv.push_back(const_cast<char*>(option));
      argv.push_back(nullptr);
      execv(VERDALIS_BINARY, argv.data());
      _exit(122);
    }
    return child;
  }

  // Waits until the child has installed its handlers (its caught-signal mask
  // in /proc shows SIGINT and SIGTERM), so that the signal never meets a
  // process that is still starting.
  static void awaitHandlers(pid_t child) {
    const std::uint64_t wanted = (1ull << (SIGINT - 1)) | (1ull << (SIGTERM - 1));
    for (int attempt = 0; attempt < 2000; ++attempt) {
      std::istringstream status(readFile("/proc/" + std::to_string(child) + "/status"));
      std::string line;
      while (std::getline(status, line))
        if (line.rfind("SigCgt:", 0) == 0 && (std::stoull(line.substr(7), nullptr, 16) & wanted) == wanted) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  static int finish(pid_t child) {
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
  }

  // Every file of the folder but the console and the inputs, with its content.
  std::map<std::string, std::string> results() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      if (name == "console.txt" || name == "nodes.txt" || name == "links.txt") continue;
      files[name] = readFile(entry.path());
    }
    return files;
  }

  // A complete run on a small landscape leaves the files that the long run
  // would replace or append to; then the long run is interrupted.
  void interruptLongRun(int signal, int expectedStatus) {
    writeLandscape(folder, 5);
    ASSERT_EQ(finish(start()), 0) << readFile(folder / "console.txt");
    const std::map<std::string, std::string> before = results();
    ASSERT_TRUE(before.count("r_node_importances.txt"));
    ASSERT_TRUE(before.count("r_link_importances_removal.txt"));
    ASSERT_TRUE(before.count("node_importances_sum_PC.txt"));
    ASSERT_TRUE(before.count("results_all_overall_indices.txt"));

    // Sixty patches with every link removed in turn take seconds even on a
    // fast machine; the signal comes well inside that.
    writeLandscape(folder, 60);
    const pid_t child = start();
    awaitHandlers(child);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    kill(child, signal);
    EXPECT_EQ(finish(child), expectedStatus);
    EXPECT_EQ(results(), before);
  }

  fs::path folder;
};

TEST_F(Interrupted, SigintStopsTheRunWith130AndKeepsEveryResultFile) { interruptLongRun(SIGINT, 130); }

TEST_F(Interrupted, SigtermStopsTheRunWith143AndKeepsEveryResultFile) { interruptLongRun(SIGTERM, 143); }

}  // namespace

}  // namespace verdalis
