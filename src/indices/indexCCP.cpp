#include "indices/indexCCP.h"

#include <vector>

#include "support/messages.h"

namespace verdalis {

void indexCCP::generate(int nComponents, const int* componentId, const float* sizes, float total) {
  std::vector<float> componentSize;
  guardAlloc(kNoMemoryCCP,
                       [&] { componentSize.assign(static_cast<std::size_t>(nComponents), 0.0f); });
  for (int i = 0; i < nNodes; ++i) componentSize[componentId[i]] += sizes[i];
  // With no node there is no component and the sum stays 0: no division.
  float sum = 0;
  for (float c : componentSize) sum += (c * c) / (total * total);
  index = sum;
}

}  // namespace verdalis
