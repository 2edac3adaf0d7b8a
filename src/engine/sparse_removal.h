#pragma once
// Every existing node removed in turn from a landscape held by neighbour:
// the values the full form gives each variant, to the bit, with memory
// linear in the nodes and links.
//
// Each source's terms are added, in order, to the running sums of every
// removal at once (lane_add.h): a removal that leaves the source's searches
// as they are takes the plain terms but its own node's, one that changes
// them takes its own terms, prepared with the source
// (sparse_removal_source.h). That is n × (reached pairs) additions in all,
// at the machine's adding speed; every other index without k costs
// O(component of k + components) or O(n + listed pairs) per node.
#include <vector>

#include "engine/engine.h"
#include "support/progress.h"
#include "engine/sparse_measure.h"
#include "landscape/landscape.h"
#include "landscape/sparse_landscape.h"

namespace verdalis {

template <class T>
struct sparseRemovalRequest {
  const sparseLandscape* land = nullptr;
  const landscape<T>* global = nullptr;  // the values of the whole landscape
  indexSelection indices;
  bool adjType = false;
  unsigned threads = 1;
  variantRange variants;  // the removed nodes to measure
  engineLimits limits;
  progressMeter* progress = nullptr;  // advanced by the sources finished
};

template <class T>
removalResult<T> measureNodeRemovalsSparse(const sparseRemovalRequest<T>& request);

}  // namespace verdalis
