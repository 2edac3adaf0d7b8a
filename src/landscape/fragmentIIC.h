#pragma once
// The split of an IIC change for one node k into intra (k with itself), flux
// (the pairs with k as one end) and connector (what the other pairs lose or
// gain through k as a stepping stone). Removal fractions are sums over the
// base landscape relative to AL²; addition fractions are numerator sums over
// the landscape with the candidate added. Pairs in different components
// count nothing, as in IIC itself.
#include "graph/tessella.h"
#include "indices/terms.h"
#include "landscape/landscape.h"

namespace verdalis {

template <class T>
class fragmentIIC {
 public:
  double iicintra;
  double iicflux;
  double iicconnector;
  const landscape<T>* land_base;
  const landscape<T>* land_delta;
  int node;

  fragmentIIC(const landscape<T>* base, const landscape<T>* delta, int n)
      : iicintra(0), iicflux(0), iicconnector(0), land_base(base), land_delta(delta), node(n) {}

  double intra() { return iicintra = intraValue(); }
  // The node with itself, the quotient in float.
  double intraValue() const {
    const tessella& k = land_base->nodes[node];
    float quotient = (k.size * k.size) / static_cast<float>(k.nl[node] + 1);
    return static_cast<double>(quotient) / areaSquared();
  }
  double flux() { return iicflux = fluxSum(*land_base) / areaSquared(); }
  double connector() {
    return iicconnector =
               restSum(*land_base) / areaSquared() - static_cast<double>(land_delta->value_index_IIC());
  }
  double intraAdd() { return iicintra = term(*land_delta, node, node); }
  double fluxAdd() { return iicflux = fluxSum(*land_delta); }
  double connectorAdd() {
    return iicconnector = restSum(*land_delta) - static_cast<double>(land_base->value_index_IICnum());
  }

  // a_i a_j / (1 + nl_ij), the product in single precision, the quotient in double.
  static double term(const landscape<T>& land, int i, int j) {
    const int links = land.nodes[i].nl[j];
    if (links == kUnreached) return 0;
    return iicTerm(land.nodes[i].size, land.nodes[j].size, links);
  }
  double areaSquared() const {
    float area = land_base->sizeLandscapeArea;
    float squared = area * area;
    return squared;
  }
  double fluxSum(const landscape<T>& land) const {
    double sum = 0;
    for (int i = 0; i < land.nNodes; ++i)
      for (int j = 0; j < land.nNodes; ++j)
        if (i != j && (i == node || j == node)) sum += term(land, i, j);
    return sum;
  }
  double restSum(const landscape<T>& land) const {
    double sum = 0;
    for (int i = 0; i < land.nNodes; ++i)
      for (int j = 0; j < land.nNodes; ++j)
        if (i != node && j != node) sum += term(land, i, j);
    return sum;
  }
};

}  // namespace verdalis
