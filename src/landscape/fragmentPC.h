#pragma once
// The split of a PC change for one node k into intra (k with itself), flux
// (the pairs with k as one end) and connector (what the other pairs lose or
// gain through k as a stepping stone). Removal fractions are sums over the
// base landscape relative to AL²; addition fractions are numerator sums over
// the landscape with the candidate added.
#include "indices/terms.h"
#include "landscape/landscape.h"

namespace verdalis {

template <class T>
class fragmentPC {
 public:
  double pcintra;
  double pcflux;
  double pcconnector;
  const landscape<T>* land_base;
  const landscape<T>* land_delta;
  int node;
  bool haveIntra = false, haveFlux = false;

  fragmentPC(const landscape<T>* base, const landscape<T>* delta, int n)
      : pcintra(0), pcflux(0), pcconnector(0), land_base(base), land_delta(delta), node(n) {}

  double intra() {
    haveIntra = true;
    return pcintra = intraSum(*land_base) / areaSquared();
  }
  double flux() {
    haveFlux = true;
    return pcflux = fluxSum(*land_base) / areaSquared();
  }
  // What the removal loses beyond intra and flux.
  double connector() {
    settleParts(false);
    const T lost = land_base->value_index_PC() - land_delta->value_index_PC();
    return pcconnector = connectorOf(lost, pcintra, pcflux);
  }
  double intraAdd() {
    haveIntra = true;
    return pcintra = intraSum(*land_delta);
  }
  double fluxAdd() {
    haveFlux = true;
    return pcflux = fluxSum(*land_delta);
  }
  // What the addition gains beyond intra and flux.
  double connectorAdd() {
    settleParts(true);
    const T gained = land_delta->value_index_PCnum() - land_base->value_index_PCnum();
    return pcconnector = connectorOf(gained, pcintra, pcflux);
  }

  // The connector needs intra and flux; the program asks for them first,
  // so they are computed once.
  void settleParts(bool addition) {
    if (!haveIntra) addition ? intraAdd() : intra();
    if (!haveFlux) addition ? fluxAdd() : flux();
  }

  // a_i a_j p*_ij, formed in single precision.
  static double term(const landscape<T>& land, int i, int j) {
    return pcFractionTerm(land.nodes[i].size, land.nodes[j].size, land.nodes[i].p_maxim_product[j]);
  }
  double areaSquared() const {
    float area = land_base->sizeLandscapeArea;
    float squared = area * area;
    return squared;
  }
  double intraSum(const landscape<T>& land) const { return term(land, node, node); }
  double fluxSum(const landscape<T>& land) const {
    double sum = 0;
    for (int i = 0; i < land.nNodes; ++i)
      for (int j = 0; j < land.nNodes; ++j)
        if (i != j && (i == node || j == node)) sum += term(land, i, j);
    return sum;
  }
};

}  // namespace verdalis
