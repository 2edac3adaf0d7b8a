#pragma once
// The terms the sums of IIC, H, PC and the betweenness indices are made of,
// the weights and pairs of the PC searches, and the normalisation by the
// landscape attribute. Each is written once: the straightforward
// computation and the fast engine add exactly the same numbers, formed in
// the same precisions, so the two can never drift apart by a bit.
#include <cmath>

namespace verdalis {

// ---- IIC and H, over breadth-first distances (links) ----

// a_i a_j / (1 + nl_ij): the product in float, the quotient in double.
inline double iicTerm(float ai, float aj, int links) {
  const float product = ai * aj;
  return static_cast<double>(product) / (1.0 + static_cast<double>(links));
}

// An IIC sum adds each term in double and keeps the result in T.
template <class T>
T addIICTerm(T sum, float ai, float aj, int links) {
  return static_cast<T>(sum + iicTerm(ai, aj, links));
}

// 1 / nl_ij in double; an H sum keeps the result in float.
inline double hararyTerm(int links) { return 1.0 / static_cast<double>(links); }

inline float addHararyTerm(float sum, int links) {
  return static_cast<float>(static_cast<double>(sum) + hararyTerm(links));
}

// ---- PC, over best-path distances -ln p* ----

// The weight of a pair in the PC searches, with the logarithm in float.
inline float pcWeight(float p) { return -std::log(p); }

// Whether the PC searches walk a pair of direct probability p: every pair
// with a positive probability, and under the heuristic (a minimum
// probability, not "all") only those above the minimum.
inline bool pcSearchKeeps(float p, bool allpaths, float minProb) {
  return p > 0 && (allpaths || minProb == 0 || p > minProb);
}

// The best-path probability of a distance, in double.
template <class T>
double bestPathProbability(T distance) {
  return std::exp(-static_cast<double>(distance));
}

// a_i a_j p*_ij: the product of attributes in float, the rest in double;
// from the best-path probability when it is at hand already.
inline double pcTermOfProbability(float ai, float aj, double best) {
  const float aiaj = ai * aj;
  return static_cast<double>(aiaj) * best;
}

template <class T>
double pcTerm(float ai, float aj, T distance) {
  return pcTermOfProbability(ai, aj, bestPathProbability(distance));
}

template <class T>
T addPCTerm(T sum, double term) {
  return static_cast<T>(sum + term);
}

// a_i a_j p*_ij formed in float from a stored best-path probability: the
// term of the PC fractions.
inline float pcFractionTerm(float ai, float aj, float best) { return ai * aj * best; }

// ---- betweenness ----

// The part of the IIC weight of a pair that passes through a node: np of
// its nt shortest paths do, each of weight 1 / (1 + nl); formed in double,
// kept in float.
inline float bciicShare(float links, float total, float through) {
  const double term = (1.0 / (1.0 + static_cast<double>(links))) / static_cast<double>(total) *
                      static_cast<double>(through);
  return static_cast<float>(term);
}

// The same for PC, with the best-path probability exp(-d) in T and the
// share in float.
template <class T>
float bcpcShare(T distance, float total, float through) {
  const float probability = static_cast<float>(std::exp(-distance));
  return probability / total * through;
}

// ---- fractions ----

// The connector of a node: the part of a change that neither the node with
// itself (intra) nor the pairs it belongs to (flux) explain, so that the
// three add up to the change. change is the difference of the index (or, for
// an added node, of its numerator), formed in its own precision.
template <class T>
double connectorOf(T change, double intra, double flux) {
  return static_cast<double>(change) - intra - flux;
}

// ---- normalisation ----

// EC, the equivalent connected attribute: the square root of the numerator,
// taken in double.
template <class T>
T equivalentConnected(T numerator) {
  return static_cast<T>(std::sqrt(static_cast<double>(numerator)));
}

// An index from its numerator: divided by AL² (squared in float). A
// landscape without nodes has nothing to normalise: its index stays 0.
template <class T>
T normalisedByArea(T numerator, float area, int nodes) {
  const float areaSquared = area * area;
  return nodes == 0 ? T(0) : numerator / areaSquared;
}

}  // namespace verdalis
