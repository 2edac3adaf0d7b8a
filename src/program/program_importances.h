#pragma once
// The importance values the driver and the reports read: the variations of
// every index between the global landscape and each variant, their sums, the
// overall values and a few queries on the loaded connections.
// Included from program_impl.h only.
//
// Precision matters to the last printed digit. Indices stored in float are
// compared in float; LCP always in double; IIC and PC in the run's precision.
// Counts (NC, NL) are subtracted as integers first. A fraction is first
// rounded to float, divided by its base in double, rounded again and only
// then scaled by 100 in float.
#include <memory>
#include <string>
#include <vector>

#include "support/messages.h"
#include "engine/sparse_measure.h"
#include "program/quivaraProgram.h"

namespace verdalis {

// Returned with a message when a case code and a key lead to no value.
constexpr float kValueError = -1111111106560.0f;
// A key that the case does not know.
constexpr float kUnknownKey = -503.0f;
// Changes this close to zero from the wrong side are rounding noise.
constexpr double kNearZero = 0.000001;

inline float deltaError() {
  sayError("There is an error in delta results");
  return kValueError;
}

inline float varError() {
  sayError("There is an error in var results.");
  return kValueError;
}

// The indices a key can name, as the link analyses keep them.
enum class measure { nl, nc, h, ccp, lcp, iic, f, awf, pc, none };

inline measure measureOfKey(const std::string& key) {
  static const char* const keys[] = {"nl", "nc", "h", "ccp", "lcp", "iic", "f", "awf", "pc"};
  for (int m = 0; m < 9; ++m)
    if (key == keys[m]) return static_cast<measure>(m);
  return measure::none;
}

inline bool isFractionKey(const std::string& key) {
  return key == "iicintra" || key == "iicflux" || key == "iicconnector" || key == "pcintra" || key == "pcflux" ||
         key == "pcconnector";
}

// The node-addition percentages compare numerators, not the normalised
// indices: the added node may raise the landscape attribute.
template <class T>
linkValues<T> numeratorsOf(const landscape<T>& land) {
  linkValues<T> values = linkValuesOf(land);
  values.lcp = land.lcpnum;
  values.iic = land.iicnum;
  values.pc = land.pcnum;
  return values;
}

// 100 × (minuend - subtrahend) / base, in the operands' own type.
template <class V>
float percentOf(V minuend, V subtrahend, V base) {
  return static_cast<float>(100 * (minuend - subtrahend) / base);
}

// A landscape without links has no NL to lose.
inline float nlPercent(int difference, int base) {
  if (base == 0) return 0;
  const float hundredTimes = static_cast<float>(100.0 * difference);
  return hundredTimes / static_cast<float>(base);
}

inline float ncPercent(int difference, int base) { return static_cast<float>(100.0 * difference / base); }

// The percentage variation of one index: a loss (global minus variant) or,
// for an added node, a gain (variant minus global); always over the global
// value.
template <class T>
float percentChange(measure m, const linkValues<T>& global, const linkValues<T>& variant, bool gain) {
  const linkValues<T>& a = gain ? variant : global;
  const linkValues<T>& b = gain ? global : variant;
  switch (m) {
    case measure::nl: return nlPercent(a.nl - b.nl, global.nl);
    case measure::nc: return ncPercent(a.nc - b.nc, global.nc);
    case measure::h: return global.h == 0 ? 0.0f : percentOf(a.h, b.h, global.h);
    case measure::ccp: return percentOf(a.ccp, b.ccp, global.ccp);
    case measure::lcp: return percentOf(a.lcp, b.lcp, global.lcp);
    case measure::iic: return percentOf(a.iic, b.iic, global.iic);
    case measure::f: return percentOf(a.f, b.f, global.f);
    case measure::awf: return percentOf(a.awf, b.awf, global.awf);
    case measure::pc: return percentOf(a.pc, b.pc, global.pc);
    default: return kUnknownKey;
  }
}

// var of a removal: the difference in the stored type, then rounded.
template <class T>
float lossAmount(measure m, const linkValues<T>& g, const linkValues<T>& v) {
  switch (m) {
    case measure::nl: return static_cast<float>(g.nl - v.nl);
    case measure::nc: return static_cast<float>(g.nc - v.nc);
    case measure::h: return g.h - v.h;
    case measure::ccp: return g.ccp - v.ccp;
    case measure::lcp: return static_cast<float>(g.lcp - v.lcp);
    case measure::iic: return static_cast<float>(g.iic - v.iic);
    case measure::f: return g.f - v.f;
    case measure::awf: return g.awf - v.awf;
    case measure::pc: return static_cast<float>(g.pc - v.pc);
    default: return varError();
  }
}

// var of an addition: both values rounded first, the difference in float.
template <class T>
float gainAmount(measure m, const linkValues<T>& g, const linkValues<T>& v) {
  switch (m) {
    case measure::nl: return static_cast<float>(v.nl) - static_cast<float>(g.nl);
    case measure::nc: return static_cast<float>(v.nc) - static_cast<float>(g.nc);
    case measure::h: return v.h - g.h;
    case measure::ccp: return v.ccp - g.ccp;
    case measure::lcp: return static_cast<float>(v.lcp) - static_cast<float>(g.lcp);
    case measure::iic: return static_cast<float>(v.iic) - static_cast<float>(g.iic);
    case measure::f: return v.f - g.f;
    case measure::awf: return v.awf - g.awf;
    case measure::pc: return static_cast<float>(v.pc) - static_cast<float>(g.pc);
    default: return varError();
  }
}

// The share of a fraction in its base, before the scaling by 100.
template <class V>
float fractionShare(double fraction, V base) {
  return static_cast<float>(static_cast<double>(static_cast<float>(fraction)) / static_cast<double>(base));
}

template <class V>
float fractionPercent(double fraction, V base) {
  return 100 * fractionShare(fraction, base);
}

// A connector is 0 for a node that no best path crosses (when that
// betweenness was computed), and slightly negative values are noise.
inline float connectorPercent(float share, bool crossedByNone) {
  if (crossedByNone) return 0;
  const float percent = 100 * share;
  if (percent < 0 && static_cast<double>(percent) > -kNearZero) return 0;
  return percent;
}

template <class T>
bool validPair(const quivaraProgram<T>& p, const linkRecords<T>& store, int i, int j) {
  return j >= 0 && j < i && i < p.nNodes && pairIndex(i, j) < store.size();
}

// One link family: unselected pairs count 0 when the family selects.
template <class T>
float linkLoss(const quivaraProgram<T>& p, const linkRecords<T>& store, bool selective, measure m, int i, int j) {
  if (!validPair(p, store, i, j)) return deltaError();
  if (selective && !p.linkSelected(i, j)) return 0;
  const linkValues<T> g = linkValuesOf(*p.landGlobal);
  return percentChange(m, g, store.at(pairIndex(i, j), g), false);
}

// IIC and PC changes of a link within rounding noise of zero, on the side a
// link change should not produce, read as no change.
template <class T>
bool linkNoise(measure m, const linkValues<T>& g, const linkValues<T>& v, bool improvement) {
  const double global = static_cast<double>(m == measure::iic ? g.iic : g.pc);
  const double variant = static_cast<double>(m == measure::iic ? v.iic : v.pc);
  const float share = static_cast<float>((global - variant) / global);
  const double percent = static_cast<double>(100 * share);
  if (improvement) return percent > 0 && percent < kNearZero;
  return percent < 0 && percent > -kNearZero;
}

template <class T>
float removalDelta(quivaraProgram<T>& p, const std::string& key, int i) {
  const landscape<T>& g = *p.landGlobal;
  const landscape<T>& v = p.landDel[i];
  const measure m = measureOfKey(key);
  if (m != measure::none) return percentChange(m, linkValuesOf(g), linkValuesOf(v), false);
  if (key == "a") return 100 * p.size[i] / p.sizeTotalHabitat;
  if (key == "iicintra") return fractionPercent(v.iicintra, g.iic);
  if (key == "iicflux") return fractionPercent(v.iicflux, g.iic);
  if (key == "iicconnector")
    return connectorPercent(fractionShare(v.iicconnector, g.iic), p.bciicFlag && p.valueOfBCIIC(i) == 0);
  if (key == "pcintra") return fractionPercent(v.pcintra, g.pc);
  if (key == "pcflux") return fractionPercent(v.pcflux, g.pc);
  if (key == "pcconnector")
    return connectorPercent(fractionShare(v.pcconnector, g.pc), p.bcpcFlag && p.valueOfBCPC(i) == 0);
  if (key == "bcpc") return fractionPercent(p.valueOfBCPC(i), g.pcnum);
  if (key == "bciic") return fractionPercent(p.valueOfBCIIC(i), g.iicnum);
  return kUnknownKey;
}

template <class T>
float additionDelta(quivaraProgram<T>& p, const std::string& key, int k) {
  const landscape<T>& g = *p.landGlobal;
  const landscape<T>& v = p.landAdd[k];
  const measure m = measureOfKey(key);
  if (m == measure::pc) {
    const float before = static_cast<float>(g.pcnum);
    const float after = static_cast<float>(v.pcnum);
    return 100 * ((after - before) / before);
  }
  if (m != measure::none) return percentChange(m, numeratorsOf(g), numeratorsOf(v), true);
  if (key == "a") return 100 * p.sizeAdd[k] / p.sizeTotalHabitat;
  if (key == "iicintra") return fractionPercent(v.iicintra, g.iicnum);
  if (key == "iicflux") return fractionPercent(v.iicflux, g.iicnum);
  if (key == "iicconnector") return connectorPercent(fractionShare(v.iicconnector, g.iicnum), false);
  if (key == "pcintra") return fractionPercent(v.pcintra, g.pcnum);
  if (key == "pcflux") return fractionPercent(v.pcflux, g.pcnum);
  if (key == "pcconnector") return connectorPercent(fractionShare(v.pcconnector, g.pcnum), false);
  if (key == "bcpc" || key == "bciic") return 0;
  return kUnknownKey;
}

// Codes 3 (removed), 4 (made sure) and 5 (changed) of the pair (i, j).
template <class T>
float linkDelta(quivaraProgram<T>& p, int typeLand, const std::string& key, int i, int j) {
  const linkRecords<T>& store = typeLand == 3 ? p.landDelCon : (typeLand == 4 ? p.landConSure : p.landConDiff);
  if (!validPair(p, store, i, j)) return deltaError();
  if (typeLand != 5 && !p.linkSelected(i, j)) return 0;
  if (key == "a" || isFractionKey(key)) return deltaError();
  const measure m = measureOfKey(key);
  if (m == measure::none) return kUnknownKey;
  const linkValues<T> g = linkValuesOf(*p.landGlobal);
  const linkValues<T>& v = store.at(pairIndex(i, j), g);
  if ((m == measure::iic || m == measure::pc) && linkNoise(m, g, v, typeLand == 4)) return 0;
  return percentChange(m, g, v, false);
}

// The connector var is 0 exactly where its percentage was set to 0.
template <class T>
float nodeVar(quivaraProgram<T>& p, int typeLand, const std::string& key, int i) {
  const bool removal = typeLand == 1;
  const landscape<T>& v = removal ? p.landDel[i] : p.landAdd[i];
  if (key.size() > 3 && key.compare(key.size() - 3, 3, "var") == 0) {
    const measure m = measureOfKey(key.substr(0, key.size() - 3));
    if (m != measure::none) {
      return removal ? lossAmount(m, linkValuesOf(*p.landGlobal), linkValuesOf(v))
                     : gainAmount(m, numeratorsOf(*p.landGlobal), numeratorsOf(v));
    }
  }
  if (key == "avar") return removal ? p.size[i] : p.sizeAdd[i];
  if (key == "iicintravar") return static_cast<float>(v.iicintra);
  if (key == "iicfluxvar") return static_cast<float>(v.iicflux);
  if (key == "pcintravar") return static_cast<float>(v.pcintra);
  if (key == "pcfluxvar") return static_cast<float>(v.pcflux);
  if (key == "iicconnectorvar")
    return p.valueOfDelta(typeLand, "iicconnector", i) == 0 ? 0.0f : static_cast<float>(v.iicconnector);
  if (key == "pcconnectorvar")
    return p.valueOfDelta(typeLand, "pcconnector", i) == 0 ? 0.0f : static_cast<float>(v.pcconnector);
  if (key == "bcpcvar") return removal ? p.valueOfBCPC(i) : 0.0f;
  if (key == "bciicvar") return removal ? p.valueOfBCIIC(i) : 0.0f;
  return varError();
}

// ---- node and link variations ----

template <class T>
float quivaraProgram<T>::valueOfDelta(int typeLand, const std::string& index, int i) {
  return valueOfDelta(typeLand, index, i, -1);
}

template <class T>
float quivaraProgram<T>::valueOfDelta(int typeLand, const std::string& index, int i, int j) {
  if (typeLand == 1) return removalDelta(*this, index, i);
  if (typeLand == 2) return additionDelta(*this, index, i);
  if (typeLand >= 3 && typeLand <= 5) return linkDelta(*this, typeLand, index, i, j);
  return deltaError();
}

template <class T>
float quivaraProgram<T>::valueOfVar(int typeLand, const std::string& index, int i) {
  return valueOfVar(typeLand, index, i, -1);
}

// No report asks a link case for var: the link tables carry percentages only.
template <class T>
float quivaraProgram<T>::valueOfVar(int typeLand, const std::string& index, int i, int) {
  if (typeLand == 1 || typeLand == 2) return nodeVar(*this, typeLand, index, i);
  return varError();
}

// ---- link families ----

#define VERDALIS_LINK_FAMILY(Name, store, selective)                                                            \
  template <class T>                                                                                           \
  float quivaraProgram<T>::valueOfDelta##Name##NL(int i, int j) {                                              \
    return linkLoss(*this, store, selective, measure::nl, i, j);                           \
  }                                                                                                            \
  template <class T>                                                                                           \
  float quivaraProgram<T>::valueOfDelta##Name##NC(int i, int j) {                                              \
    return linkLoss(*this, store, selective, measure::nc, i, j);                           \
  }                                                                                                            \
  template <class T>                                                                                           \
  float quivaraProgram<T>::valueOfDelta##Name##H(int i, int j) {                                               \
    return linkLoss(*this, store, selective, measure::h, i, j);                            \
  }                                                                                                            \
  template <class T>                                                                                           \
  float quivaraProgram<T>::valueOfDelta##Name##CCP(int i, int j) {                                             \
    return linkLoss(*this, store, selective, measure::ccp, i, j);                          \
  }                                                                                                            \
  template <class T>                                                                                           \
  float quivaraProgram<T>::valueOfDelta##Name##LCP(int i, int j) {                                             \
    return linkLoss(*this, store, selective, measure::lcp, i, j);                          \
  }                                                                                                            \
  template <class T>                                                                                           \
  float quivaraProgram<T>::valueOfDelta##Name##IIC(int i, int j) {                                             \
    return linkLoss(*this, store, selective, measure::iic, i, j);                          \
  }                                                                                                            \
  template <class T>                                                                                           \
  float quivaraProgram<T>::valueOfDelta##Name##F(int i, int j) {                                               \
    return linkLoss(*this, store, selective, measure::f, i, j);                            \
  }                                                                                                            \
  template <class T>                                                                                           \
  float quivaraProgram<T>::valueOfDelta##Name##AWF(int i, int j) {                                             \
    return linkLoss(*this, store, selective, measure::awf, i, j);                          \
  }                                                                                                            \
  template <class T>                                                                                           \
  float quivaraProgram<T>::valueOfDelta##Name##PC(int i, int j) {                                              \
    return linkLoss(*this, store, selective, measure::pc, i, j);                           \
  }

