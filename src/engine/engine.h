#pragma once
// The fast engine: the values that building and measuring every variant
// landscape gives, to the last bit, computed from the searches of the
// global landscape, on either form of the landscape (dense or sparse,
// landscape/landscape_form.h). README.md beside this file gives the
// argument for exactness and a map of the files.
//
// The program hands the engine one request, whatever the form (the
// landscape, the indices, the PC searches of the global landscape, the
// threads), and receives the values of every variant and the processor time
// of each index family; it keeps the console text and the result files.
#include <vector>

#include "engine/betweenness.h"
#include "engine/global_pc.h"
#include "engine/global_searches.h"
#include "engine/tuning.h"
#include "engine/variant_values.h"
#include "landscape/landscape.h"
#include "landscape/landscape_form.h"
#include "landscape/sparse_landscape.h"
#include "support/process_group.h"
#include "support/progress.h"

namespace verdalis {

// The indices a request asks for.
struct indexSelection {
  bool nl = false, nc = false, h = false, ccp = false, lcp = false, iic = false, f = false, awf = false,
       pc = false;
};

// Processor time of the work of each index family, summed over threads.
// Binary: the breadth-first searches of IIC and H. What a form measures
// with other work (NL, NC, CCP and LCP, AWF on the sparse form) stays 0
// where it does not.
struct engineTimes {
  long long pcMicros = 0, binaryMicros = 0, fMicros = 0;
  long long nlMicros = 0, ncMicros = 0, ccpMicros = 0, lcpMicros = 0, awfMicros = 0;
};

// Which variants of a run a request measures: every stride-th of [first,
// last) of the removed nodes or of the listed pairs, so that several
// processes can share a run; every variant's values are the same whoever
// measures it. last < 0: to the end. A stride spreads the costly variants
// (hubs of many trees, repairs that fail and search again) evenly where
// they cluster in file order.
struct variantRange {
  int first = 0, last = -1, stride = 1;
  int end(int count) const { return last < 0 || last > count ? count : last; }
  bool contains(int v, int count) const { return v >= first && v < end(count) && (v - first) % stride == 0; }
  // How many variants of `count` it holds.
  int size(int count) const { return end(count) > first ? (end(count) - first + stride - 1) / stride : 0; }
};

// The landscape and what to measure on it, in either form.
//
// Dense: `land` is the landscape; PC needs the searches of the global
// landscape (measurePC), the binary indices its breadth-first rows (they
// are computed here for H alone). Sparse: `sparse` is the landscape, and
// `land` holds the values of the whole landscape that the node removals
// read (measureSparse leaves them there).
template <class T>
struct engineRequest {
  landscapeForm form = landscapeForm::dense;
  const landscape<T>* land = nullptr;
  const sparseLandscape* sparse = nullptr;
  indexSelection indices;
  bool adjType = false;  // the landscape has binary links
  const pcSearches<T>* searches = nullptr;
  unsigned threads = 1;
  engineLimits limits;
  variantRange variants;              // the removed nodes to measure
  progressMeter* progress = nullptr;  // advanced by the sources finished
  // The processes that measure the other shares of the node removals with
  // this one: on the dense form they build the lists every share needs
  // together; PC alone by neighbour (measureSparse) and PC's drops share
  // their sources among them (removalsShareSources). Null: alone.
  processGroup* group = nullptr;
  // The whole sparse landscape measured (measureSparse): the node whose
  // fractions are wanted (-1: none), whether the parts of PC are, and the
  // PC progress, sources in order (may be empty).
  int focus = -1;
  bool pcParts = false;
  sourcesDone pcProgress;
  // Node removals by neighbour: PC's drop when each node goes, summed in
  // double from the terms that change (old minus new), in place of the sum
  // of every term of each removal (sparse_removal.cpp).
  bool pcDrops = false;
  // With drops, only the first pcDropNodes nodes are measured (0: every
  // node); the others' PC values are NaN.
  int pcDropNodes = 0;
};

template <class T>
struct removalResult {
  std::vector<removalValues<T>> variants;  // by removed node
  engineTimes times;
  landscapeForm form = landscapeForm::dense;  // the form measured
};

// Every existing node removed in turn, on the request's form.
template <class T>
removalResult<T> measureNodeRemovals(const engineRequest<T>& request);

// Whether the processes of the request's group share the sources of its
// node removals rather than the removed nodes: PC's drops alone, on the
// sparse form. A drop is a sum over sources, so each process searches and
// repairs from its own sources only, where sharing the removed nodes would
// have every process search and repair from every source. Each process
// then asks for every removal (request.variants: every node) and gets the
// values of all of them.
template <class T>
bool removalsShareSources(const engineRequest<T>& r) {
  const indexSelection& want = r.indices;
  return r.group != nullptr && r.group->size > 1 && r.form == landscapeForm::sparse && r.pcDrops && want.pc &&
         !want.iic && !want.h && !want.f && !want.awf;
}

enum class linkChange { removed, madeSure, changed };

// One pair to measure: its nodes (a > b), and the direct probability and
// binary link it has both ways in the variant.
struct pairChange {
  int a = 0, b = 0;
  float p = 0;
  bool linkedAfter = false;
};

template <class T>
struct linkResult {
  std::vector<linkValues<T>> values;  // in the order of the pairs asked for
  engineTimes times;
  landscapeForm form = landscapeForm::dense;  // the form measured
};

// Every listed pair changed in turn, on the request's form.
template <class T>
linkResult<T> measureLinkChanges(const engineRequest<T>& request, linkChange kind,
                                 const std::vector<pairChange>& pairs);

// The dense form's own entry points, which the two above choose for a
// dense request (node_removal.cpp, link_variants.cpp); the sparse form's are
// in sparse_removal.h and sparse_links.h.
template <class T>
removalResult<T> measureNodeRemovalsDense(const engineRequest<T>& request);
template <class T>
linkResult<T> measureLinkChangesDense(const engineRequest<T>& request, linkChange kind,
                                      const std::vector<pairChange>& pairs);

}  // namespace verdalis
