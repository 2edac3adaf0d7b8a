// The formulas of ProtConn and its fractions.
//
// With ECA = √(Σ_i Σ_j a_i a_j p*_ij) and A_L the area of the region:
//   Prot = 100 Σ a_i / A_L, ProtConn = 100 ECA / A_L,
//   ProtUnconn = Prot − ProtConn, RelConn = 100 ProtConn / Prot;
// and in % of ProtConn:
//   Prot   = 100 √(Σ A_k²) / ECA                     (within one protected unit)
//   Within = 100 √(Σ a_m²) √(Σ A_k / Σ a_m) / ECA    (within one PA, overlaps corrected)
//   Contig = Prot − Within                           (across touching PAs)
//   Trans  = 100 (ECA − ECA without the transboundary nodes) / ECA
//   Unprot = 100 − Prot − Trans                      (through unprotected land)
// so that Prot + Trans + Unprot = 100 and Within + Contig = Prot; each as a
// share of the region is the fraction times ProtConn / 100.
#include "protconn/protconn_values.h"

#include <cmath>

namespace verdalis::gis {

namespace {
std::optional<double> ratio(double numerator, double denominator) {
  if (!(denominator > 0)) return std::nullopt;
  return numerator / denominator;
}
}  // namespace

protconnValues protconnOf(const regionMeasures& m) {
  protconnValues v;
  v.prot = 100 * m.protectedArea / m.regionArea;
  v.protConn = 100 * m.eca / m.regionArea;
  v.protUnconn = v.prot - v.protConn;
  if (const auto r = ratio(v.protConn, v.prot)) v.relConn = 100 * *r;
  if (m.eca > 0) {
    const double prot = 100 * std::sqrt(m.unitSquares) / m.eca;
    const double overlap = m.individualArea > 0 ? std::sqrt(m.protectedArea / m.individualArea) : 0.0;
    const double within = 100 * std::sqrt(m.individualSquares) * overlap / m.eca;
    const double trans = 100 * (m.eca - m.ecaWithoutTrans) / m.eca;
    v.fraction = {prot, within, prot - within, trans, 100 - prot - trans};
  }
  for (std::size_t k = 0; k < kFractions; ++k) v.land[k] = v.fraction[k] ? *v.fraction[k] * v.protConn / 100 : 0.0;
  return v;
}

double dProtConnOf(double dPC) {
  // 1 − √(1 − x) as x / (1 + √(1 − x)), which keeps the digits of a small
  // x. Removing a node never raises PC; a dPC a rounding above 100 is 100.
  const double x = dPC / 100;
  if (!(x < 1)) return 100;
  return 100 * x / (1 + std::sqrt(1 - x));
}

double dProtConnPart(double dProtConn, double dPCpart, double dPC) {
  return dPC != 0 ? dProtConn * (dPCpart / dPC) : 0.0;
}

}  // namespace verdalis::gis
