#pragma once
// Which terms of a source row cannot change the sum of any removal, when
// no attribute is negative (every term then adds to the sums): before
// row s, every removal's PC sum already holds the self terms a_i² of the
// rows before it but one (its own), so it is at least a bound L_s known
// before any row is summed; a term below a quarter of the spacing of the
// floating-point numbers at L_s adds nothing to a sum that large (the sum
// rounds back to itself), whatever the removal. O(n) once, O(1) per row.
//
// Terms only fall when a node goes (best paths only lengthen), so a term of
// the plain row below that size stays below it in every removal: the
// position can be left out of every lane, and a node whose distance from s
// makes even a_s · max a · p* negligible need not be repaired, nor hand its
// value on (everything it reaches is as far). Both give the same sums to
// the last bit, since each left-out addition would have returned its sum
// unchanged.
#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>
#include <vector>

#include "indices/terms.h"

namespace verdalis {

template <class T>
class negligibleTerms {
 public:
  // sizes: the attributes of the n nodes, in row order.
  explicit negligibleTerms(const std::vector<float>& sizes) {
    const std::size_t n = sizes.size();
    floor_.assign(n, 0.0);
    // With a negative attribute a sum can fall, and nothing is left out.
    for (float a : sizes) {
      if (!(a >= 0) || !std::isfinite(a)) return;
      largest_ = std::max(largest_, a);
    }
    // A rounded sum of non-negative terms is at least the largest of them,
    // and at least their exact sum shrunk by the rounding of every
    // addition (n² of them at most).
    const double u = std::is_same_v<T, float> ? 0x1p-24 : 0x1p-53;
    const double shrink = 1.0 - 4.0 * static_cast<double>(n) * static_cast<double>(n) * u;
    double sum = 0, first = 0, second = 0;
    for (std::size_t s = 0; s < n; ++s) {
      // One removal may have taken out any single row: drop the largest.
      double bound = second;
      if (shrink > 0.5) bound = std::max(bound, (sum - first) * shrink);
      floor_[s] = bound;
      const double self = pcTermOfProbability(sizes[s], sizes[s], 1.0);
      sum += self;
      if (self > first) {
        second = first;
        first = self;
      } else if (self > second) {
        second = self;
      }
    }
  }

  // The size below which a term of row s leaves every sum as it is
  // (minus infinity when no term can be left out).
  double termBelow(int s) const {
    const double bound = floor_[static_cast<std::size_t>(s)];
    if (!(bound > 0)) return -std::numeric_limits<double>::infinity();
    int exponent = 0;
    std::frexp(bound, &exponent);
    // The spacing at the bound, in the precision of the sums.
    const int digits = std::numeric_limits<T>::digits;
    return std::ldexp(0.25, exponent - digits);
  }

  // The distance from s from which every term of the row, whatever its
  // other end, lies below an eighth of that spacing (the eighth leaves room
  // for the rounding of the product and of exp): infinity when none does.
  T distanceFrom(int s, float as) const {
    const double below = termBelow(s);
    const double widest = static_cast<double>(as * largest_);
    if (!(below > 0) || !(widest > 0)) return std::numeric_limits<T>::infinity();
    const double d = std::log(widest * 2.0 / below) * (1 + 1e-9) + 1e-9;
    if (!(d > 0)) return 0;
    // The first value of T at or beyond d.
    T v = static_cast<T>(d);
    while (static_cast<double>(v) < d) v = std::nextafter(v, std::numeric_limits<T>::infinity());
    return v;
  }

 private:
  std::vector<double> floor_;
  float largest_ = 0;
};

}  // namespace verdalis
