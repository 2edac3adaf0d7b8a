#pragma once
// BC(IIC) and BC(PC) of every node of a landscape, the same values as the
// straightforward computation, from one path-counting search per source.
#include <vector>

#include "landscape/landscape.h"

namespace verdalis {

template <class T>
void measureBCIIC(const landscape<T>& land, std::vector<float>& out, unsigned threads);

template <class T>
void measureBCPC(const landscape<T>& land, std::vector<float>& out, unsigned threads);

}  // namespace verdalis
