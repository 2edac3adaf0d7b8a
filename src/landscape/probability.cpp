#include <cmath>
#include <limits>

#include "landscape/landscape.h"

namespace verdalis {

float probabilityConstant(float kProbProb, float kDistanceProb) {
  return std::log(kProbProb) / kDistanceProb;
}

float distanceToProbability(float c, float distance) {
  // The no-link distance marks a pair no connection line joins; it must not
  // become a certain link when c is 0 (probability 1 at the reference distance).
  if (distance == std::numeric_limits<float>::max()) return 0.0f;
  return std::exp(c * distance);
}

bool isBinaryLink(float value, bool inputDist, bool inputProb, bool inputAdjacen, float adjacentTail) {
  if (inputDist) return value <= adjacentTail;
  if (inputProb) return value >= adjacentTail;
  if (inputAdjacen) return value == 1.0f;
  return false;
}

}  // namespace verdalis
