#pragma once
// Shared helpers of the loading tests: a scratch directory for input files,
// a run object built from a few settings, and console capture.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "program/quivaraProgram.h"

namespace verdalis {

// A directory of its own for each test, removed afterwards.
class scratchDir {
 public:
  scratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "verdalis_load_XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    if (made == nullptr) throw std::runtime_error("cannot create a scratch directory");
    path_ = made;
  }
  ~scratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  scratchDir(const scratchDir&) = delete;
  scratchDir& operator=(const scratchDir&) = delete;

  // Writes the bytes as they are (no line-end translation) and returns the path.
  std::string write(const std::string& name, const std::string& content) const {
    std::string file = path_ + "/" + name;
    std::ofstream out(file, std::ios::binary);
    out << content;
    return file;
  }

 private:
  std::string path_;
};

// The settings a loading test varies; the rest are fixed.
struct runSetup {
  bool dist = true, prob = false, adj = false;
  bool a = false, ccp = false, lcp = false, iic = true, nc = false, nl = false, h = false;
  bool f = false, awf = false, pc = false, bc = false, bcpc = false, bciic = false;
  std::string nodes, connections;
  float adjacentTail = 1000, kDistance = 1000, kProb = 0.5f, minProb = 0;
  bool allpaths = false, all = false, add = false;
  bool removal = false, improvement = false, change = false;
  float pij = -1;
  float landArea = 0;
};

inline std::unique_ptr<quivaraProgram<double>> makeProgram(const runSetup& s) {
  return std::make_unique<quivaraProgram<double>>(
      s.dist, s.prob, s.adj, s.a, s.ccp, s.lcp, s.iic, s.nc, s.nl, s.h, s.f, s.awf, s.pc, s.bc, s.bcpc, s.bciic,
      s.nodes, s.connections, s.adjacentTail, s.kDistance, s.kProb, s.minProb, s.allpaths, false, false, false,
      s.all, s.add, s.removal, s.improvement, s.pij, s.change, s.landArea);
}

// Runs the step and returns what it printed on standard output.
template <class F>
std::string printedBy(F&& step) {
  std::fflush(stdout);
  testing::internal::CaptureStdout();
  step();
  std::fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

// Connection lines for every ordered pair of the identifiers 1..n.
inline std::string allPairs(int n, float value = 1) {
  std::string text;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j)
      if (i != j) text += std::to_string(i) + " " + std::to_string(j) + " " + std::to_string(value) + "\n";
  return text;
}

// Node lines "i<TAB>attribute" for the identifiers 1..n.
inline std::string nodeLines(int n, float attribute = 1) {
  std::string text;
  for (int i = 1; i <= n; ++i) text += std::to_string(i) + "\t" + std::to_string(attribute) + "\n";
  return text;
}

}  // namespace verdalis
