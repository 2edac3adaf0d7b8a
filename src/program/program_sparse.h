#pragma once
// A "notall" connection file in the sparse form: the lines are gathered,
// sorted into rows of listed pairs (the later line for a pair wins, as it
// overwrites a matrix cell), and every query of a pair that no line lists
// gives the no-link value, as the matrices would. The matrices of the dense
// form are built from the rows only when the final plan turns the run dense.
// Also the phases of the sparse form that the engine's request does not
// cover: the global landscape and the candidates, each measured in full.
// Included from program_impl.h only.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "engine/sparse_measure.h"
#include "indices/terms.h"
#include "landscape/landscape.h"
#include "landscape/sparse_landscape.h"
#include "program/engine_runs.h"
#include "program/program_sparse_links.h"
#include "program/quivaraProgram.h"
#include "support/messages.h"

namespace verdalis {

// The lines of a "notall" file before they are sorted into rows: the pair,
// the values, and the line's place in the file.
struct connectionLine {
  int from = 0, to = 0;
  float value = 0, changed = 0;
  std::uint32_t order = 0;
};

struct listedLines {
  std::vector<connectionLine> existing, candidates;
};

template <class T>
float quivaraProgram<T>::noLinkValue() const {
  return inputDist ? std::numeric_limits<float>::max() : 0.0f;
}

template <class T>
float quivaraProgram<T>::connectionValue(int i, int j) const {
  return heldSparse() ? listed.at(i, j, noLinkValue()) : connections(i, j);
}

template <class T>
float quivaraProgram<T>::changedValue(int i, int j) const {
  if (!heldSparse()) return connectionsDiff(i, j);
  return i > j ? listedChanged.at(i, j, noLinkValue()) : listedChanged.at(j, i, noLinkValue());
}

// Rows of `rows` origins from lines sorted by (from, to, order): the last
// line of each pair gives its value.
inline listedPairs rowsOfLines(int rows, const std::vector<connectionLine>& lines, bool changedValue) {
  listedPairs out;
  out.n = rows;
  guardAlloc(kNoMemory, [&] { out.start.assign(static_cast<std::size_t>(rows) + 1, 0); });
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const bool lastOfPair = k + 1 == lines.size() || lines[k + 1].from != lines[k].from || lines[k + 1].to != lines[k].to;
    if (!lastOfPair) continue;
    guardAlloc(kNoMemory, [&] {
      out.to.push_back(lines[k].to);
      out.value.push_back(changedValue ? lines[k].changed : lines[k].value);
    });
    ++out.start[lines[k].from + 1];
  }
  for (int r = 0; r < rows; ++r) out.start[r + 1] += out.start[r];
  return out;
}

inline void sortLines(std::vector<connectionLine>& lines) {
  std::sort(lines.begin(), lines.end(), [](const connectionLine& a, const connectionLine& b) {
    if (a.from != b.from) return a.from < b.from;
    if (a.to != b.to) return a.to < b.to;
    return a.order < b.order;
  });
}

// The fourth column: each line sets both directions of its pair, so the
// last line naming the pair either way wins; kept by later node.
inline listedPairs changedRows(int n, const std::vector<connectionLine>& existing) {
  std::vector<connectionLine> byPair;
  guardAlloc(kNoMemory, [&] { byPair.reserve(existing.size()); });
  for (const connectionLine& l : existing)
    if (l.from != l.to) byPair.push_back({std::max(l.from, l.to), std::min(l.from, l.to), l.value, l.changed, l.order});
  sortLines(byPair);
  return rowsOfLines(n, byPair, true);
}

// Sorts the gathered lines into the program's rows.
template <class T>
void settleListedLines(quivaraProgram<T>& p, listedLines& lines) {
  if (p.linkImportances3Flag) p.listedChanged = changedRows(p.nNodes, lines.existing);
  sortLines(lines.existing);
  p.listed = rowsOfLines(p.nNodes, lines.existing, false);
  std::vector<connectionLine>().swap(lines.existing);
  sortLines(lines.candidates);
  p.listedCandidates = rowsOfLines(p.nNodesAdd, lines.candidates, false);
}

// -symmetric: the pairs listed one way gain the other direction, with the
// value of the listed one.
template <class T>
void addMirrored(quivaraProgram<T>& p, const std::vector<std::pair<int, int>>& mirrored) {
  if (mirrored.empty()) return;
  std::vector<connectionLine> all;
  guardAlloc(kNoMemory, [&] { all.reserve(p.listed.size() + mirrored.size()); });
  for (int i = 0; i < p.nNodes; ++i)
    for (std::size_t e = p.listed.start[i]; e < p.listed.start[i + 1]; ++e)
      all.push_back({i, p.listed.to[e], p.listed.value[e], 0, 0});
  for (const auto& [from, to] : mirrored) all.push_back({to, from, p.listed.at(from, to, 0), 0, 0});
  sortLines(all);
  p.listed = rowsOfLines(p.nNodes, all, false);
}

