#pragma once
// One term added to a block of accumulators at once, each accumulator the
// running sum of a different variant. Every accumulator is added to on its
// own, in the precision of its sum (the term in double, a float sum rounded
// back to float after each addition), so doing it two or four at a time in
// vector registers gives every bit the scalar additions give. O(count).
#include <cstddef>
#include <cstring>

namespace verdalis {

using doublePair = double __attribute__((vector_size(16)));
using floatQuad = float __attribute__((vector_size(16)));

inline void addToAll(double* acc, std::size_t count, double t) {
  const doublePair add = {t, t};
  std::size_t m = 0;
  for (; m + 4 <= count; m += 4) {
    doublePair a, b;
    std::memcpy(&a, acc + m, sizeof a);
    std::memcpy(&b, acc + m + 2, sizeof b);
    a += add;
    b += add;
    std::memcpy(acc + m, &a, sizeof a);
    std::memcpy(acc + m + 2, &b, sizeof b);
  }
  for (; m < count; ++m) acc[m] += t;
}

inline void addToAll(float* acc, std::size_t count, double t) {
  const doublePair add = {t, t};
  std::size_t m = 0;
  for (; m + 4 <= count; m += 4) {
    floatQuad q;
    std::memcpy(&q, acc + m, sizeof q);
    const doublePair low = {q[0], q[1]};
    const doublePair high = {q[2], q[3]};
    const doublePair lowSum = low + add;
    const doublePair highSum = high + add;
    const floatQuad back = {static_cast<float>(lowSum[0]), static_cast<float>(lowSum[1]),
                            static_cast<float>(highSum[0]), static_cast<float>(highSum[1])};
    std::memcpy(acc + m, &back, sizeof back);
  }
  for (; m < count; ++m) acc[m] = static_cast<float>(acc[m] + t);
}

}  // namespace verdalis
