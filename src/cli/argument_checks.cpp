#include "cli/arguments.h"

#include <string>
#include <vector>

#include "library/option_checks.h"
#include "support/numfmt.h"

// The checks of the combination of options after the tokens are read: the
// refused combinations (shared with the library), the output switches that
// the selected indices make useless, and threshold ranges that cannot end.
namespace verdalis {

namespace {

bool binarySelected(const dataArg& a) { return a.CCP || a.LCP || a.IIC || a.NC || a.NL || a.H || a.BC || a.BCIIC; }

bool probabilisticSelected(const dataArg& a) { return a.F || a.AWF || a.PC || a.BCPC; }

// Whether an earlier problem of the command line is about `option` already:
// "-confProb not defined" only repeats "-confProb takes two numbers".
bool alreadyTold(const std::vector<commandLineProblem>& told, const std::string& option) {
  for (const commandLineProblem& problem : told)
    if (problem.option == option) return true;
  return false;
}

// The checks that count as errors, in their fixed order, each said in the
// run log's fixed words and, once, on standard error.
int checkThresholds(const dataArg& a, std::string& messages, std::vector<commandLineProblem>& told) {
  static const char* const logText[] = {
      "\n -confAdj not defined\n",
      "\n -confProb not defined\n",
      "\n With Prob connections, is not necessary define -confProb \n",
      "\n With adjacent input, is not possible calculate probabilistic indices\n",
      "\n -pcHeur not active. PC not selected.\n",
      "\n To calculate BCIIC you also have to select IIC.\n",
      "\n To calculate BCPC you also have to select PC.\n",
  };
  combinationFacts facts;
  facts.binary = binarySelected(a);
  facts.probabilistic = probabilisticSelected(a);
  facts.PC = a.PC;
  facts.IIC = a.IIC;
  facts.BCIIC = a.BCIIC;
  facts.BCPC = a.BCPC;
  facts.distances = a.inputDist;
  facts.probabilities = a.inputProb;
  facts.links = a.inputAdjacen;
  facts.confAdj = a.adjacentTail;
  facts.confProbDistance = a.kDistanceProb;
  facts.confProbProbability = a.kProbProb;
  facts.thresholdRange = a.type1_iteration || a.type2_iteration;
  facts.pcHeur = a.allpathsp || a.minProbp > 0;
  const std::vector<combinationRefusal> refused = refusedCombinations(facts);
  for (const combinationRefusal& r : refused) {
    messages += logText[static_cast<int>(r.what)];
    if (!alreadyTold(told, r.option)) told.push_back({problemLevel::error, r.text, r.option});
  }
  return static_cast<int>(refused.size());
}

// The output switches that are useless with the selected indices.
void clearUselessOutputs(dataArg& a, std::string& messages, std::vector<commandLineProblem>& told) {
  auto drop = [&](bool dataArg::*output, const char* text, const std::string& user) {
    messages += text;
    a.*output = false;
    told.push_back({problemLevel::warning, user, ""});
  };
  if (a.bcomponents && !a.NC)
    drop(&dataArg::bcomponents, "\n The option -wcomp will only be used if the NC index is selected (-NC)\x94.\n",
         "-wcomp writes the components of NC, which is not selected: no component file is written. Add -NC to "
         "have it");
  if (a.blinks && !binarySelected(a))
    drop(&dataArg::blinks, "\n The option -wlinks will only be used if there is at least one binary index selected.\n",
         "-wlinks writes the links of the binary indices, and none is selected: no link file is written. Add a "
         "binary index such as -NC or -IIC (with -confAdj) to have it");
  if (a.bdirect_probabilities && !probabilisticSelected(a))
    drop(&dataArg::bdirect_probabilities,
         "\n The option -wprobdir will only be used if there is at least one probabilistic index selected.\n",
         "-wprobdir writes the direct probabilities of the probabilistic indices, and none is selected: no "
         "probability file is written. Add -PC, -F or -AWF to have it");
  if (a.bmaximum_product_probabilities && !a.PC)
    drop(&dataArg::bmaximum_product_probabilities,
         "\n The option -wprobmax will only be used if the PC index has been selected.\n",
         "-wprobmax writes the best-path probabilities of PC, which is not selected: no such file is written. "
         "Add -PC to have it");
}

// Whether repeated single-precision additions of step lead from min to
// max; a step too small for the magnitude of the values stops advancing.
bool rangeAdvances(float min, float max, float step) {
  for (float v = min; v < max;) {
    float next = v + step;
    if (!(next > v)) return false;
    v = next;
  }
  return true;
}

// A value range whose step cannot reach the last value would run forever.
int checkIteration(const dataArg& a, std::string& messages, std::vector<commandLineProblem>& told) {
  if (!a.type1_iteration || !(a.min_iteration < a.max_iteration)) return 0;
  const std::string range = "-confMultipleValues " + toText(a.min_iteration) + " " + toText(a.max_iteration) +
                            " " + toText(a.step_iteration);
  if (!(a.step_iteration > 0)) {
    messages += "Error: The step of -confMultipleValues must be greater than 0\n";
    told.push_back({problemLevel::error, range + ": the step, its third number, must be greater than 0", ""});
    return 1;
  }
  if (!rangeAdvances(a.min_iteration, a.max_iteration, a.step_iteration)) {
    messages += "Error: The step of -confMultipleValues is too small to reach its last value\n";
    told.push_back({problemLevel::error, range + ": the step is too small to advance from the first value to "
                                                 "the last in single precision; take a larger step", ""});
    return 1;
  }
  return 0;
}

}  // namespace

int checkArguments(dataArg& arg, std::string& messages, std::vector<commandLineProblem>& told) {
  int errors = checkThresholds(arg, messages, told);
  clearUselessOutputs(arg, messages, told);
  return errors + checkIteration(arg, messages, told);
}

int checkArguments(dataArg& arg, std::string& messages) {
  std::vector<commandLineProblem> told;
  return checkArguments(arg, messages, told);
}

}  // namespace verdalis
