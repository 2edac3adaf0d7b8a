#pragma once
// The margins by which the engine may leave a pair out of a search or a
// check, each derived once from the rounding of the path sums.
//
// Let u be the unit roundoff of the precision T of the sums (2^-24 for
// float, 2^-53 for double) and L a bound on every path sum a search forms.
// A search adds float weights to a distance in T; each addition rounds by at
// most u times its result, so by at most u·L.
//
// Search margin. A pair (x, y) is beaten through m when
//     w(x,m) + w(m,y) < w(x,y) - margin · (L + w(x,m) + w(m,y)).
// From whatever distance d a search reaches x, the route through m gives y
// at most fl(fl(d + w(x,m)) + w(m,y)) (m may be reached earlier still, and
// rounding is monotone), the direct step fl(d + w(x,y)). The two differ
// from the exact sums by three roundings together, at most 3u·L, so any
// margin above 3u keeps the route through m strictly shorter: the direct
// step never gives y its least value, nor a tie. The engine takes 8u.
//
// Class margin. The double-precision searches take a node by the float its
// distance rounds to. With margin 2^-20, the direct step exceeds the best
// entry b of y by more than 2^-20·b, and rounding either to float moves it
// by at most 2^-24 of itself, so the direct step lands in a strictly higher
// float class than b: the checks that compare entries with the float class
// of their node need not read it. Double rounding (n·2^-53·L) is far below.
//
// Path bound. No path sum of a search exceeds (n + 1) times the heaviest
// weight; the bound is taken 1 % larger so that computing it in double
// cannot fall short.
//
// Useful-pair margin. A pair no longer than the best path between its ends
// can be the last step of a best path once other distances drop. The best
// distances themselves carry the rounding of up to n additions, so the
// comparison allows 8·(n + 2)·u·(longest + weight).
#include <cmath>
#include <limits>
#include <type_traits>

namespace verdalis {

// The unit roundoff of T, rounded up in its third digit so that the
// margins built on it are never short.
template <class T>
constexpr double roundingUnit() {
  return std::is_same_v<T, float> ? 5.97e-8 : 1.12e-16;
}

// Beaten-through margin of the repair searches, in rounding units.
constexpr double kSearchMarginUnits = 8.0;

template <class T>
constexpr double searchMargin() {
  return kSearchMarginUnits * roundingUnit<T>();
}

// Beaten-through margin of the float-class checks of double searches.
inline double classMargin() { return std::ldexp(1.0, -20); }

// A bound on every path sum of a search over n nodes whose heaviest weight
// is given.
inline double pathSumBound(int n, double heaviest) { return (static_cast<double>(n) + 1) * heaviest * 1.01; }

// The margin within which a pair counts as no longer than the best path
// between its ends.
template <class T>
double usefulPairMargin(int n, double longest, double weight) {
  return kSearchMarginUnits * (n + 2) * roundingUnit<T>() * (longest + weight);
}

}  // namespace verdalis
