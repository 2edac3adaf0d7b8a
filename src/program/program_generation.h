#pragma once
// Building and measuring one landscape per case: the global landscape, one
// variant per removed or added node and one per pair of each link analysis.
// Included from program_impl.h only.
#include <cmath>
#include <limits>

#include "engine/sparse_betweenness.h"
#include "landscape/fragmentIIC.h"
#include "landscape/fragmentPC.h"
#include "support/clock.h"
#include "program/engine_runs.h"
#include "program/program_sparse.h"
#include "program/quivaraProgram.h"

namespace verdalis {

// Runs one index computation and adds its processor time to its accumulator.
template <class F>
void timed(std::clock_t& accumulator, F&& step) {
  const std::clock_t start = cpuMillis();
  step();
  accumulator += cpuMillis() - start;
}

// What a link report needs of a measured variant.
template <class T>
linkValues<T> linkValuesOf(const landscape<T>& land) {
  linkValues<T> values;
  values.nl = land.nl;
  values.nc = land.nc;
  values.h = land.h;
  values.ccp = land.ccp;
  values.lcp = land.lcp;
  values.iic = land.iic;
  values.f = land.f;
  values.awf = land.awf;
  values.pc = land.pc;
  return values;
}

// Any threshold not above 0 examines every pair, as the run summary announces
// ("checking all links"); a positive one keeps the pairs whose probability
// reaches it or whose distance does not exceed it. Binary files have no
// measure to compare, so a positive threshold keeps none.
template <class T>
bool quivaraProgram<T>::valueSelected(float value) const {
  const float threshold = linkImportancesPij;
  if (!(threshold > 0)) return true;
  if (inputProb && !inputDist && !inputAdjacen) return value >= threshold;
  if (inputDist && !inputProb && !inputAdjacen) return value <= threshold;
  return false;
}

template <class T>
bool quivaraProgram<T>::linkSelected(int i, int j) const {
  return valueSelected(connectionValue(i, j));
}

// Every selected index but PC, in the order of the analysis, each timed into
// its own accumulator. H and IIC share one search when both are selected.
template <class T>
void executeIndicesBeforePC(quivaraProgram<T>& p, landscape<T>* land) {
  if (p.nlFlag) timed(p.nlTime, [&] { land->generate_index_NL(); });
  if (p.ncFlag) timed(p.ncTime, [&] { land->generate_index_NC(); });
  if (p.hFlag && p.iicFlag) {
    timed(p.hiicTime, [&] {
      land->generate_index_H_IIC();
      land->generate_index_IICEC();
    });
  }
  if (p.hFlag && !p.iicFlag) timed(p.hTime, [&] { land->generate_index_H(); });
  if (p.ccpFlag) timed(p.ccpTime, [&] { land->generate_index_CCP(); });
  if (p.lcpFlag) timed(p.lcpTime, [&] { land->generate_index_LCP(); });
  if (p.iicFlag && !p.hFlag) {
    timed(p.iicTime, [&] {
      land->generate_index_IIC();
      land->generate_index_IICEC();
    });
  }
  if (p.fFlag) timed(p.fTime, [&] { land->generate_index_F(); });
  if (p.awfFlag) timed(p.awfTime, [&] { land->generate_index_AWF(); });
}

// PC of a landscape measured in full: the straightforward scan, or the
// engine's exact searches, which give the scan's rows, on the run's threads.
template <class T>
void measurePCInFull(const quivaraProgram<T>& p, landscape<T>& land) {
  if (p.plan.inFull == fullSearch::exactSearches) {
    pcSearches<T> searches;
    measurePC(land, p.threads, searches, pcProgressLines(land.nNodes));
  } else {
    land.generate_index_PC();
  }
}

// The PC of the global landscape on its route: with the saved paths, or by
// the engine, which keeps its searches for the variants.
template <class T>
void measureGlobalPC(quivaraProgram<T>& p, landscape<T>& land) {
  const phaseRoute route = p.plan.route(runPhase::overall);
  if (route == phaseRoute::savedPaths) {
    land.generate_index_PC_DijkstraSaving_Write();
    p.taken.record(runPhase::overall, phaseRoute::savedPaths);
  } else if (route == phaseRoute::denseEngine) {
    // The processes of a run share the searches of the whole landscape.
    measurePC(land, p.threads, p.pcSearchesGlobal, pcProgressLines(land.nNodes), engineLimits(), &processes());
    p.taken.record(runPhase::overall, phaseRoute::denseEngine);
  } else {
    measurePCInFull(p, land);
  }
}

template <class T>
void quivaraProgram<T>::execute_indexs(landscape<T>* land, bool global) {
  executeIndicesBeforePC(*this, land);
  if (!pcFlag) return;
  timed(pcTime, [&] {
    if (global)
      measureGlobalPC(*this, *land);
    else
      measurePCInFull(*this, *land);
    land->generate_index_PCEC();
    // The parts of PC belong to the landscape as given only.
    if (global) {
      land->CalculaPcIntraGlob();
      land->CalculaPcDirectGlob();
      land->CalculaPcStepGlob();
    }
  });
}

// A removed-node variant whose PC comes from the paths saved for the global
// landscape.
template <class T>
void quivaraProgram<T>::execute_indexs2(landscape<T>* land, int nerased) {
  executeIndicesBeforePC(*this, land);
  if (!pcFlag) return;
  timed(pcTime, [&] {
    land->generate_index_PC_DijkstraSaving_Read(nerased);
    land->generate_index_PCEC();
  });
}

// BC, BC(PC) and BC(IIC) of a landscape of the sparse form, into the
// global landscape's arrays, with the console text and timings of the dense
// form.
template <class T>
void betweennessSparse(quivaraProgram<T>& p) {
  if (p.betweenness_centrality || p.bcpcFlag || p.bciicFlag) p.taken.record(runPhase::betweenness, phaseRoute::sparseEngine);
  landscape<T>& g = *p.landGlobal;
  if (p.betweenness_centrality) timed(p.bcTime, [&] { measureBCSparse(p.sparseGlobal, g.bc, p.threads); });
  if (p.bcpcFlag) {
    timed(p.bcpcTime, [&] {
      sayBetweennessProgress(p.label, "BC(PC)");
      measureBCPCSparse<T>(p.sparseGlobal, g.bcpc, p.threads);
    });
  }
  if (p.bciicFlag) {
    timed(p.bciicTime, [&] {
      sayBetweennessProgress(p.label, "BC(IIC)");
      measureBCIICSparse(p.sparseGlobal, g.bciic, p.threads);
    });
  }
}

// BC, BC(PC) and BC(IIC) of the dense form: BC by its breadth-first counts
// on every route, BC(PC) and BC(IIC) by the engine on its route.
template <class T>
void betweennessDense(quivaraProgram<T>& p) {
  landscape<T>& g = *p.landGlobal;
  const bool engine = p.plan.route(runPhase::betweenness) == phaseRoute::denseEngine;
  if (p.betweenness_centrality) timed(p.bcTime, [&] { g.generate_index_BC(); });
  if (p.bcpcFlag) {
    timed(p.bcpcTime, [&] {
      if (engine) {
        sayBetweennessProgress(g, "BC(PC)");
        measureBCPC(g, g.bcpc, p.threads);
      } else
        g.generate_index_BCPC();
    });
  }
  if (p.bciicFlag) {
    timed(p.bciicTime, [&] {
      if (engine) {
        sayBetweennessProgress(g, "BC(IIC)");
        measureBCIIC(g, g.bciic, p.threads);
      } else
        g.generate_index_BCIIC();
    });
  }
  if (p.betweenness_centrality || p.bcpcFlag || p.bciicFlag)
    p.taken.record(runPhase::betweenness,
                   engine && (p.bcpcFlag || p.bciicFlag) ? phaseRoute::denseEngine : phaseRoute::straightforward);
}

template <class T>
void quivaraProgram<T>::generate_landscape_global() {
  if (plan.route(runPhase::overall) == phaseRoute::sparseEngine) {
    buildSparseGlobal(*this);
    // Betweenness first: its progress lines come before everything else.
    betweennessSparse(*this);
    measureGlobalSparse(*this);
    taken.record(runPhase::overall, phaseRoute::sparseEngine);
    return;
  }
  landGlobal->create_land(size.data(), label.data(), connections, nNodes, truncatedArea(sizeLandscapeArea),
                          adjType, probType, inputDist, inputProb, inputAdjacen, adjacentTail, kProbProb,
                          kDistanceProb, minProb, allpaths);
  // Betweenness first: its progress lines come before everything else.
  betweennessDense(*this);
  // PC, where it is measured, records its own route.
  taken.record(runPhase::overall, phaseRoute::straightforward);
  execute_indexs(landGlobal, true);
}

template <class T>
void quivaraProgram<T>::generate_landscape_deleting(int nerased) {
  landscape<T>& variant = landDel[nerased];
  variant.create_land_with_copy_deleting_one(landGlobal, nerased, adjType, probType);
  if (plan.route(runPhase::removals) == phaseRoute::savedPaths) {
    execute_indexs2(&variant, nerased);
    taken.record(runPhase::removals, phaseRoute::savedPaths);
  } else {
    execute_indexs(&variant, false);
    taken.record(runPhase::removals, phaseRoute::straightforward);
  }
  execute_fragments_Del(nerased);
  variant.erase_arrays();
}

template <class T>
void quivaraProgram<T>::generate_landscape_adding(int nadded) {
  if (plan.route(runPhase::additions) == phaseRoute::sparseEngine) {
    addCandidateSparse(*this, nadded);
    taken.record(runPhase::additions, phaseRoute::sparseEngine);
    return;
  }
  taken.record(runPhase::additions, phaseRoute::straightforward);
  landscape<T>& variant = landAdd[nadded];
  variant.create_land_with_copy_adding_one(sizeAdd[nadded], labelAdd[nadded], connectionsAdd.row(nadded), adjType,
                                           probType, inputDist, inputProb, inputAdjacen, adjacentTail, kProbProb,
                                           kDistanceProb, landGlobal);
  execute_indexs(&variant, false);
  execute_fragments_Add(nadded);
  variant.erase_arrays();
}

// The link variants live only for the measurement; the pair keeps the values
// its report reads.
template <class T>
void quivaraProgram<T>::generate_landscape_deleting_connection(int nerased1, int nerased2) {
  landscape<T> variant;
  variant.create_land_with_copy_deleting_one_connection(landGlobal, nerased1, nerased2, adjType, probType);
  if (!linkSelected(nerased1, nerased2)) return;
  execute_indexs(&variant, false);
  landDelCon[pairIndex(nerased1, nerased2)] = linkValuesOf(variant);
}

template <class T>
void quivaraProgram<T>::generate_landscape_connection_sure(int node1, int node2) {
  landscape<T> variant;
  variant.create_land_with_copy_with_one_connection_sure(landGlobal, node1, node2, adjType, probType);
  if (!linkSelected(node1, node2)) return;
  execute_indexs(&variant, false);
  landConSure[pairIndex(node1, node2)] = linkValuesOf(variant);
}

template <class T>
void quivaraProgram<T>::generate_landscape_connection_diff(int node1, int node2) {
  landscape<T> variant;
  variant.create_land_with_copy_with_one_connection_Diff(landGlobal, node1, node2, changedValue(node1, node2),
                                                         adjType, probType, inputDist, inputProb, inputAdjacen,
                                                         adjacentTail, kProbProb, kDistanceProb, minProb, allpaths);
  execute_indexs(&variant, false);
  landConDiff[pairIndex(node1, node2)] = linkValuesOf(variant);
}

template <class T>
void quivaraProgram<T>::execute_fragments_Del(int nerased) {
  if (iicFlag) execute_fragmentsIIC_Del(nerased);
  if (pcFlag) execute_fragmentsPC_Del(nerased);
}

template <class T>
void quivaraProgram<T>::execute_fragments_Add(int nadded) {
  if (iicFlag) execute_fragmentsIIC_Add(nadded);
  if (pcFlag) execute_fragmentsPC_Add(nadded);
}

template <class T>
void quivaraProgram<T>::execute_fragmentsIIC_Del(int nerased) {
  if (!iicFlag) return;
  landscape<T>& variant = landDel[nerased];
  fragmentIIC<T> fractions(landGlobal, &variant, nerased);
  variant.assigna_iicintra(fractions.intra());
  variant.assigna_iicflux(fractions.flux());
  variant.assigna_iicconnector(fractions.connector());
}

template <class T>
void quivaraProgram<T>::execute_fragmentsPC_Del(int nerased) {
  if (!pcFlag) return;
  landscape<T>& variant = landDel[nerased];
  fragmentPC<T> fractions(landGlobal, &variant, nerased);
  variant.assigna_pcintra(fractions.intra());
  variant.assigna_pcflux(fractions.flux());
  variant.assigna_pcconnector(fractions.connector());
}

// The added node sits last in its variant, at position nNodes.
template <class T>
void quivaraProgram<T>::execute_fragmentsIIC_Add(int nadded) {
  if (!iicFlag) return;
  landscape<T>& variant = landAdd[nadded];
  fragmentIIC<T> fractions(landGlobal, &variant, nNodes);
  variant.assigna_iicintra(fractions.intraAdd());
  variant.assigna_iicflux(fractions.fluxAdd());
  variant.assigna_iicconnector(fractions.connectorAdd());
}

template <class T>
void quivaraProgram<T>::execute_fragmentsPC_Add(int nadded) {
  if (!pcFlag) return;
  landscape<T>& variant = landAdd[nadded];
  fragmentPC<T> fractions(landGlobal, &variant, nNodes);
  variant.assigna_pcintra(fractions.intraAdd());
  variant.assigna_pcflux(fractions.fluxAdd());
  variant.assigna_pcconnector(fractions.connectorAdd());
}

}  // namespace verdalis
