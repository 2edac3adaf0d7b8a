#pragma once
// NC, CCP and LCP of a landscape held by neighbour with one link removed or
// added. Only the components of the link's ends change: a removed link
// that is no bridge changes nothing and one that is splits its component
// in two; an added link between two components joins them. The pieces are
// found in O(their component + its links), a removed link that is no
// bridge usually sooner (the search from one end stops at the other), and
// the coincidence sums, which meet the components in the order of their
// lowest nodes, take O(components) (components_without.h).
#include <vector>

#include "engine/components_without.h"
#include "landscape/sparse_landscape.h"

namespace verdalis {

// NC, and CCP and LCP when asked, with the link (a, b) linked before and
// after as given; `unchanged` holds the values of the whole landscape.
withoutValues componentsWithLink(const sparseLandscape& land, const componentIndex& global, int a, int b,
                                 bool linkedBefore, bool linkedAfter, bool ccp, bool lcp,
                                 const withoutValues& unchanged, componentsScratch& x);

// The values of the whole landscape in the same form.
withoutValues componentsOfWhole(const sparseLandscape& land, const componentIndex& global, bool ccp, bool lcp);

}  // namespace verdalis
