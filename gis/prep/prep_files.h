#pragma once
// The node file and the connection file in Verdalis's formats: "ID<TAB>
// attribute" with 4 decimals, and "ID1 ID2 distance" with the chosen decimals,
// both directions of every pair, rows in node-file order; every line ends
// with a line feed. Written to the temporary file of a staged file, which the
// caller commits once every output is ready; linear in their size.
#include <string>

#include "common/patch_set.h"
#include "common/staged_file.h"
#include "prep/pair_distances.h"

namespace verdalis::gis {

// value with exactly decimals digits after the point, whatever the locale.
std::string fixedText(double value, int decimals);

// The size of the connection file of every pair: exact for the identifiers,
// with every distance written as long as typicalDistance (metres).
double connectionFileBytes(const patchSet& set, int decimals, double typicalDistance);

void writeNodeFile(const stagedFile& target, const patchSet& set);
void writeConnectionFile(const stagedFile& target, const patchSet& set, const pairRows& rows, int decimals);

}  // namespace verdalis::gis
