#pragma once

namespace verdalis {

// LCP: the component-size sum of squares normalised by the landscape
// attribute, with its numerator.

class indexLCP {
 public:
  double index;
  double indexNumerator;
  int nNodes;
  explicit indexLCP(int n) : index(0), indexNumerator(0), nNodes(n) {}

  void generate(int nComponents, const int* componentId, const float* sizes, float area);
  double value() const { return index; }
  double valueIndexNumerator() const { return indexNumerator; }
};

}  // namespace verdalis