// Removed and made-sure links follow the selection rule; a changed link is
// measured for every pair.
VERDALIS_LINK_FAMILY(Con, landDelCon, true)
VERDALIS_LINK_FAMILY(ConSure, landConSure, true)
VERDALIS_LINK_FAMILY(ConDiff, landConDiff, false)
#undef VERDALIS_LINK_FAMILY

// ---- sums ----

// Sum over the existing nodes, in node order, in float.
template <class T>
float nodeSum(quivaraProgram<T>& p, const char* key) {
  const std::string index = key;
  float sum = 0;
  for (int i = 0; i < p.nNodes; ++i) sum += p.valueOfDelta(1, index, i);
  return sum;
}

// Sum over the pairs, in pair order, in double.
template <class T, class F>
double pairSum(const quivaraProgram<T>& p, F&& value) {
  double sum = 0;
  for (int i = 0; i < p.nNodes; ++i)
    for (int j = 0; j < i; ++j) sum += static_cast<double>(value(i, j));
  return sum;
}

template <class T>
float quivaraProgram<T>::valueOfSumdIIC() {
  return nodeSum(*this, "iic");
}
template <class T>
float quivaraProgram<T>::valueOfSumdIICintra() {
  return nodeSum(*this, "iicintra");
}
template <class T>
float quivaraProgram<T>::valueOfSumdIICflux() {
  return nodeSum(*this, "iicflux");
}
template <class T>
float quivaraProgram<T>::valueOfSumdIICconnector() {
  return nodeSum(*this, "iicconnector");
}
template <class T>
float quivaraProgram<T>::valueOfSumdPC() {
  return nodeSum(*this, "pc");
}
template <class T>
float quivaraProgram<T>::valueOfSumdPCintra() {
  return nodeSum(*this, "pcintra");
}
template <class T>
float quivaraProgram<T>::valueOfSumdPCflux() {
  return nodeSum(*this, "pcflux");
}
template <class T>
float quivaraProgram<T>::valueOfSumdPCconnector() {
  return nodeSum(*this, "pcconnector");
}

