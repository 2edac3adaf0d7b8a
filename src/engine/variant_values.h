#pragma once
// What the engine gives back for each variant: the index values the
// reports read, and the fractions of a removed node.
namespace verdalis {

// The split of a change into intra, flux and connector.
struct fractionValues {
  double intra = 0, flux = 0, connector = 0;
};

// One node removed.
template <class T>
struct removalValues {
  float sizeTotalHabitat = 0;
  int nEdges = 0;
  int nl = 0;
  int nComponents = 0;
  int nc = 0;
  float h = 0;
  float ccp = 0;
  double lcp = 0, lcpnum = 0;
  T iic = 0, iicnum = 0, iicec = 0;
  float f = 0, awf = 0;
  T pc = 0, pcnum = 0, pcec = 0;
  fractionValues iicFractions, pcFractions;
};

// One link removed, made sure or changed: only the values its reports read.
template <class T>
struct linkValues {
  int nl = 0;
  int nc = 0;
  float h = 0;
  float ccp = 0;
  double lcp = 0;
  T iic = 0;
  float f = 0;
  float awf = 0;
  T pc = 0;
};

}  // namespace verdalis
