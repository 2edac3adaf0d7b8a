#pragma once
// Every overall index of a landscape held by neighbour, from one
// breadth-first search and one PC search per source: O(n + links) memory
// and O(reached) work per source, where the full form is O(n²).
//
// Each sum meets its terms in the order and precision of the full form:
// sources in order and, within a source, targets in ascending order. The
// full form also adds the terms of the pairs that are not connected; those
// are exactly zero (a probability of 0, or exp of the unreached distance,
// times a finite product of attributes), and adding +0 or -0 to a sum that
// is not -0 leaves it as it is, so they are left out. The products of
// attributes must therefore be finite (sparseProductsFinite).
#include <vector>

#include "engine/engine.h"
#include "graph/local_search.h"
#include "graph/search_weights.h"
#include "landscape/landscape.h"
#include "landscape/sparse_landscape.h"

namespace verdalis {

// Whether every product of two attributes is finite in single precision;
// otherwise an unconnected pair adds inf × 0 = nan to the full form's sums,
// and only the full form can tell.
bool sparseProductsFinite(const sparseLandscape& land);

// Processor time of each index family, summed over threads.
struct sparseTimes {
  long long nlMicros = 0, ncMicros = 0, binaryMicros = 0, ccpMicros = 0, lcpMicros = 0, fMicros = 0,
            awfMicros = 0, pcMicros = 0;
};

// The fractions of one node over the pairs it belongs to, as numerator
// sums: the node with itself and the flux of its pairs.
struct focusSums {
  double iicIntra = 0, iicFlux = 0, pcIntra = 0, pcFlux = 0;
};

template <class T>
struct sparseMeasureRequest {
  const sparseLandscape* land = nullptr;
  indexSelection indices;
  bool adjType = false;
  unsigned threads = 1;
  int focus = -1;            // the node whose focusSums are wanted (-1: none)
  bool pcParts = false;      // PCintra, PCdirect and PCstep of the landscape
  sourcesDone pcProgress;    // PC progress, sources in order (may be empty)
};

// The values go into `out` as a full-form landscape holds them (its node
// rows stay empty); componentId is kept when NC, CCP or LCP are asked.
template <class T>
sparseTimes measureSparse(const sparseMeasureRequest<T>& request, landscape<T>& out, focusSums* focus);

// The best-path probabilities from one source at a time, float(exp(-d)),
// for the file of maximum-product probabilities: written source by source,
// never held whole.
template <class T>
class bestPathRows {
 public:
  explicit bestPathRows(const sparseLandscape& land);
  // row receives n entries.
  void row(int source, std::vector<float>& out);

 private:
  searchWeights weights;
  T cut = 0;
  localSearch<T> search;
};

}  // namespace verdalis
