#pragma once
// The fast engine as the analysis uses it, on the form of the run's plan: a
// request from the run's settings, the engine's values placed into the
// run's variant landscapes and link stores, and the console text of each
// loop, the same as the straightforward loops print. Which phases come here
// the plan says (run_plan.h). Included from program_impl.h only.
#include <cstddef>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "indices/pc_progress.h"
#include "support/messages.h"
#include "support/numfmt.h"
#include "support/progress.h"
#include "support/progress_lines.h"
#include "program/program_sparse_links.h"
#include "program/quivaraProgram.h"
#include "program/shared_cases.h"
#include "support/process_group.h"

namespace verdalis {

// The console text of a loop is gathered and printed in pieces of about
// this size: few writes, and no text of the size of the run held at once.
constexpr std::size_t kConsolePiece = std::size_t{1} << 20;

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

// The request of the run's form: the global landscape (and, in the sparse
// form, its listed pairs), and the PC searches the engine kept from it.
template <class T>
engineRequest<T> requestOf(const quivaraProgram<T>& p) {
  engineRequest<T> r;
  r.form = p.plan.form;
  r.land = p.landGlobal;
  if (p.heldSparse()) r.sparse = &p.sparseGlobal;
  r.indices = selectionOf(p);
  r.adjType = p.adjType;
  if (p.plan.route(runPhase::overall) == phaseRoute::denseEngine) r.searches = &p.pcSearchesGlobal;
  r.threads = p.threads;
  r.progress = &runProgress();
  r.pcDrops = p.routing.pcDrops;
  r.pcDropNodes = p.routing.pcDropNodes;
  return r;
}

// The route of the engine that measured on `form`.
inline phaseRoute engineRoute(landscapeForm form) {
  return form == landscapeForm::sparse ? phaseRoute::sparseEngine : phaseRoute::denseEngine;
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
// share their searches, as in the straightforward computation, and so do
// CCP and LCP in the sparse form.
template <class T>
void addEngineTimes(quivaraProgram<T>& p, const engineTimes& t) {
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
  p.lcpTime += millis(t.lcpMicros);
  p.fTime += millis(t.fMicros);
  p.awfTime += millis(t.awfMicros);
  p.pcTime += millis(t.pcMicros);
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

// The node removals with the sources shared among the processes: every
// process gets every removal's values from the engine. All of them meet
// once more at the end, so that one that failed after the engine's last
// exchange ends the run on all.
template <class T>
void removalsBySource(quivaraProgram<T>& p, const engineRequest<T>& request) {
  removalResult<T> result;
  bool failed = false;
  try {
    result = measureNodeRemovals(request);
  } catch (const failureEverywhere&) {
    throw kNoMemory;
  } catch (...) {
    failed = true;
  }
  if (processes().agree(failed)) throw kNoMemory;
  p.taken.record(runPhase::removals, engineRoute(result.form));
  placeRemovals(p, result);
}

// The node removals through the engine, on the run's form, with the
// console text of the straightforward loop.
template <class T>
void engineRemovals(quivaraProgram<T>& p) {
  {
    progressPhase phase("Node removals", p.nNodes);
    engineRequest<T> request = requestOf(p);
    request.group = &processes();
    if (removalsShareSources(request)) {
      request.variants = interleavedShareOf(p.nNodes, 0, 1);
      removalsBySource(p, request);
    } else {
      shareRemovals(p, [&](const variantRange& share) {
        request.variants = share;
        removalResult<T> result = measureNodeRemovals(request);
        p.taken.record(runPhase::removals, engineRoute(result.form));
        return result;
      });
    }
  }
  sayRemovalProgress(p);
}

enum class linkAnalysis { removal, improvement, change };

inline linkChange changeOf(linkAnalysis analysis) {
  return analysis == linkAnalysis::removal       ? linkChange::removed
         : analysis == linkAnalysis::improvement ? linkChange::madeSure
                                                 : linkChange::changed;
}

inline runPhase phaseOf(linkAnalysis analysis) {
  return analysis == linkAnalysis::removal       ? runPhase::linkRemoval
         : analysis == linkAnalysis::improvement ? runPhase::linkImprovement
                                                 : runPhase::linkChange;
}

// The name of a link analysis in the progress on standard error.
inline const char* phaseName(linkAnalysis analysis) { return phaseText(phaseOf(analysis)); }

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

// The engine's values of these pairs, shared among the processes; the route
// the engine took is recorded.
template <class T>
linkResult<T> engineLinkValues(quivaraProgram<T>& p, linkAnalysis analysis, const std::vector<pairChange>& pairs) {
  const engineRequest<T> request = requestOf(p);
  linkResult<T> result = shareLinks<T>(p, pairs, [&](const std::vector<pairChange>& asked) {
    linkResult<T> measured = measureLinkChanges(request, changeOf(analysis), asked);
    p.taken.record(phaseOf(analysis), engineRoute(measured.form));
    return measured;
  });
  if (processes().size == 1) addEngineTimes(p, result.times);
  return result;
}

// One link analysis through the engine. In the sparse form the pairs it
// changes are measured and kept, the others left to the values of the
// whole landscape; in the dense form every pair it measures has its record.
template <class T>
void engineLinks(quivaraProgram<T>& p, linkAnalysis analysis) {
  if (p.heldSparse()) {
    const std::vector<pairChange> pairs = measuredPairsSparse(p, changeOf(analysis));
    linkResult<T> result = engineLinkValues(p, analysis, pairs);
    keepMeasuredRecords(p, recordsOf(p, analysis), pairs, std::move(result.values));
  } else {
    const std::vector<pairChange> pairs = pairsOf(p, analysis);
    placeLinkValues(p, analysis, pairs, engineLinkValues(p, analysis, pairs));
  }
}

// One link analysis through the engine, then its console text: the
// announcement of every node, the PC progress of every measured pair and the
// share of pairs visited.
template <class T>
void engineLinkLoop(quivaraProgram<T>& p, linkAnalysis analysis, const std::string& announcement) {
  progressPhase phase(phaseName(analysis), p.nNodes);
  engineLinks(p, analysis);
  if (!processes().lead()) return;
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
