#pragma once
// The names the command line knows, and the closest of them to a word that
// is none, for "did you mean -confProb?".
#include <string>
#include <vector>

namespace verdalis {

// Every option and keyword of the command line, in one spelling each
// (the upper-case index names, not their lower-case twins).
const std::vector<std::string>& knownOptionNames();

bool isKnownOptionName(const std::string& word);

// The known name nearest to `word`: letter case, a dash too many or too few,
// and up to two letters typed wrong, left out, added or swapped count as
// near. Empty when none is near, or when two are equally near.
std::string closestOptionName(const std::string& word);

// Edits (a letter changed, inserted, deleted, or two neighbours swapped)
// that turn a into b. O(|a| |b|).
int editDistance(const std::string& a, const std::string& b);

}  // namespace verdalis
