#pragma once
// Every listed pair removed, made sure or changed in a landscape of the
// sparse form: the values the dense form gives each variant, to the bit, with
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

// The request's `sparse` is the landscape. The pairs may come in any
// order; the values come in theirs.
template <class T>
linkResult<T> measureLinkChangesSparse(const engineRequest<T>& request, const std::vector<pairChange>& pairs);

}  // namespace verdalis
