#pragma once
// The pairs the link analyses of a landscape of the sparse form measure, and
// the records they keep. A pair that no line lists, either way, has no link
// and the probability 0: removing it, or giving it the no-link value that a
// change leaves it, changes nothing, so only listed pairs are measured (the
// selected ones, for a removal); making a pair sure always changes it, so
// every selected pair is. The other pairs read the values of the whole
// landscape from their records. Included from program_impl.h only.
#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "landscape/landscape.h"
#include "program/link_records.h"
#include "program/quivaraProgram.h"
#include "support/messages.h"

namespace verdalis {

// What the pair (i, j), i > j, becomes in a link analysis.
template <class T>
pairChange pairChangeOf(const quivaraProgram<T>& p, linkChange kind, int i, int j) {
  pairChange change{i, j, 0.0f, false};
  if (kind == linkChange::madeSure) {
    change.p = 1;
    change.linkedAfter = true;
  } else if (kind == linkChange::changed) {
    const float value = p.changedValue(i, j);
    if (p.inputDist)
      change.p = distanceToProbability(probabilityConstant(p.kProbProb, p.kDistanceProb), value);
    else if (p.inputProb)
      change.p = value;
    change.linkedAfter = isBinaryLink(value, p.inputDist, p.inputProb, p.inputAdjacen, p.adjacentTail);
  }
  return change;
}

// The pairs some line lists either way (with the changed values, those a
// line gives one), as (later, earlier), ascending.
template <class T>
std::vector<std::pair<int, int>> listedPairsOf(const quivaraProgram<T>& p, bool changed) {
  std::vector<std::pair<int, int>> out;
  guardAlloc(kNoMemory, [&] {
    for (int i = 0; i < p.nNodes; ++i)
      for (std::size_t e = p.listed.start[i]; e < p.listed.start[i + 1]; ++e)
        if (p.listed.to[e] != i) out.push_back({std::max(i, p.listed.to[e]), std::min(i, p.listed.to[e])});
    if (changed)
      for (int i = 0; i < p.nNodes; ++i)
        for (std::size_t e = p.listedChanged.start[i]; e < p.listedChanged.start[i + 1]; ++e)
          out.push_back({i, p.listedChanged.to[e]});
  });
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

// Whether the selection rule takes the pairs that no line lists.
template <class T>
bool unlistedSelected(const quivaraProgram<T>& p) {
  return p.valueSelected(p.noLinkValue());
}

// The pairs a link analysis measures in the sparse form, ascending by pair.
template <class T>
std::vector<pairChange> measuredPairsSparse(const quivaraProgram<T>& p, linkChange kind) {
  std::vector<pairChange> pairs;
  auto add = [&](int i, int j) {
    if (kind == linkChange::changed || p.linkSelected(i, j)) pairs.push_back(pairChangeOf(p, kind, i, j));
  };
  if (kind == linkChange::madeSure && unlistedSelected(p)) {
    guardAlloc(kNoMemory, [&] {
      for (int i = 0; i < p.nNodes; ++i)
        for (int j = 0; j < i; ++j) add(i, j);
    });
    return pairs;
  }
  const std::vector<std::pair<int, int>> listed = listedPairsOf(p, kind == linkChange::changed);
  guardAlloc(kNoMemory, [&] {
    for (const auto& [i, j] : listed) add(i, j);
  });
  return pairs;
}

// The measured pairs' values as the records of their analysis.
template <class T>
void keepMeasuredRecords(const quivaraProgram<T>& p, linkRecords<T>& records, const std::vector<pairChange>& pairs,
                         std::vector<linkValues<T>> values) {
  std::vector<std::size_t> at;
  guardAlloc(kNoMemory, [&] { at.reserve(pairs.size()); });
  for (const pairChange& c : pairs) at.push_back(pairIndex(c.a, c.b));
  const std::size_t n = static_cast<std::size_t>(p.nNodes);
  records.keepMeasured(n < 2 ? 0 : n * (n - 1) / 2, std::move(at), std::move(values));
}

// A record for every pair of each requested link analysis, for the dense
// form.
template <class T>
void allocateLinkRecords(quivaraProgram<T>& p) {
  const std::size_t n = static_cast<std::size_t>(p.nNodes);
  const std::size_t pairs = n < 2 ? 0 : n * (n - 1) / 2;
  if (p.linkImportances1Flag) guardAlloc(kNoMemory, [&] { p.landDelCon.assign(pairs, linkValues<T>()); });
  if (p.linkImportances2Flag) guardAlloc(kNoMemory, [&] { p.landConSure.assign(pairs, linkValues<T>()); });
  if (p.linkImportances3Flag) guardAlloc(kNoMemory, [&] { p.landConDiff.assign(pairs, linkValues<T>()); });
}

}  // namespace verdalis