// The matrices of the dense form from the rows of the listed pairs.
template <class T>
void matricesOfLists(quivaraProgram<T>& p) {
  const std::size_t n = static_cast<std::size_t>(p.nNodes), m = static_cast<std::size_t>(p.nNodesAdd);
  const float none = p.noLinkValue();
  guardAlloc(kNoMemory, [&] { p.connections.assign(n, n, none); });
  if (p.linkImportances3Flag) guardAlloc(kNoMemory, [&] { p.connectionsDiff.assign(n, n, none); });
  guardAlloc(kNoMemory, [&] { p.connectionsAdd.assign(m, n, none); });
  const listedPairs& listed = p.listed;
  for (int i = 0; i < p.nNodes; ++i)
    for (std::size_t e = listed.start[i]; e < listed.start[i + 1]; ++e) p.connections(i, listed.to[e]) = listed.value[e];
  const listedPairs& changed = p.listedChanged;
  if (p.linkImportances3Flag)
    for (int i = 0; i < p.nNodes; ++i)
      for (std::size_t e = changed.start[i]; e < changed.start[i + 1]; ++e)
        p.connectionsDiff(i, changed.to[e]) = p.connectionsDiff(changed.to[e], i) = changed.value[e];
  const listedPairs& candidates = p.listedCandidates;
  for (int c = 0; c < p.nNodesAdd; ++c)
    for (std::size_t e = candidates.start[c]; e < candidates.start[c + 1]; ++e)
      p.connectionsAdd(c, candidates.to[e]) = candidates.value[e];
}

template <class T>
connectionRules rulesOf(const quivaraProgram<T>& p) {
  connectionRules r;
  r.inputDist = p.inputDist;
  r.inputProb = p.inputProb;
  r.inputAdjacen = p.inputAdjacen;
  r.adjacentTail = p.adjacentTail;
  r.kProbProb = p.kProbProb;
  r.kDistanceProb = p.kDistanceProb;
  r.adjType = p.adjType;
  r.probType = p.probType;
  return r;
}

// The global landscape of the sparse form, from the listed pairs.
template <class T>
void buildSparseGlobal(quivaraProgram<T>& p) {
  p.sparseGlobal = buildSparseLandscape(p.size, p.listed, rulesOf(p), truncatedArea(p.sizeLandscapeArea), p.minProb,
                                        p.allpaths);
}

// The global landscape measured in the sparse form: its values go into
// landGlobal, whose node rows stay empty.
template <class T>
void measureGlobalSparse(quivaraProgram<T>& p) {
  engineRequest<T> request = requestOf(p);
  request.pcParts = p.pcFlag;
  request.pcProgress = pcProgressLines(p.nNodes);
  // The processes of a run share PC's sources.
  request.group = &processes();
  addEngineTimes(p, measureSparse(request, *p.landGlobal, nullptr));
}

// Candidate k added to a landscape of the sparse form: the variant measured
// source by source, with the fractions of the added node (numerator sums).
template <class T>
void addCandidateSparse(quivaraProgram<T>& p, int k) {
  const listedPairs& rows = p.listedCandidates;
  const std::vector<int> to(rows.to.begin() + static_cast<std::ptrdiff_t>(rows.start[k]),
                            rows.to.begin() + static_cast<std::ptrdiff_t>(rows.start[k + 1]));
  const std::vector<float> values(rows.value.begin() + static_cast<std::ptrdiff_t>(rows.start[k]),
                                  rows.value.begin() + static_cast<std::ptrdiff_t>(rows.start[k + 1]));
  const sparseLandscape variantGraph = withCandidate(p.sparseGlobal, p.sizeAdd[k], to, values, rulesOf(p));
  engineRequest<T> request = requestOf(p);
  request.sparse = &variantGraph;
  request.focus = p.nNodes;
  request.pcProgress = pcProgressLines(variantGraph.n);
  landscape<T>& variant = p.landAdd[k];
  focusSums parts;
  addEngineTimes(p, measureSparse(request, variant, &parts));
  const landscape<T>& g = *p.landGlobal;
  if (p.iicFlag) {
    variant.assigna_iicintra(parts.iicIntra);
    variant.assigna_iicflux(parts.iicFlux);
    variant.assigna_iicconnector(
        connectorOf(static_cast<T>(variant.iicnum - g.iicnum), parts.iicIntra, parts.iicFlux));
  }
  if (p.pcFlag) {
    variant.assigna_pcintra(parts.pcIntra);
    variant.assigna_pcflux(parts.pcFlux);
    variant.assigna_pcconnector(connectorOf(static_cast<T>(variant.pcnum - g.pcnum), parts.pcIntra, parts.pcFlux));
  }
}

}  // namespace verdalis