template <class T>
double quivaraProgram<T>::valueOfConSumdIIC() {
  return pairSum(*this, [&](int i, int j) { return valueOfDeltaConIIC(i, j); });
}
template <class T>
double quivaraProgram<T>::valueOfConSureSumdIIC() {
  return pairSum(*this, [&](int i, int j) { return valueOfDeltaConSureIIC(i, j); });
}
template <class T>
double quivaraProgram<T>::valueOfConDiffSumdIIC() {
  return pairSum(*this, [&](int i, int j) { return valueOfDeltaConDiffIIC(i, j); });
}
template <class T>
double quivaraProgram<T>::valueOfConSumdPC() {
  return pairSum(*this, [&](int i, int j) { return valueOfDeltaConPC(i, j); });
}
template <class T>
double quivaraProgram<T>::valueOfConSureSumdPC() {
  return pairSum(*this, [&](int i, int j) { return valueOfDeltaConSurePC(i, j); });
}
template <class T>
double quivaraProgram<T>::valueOfConDiffSumdPC() {
  return pairSum(*this, [&](int i, int j) { return valueOfDeltaConDiffPC(i, j); });
}

// ---- overall values of the global landscape ----

template <class T>
float quivaraProgram<T>::valueOfCCP() {
  return landGlobal->ccp;
}
template <class T>
float quivaraProgram<T>::valueOfLCP() {
  return static_cast<float>(landGlobal->lcp);
}
template <class T>
float quivaraProgram<T>::valueOfLCPnum() {
  return static_cast<float>(landGlobal->lcpnum);
}
template <class T>
float quivaraProgram<T>::valueOfIIC() {
  return static_cast<float>(landGlobal->iic);
}
template <class T>
float quivaraProgram<T>::valueOfIICnum() {
  return static_cast<float>(landGlobal->iicnum);
}
template <class T>
float quivaraProgram<T>::valueOfIICEC() {
  return static_cast<float>(landGlobal->iicec);
}
template <class T>
float quivaraProgram<T>::valueOfNC() {
  return static_cast<float>(landGlobal->nc);
}
template <class T>
float quivaraProgram<T>::valueOfNL() {
  return static_cast<float>(landGlobal->nl);
}
template <class T>
float quivaraProgram<T>::valueOfH() {
  return landGlobal->h;
}
template <class T>
float quivaraProgram<T>::valueOfF() {
  return landGlobal->f;
}
template <class T>
float quivaraProgram<T>::valueOfAWF() {
  return landGlobal->awf;
}
template <class T>
float quivaraProgram<T>::valueOfPC() {
  return static_cast<float>(landGlobal->pc);
}
template <class T>
float quivaraProgram<T>::valueOfPCEC() {
  return static_cast<float>(landGlobal->pcec);
}
template <class T>
float quivaraProgram<T>::valueOfPCnum() {
  return static_cast<float>(landGlobal->pcnum);
}

