#pragma once
// BC, BC(IIC) and BC(PC) of every node of a landscape held by neighbour: the
// values of the full form, to the bit, with O(n + links) memory (n entries
// of scratch per thread, no n × n array) and work that follows what each
// source reaches.
#include <cstddef>
#include <vector>

#include "landscape/sparse_landscape.h"

namespace verdalis {

// The links of a node as the path-counting searches take them:
// links(u, visit) calls visit(v) for every neighbour v of u, ascending.
inline auto linksOf(const sparseLandscape& land) {
  return [&land](int u, auto&& visit) {
    for (std::size_t e = land.linkStart[u]; e < land.linkStart[u + 1]; ++e) visit(land.linkTo[e]);
  };
}

// BC normalised by the number of unordered pairs, as the full form stores it.
void measureBCSparse(const sparseLandscape& land, std::vector<float>& out, unsigned threads);

// BC(IIC), not normalised. It depends on the links alone, not on the
// precision of the run.
void measureBCIICSparse(const sparseLandscape& land, std::vector<float>& out, unsigned threads);

// BC(PC), not normalised, with best paths in the precision T of the run.
template <class T>
void measureBCPCSparse(const sparseLandscape& land, std::vector<float>& out, unsigned threads);

}  // namespace verdalis
