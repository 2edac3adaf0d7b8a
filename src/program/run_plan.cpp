#include "program/run_plan.h"

#include "support/numfmt.h"

namespace verdalis {

namespace {

// The dense form when the options ask for it or need it; notallFile when
// they leave the sparse one.
formReason optionsFormReason(const planInputs& in) {
  if (in.allFile) return formReason::allFile;
  if (!in.options.engine) return formReason::referenceAsked;
  if (in.options.denseAsked) return formReason::denseAsked;
  if (in.options.savedPaths) return formReason::savedPaths;
  if (in.unlistedPairsLinked) return formReason::unlistedPairsLinked;
  return formReason::notallFile;
}

// What the values read say of a sparse run: a probability above 1 gives a
// negative weight, which only the straightforward searches take; an
// infinite product of attributes makes the zero terms of the pairs not
// connected nan, which only the dense form adds.
formReason valuesFormReason(const planInputs& in) {
  if (!in.valuesRead) return formReason::notallFile;
  if (in.probabilistic && in.probabilityAboveOne) return formReason::probabilityAboveOne;
  if (in.pc && in.linkChange && in.changedProbabilityAboveOne) return formReason::changedProbabilityAboveOne;
  if (in.productsOverflow) return formReason::productsOverflow;
  return formReason::notallFile;
}

void chooseForm(const planInputs& in, runPlan& plan) {
  plan.why = optionsFormReason(in);
  plan.optionsForm = plan.why == formReason::notallFile ? landscapeForm::sparse : landscapeForm::dense;
  if (plan.why == formReason::notallFile) plan.why = valuesFormReason(in);
  plan.form = plan.why == formReason::notallFile ? landscapeForm::sparse : landscapeForm::dense;
}

phasePlan routed(phaseRoute route, routeReason why = routeReason::none) { return {true, route, why}; }

phasePlan overallPlan(const planInputs& in, landscapeForm form) {
  if (form == landscapeForm::sparse) return routed(phaseRoute::sparseEngine);
  if (in.pc && in.options.savedPaths) return routed(phaseRoute::savedPaths);
  if (!in.options.engine) return routed(phaseRoute::straightforward, routeReason::referenceAsked);
  // The engine searches PC; the other indices are measured in full on
  // either route.
  if (!in.pc) return routed(phaseRoute::straightforward, routeReason::noDenseEngine);
  return routed(phaseRoute::denseEngine);
}

phasePlan betweennessPlan(const planInputs& in, landscapeForm form) {
  if (!in.bc && !in.bciic && !in.bcpc) return {};
  if (form == landscapeForm::sparse) return routed(phaseRoute::sparseEngine);
  if (!in.options.engine) return routed(phaseRoute::straightforward, routeReason::referenceAsked);
  // BC itself is one breadth-first count per source on both routes.
  if (!in.bciic && !in.bcpc) return routed(phaseRoute::straightforward, routeReason::noDenseEngine);
  return routed(phaseRoute::denseEngine);
}

phasePlan removalsPlan(const planInputs& in, landscapeForm form) {
  if (!in.nodeAnalyses || !in.removals) return {};
  if (in.nodes == 0) return routed(phaseRoute::straightforward, routeReason::noExistingPatch);
  if (form == landscapeForm::sparse) return routed(phaseRoute::sparseEngine);
  if (in.options.savedPaths) return routed(phaseRoute::savedPaths);
  if (!in.options.engine) return routed(phaseRoute::straightforward, routeReason::referenceAsked);
  if (in.pc && in.probabilityAboveOne) return routed(phaseRoute::straightforward, routeReason::probabilityAboveOne);
  return routed(phaseRoute::denseEngine);
}

phasePlan additionsPlan(const planInputs& in, landscapeForm form) {
  if (!in.nodeAnalyses || in.candidates == 0) return {};
  if (form == landscapeForm::sparse) return routed(phaseRoute::sparseEngine);
  return routed(phaseRoute::straightforward,
                in.options.engine ? routeReason::noDenseEngine : routeReason::referenceAsked);
}

phasePlan linkPlan(const planInputs& in, landscapeForm form, bool asked, bool change) {
  if (!in.nodeAnalyses || !asked) return {};
  if (form == landscapeForm::sparse) return routed(phaseRoute::sparseEngine);
  if (!in.options.engine) return routed(phaseRoute::straightforward, routeReason::referenceAsked);
  if (in.options.savedPaths) return routed(phaseRoute::straightforward, routeReason::savedPaths);
  if (in.nodes >= 0 && in.nodes < 2) return routed(phaseRoute::straightforward, routeReason::fewerThanTwoPatches);
  if (in.pc && in.probabilityAboveOne) return routed(phaseRoute::straightforward, routeReason::probabilityAboveOne);
  if (change && in.pc && in.changedProbabilityAboveOne)
    return routed(phaseRoute::straightforward, routeReason::changedProbabilityAboveOne);
  return routed(phaseRoute::denseEngine);
}

const char* formReasonText(formReason why) {
  switch (why) {
    case formReason::notChosen: return "no plan was chosen";
    case formReason::notallFile: return "a notall connection file";
    case formReason::allFile: return "the connection file lists every pair (all)";
    case formReason::referenceAsked: return "-reference";
    case formReason::denseAsked: return "-dense";
    case formReason::savedPaths: return "the saved-path search";
    case formReason::unlistedPairsLinked: return "the binary threshold links the pairs that no line lists";
    case formReason::probabilityAboveOne:
      return "a probability above 1 was read, which only the straightforward searches take";
    case formReason::changedProbabilityAboveOne:
      return "a changed value gives a probability above 1, which only the straightforward searches take";
    case formReason::productsOverflow:
      return "the product of two attributes overflows single precision, which only the dense form sums as the "
             "straightforward computation does";
  }
  return "";
}

// What the engine of the dense form leaves to the straightforward route.
const char* noDenseEngineText(runPhase phase) {
  switch (phase) {
    case runPhase::overall: return "without PC, which alone the engine searches on the dense form";
    case runPhase::betweenness: return "BC alone, for which the engine has no route of its own on the dense form";
    default: return "the engine has no route for candidates on the dense form";
  }
}

const char* routeReasonText(runPhase phase, routeReason why) {
  switch (why) {
    case routeReason::none: return "";
    case routeReason::referenceAsked: return "-reference";
    case routeReason::savedPaths: return "the saved-path search";
    case routeReason::noDenseEngine: return noDenseEngineText(phase);
    case routeReason::noExistingPatch: return "no existing patch";
    case routeReason::fewerThanTwoPatches: return "fewer than two existing patches";
    case routeReason::probabilityAboveOne: return "a probability above 1";
    case routeReason::changedProbabilityAboveOne: return "a changed value gives a probability above 1";
  }
  return "";
}

std::string formLine(const runPlan& plan) {
  std::string line = plan.form == landscapeForm::sparse
                         ? "Form: sparse (held by neighbour: each patch keeps its own pairs): "
                         : "Form: dense (held whole: n x n matrices): ";
  line += formReasonText(plan.why);
  if (plan.form != plan.optionsForm) line += "; the options alone chose the sparse form";
  if (!plan.final && plan.form == landscapeForm::sparse)
    line += " (before the values are read, which may still turn it dense)";
  return line + "\n";
}

}  // namespace

bool runPlan::usesEngine() const {
  for (const phasePlan& phase : phases)
    if (phase.asked && phase.route != phaseRoute::straightforward && phase.route != phaseRoute::savedPaths)
      return true;
  return false;
}

runPlan chooseRunPlan(const planInputs& in) {
  runPlan plan;
  plan.final = in.valuesRead;
  chooseForm(in, plan);
  const landscapeForm form = plan.form;
  plan[runPhase::overall] = overallPlan(in, form);
  plan[runPhase::betweenness] = betweennessPlan(in, form);
  plan[runPhase::removals] = removalsPlan(in, form);
  plan[runPhase::additions] = additionsPlan(in, form);
  plan[runPhase::linkRemoval] = linkPlan(in, form, in.linkRemoval, false);
  plan[runPhase::linkImprovement] = linkPlan(in, form, in.linkImprovement, false);
  plan[runPhase::linkChange] = linkPlan(in, form, in.linkChange, true);
  plan.inFull = in.options.engine ? fullSearch::exactSearches : fullSearch::scan;
  plan.threads = in.options.engine ? in.threads : 1;
  return plan;
}

const char* routeText(phaseRoute route) {
  switch (route) {
    case phaseRoute::straightforward: return "straightforward";
    case phaseRoute::savedPaths: return "straightforward, PC from the paths saved for the whole landscape";
    case phaseRoute::denseEngine: return "engine, dense form";
    case phaseRoute::sparseEngine: return "engine, sparse form";
  }
  return "";
}

const char* phaseText(runPhase phase) {
  switch (phase) {
    case runPhase::overall: return "Overall landscape";
    case runPhase::betweenness: return "Betweenness";
    case runPhase::removals: return "Node removals";
    case runPhase::additions: return "Node additions";
    case runPhase::linkRemoval: return "Link removal";
    case runPhase::linkImprovement: return "Link improvement";
    case runPhase::linkChange: return "Link change";
  }
  return "";
}

std::string planText(const runPlan& plan, const std::string& files) {
  std::string text = "Plan of the run on " + files + ":\n" + formLine(plan);
  for (int k = 0; k < kRunPhases; ++k) {
    const phasePlan& phase = plan.phases[k];
    if (!phase.asked) continue;
    text += std::string(phaseText(static_cast<runPhase>(k))) + ": " + routeText(phase.route);
    if (phase.why != routeReason::none)
      text += std::string(" (") + routeReasonText(static_cast<runPhase>(k), phase.why) + ")";
    text += "\n";
  }
  text += "Threads: " + toText(static_cast<long long>(plan.threads));
  if (plan.inFull == fullSearch::scan) text += " (-reference)";
  return text + "\n";
}

}  // namespace verdalis
