#pragma once
// The parsed command line: selected indices, thresholds, analyses, the names
// of all result files and the run prefix. Copied by value into every run.
#include <string>

#include "support/progress_lines.h"

namespace verdalis {

class dataArg {
 public:
  bool inputDist = true;
  bool inputProb = false;
  bool inputAdjacen = false;
  bool A = false;
  bool CCP = false;
  bool LCP = false;
  bool IIC = false;
  bool NC = false;
  bool NL = false;
  bool H = false;
  bool F = false;
  bool AWF = false;
  bool PC = false;
  bool BC = false;
  bool BCIIC = false;
  bool BCPC = false;
  std::string fileNodes;
  std::string fileConnections;
  float adjacentTail = 0;
  float kDistanceProb = 0;
  float kProbProb = 0;
  float minProbp = 0;
  bool allpathsp = false;
  bool onlyoverall = false;
  bool structType = false;
  bool addNodes = false;
  bool linkImportances1 = false;
  bool linkImportances2 = false;
  float linkImportancesPij = -1.0f;
  bool linkImportances3 = false;
  float landscapeArea = 0;
  float precission = 1.0f;
  float help = 0;
  std::string node_importances = "node_importances.txt";
  std::string node_importances_sum_PC = "node_importances_sum_PC.txt";
  std::string node_importances_sum_IIC = "node_importances_sum_IIC.txt";
  std::string link_importances_removal = "link_importances_removal.txt";
  std::string link_importances_removal_sum_PC = "link_importances_removal_sum_PC.txt";
  std::string link_importances_removal_sum_IIC = "link_importances_removal_sum_IIC.txt";
  std::string link_importances_improvement = "link_importances_improvement.txt";
  std::string link_importances_improvement_sum_PC = "link_importances_improvement_sum_PC.txt";
  std::string link_importances_improvement_sum_IIC = "link_importances_improvement_sum_IIC.txt";
  std::string link_importances_improvementDiff = "link_importances_change.txt";
  std::string link_importances_improvementDiff_sum_PC = "link_importances_change_sum_PC.txt";
  std::string link_importances_improvementDiff_sum_IIC = "link_importances_change_sum_IIC.txt";
  std::string node_importances_EC_PC = "results_all_EC(PC).txt";
  std::string node_importances_EC_IIC = "results_all_EC(IIC).txt";
  std::string overall_indices = "overall_indices.txt";
  std::string all_overall_indices = "results_all_overall_indices.txt";
  std::string components = "components.txt";
  std::string links = "links.txt";
  std::string direct_probabilities = "direct_probabilities.txt";
  std::string maximum_product_probabilities = "maximum_product_probabilities.txt";
  std::string execution_events = "execution_events.txt";
  std::string prefix_name;
  bool bnode_importances = true;
  bool blink_importances_removal = false;
  bool blink_importances_improvement = false;
  bool blink_importances_improvementDiff = false;
  bool boverall_indices = true;
  bool bcomponents = false;
  bool blinks = false;
  bool bdirect_probabilities = false;
  bool bmaximum_product_probabilities = false;
  bool bexecution_events = false;
  bool searchSimilar = false;
  bool type1_iteration = false;
  bool type2_iteration = false;
  float min_iteration = 0;
  float max_iteration = 0;
  float step_iteration = 0;
  // Options of the fast engine: -reference runs the straightforward
  // algorithms; -threads N sets the worker threads (0: all hardware threads).
  bool reference = false;
  int threads = 0;
  // -dense: a "notall" connection file is held in the dense form, as n x n
  // matrices as an "all" file is, instead of the sparse form (for checking
  // the two against each other).
  bool dense = false;
  // -plan: each run prints its plan (the form and the route of every phase)
  // and its memory estimate instead of computing anything.
  bool plan = false;
  // -symmetric: a pair that a "notall" connection file lists in one
  // direction is read in both. -appendInvalid: a run whose input had
  // invalid values still appends to the summary files. --version: print the
  // version and stop.
  bool symmetric = false;
  bool appendInvalid = false;
  bool version = false;
  // -progress all|brief: every progress line of the run log, or the brief
  // log of a large run; by default the brief one only where the full text
  // would pass its budget (program/progress_choice.h).
  progressRequest progress = progressRequest::automatic;
  // The warnings told on standard error about the command line itself,
  // which every run of it counts in its closing summary.
  int commandLineWarnings = 0;

  void setPrefix(std::string p);
  void actualitzaPrefix();
};

}  // namespace verdalis
