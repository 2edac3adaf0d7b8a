#pragma once
// A "notall" connection file held by neighbour: the lines are gathered,
// sorted into rows of listed pairs (the later line for a pair wins, as it
// overwrites a matrix cell), and every query of a pair that no line lists
// gives the no-link value, as the matrices would. The full matrices are
// built only when the run needs a path that works on them.
// Included from program_impl.h only.
#include <algorithm>
#include <ctime>
#include <cstdint>
#include <limits>
#include <vector>

#include "engine/sparse_measure.h"
#include "engine/sparse_removal.h"
#include "indices/terms.h"
#include "landscape/landscape.h"
#include "landscape/sparse_landscape.h"
#include "program/engine_runs.h"
#include "program/program_links_by_neighbour.h"
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
  return byNeighbour ? listed.at(i, j, noLinkValue()) : connections(i, j);
}

template <class T>
float quivaraProgram<T>::changedValue(int i, int j) const {
  if (!byNeighbour) return connectionsDiff(i, j);
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

template <class T>
bool quivaraProgram<T>::byNeighbourApplies() const {
  return !structType && fastMode && !denseInput && !dijkstraSaving;
}

// The full matrices of the listed pairs, for the paths that need them.
template <class T>
void quivaraProgram<T>::makeDense() {
  if (!byNeighbour) return;
  const std::size_t n = static_cast<std::size_t>(nNodes), m = static_cast<std::size_t>(nNodesAdd);
  const float none = noLinkValue();
  guardAlloc(kNoMemory, [&] { connections.assign(n, n, none); });
  if (linkImportances3Flag) guardAlloc(kNoMemory, [&] { connectionsDiff.assign(n, n, none); });
  guardAlloc(kNoMemory, [&] { connectionsAdd.assign(m, n, none); });
  for (int i = 0; i < nNodes; ++i)
    for (std::size_t e = listed.start[i]; e < listed.start[i + 1]; ++e) connections(i, listed.to[e]) = listed.value[e];
  if (linkImportances3Flag)
    for (int i = 0; i < nNodes; ++i)
      for (std::size_t e = listedChanged.start[i]; e < listedChanged.start[i + 1]; ++e)
        connectionsDiff(i, listedChanged.to[e]) = connectionsDiff(listedChanged.to[e], i) = listedChanged.value[e];
  for (int c = 0; c < nNodesAdd; ++c)
    for (std::size_t e = listedCandidates.start[c]; e < listedCandidates.start[c + 1]; ++e)
      connectionsAdd(c, listedCandidates.to[e]) = listedCandidates.value[e];
  byNeighbour = false;
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

// The options asked for that only the full matrices serve. The link
// analyses and BC, BC(IIC) and BC(PC) are measured by neighbour too; a
// distance threshold as high as the no-link distance links every pair that
// no line lists, which only the matrices hold.
template <class T>
bool optionsNeedFullMatrices(const quivaraProgram<T>& p) {
  return p.adjType && isBinaryLink(p.noLinkValue(), p.inputDist, p.inputProb, p.inputAdjacen, p.adjacentTail);
}

// What the run asks for, or what its values hold, that only the full
// matrices serve.
template <class T>
bool needsFullMatrices(const quivaraProgram<T>& p) {
  if (optionsNeedFullMatrices(p) || changesNeedFullMatrices(p)) return true;
  // A probability above 1 gives a negative weight, which only the
  // straightforward searches take; an infinite product of attributes turns
  // the unconnected pairs' zero terms into nan.
  for (float v : p.sparseGlobal.prob)
    if (v > 1.0f) return true;
  return !sparseProductsFinite(p.sparseGlobal);
}

// Decides the form of the run's landscape once the files are read.
template <class T>
void settleLandscapeForm(quivaraProgram<T>& p) {
  if (!p.byNeighbour) return;
  p.sparseGlobal = buildSparseLandscape(p.size, p.listed, rulesOf(p), truncatedArea(p.sizeLandscapeArea), p.minProb,
                                        p.allpaths);
  if (!needsFullMatrices(p)) return;
  p.sparseGlobal = sparseLandscape();
  p.makeDense();
  allocateLinkRecords(p);
}

template <class T>
indexSelection selectionOf(const quivaraProgram<T>& p) {
  indexSelection s;
  s.nl = p.nlFlag;
  s.nc = p.ncFlag;
  s.h = p.hFlag;
  s.ccp = p.ccpFlag;
  s.lcp = p.lcpFlag;
  s.iic = p.iicFlag;
  s.f = p.fFlag;
  s.awf = p.awfFlag;
  s.pc = p.pcFlag;
  return s;
}

template <class T>
void addSparseTimes(quivaraProgram<T>& p, const sparseTimes& t) {
  auto millis = [](long long micros) { return static_cast<std::clock_t>(micros / 1000); };
  p.nlTime += millis(t.nlMicros);
  p.ncTime += millis(t.ncMicros);
  if (p.hFlag && p.iicFlag)
    p.hiicTime += millis(t.binaryMicros);
  else if (p.iicFlag)
    p.iicTime += millis(t.binaryMicros);
  else if (p.hFlag)
    p.hTime += millis(t.binaryMicros);
  (p.ccpFlag ? p.ccpTime : p.lcpTime) += millis(t.ccpMicros);
  p.fTime += millis(t.fMicros);
  p.awfTime += millis(t.awfMicros);
  p.pcTime += millis(t.pcMicros);
}

// The global landscape measured by neighbour: its values go into
// landGlobal, whose node rows stay empty.
template <class T>
void measureGlobalByNeighbour(quivaraProgram<T>& p) {
  sparseMeasureRequest<T> request;
  request.land = &p.sparseGlobal;
  request.indices = selectionOf(p);
  request.adjType = p.adjType;
  request.threads = p.threads;
  request.pcParts = p.pcFlag;
  request.pcProgress = pcProgressLines(p.nNodes);
  addSparseTimes(p, measureSparse(request, *p.landGlobal, nullptr));
}

// The node removals of a landscape held by neighbour; false when it is not.
template <class T>
bool byNeighbourRemovalLoop(quivaraProgram<T>& p) {
  if (!p.byNeighbour || p.nNodes == 0) return false;
  sparseRemovalRequest<T> request;
  request.land = &p.sparseGlobal;
  request.global = p.landGlobal;
  request.indices = selectionOf(p);
  request.adjType = p.adjType;
  request.threads = p.threads;
  request.progress = &runProgress();
  {
    progressPhase phase("Node removals", p.nNodes);
    shareRemovals(p, [&](const variantRange& share) {
      request.variants = share;
      return measureNodeRemovalsSparse(request);
    });
  }
  sayRemovalProgress(p);
  return true;
}

// Candidate k added to a landscape held by neighbour: the variant measured
// source by source, with the fractions of the added node (numerator sums).
template <class T>
void addCandidateByNeighbour(quivaraProgram<T>& p, int k) {
  const listedPairs& rows = p.listedCandidates;
  const std::vector<int> to(rows.to.begin() + static_cast<std::ptrdiff_t>(rows.start[k]),
                            rows.to.begin() + static_cast<std::ptrdiff_t>(rows.start[k + 1]));
  const std::vector<float> values(rows.value.begin() + static_cast<std::ptrdiff_t>(rows.start[k]),
                                  rows.value.begin() + static_cast<std::ptrdiff_t>(rows.start[k + 1]));
  const sparseLandscape variantGraph = withCandidate(p.sparseGlobal, p.sizeAdd[k], to, values, rulesOf(p));
  sparseMeasureRequest<T> request;
  request.land = &variantGraph;
  request.indices = selectionOf(p);
  request.adjType = p.adjType;
  request.threads = p.threads;
  request.focus = p.nNodes;
  request.pcProgress = pcProgressLines(variantGraph.n);
  landscape<T>& variant = p.landAdd[k];
  focusSums parts;
  addSparseTimes(p, measureSparse(request, variant, &parts));
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
