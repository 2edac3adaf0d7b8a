#pragma once
// The float-class checks of double-precision searches.
//
// The linear scan takes a node by the float its distance rounds to, so in
// double precision it may take a node whose distance is a hair above
// another one's of the same float class. A node reached from a node of a
// smaller float class can never be taken before its value is final; nor can
// one whose every entry gives either its own value or a value of a higher
// float class. When that holds for every node of a repaired search, the
// scan reaches the same values as the repair; when it fails, the source is
// searched again in full. In single precision the float class is the value
// itself and the checks always hold.
#include <cstddef>

#include "engine/kept_entries.h"
#include "graph/exact_search.h"
#include "graph/search_weights.h"

namespace verdalis {

template <class T>
bool sameFloatClass(T a, T b) {
  return static_cast<float>(a) == static_cast<float>(b);
}

// Whether an entry worth alt leaves a node of value target as the scan takes
// it: it gives the value itself or lands in a higher float class.
template <class T>
bool keepsFloatClass(T alt, T target) {
  return alt == target || static_cast<float>(alt) > static_cast<float>(target);
}

// Whether every entry of v keeps its value as the scan takes it, in a
// landscape whose distances value(u) gives; change and excluded describe
// how that landscape differs from the weights.
template <class T, class Values>
bool entriesKeepValue(const searchWeights& w, int v, T cut, Values&& value, const pairOverride& change,
                      int excluded) {
  const T unreached = unreachedDistance<T>();
  const T target = value(v);
  bool keeps = true;
  auto check = [&](int u, float weight) {
    if (!keeps || u == v || u == excluded) return;
    const T du = value(u);
    if (du == unreached || !(du <= cut) || weight == kNoLink) return;
    if (!keepsFloatClass(du + static_cast<T>(weight), target)) keeps = false;
  };
  w.forEachIn(v, [&](int u, float weight) {
    if (!(change.touches(u) && change.other(u) == v)) check(u, weight);
  });
  if (change.touches(v)) check(change.other(v), change.w);
  return keeps;
}

// Whether every listed entry of y, in a landscape whose distances value(u)
// gives, leaves y's value target as the scan takes it; skip(u, witness)
// names the entries to pass over.
template <class T, class Values, class Skip>
bool listedEntriesKeepClass(const keptEntries& list, int y, T target, Values&& value, Skip&& skip) {
  for (std::size_t e = list.inStart[y]; e < list.inStart[y + 1]; ++e) {
    const int u = list.inFrom[e];
    if (skip(u, list.inWitness[e])) continue;
    const T du = value(u);
    if (du == unreachedDistance<T>()) continue;
    if (!keepsFloatClass(du + static_cast<T>(list.inWeight[e]), target)) return false;
  }
  return true;
}

// Whether the step from u into y stays beaten through witness when the pair
// (a, b) changes: a detour over the changed pair may be gone. A pair beaten
// through two nodes keeps one of them, since no single pair lies on both.
inline bool witnessHolds(int u, int witness, int y, int a, int b) {
  auto changed = [&](int p, int q) { return (p == a && q == b) || (p == b && q == a); };
  return !changed(u, witness) && !changed(witness, y);
}

}  // namespace verdalis