// The parts of PC in percent of its numerator as the reports print it.
template <class T>
double quivaraProgram<T>::retorna_valor_de_pcIntraGlob() {
  return landGlobal->pcIntraGlob / static_cast<double>(valueOfPCnum()) * 100;
}
template <class T>
double quivaraProgram<T>::retorna_valor_de_pcDirectGlob() {
  return landGlobal->pcDirectGlob / static_cast<double>(valueOfPCnum()) * 100;
}
template <class T>
double quivaraProgram<T>::retorna_valor_de_pcStepGlob() {
  return landGlobal->pcStepGlob / static_cast<double>(valueOfPCnum()) * 100;
}

// ---- node and connection data ----

// Betweenness exists only when its index was computed; otherwise no node is
// credited with any.
template <class T>
float quivaraProgram<T>::valueOfBC(int i) {
  return landGlobal->bc.empty() ? 0.0f : landGlobal->bc[i];
}
template <class T>
float quivaraProgram<T>::valueOfBCPC(int i) {
  return landGlobal->bcpc.empty() ? 0.0f : landGlobal->bcpc[i];
}
template <class T>
float quivaraProgram<T>::valueOfBCIIC(int i) {
  return landGlobal->bciic.empty() ? 0.0f : landGlobal->bciic[i];
}

