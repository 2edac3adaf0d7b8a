#pragma once
// The weights of the PC searches of a landscape held by neighbour, in the
// compressed form: the pairs, weights and cut that pcSearchSetup gives the
// full form, built in O(listed pairs).
#include "graph/search_weights.h"
#include "landscape/sparse_landscape.h"

namespace verdalis {

// Every pair with a positive probability in its own direction; or, with the
// heuristic or "all", both directions of a pair from the probability of the
// later node towards the earlier one, the heuristic keeping only those above
// its minimum, which is also the expansion cut.
template <class T>
void pcSearchSetupSparse(const sparseLandscape& land, searchWeights& w, T& cut);

// The weights of BC(PC): -ln p of every direction with a positive
// probability, no heuristic, in the precision of the run.
void betweennessWeightsSparse(const sparseLandscape& land, searchWeights& w);

}  // namespace verdalis
