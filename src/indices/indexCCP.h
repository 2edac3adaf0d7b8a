#pragma once

namespace verdalis {

// CCP: the probability that two points of habitat fall in the same
// component, normalised by the total habitat.

class indexCCP {
 public:
  float index;
  int nNodes;
  explicit indexCCP(int n) : index(0), nNodes(n) {}

  void generate(int nComponents, const int* componentId, const float* sizes, float total);
  float value() const { return index; }
};

}  // namespace verdalis
