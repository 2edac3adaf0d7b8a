#pragma once
// The fast engine as the analysis uses it: a request from the run's
// settings, the engine's values placed into the run's variant landscapes
// and link stores, and the console text of each loop, the same as the
// straightforward loops print. Included from program_impl.h only.
#include <cstddef>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "engine/sparse_links.h"
#include "indices/pc_progress.h"
#include "support/messages.h"
#include "support/numfmt.h"
#include "support/progress.h"
#include "support/progress_lines.h"
#include "program/program_links_by_neighbour.h"
#include "program/quivaraProgram.h"
#include "program/shared_cases.h"
#include "support/process_group.h"

namespace verdalis {

// The console text of a loop is gathered and printed in pieces of about
// this size: few writes, and no text of the size of the run held at once.
constexpr std::size_t kConsolePiece = std::size_t{1} << 20;

template <class T>
engineRequest<T> requestOf(const quivaraProgram<T>& p) {
  engineRequest<T> r;
  r.land = p.landGlobal;
  r.indices.nl = p.nlFlag;
  r.indices.nc = p.ncFlag;
  r.indices.h = p.hFlag;
  r.indices.ccp = p.ccpFlag;
  r.indices.lcp = p.lcpFlag;
  r.indices.iic = p.iicFlag;
  r.indices.f = p.fFlag;
  r.indices.awf = p.awfFlag;
  r.indices.pc = p.pcFlag;
  r.adjType = p.adjType;
  r.searches = p.fastPC ? &p.pcSearchesGlobal : nullptr;
  r.threads = p.threads;
  r.progress = &runProgress();
  return r;
}

// The PC progress lines of the sources the engine reports done.
inline sourcesDone pcProgressLines(int n) {
  return [n](int begin, int end) {
    if (!pcSourcesDone(end - begin)) return;
    std::string text;
    for (int s = begin; s < end; ++s) appendPCProgress(text, s, n);
    say(text);
  };
}

// The engine's processor times, into the run's accumulators: IIC and H
// share their searches, as in the straightforward computation.
template <class T>
void addEngineTimes(quivaraProgram<T>& p, const engineTimes& times) {
  p.pcTime += static_cast<std::clock_t>(times.pcMicros / 1000);
  const std::clock_t binaryTime = static_cast<std::clock_t>(times.binaryMicros / 1000);
  if (p.hFlag && p.iicFlag)
    p.hiicTime += binaryTime;
  else if (p.iicFlag)
    p.iicTime += binaryTime;
  else if (p.hFlag)
    p.hTime += binaryTime;
  p.fTime += static_cast<std::clock_t>(times.fMicros / 1000);
}

template <class T>
void placeRemoval(const quivaraProgram<T>& p, const removalValues<T>& r, landscape<T>& v) {
  const landscape<T>& g = *p.landGlobal;
  v.nNodes = g.nNodes - 1;
  v.minProb = g.minProb;
  v.allpaths = g.allpaths;
  v.sizeLandscapeArea = g.sizeLandscapeArea;
  v.sizeTotalHabitat = r.sizeTotalHabitat;
  v.nEdges = r.nEdges;
  v.nl = r.nl;
  v.nComponents = r.nComponents;
  v.nc = r.nc;
  v.h = r.h;
  v.ccp = r.ccp;
  v.lcp = r.lcp;
  v.lcpnum = r.lcpnum;
  v.iic = r.iic;
  v.iicnum = r.iicnum;
  v.iicec = r.iicec;
  v.f = r.f;
  v.awf = r.awf;
  v.pc = r.pc;
  v.pcnum = r.pcnum;
  v.pcec = r.pcec;
  v.assigna_iicintra(r.iicFractions.intra);
  v.assigna_iicflux(r.iicFractions.flux);
  v.assigna_iicconnector(r.iicFractions.connector);
  v.assigna_pcintra(r.pcFractions.intra);
  v.assigna_pcflux(r.pcFractions.flux);
  v.assigna_pcconnector(r.pcFractions.connector);
}

// The values of every removed node into the run's variants.
template <class T>
void placeRemovals(quivaraProgram<T>& p, const removalResult<T>& result) {
  for (int k = 0; k < p.nNodes; ++k) placeRemoval(p, result.variants[k], p.landDel[k]);
  addEngineTimes(p, result.times);
}

// The node removals of this process's share through `measure(share)`, then
// every share's values on rank 0. Each process takes every N-th node: the
// costly removals (hubs of many trees) cluster where the patches do.
template <class T, class Measure>
void shareRemovals(quivaraProgram<T>& p, Measure&& measure) {
  const int size = processes().size;
  const std::vector<variantRange> shares =
      everyShare([&](int r) { return interleavedShareOf(p.nNodes, r, size); });
  auto mine = [&](const variantRange& share, std::string& out) {
    const removalResult<T> result = measure(share);
    placeRemovals(p, result);
    if (size > 1)
      for (int k = share.first; k < share.last; k += share.stride) putBytes(out, result.variants[k]);
  };
  if (size == 1) {
    std::string unused;
    mine(shares[0], unused);
    return;
  }
  exchangeShares(p, shares[processes().rank], shares, mine,
                 [&](const variantRange& share, const std::string& in, std::size_t& at) {
                   removalValues<T> values;
                   for (int k = share.first; k < share.last; k += share.stride) {
                     takeBytes(in, at, values);
                     placeRemoval(p, values, p.landDel[k]);
                   }
                 });
}

// The console text of the node removals, as the straightforward loop
// prints it, thinned as the run's progress choice says.
template <class T>
void sayRemovalProgress(const quivaraProgram<T>& p) {
  if (!processes().lead()) return;
  const bool sourceLines = p.pcFlag && runProgressLines().pcSources;
  std::string text;
  for (int i = 0; i < p.nNodes; ++i) {
    if (sourceLines)
      for (int s = 0; s < p.nNodes - 1; ++s) appendPCProgress(text, s, p.nNodes - 1);
    if (caseLineShown(i, p.nNodes)) {
      text += "Processing importance of node with ID " + toText(p.label[i]) + "\n";
      if (p.nNodesTotal > 0) text += toText(static_cast<long long>(i + 1) * 100 / p.nNodesTotal) + "% completed\n";
    }
    if (text.size() > kConsolePiece) {
      say(text);
      text.clear();
    }
  }
  say(text);
}

// The node removals through the engine, with the same console text; false
// when the engine does not apply and the straightforward loop must run.
template <class T>
bool fastNodeRemovalLoop(quivaraProgram<T>& p) {
  if (!p.fastMode || p.dijkstraSaving || p.nNodes == 0) return false;
  if (p.pcFlag && (!p.fastPC || !probabilitiesWithinRange(*p.landGlobal))) return false;
  {
    progressPhase phase("Node removals", p.nNodes);
    shareRemovals(p, [&](const variantRange& share) {
      engineRequest<T> request = requestOf(p);
      request.variants = share;
      request.group = &processes();
      return measureNodeRemovals(request);
    });
  }
  sayRemovalProgress(p);
  return true;
}

enum class linkAnalysis { removal, improvement, change };

inline linkChange changeOf(linkAnalysis analysis) {
  return analysis == linkAnalysis::removal       ? linkChange::removed
         : analysis == linkAnalysis::improvement ? linkChange::madeSure
                                                 : linkChange::changed;
}

// The name of a link analysis in the progress on standard error.
inline const char* phaseName(linkAnalysis analysis) {
  return analysis == linkAnalysis::removal       ? "Link removal"
         : analysis == linkAnalysis::improvement ? "Link improvement"
                                                 : "Link change";
}

// The pairs a link analysis measures, in report order, with what each
// becomes: every pair for a change, the selected ones otherwise.
template <class T>
std::vector<pairChange> pairsOf(const quivaraProgram<T>& p, linkAnalysis analysis) {
  std::vector<pairChange> pairs;
  for (int i = 0; i < p.nNodes; ++i)
    for (int j = 0; j < i; ++j)
      if (analysis == linkAnalysis::change || p.linkSelected(i, j))
        pairs.push_back(pairChangeOf(p, changeOf(analysis), i, j));
  return pairs;
}

// Whether the engine can take a link analysis: its searches exist and every
// changed probability keeps the weights non-negative.
template <class T>
bool fastLinksApply(const quivaraProgram<T>& p, linkAnalysis analysis) {
  if (!p.fastMode || p.dijkstraSaving || p.nNodes < 2) return false;
  if (!p.pcFlag) return true;
  if (!p.fastPC || !probabilitiesWithinRange(*p.landGlobal)) return false;
  if (analysis == linkAnalysis::change) {
    // A negative changed distance, or a changed probability above 1, gives
    // a negative weight, which only the straightforward searches take.
    const float c = probabilityConstant(p.kProbProb, p.kDistanceProb);
    for (int i = 0; i < p.nNodes; ++i)
      for (int j = 0; j < i; ++j) {
        const float value = p.changedValue(i, j);
        const float probability = p.inputDist ? distanceToProbability(c, value) : value;
        if (probability > 1.0f) return false;
      }
  }
  return true;
}

template <class T>
linkRecords<T>& recordsOf(quivaraProgram<T>& p, linkAnalysis analysis) {
  return analysis == linkAnalysis::removal ? p.landDelCon
                                           : (analysis == linkAnalysis::improvement ? p.landConSure : p.landConDiff);
}

template <class T>
void placeLinkValues(quivaraProgram<T>& p, linkAnalysis analysis, const std::vector<pairChange>& pairs,
                     const linkResult<T>& result) {
  linkRecords<T>& store = recordsOf(p, analysis);
  for (std::size_t i = 0; i < pairs.size(); ++i) store[pairIndex(pairs[i].a, pairs[i].b)] = result.values[i];
}

// The values of every pair of `pairs`, measured through `measure(asked)`:
// in one process all at once; in several, each its interleaved share, the
// values of every share then on rank 0 (the other ranks keep their own).
template <class T, class Measure>
linkResult<T> shareLinks(quivaraProgram<T>& p, const std::vector<pairChange>& pairs, Measure&& measure) {
  const int size = processes().size, count = static_cast<int>(pairs.size());
  if (size == 1) return measure(pairs);
  linkResult<T> all;
  guardAlloc(kNoMemory, [&] { all.values.resize(pairs.size()); });
  const std::vector<variantRange> shares = everyShare([&](int r) { return interleavedShareOf(count, r, size); });
  auto mine = [&](const variantRange& share, std::string& out) {
    std::vector<pairChange> asked;
    for (int k = share.first; k < share.last; k += share.stride) asked.push_back(pairs[k]);
    linkResult<T> result = measure(asked);
    addEngineTimes(p, result.times);
    for (const linkValues<T>& values : result.values) putBytes(out, values);
    // Rank 0 reads the other shares only: its own stay as measured.
    for (int k = share.first, i = 0; k < share.last; k += share.stride, ++i)
      all.values[k] = std::move(result.values[i]);
  };
  exchangeShares(p, shares[processes().rank], shares, mine,
                 [&](const variantRange& share, const std::string& in, std::size_t& at) {
                   for (int k = share.first; k < share.last; k += share.stride) takeBytes(in, at, all.values[k]);
                 });
  return all;
}

// One link analysis of a landscape held by neighbour: the pairs it changes
// measured and kept, the others left to the values of the whole landscape.
template <class T>
void linksByNeighbour(quivaraProgram<T>& p, linkAnalysis analysis) {
  const std::vector<pairChange> pairs = measuredPairsByNeighbour(p, changeOf(analysis));
  sparseLinkRequest request;
  request.land = &p.sparseGlobal;
  request.indices = requestOf(p).indices;
  request.adjType = p.adjType;
  request.threads = p.threads;
  request.progress = &runProgress();
  linkResult<T> result = shareLinks<T>(
      p, pairs, [&](const std::vector<pairChange>& asked) { return measureLinkChangesSparse<T>(request, asked); });
  if (processes().size == 1) addEngineTimes(p, result.times);
  keepMeasuredRecords(p, recordsOf(p, analysis), pairs, std::move(result.values));
}

// One link analysis through the engine, then its console text: the
// announcement of every node, the PC progress of every measured pair and the
// share of pairs visited.
template <class T>
bool fastLinkLoop(quivaraProgram<T>& p, linkAnalysis analysis, const std::string& announcement) {
  if (!p.byNeighbour && !fastLinksApply(p, analysis)) return false;
  progressPhase phase(phaseName(analysis), p.nNodes);
  if (p.byNeighbour) {
    linksByNeighbour(p, analysis);
  } else {
    const std::vector<pairChange> pairs = pairsOf(p, analysis);
    const linkResult<T> result = shareLinks<T>(p, pairs, [&](const std::vector<pairChange>& asked) {
      return measureLinkChanges(requestOf(p), changeOf(analysis), asked);
    });
    placeLinkValues(p, analysis, pairs, result);
    if (processes().size == 1) addEngineTimes(p, result.times);
  }
  if (!processes().lead()) return true;
  const long long n = p.nNodes;
  const long long pairs = n * (n - 1) / 2;
  long long visited = 0;
  const bool sourceLines = p.pcFlag && runProgressLines().pcSources;
  std::string text;
  for (int i = 0; i < p.nNodes; ++i) {
    visited += i;
    const bool shown = caseLineShown(i, p.nNodes);
    if (shown) text += announcement + toText(p.label[i]) + "\n";
    if (sourceLines)
      for (int j = 0; j < i; ++j)
        if (analysis == linkAnalysis::change || p.linkSelected(i, j))
          for (int s = 0; s < p.nNodes; ++s) appendPCProgress(text, s, p.nNodes);
    if (shown && pairs > 0) text += toText(visited * 100 / pairs) + "% completed\n";
    if (text.size() > kConsolePiece) {
      say(text);
      text.clear();
    }
  }
  say(text);
  return true;
}

// The betweenness progress lines of the nodes of these labels, all printed
// before the sums are formed.
inline void sayBetweennessProgress(const std::vector<int>& labels, const char* index) {
  const int n = static_cast<int>(labels.size());
  std::string text;
  for (int k = 0; k < n; ++k) appendBetweennessProgress(text, index, labels[k], k, n);
  say(text);
}

template <class T>
void sayBetweennessProgress(const landscape<T>& land, const char* index) {
  std::vector<int> labels;
  for (const tessella& node : land.nodes) labels.push_back(node.label);
  sayBetweennessProgress(labels, index);
}

}  // namespace verdalis