template <class T>
int quivaraProgram<T>::valueOfComponent(int i) {
  return landGlobal->whichComponent(i);
}

template <class T>
int quivaraProgram<T>::isAdjacent(int i, int j) {
  return isBinaryLink(connectionValue(i, j), inputDist, inputProb, inputAdjacen, adjacentTail) ? 1 : 0;
}

template <class T>
float quivaraProgram<T>::valueOfProbability(int i, int j) {
  const float value = connectionValue(i, j);
  if (inputDist) return distanceToProbability(probabilityConstant(kProbProb, kDistanceProb), value);
  if (inputProb) return value;
  return 0;
}

// Best paths are known only where PC was computed.
template <class T>
float quivaraProgram<T>::valueOfProbabilityMaximum(int i, int j) {
  if (!pcFlag) {
    say("Error!: Cannot acces to the maximum product probability values\n");
    return 0;
  }
  if (!heldSparse()) return landGlobal->valueOfProbabilityMaximum(i, j);
  if (bestRowSource != i) {
    if (!bestRows) bestRows = std::make_unique<bestPathRows<T>>(sparseGlobal);
    bestRows->row(i, bestRow);
    bestRowSource = i;
  }
  return bestRow[j];
}

template <class T>
int quivaraProgram<T>::numberEdges_landGlobalPC() {
  return landGlobal->numberEdgesPC();
}

}  // namespace verdalis
