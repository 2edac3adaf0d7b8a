#pragma once
// Shared helpers of the analysis tests: a run object set up in memory, as
// loading would leave it, without any input file.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "program/quivaraProgram.h"

namespace verdalis {

// The selected indices, by their command-line names.
struct indexChoice {
  bool a = false, nl = false, nc = false, h = false, ccp = false, lcp = false, iic = false;
  bool f = false, awf = false, pc = false, bc = false, bcpc = false, bciic = false;
};

// Distances with a 1000 threshold and probability 0.5 at 1000, unless a test
// says otherwise.
template <class T>
std::unique_ptr<quivaraProgram<T>> blankProgram(const indexChoice& c = indexChoice()) {
  auto p = std::make_unique<quivaraProgram<T>>(
      true, false, false, c.a, c.ccp, c.lcp, c.iic, c.nc, c.nl, c.h, c.f, c.awf, c.pc, c.bc, c.bcpc, c.bciic,
      "nodes.txt", "connections.txt", 1000.0f, 1000.0f, 0.5f, 0.0f, true, false, false, false, false, false, false,
      false, -1.0f, false, 1.0f);
  // What the initial check derives from the selection.
  p->adjType = c.ccp || c.lcp || c.iic || c.nc || c.nl || c.h || c.bc || c.bciic;
  p->probType = c.f || c.awf || c.pc || c.bcpc;
  p->componentType = c.ccp || c.lcp || c.nc;
  p->betweenness_centrality = c.bc;
  return p;
}

inline float noLink() { return std::numeric_limits<float>::max(); }

// The loaded state: existing nodes with their pair values (row i, column j),
// candidates with theirs towards every existing node, and the link stores of
// the analyses already switched on.
template <class T>
void loadNodes(quivaraProgram<T>& p, const std::vector<float>& sizes, const std::vector<std::vector<float>>& pairs,
               const std::vector<float>& candidateSizes = {},
               const std::vector<std::vector<float>>& candidatePairs = {}) {
  const int n = static_cast<int>(sizes.size());
  const int m = static_cast<int>(candidateSizes.size());
  p.nNodes = n;
  p.nNodesAdd = m;
  p.nNodesTotal = n + m;
  p.size = sizes;
  p.sizeAdd = candidateSizes;
  p.label.clear();
  p.labelAdd.clear();
  p.sizeTotalHabitat = 0;
  for (int i = 0; i < n; ++i) {
    p.label.push_back(101 + i);
    p.sizeTotalHabitat += sizes[i];
  }
  for (int k = 0; k < m; ++k) p.labelAdd.push_back(901 + k);
  p.connections.assign(n, n, p.inputDist ? noLink() : 0.0f);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) p.connections(i, j) = pairs[i][j];
  p.connectionsAdd.assign(m, n, 0.0f);
  for (int k = 0; k < m; ++k)
    for (int j = 0; j < n; ++j) p.connectionsAdd(k, j) = candidatePairs[k][j];
  delete p.landGlobal;
  p.landGlobal = new landscape<T>();
  p.landDel.assign(n, landscape<T>());
  p.landAdd.assign(m, landscape<T>());
  const std::size_t count = n < 2 ? 0 : static_cast<std::size_t>(n) * (n - 1) / 2;
  if (p.linkImportances1Flag) p.landDelCon.assign(count, linkValues<T>());
  if (p.linkImportances2Flag) p.landConSure.assign(count, linkValues<T>());
  if (p.linkImportances3Flag) {
    p.landConDiff.assign(count, linkValues<T>());
    p.connectionsDiff = p.connections;
  }
}

// n nodes of attribute 1 on a path, neighbours at distance 500, the rest
// unlinked.
template <class T>
void loadPath(quivaraProgram<T>& p, int n) {
  std::vector<std::vector<float>> pairs(n, std::vector<float>(n, noLink()));
  for (int i = 0; i < n; ++i) pairs[i][i] = 0;
  for (int i = 1; i < n; ++i) pairs[i][i - 1] = pairs[i - 1][i] = 500;
  loadNodes(p, std::vector<float>(n, 1.0f), pairs);
}

// Everything printed while the step runs.
template <class F>
std::string captured(F&& step) {
  testing::internal::CaptureStdout();
  step();
  return testing::internal::GetCapturedStdout();
}

}  // namespace verdalis
