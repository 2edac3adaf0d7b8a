#include "indices/indexLCP.h"

#include <vector>

#include "support/messages.h"

namespace verdalis {

void indexLCP::generate(int nComponents, const int* componentId, const float* sizes, float area) {
  std::vector<float> componentSize;
  guardAlloc(kNoMemory,
                       [&] { componentSize.assign(static_cast<std::size_t>(nComponents), 0.0f); });
  for (int i = 0; i < nNodes; ++i) componentSize[componentId[i]] += sizes[i];
  // Each term is a float, widened only when it is added.
  index = 0;
  indexNumerator = 0;
  for (float c : componentSize) {
    index += static_cast<double>((c * c) / (area * area));
    indexNumerator += static_cast<double>(c * c);
  }
}

}  // namespace verdalis
