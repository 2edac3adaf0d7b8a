#pragma once
// The combinations of options that a run refuses before it starts, in the
// order the command line checks them: an index without the threshold it
// needs, a threshold that does not apply to the kind of pair values, an
// option of an index that is not selected. The command line says each in
// its fixed words on the run log and with this text on standard error; the
// library refuses them with the text.
#include <string>
#include <vector>

#include "support/numfmt.h"

namespace verdalis {

enum class refusedCombination {
  binaryWithoutConfAdj,
  probabilisticWithoutConfProb,
  confProbWithProbabilities,
  probabilisticWithLinks,
  pcHeurWithoutPC,
  bciicWithoutIIC,
  bcpcWithoutPC
};

// What the checks look at. A threshold of 0 is one not given, as on the
// command line.
struct combinationFacts {
  bool binary = false, probabilistic = false, PC = false, IIC = false, BCIIC = false, BCPC = false;
  bool distances = true, probabilities = false, links = false;
  float confAdj = 0, confProbDistance = 0, confProbProbability = 0;
  bool thresholdRange = false;  // -confMultipleValues sets the threshold of each run
  bool pcHeur = false;
};

struct combinationRefusal {
  refusedCombination what;
  std::string option;  // the option it is about
  std::string text;    // what was found and what to do
};

// A value of 0 is one not given; the line names which.
inline std::string confProbMissing(const combinationFacts& f) {
  if (f.confProbDistance == 0 && f.confProbProbability == 0)
    return "the probabilistic indices (F, AWF, PC, BCPC) on distances need -confProb D P, the probability P at "
           "distance D (e.g. -confProb 1000 0.5)";
  const std::string given = "-confProb " + toText(f.confProbDistance) + " " + toText(f.confProbProbability) + ": ";
  return given + (f.confProbProbability == 0 ? "the probability, its second number, must be above 0 and at most 1"
                                             : "the distance, its first number, must be above 0");
}

inline std::vector<combinationRefusal> refusedCombinations(const combinationFacts& f) {
  using R = refusedCombination;
  std::vector<combinationRefusal> found;
  if (f.binary && f.confAdj == 0 && !f.thresholdRange && (f.distances || f.probabilities))
    found.push_back({R::binaryWithoutConfAdj, "-confAdj",
                     "the binary indices (NC, NL, H, CCP, LCP, IIC, BC, BCIIC) need -confAdj V, the link threshold: a "
                     "distance, or with -t prob a probability (e.g. -confAdj 1000)"});
  if (f.probabilistic && (f.confProbDistance == 0 || f.confProbProbability == 0) && f.distances)
    found.push_back({R::probabilisticWithoutConfProb, "-confProb", confProbMissing(f)});
  else if (f.probabilistic && (f.confProbDistance != 0 || f.confProbProbability != 0) && f.probabilities)
    found.push_back({R::confProbWithProbabilities, "-confProb",
                     "-confProb turns distances into probabilities; with -t prob the connection file gives the "
                     "probabilities themselves: leave -confProb out"});
  if (f.probabilistic && f.links)
    found.push_back({R::probabilisticWithLinks, "-t",
                     "binary links (-t adj) give no probabilities: F, AWF, PC and BCPC need distances (-t dist) or "
                     "probabilities (-t prob)"});
  if (f.pcHeur && !f.PC)
    found.push_back({R::pcHeurWithoutPC, "-pcHeur", "-pcHeur applies to PC only: add -PC, or leave -pcHeur out"});
  if (f.BCIIC && !f.IIC) found.push_back({R::bciicWithoutIIC, "-BCIIC", "-BCIIC needs -IIC as well: add -IIC"});
  if (f.BCPC && !f.PC) found.push_back({R::bcpcWithoutPC, "-BCPC", "-BCPC needs -PC as well: add -PC"});
  return found;
}

}  // namespace verdalis
