#pragma once
// Every overall index of a landscape of the sparse form, from one
// breadth-first search and one PC search per source: O(n + links) memory
// and O(reached) work per source, where the dense form is O(n²).
//
// Each sum meets its terms in the order and precision of the dense form:
// sources in order and, within a source, targets in ascending order. The
// dense form also adds the terms of the pairs that are not connected; those
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

// Whether every product of two of these attributes is finite in single
// precision; otherwise an unconnected pair adds inf × 0 = nan to the dense
// form's sums, and only the dense form can tell.
bool sparseProductsFinite(const std::vector<float>& sizes);

// The fractions of one node over the pairs it belongs to, as numerator
// sums: the node with itself and the flux of its pairs.
struct focusSums {
  double iicIntra = 0, iicFlux = 0, pcIntra = 0, pcFlux = 0;
};

// The request's `sparse` is the landscape; its focus, pcParts and
// pcProgress say what is wanted beside the indices. The values go into
// `out` as a dense landscape holds them (its node rows stay empty);
// componentId is kept when NC, CCP or LCP are asked.
template <class T>
engineTimes measureSparse(const engineRequest<T>& request, landscape<T>& out, focusSums* focus);

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
