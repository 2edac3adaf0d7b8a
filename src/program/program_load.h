#pragma once
// Construction of the run object, the initial check of settings and files,
// allocation and loading of the input arrays, and the run summary.
#include <cstdint>
#include <string>
#include <utility>

#include "program/program_load_arrays.h"
#include "program/program_load_connections.h"
#include "program/program_load_nodes.h"
#include "program/program_plan.h"
#include "program/program_sparse_links.h"
#include "program/quivaraProgram.h"
#include "support/messages.h"
#include "support/numfmt.h"
#include "support/problem_log.h"

namespace verdalis {

template <class T>
quivaraProgram<T>::quivaraProgram(bool inputDistp, bool inputProbp, bool inputAdjacenp, bool Ap, bool CCPp,
                                  bool LCPp, bool IICp, bool NCp, bool NLp, bool Hp, bool Fp, bool AWFp, bool PCp,
                                  bool BCp, bool BCPCp, bool BCIICp, std::string fileNodesp,
                                  std::string fileConnectionsp, float adjacentTailp, float kDistanceProbp,
                                  float kProbProbp, float minProbp, bool allpathsp, bool dijkstraSavingp,
                                  bool onlyoverallp, bool onlyAddDeltasp, bool structTypep, bool addNodesp,
                                  bool linkImportances1p, bool linkImportances2p, float linkImportancesPijp,
                                  bool linkImportances3p, float landscapeAreap)
    : sizeLandscapeArea(landscapeAreap),
      aFlag(Ap),
      ccpFlag(CCPp),
      lcpFlag(LCPp),
      iicFlag(IICp),
      ncFlag(NCp),
      nlFlag(NLp),
      hFlag(Hp),
      fFlag(Fp),
      awfFlag(AWFp),
      pcFlag(PCp),
      bcFlag(BCp),
      bcpcFlag(BCPCp),
      bciicFlag(BCIICp),
      linkImportances1Flag(linkImportances1p),
      linkImportances2Flag(linkImportances2p),
      linkImportancesPij(linkImportancesPijp),
      linkImportances3Flag(linkImportances3p),
      inputDist(inputDistp),
      inputProb(inputProbp),
      inputAdjacen(inputAdjacenp),
      fileNodes(std::move(fileNodesp)),
      fileConnections(std::move(fileConnectionsp)),
      adjacentTail(adjacentTailp),
      kProbProb(kProbProbp),
      kDistanceProb(kDistanceProbp),
      minProb(minProbp),
      allpaths(allpathsp),
      onlyoverall(onlyoverallp),
      onlyAddDeltas(onlyAddDeltasp),
      structType(structTypep),
      addNodes(addNodesp) {
  routing.savedPaths = dijkstraSavingp;
}

template <class T>
quivaraProgram<T>::~quivaraProgram() {
  delete landGlobal;
}

// The checks of the settings, before any file is opened; returns the
// number of errors.
template <class T>
int checkSettings(const quivaraProgram<T>& p) {
  int errors = 0;
  auto fail = [&errors](const char* text, const std::string& user) {
    say(text);
    problems().note(problemLevel::error, user, user);
    ++errors;
  };
  if (p.inputDist && p.adjType && p.adjacentTail < 0)
    fail("Error: The value for the distance threshold cannot be negative (binary indices)\n",
         "-confAdj " + toText(p.adjacentTail) + ": a distance threshold is 0 or more");
  if (p.inputDist && p.probType) {
    const std::string confProb = "-confProb " + toText(p.kDistanceProb) + " " + toText(p.kProbProb) + ": ";
    if (p.kProbProb <= 0 || p.kProbProb > 1)
      fail("Error: The probability value must range between 0 and 1 (probabilistic indices)\n",
           confProb + "the probability, its second number, must be above 0 and at most 1");
    if (p.kDistanceProb <= 0)
      fail("Error: The distance value cannot be negative nor zero (probabilistic indices)\n",
           confProb + "the distance, its first number, must be above 0");
    if (p.minProb < 0 || p.minProb > 1)
      fail("Error: The minimum probability value (PC index) must range between 0 and 1\n",
           "-pcHeur " + toText(p.minProb) + ": the smallest probability kept lies between 0 and 1");
  }
  if (p.inputProb && p.adjType && (p.adjacentTail <= 0 || p.adjacentTail > 1))
    fail("Error: The value for the probability threshold must range between 0 and 1 (binary indices)\n",
         "-confAdj " + toText(p.adjacentTail) + ": with -t prob the link threshold is a probability, above 0 "
         "and at most 1");
  if (p.inputAdjacen && p.probType)
    fail(
        "Error: Probabilistic indices (F, AWF, PC) cannot be computed when binary links is the type of connection "
        "file\n",
        "binary links (-t adj) give no probabilities: F, AWF, PC and BCPC need distances (-t dist) or "
        "probabilities (-t prob)");
  return errors;
}

// The shape of the node file; sets the total number of node lines.
template <class T>
int checkNodeFile(quivaraProgram<T>& p) {
  int words = 0, lines = 0;
  std::string text;
  int errors = checkFileColumns(p.fileNodes, words, lines, text);
  if (errors != 0) return errors;
  p.nNodesTotal = lines;
  if (p.addNodes && words != 3) {
    say("Error: Node file must have 3 columns (when there are nodes to add, as selected).\n");
    ++errors;
  } else if (!p.addNodes && words != 2) {
    say("Error: Node file must have 2 columns (unless there are nodes to add, which was not selected).\n");
    ++errors;
  }
  if (errors != 0)
    tellColumnsFound(p.fileNodes, text, 0, words,
                     p.addNodes ? ", where -add needs 3: identifier, attribute, and 1 for an existing node or 0 "
                                  "for a candidate"
                                : ", where 2 are needed: identifier and attribute (a third column needs -add)");
  return errors;
}

// The shape of the connection file, against the number of node lines. The
// count of ordered pairs is taken in 64 bits: it passes 2^31 from 46342
// nodes on.
template <class T>
int checkConnectionFile(quivaraProgram<T>& p) {
  int words = 0, lines = 0;
  std::string text;
  int errors = checkFileColumns(p.fileConnections, words, lines, text);
  if (errors != 0) return errors;
  if (!p.linkImportances3Flag && words != 3) {
    say("Error: Error in the format of the connection file. The file may not have three columns.\n");
    ++errors;
  } else if (p.linkImportances3Flag && words != 4) {
    say("Error: Error in the format of the connection file. The file may not have four columns as required by the "
        "link change option.\n");
    ++errors;
  }
  if (errors != 0)
    tellColumnsFound(p.fileConnections, text, 0, words,
                     p.linkImportances3Flag ? ", where -change needs 4: two identifiers, the value and the changed value"
                                            : ", where 3 are needed: two identifiers and the value (a fourth column "
                                              "needs -change)");
  p.connectionLines = lines;
  std::int64_t pairs = static_cast<std::int64_t>(p.nNodesTotal) * (static_cast<std::int64_t>(p.nNodesTotal) - 1);
  if (p.structType && lines != pairs) {
    sayError("Error in the format of the connection file. Some of the pairs of nodes may not be listed (as required "
             "by the full option) or too many pairs may be listed. The connection file has " +
             toText(lines) + " lines (pairs of nodes), instead of the full " + toText(static_cast<float>(pairs)) +
             " lines expected from the number of nodes in the node file.");
    const std::string user = p.fileConnections + " has " + toText(lines) + " lines, but \"all\" (-t ... all) " +
                             "needs every ordered pair of the " + toText(p.nNodesTotal) + " node lines of " +
                             p.fileNodes + ", " + toText(pairs) + " lines. List every pair, or read the file as " +
                             "the pairs it lists with \"notall\" (-t dist notall)";
    problems().note(problemLevel::error, user, user);
    ++errors;
  }
  if (lines > pairs) {
    say("Error: Error in the format of the connection file. Too many lines.\n");
    if (!p.structType) {
      const std::string user = p.fileConnections + " has " + toText(lines) + " lines, more than the " +
                               toText(pairs) + " ordered pairs of the " + toText(p.nNodesTotal) + " node lines of " +
                               p.fileNodes + ": are these the files of one landscape?";
      problems().note(problemLevel::error, user, user);
    }
    ++errors;
  }
  return errors;
}

template <class T>
int quivaraProgram<T>::initial_check() {
  adjType = ccpFlag || lcpFlag || iicFlag || ncFlag || nlFlag || hFlag || bcFlag || bciicFlag;
  componentType = ccpFlag || lcpFlag || ncFlag;
  probType = fFlag || awfFlag || pcFlag || bcpcFlag;
  betweenness_centrality = bcFlag;
  int errors = checkSettings(*this);
  if (errors == 0 && arrays != nullptr) {
    errors += checkArrayShapes(*this);
  } else {
    if (errors == 0) errors += checkNodeFile(*this);
    if (errors == 0) errors += checkConnectionFile(*this);
  }
  // The form the files are read into, and the memory estimate, follow it.
  if (errors == 0) chooseFirstPlan(*this);
  return errors;
}

template <class T>
int quivaraProgram<T>::create_arrays() {
  if (addNodes) {
    // The count cannot pass the number of node lines after a passed initial
    // check; bounding it keeps nNodes from going negative otherwise.
    int counted = arrays != nullptr ? candidateRows(*arrays) : verifyNodesNoExist(fileNodes);
    nNodesAdd = counted < nNodesTotal ? counted : nNodesTotal;
    nNodes = nNodesTotal - nNodesAdd;
  } else {
    nNodes = nNodesTotal;
    nNodesAdd = 0;
  }
  const std::size_t n = static_cast<std::size_t>(nNodes);
  const std::size_t m = static_cast<std::size_t>(nNodesAdd);
  // Entries that no line fills keep identifier 0 and attribute 0.
  guardAlloc(kNoMemoryFirst, [&] {
    label.assign(n, 0);
    labelAdd.assign(m, 0);
    size.assign(n, 0.0f);
    sizeAdd.assign(m, 0.0f);
  });
  if (!heldSparse()) {
    guardAlloc(kNoMemory, [&] { connections.assign(n, n, 0.0f); });
    if (linkImportances3Flag) guardAlloc(kNoMemory, [&] { connectionsDiff.assign(n, n, 0.0f); });
    guardAlloc(kNoMemory, [&] { connectionsAdd.assign(m, n, 0.0f); });
  }
  guardAlloc(kNoMemory, [&] {
    delete landGlobal;
    landGlobal = nullptr;
    landGlobal = new landscape<T>();
  });
  // Only the node analysis reads the variants of removed nodes.
  guardAlloc(kNoMemory, [&] {
    landDel.clear();
    if (!onlyoverall) landDel.resize(n);
  });
  guardAlloc(kNoMemory, [&] {
    landAdd.clear();
    landAdd.resize(m);
  });
  // In the sparse form the link analyses keep their measured pairs only.
  if (!heldSparse()) allocateLinkRecords(*this);
  return 0;
}

template <class T>
int quivaraProgram<T>::load_data() {
  findings = loadFindings{};
  create_arrays();
  if (arrays != nullptr) {
    loadNodeArrays(*this);
    loadPairArrays(*this);
  } else {
    initialize_arrays_nodes();
    initialize_arrays_connections();
  }
  settleRunPlan(*this);
  return 0;
}

template <class T>
std::string quivaraProgram<T>::information_execution() {
  std::string text = "Number of nodes to process: " + toText(nNodes + nNodesAdd) + "\n";
  if (nNodesAdd > 0)
    text += toText(nNodes) + " of these nodes already exist in the landscape, and the remaining " +
            toText(nNodesAdd) + " are candidates to be added in the landscape\n";
  if (utilLandscapeArea) text += "Maximum landscape attribute (AL): " + toText(sizeLandscapeArea) + "\n";
  text += "Sum of the attributes of existing nodes: " + toText(sizeTotalHabitat) + "\n";
  if (adjType) text += "Distance threshold (binary indices): " + toText(adjacentTail) + "\n";
  if (probType) {
    text += "Distance and probability (probabilistic indices): " + toText(kDistanceProb) + " " + toText(kProbProb) +
            "\n";
    if (pcFlag && allpaths) text += "PC computed in the default mode: checking all paths (no connections discarded)\n";
    if (pcFlag && !allpaths) text += "Minimum direct and product probability considered for PC: " + toText(minProb) + "\n";
  }
  if (linkImportances1Flag) text += "link removal ";
  if (linkImportances2Flag) text += " link improvement ";
  if (linkImportances3Flag) text += "link change";
  if (linkImportancesPij > 0)
    text += " with heuristic value threshold: " + toText(linkImportancesPij) + "\n";
  else if (linkImportances1Flag || linkImportances2Flag || linkImportances3Flag)
    text += " checking all links\n";
  text += "Node file: " + fileNodes + "\n";
  text += "Connection file: " + fileConnections + "\n";
  return text;
}

}  // namespace verdalis
