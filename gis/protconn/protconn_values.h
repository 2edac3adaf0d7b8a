#pragma once
// The ProtConn indicator of one region and one dispersal distance, from the
// areas of its nodes and the equivalent connected areas that the core
// computed. Constant time. Every value is defined: a ratio without a
// denominator (a region without protected area) is "no value", never a nan.
#include <array>
#include <optional>

namespace verdalis::gis {

// What the indicator is built from, in one area unit.
struct regionMeasures {
  double regionArea = 0;         // A_L
  double protectedArea = 0;      // Σ a_i over the nodes inside the region
  double unitSquares = 0;        // Σ A_k² over the dissolved protected units
  double individualArea = 0;     // Σ a_m over the individual PAs (their single parts) before dissolving
  double individualSquares = 0;  // Σ a_m²
  double eca = 0;                // √PCnum over every node, transboundary ones included
  double ecaWithoutTrans = 0;    // √PCnum over the nodes inside the region alone
};

// The five fractions of ProtConn, in this order.
enum class protconnFraction { prot, within, contig, trans, unprot };
constexpr std::size_t kFractions = 5;

struct protconnValues {
  double prot = 0, protConn = 0, protUnconn = 0;
  std::optional<double> relConn;                            // none without protected area
  std::array<std::optional<double>, kFractions> fraction;  // % of ProtConn; none when ECA is 0
  std::array<double, kFractions> land{};                   // the same as % of the region
};

protconnValues protconnOf(const regionMeasures& m);

// dProtConn, the % of the region's ProtConn lost when a node is removed,
// from dPC, the % of PC lost: ProtConn scales with √PC.
double dProtConnOf(double dPC);

// A part (intra, flux or connector) of dProtConn: the share of dPC that the
// part has, so that the three parts add up to dProtConn as those of dPC add
// up to dPC; 0 when dPC is 0.
double dProtConnPart(double dProtConn, double dPCpart, double dPC);

}  // namespace verdalis::gis
