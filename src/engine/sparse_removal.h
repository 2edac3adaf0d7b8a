#pragma once
// Every existing node removed in turn from a landscape of the sparse form:
// the values the dense form gives each variant, to the bit, with memory
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

// The request's `sparse` is the landscape, its `land` the values of the
// whole landscape; the other processes of a group are not needed.
template <class T>
removalResult<T> measureNodeRemovalsSparse(const engineRequest<T>& request);

}  // namespace verdalis
