#pragma once
// The plan of a run from its settings and files (run_plan.h): the first
// plan at the end of the initial check, the final one at the end of the
// loading, with the one look at the values it needs. Included from
// program_impl.h only.
#include <cstddef>

#include "engine/sparse_measure.h"
#include "landscape/landscape.h"
#include "program/program_sparse.h"
#include "program/program_sparse_links.h"
#include "program/quivaraProgram.h"

namespace verdalis {

// A distance threshold as high as the no-link distance links every pair that
// no line lists, which only the matrices hold.
template <class T>
bool unlistedPairsLinked(const quivaraProgram<T>& p) {
  return p.adjType && isBinaryLink(p.noLinkValue(), p.inputDist, p.inputProb, p.inputAdjacen, p.adjacentTail);
}

// Whether a connection value gives a direct probability above 1. Of a
// distance, exp(c·d) passes 1 only where c·d > 0: the test is made first,
// so that a landscape of n² distances costs n² comparisons, not n² exp.
template <class T>
bool aboveOne(const quivaraProgram<T>& p, float c, float value) {
  if (p.inputDist) return c * value > 0 && distanceToProbability(c, value) > 1.0f;
  return p.inputProb && value > 1.0f;
}

// A pair of distinct existing patches with a direct probability above 1.
template <class T>
bool probabilityAboveOne(const quivaraProgram<T>& p) {
  const float c = probabilityConstant(p.kProbProb, p.kDistanceProb);
  if (p.heldSparse()) {
    for (int i = 0; i < p.nNodes; ++i)
      for (std::size_t e = p.listed.start[i]; e < p.listed.start[i + 1]; ++e)
        if (p.listed.to[e] != i && aboveOne(p, c, p.listed.value[e])) return true;
    return false;
  }
  for (int i = 0; i < p.nNodes; ++i)
    for (int j = 0; j < p.nNodes; ++j)
      if (i != j && aboveOne(p, c, p.connections(i, j))) return true;
  return false;
}

// A pair whose changed value gives a probability above 1.
template <class T>
bool changedProbabilityAboveOne(const quivaraProgram<T>& p) {
  const float c = probabilityConstant(p.kProbProb, p.kDistanceProb);
  if (p.heldSparse()) {
    for (float value : p.listedChanged.value)
      if (aboveOne(p, c, value)) return true;
    return false;
  }
  for (int i = 0; i < p.nNodes; ++i)
    for (int j = 0; j < i; ++j)
      if (aboveOne(p, c, p.connectionsDiff(i, j))) return true;
  return false;
}

// The options and the shape of the files; with `valuesRead`, the counts
// and what the values hold, looked at only where the plan can use it.
template <class T>
planInputs planInputsOf(const quivaraProgram<T>& p, bool valuesRead) {
  planInputs in;
  in.options = p.routing;
  in.threads = p.threads;
  in.allFile = p.structType;
  in.unlistedPairsLinked = unlistedPairsLinked(p);
  in.probabilistic = p.probType;
  in.pc = p.pcFlag;
  in.bc = p.bcFlag;
  in.bciic = p.bciicFlag;
  in.bcpc = p.bcpcFlag;
  in.nodeAnalyses = !p.onlyoverall;
  in.removals = !p.onlyAddDeltas;
  in.linkRemoval = p.linkImportances1Flag;
  in.linkImprovement = p.linkImportances2Flag;
  in.linkChange = p.linkImportances3Flag;
  in.candidates = p.addNodes ? -1 : 0;
  if (!valuesRead) return in;
  in.valuesRead = true;
  in.nodes = p.nNodes;
  in.candidates = p.nNodesAdd;
  const bool engineReads = p.heldSparse() || (p.routing.engine && p.pcFlag);
  in.probabilityAboveOne = p.probType && engineReads && probabilityAboveOne(p);
  in.changedProbabilityAboveOne = p.linkImportances3Flag && p.pcFlag && engineReads && changedProbabilityAboveOne(p);
  in.productsOverflow = p.heldSparse() && !sparseProductsFinite(p.size);
  return in;
}

template <class T>
void chooseFirstPlan(quivaraProgram<T>& p) {
  p.plan = chooseRunPlan(planInputsOf(p, false));
}

// The final plan. A run read into the sparse form that the values turn
// dense gets the matrices of the listed pairs, and a record for every pair
// of its link analyses. Without a first plan, the run keeps the
// straightforward route on the dense form.
template <class T>
void settleRunPlan(quivaraProgram<T>& p) {
  if (p.plan.why == formReason::notChosen) return;
  const landscapeForm read = p.plan.form;
  p.plan = chooseRunPlan(planInputsOf(p, true));
  if (read == landscapeForm::sparse && p.plan.form == landscapeForm::dense) {
    matricesOfLists(p);
    allocateLinkRecords(p);
    p.listed = p.listedChanged = p.listedCandidates = listedPairs();
  }
}

}  // namespace verdalis
