#pragma once
// The components of a variant, numbered by lowest position like the
// depth-first labelling of the straightforward computation, and the
// coincidence indices CCP and LCP over them. O(n + links) per variant.
#include <vector>

#include "indices/indexCCP.h"
#include "indices/indexLCP.h"

namespace verdalis {

// Labels into component (size n; -1 for `excluded`) every node reachable
// through neighbours(u, visit), which calls visit(z) for each neighbour z of
// u in the variant; gives the number of components.
template <class Neighbours>
int labelComponents(int n, int excluded, std::vector<int>& component, Neighbours&& neighbours) {
  component.assign(n, -1);
  std::vector<int> stack;
  int count = 0;
  auto visit = [&](int z) {
    if (z != excluded && component[z] < 0) {
      component[z] = count;
      stack.push_back(z);
    }
  };
  for (int v = 0; v < n; ++v) {
    if (v == excluded || component[v] >= 0) continue;
    component[v] = count;
    stack.assign(1, v);
    while (!stack.empty()) {
      const int u = stack.back();
      stack.pop_back();
      neighbours(u, visit);
    }
    ++count;
  }
  return count;
}

struct coincidenceValues {
  float ccp = 0;
  double lcp = 0, lcpnum = 0;
};

// CCP and LCP of m nodes with the given component labels and attributes.
inline coincidenceValues coincidence(int m, int count, const int* component, const float* sizes, float totalHabitat,
                                     float landscapeArea, bool ccp, bool lcp) {
  coincidenceValues values;
  if (ccp) {
    indexCCP index(m);
    index.generate(count, component, sizes, totalHabitat);
    values.ccp = index.value();
  }
  if (lcp) {
    indexLCP index(m);
    index.generate(count, component, sizes, landscapeArea);
    values.lcp = index.value();
    values.lcpnum = index.valueIndexNumerator();
  }
  return values;
}

}  // namespace verdalis
