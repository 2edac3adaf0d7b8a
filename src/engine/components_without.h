#pragma once
// NC, CCP and LCP of a landscape held by neighbour without one node k, from
// its components: only the component of k changes (it falls into pieces),
// so the pieces are found in O(size of that component + its links), and
// the coincidence sums, which meet every component in the order of its
// lowest node, in O(components).
//
// The sums keep the full form's order and precision: a component's
// attribute is summed over its nodes in node order (for an unchanged
// component that is the global sum; a piece is summed here), and the
// squares are added component by component in the order of their lowest
// nodes, as the depth-first labelling numbers them.
#include <vector>

#include "engine/components.h"
#include "landscape/sparse_landscape.h"

namespace verdalis {

// The components of the whole landscape: labels by lowest node, members
// ascending, attributes summed in node order.
struct componentIndex {
  int count = 0;
  std::vector<int> id, start, members;
  std::vector<float> size;

  void build(const sparseLandscape& land);
};

struct componentsScratch {
  std::vector<int> piece, stack;
  std::vector<float> pieceSize;
  std::vector<int> pieceLowest;
};

struct withoutValues {
  int nc = 0;
  coincidenceValues coincidence;
};

// CCP and LCP, when asked, of the components of the whole landscape but
// goneA and goneB (or -1), with the pieces (lowest node ascending, summed
// attribute) in their place; total is the attribute of the landscape.
// O(components + pieces).
coincidenceValues coincidenceWithPieces(const sparseLandscape& land, const componentIndex& global, int goneA,
                                        int goneB, const std::vector<int>& pieceLowest,
                                        const std::vector<float>& pieceSize, float total, bool ccp, bool lcp);

// NC, and CCP and LCP when asked, of the landscape without k; total is the
// attribute of the landscape without k.
withoutValues componentsWithoutNode(const sparseLandscape& land, const componentIndex& global, int k, float total,
                                    bool ccp, bool lcp, componentsScratch& x);

}  // namespace verdalis
