#pragma once
// The two forms a run holds its landscape in.
//
// Dense: held whole, as n × n matrices of connection values and rows of n
// values per patch (landscape.h): what an "all" connection file lists anyway.
// Sparse: held by neighbour, each patch keeping its own pairs, the ones a
// "notall" file lists (sparse_landscape.h): memory linear in the patches
// and the listed pairs. Both give the same values to the last bit.

namespace verdalis {

enum class landscapeForm { dense, sparse };

}  // namespace verdalis
