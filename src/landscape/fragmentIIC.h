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
  bool haveIntra = false, haveFlux = false;

  fragmentIIC(const landscape<T>* base, const landscape<T>* delta, int n)
      : iicintra(0), iicflux(0), iicconnector(0), land_base(base), land_delta(delta), node(n) {}

  double intra() {
    haveIntra = true;
    return iicintra = intraValue();
  }
  // The node with itself, the quotient in float.
  double intraValue() const {
    const tessella& k = land_base->nodes[node];
    float quotient = (k.size * k.size) / static_cast<float>(k.nl[node] + 1);
    return static_cast<double>(quotient) / areaSquared();
  }
  double flux() {
    haveFlux = true;
    return iicflux = fluxSum(*land_base) / areaSquared();
  }
  // What the removal loses beyond intra and flux.
  double connector() {
    settleParts(false);
    const T lost = land_base->value_index_IIC() - land_delta->value_index_IIC();
    return iicconnector = connectorOf(lost, iicintra, iicflux);
  }
  double intraAdd() {
    haveIntra = true;
    return iicintra = term(*land_delta, node, node);
  }
  double fluxAdd() {
    haveFlux = true;
    return iicflux = fluxSum(*land_delta);
  }
  // What the addition gains beyond intra and flux.
  double connectorAdd() {
    settleParts(true);
    const T gained = land_delta->value_index_IICnum() - land_base->value_index_IICnum();
    return iicconnector = connectorOf(gained, iicintra, iicflux);
  }

  // The connector needs intra and flux; the program asks for them first,
  // so they are computed once.
  void settleParts(bool addition) {
    if (!haveIntra) addition ? intraAdd() : intra();
    if (!haveFlux) addition ? fluxAdd() : flux();
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
};

}  // namespace verdalis
