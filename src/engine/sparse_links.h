#pragma once
// Every listed pair removed, made sure or changed in a landscape held by
// neighbour: the values the full form gives each variant, to the bit, with
// memory linear in the nodes, the links and the pairs measured.
//
// Each source's terms are added, in target order, to the running sums of
// every pair at once (lane_add.h); a pair that changes the source's
// searches takes its own terms at the targets that move, prepared with the
// source (sparse_link_source.h). That is pairs × (reached pairs of nodes)
// additions in all, at the machine's adding speed, plus the repairs; F and
// AWF take every listed probability in row order, with the pair's two
// directions replaced; NC, CCP and LCP cost O(component + components) per
// pair that joins or splits components (components_link.h).
#include <vector>

#include "engine/engine.h"
#include "landscape/sparse_landscape.h"
#include "support/progress.h"

namespace verdalis {

struct sparseLinkRequest {
  const sparseLandscape* land = nullptr;
  indexSelection indices;
  bool adjType = false;
  unsigned threads = 1;
  progressMeter* progress = nullptr;  // advanced by the sources finished
};

// The pairs may come in any order; the values come in theirs.
template <class T>
linkResult<T> measureLinkChangesSparse(const sparseLinkRequest& request, const std::vector<pairChange>& pairs);

}  // namespace verdalis
