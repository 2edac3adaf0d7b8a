#pragma once
// The object of one analysis run: settings, input arrays, every landscape of
// the analysis, and the per-index processor-time accumulators. T is the run's
// precision.
//
// Member definitions are split by concern over the headers program_impl.h
// gathers: loading and checks, generation per case, the analysis driver, the
// importance accessors, and the timing report.
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/global_searches.h"
#include "engine/variant_values.h"
#include "landscape/landscape.h"
#include "landscape/sparse_landscape.h"
#include "program/input_arrays.h"
#include "program/link_records.h"
#include "program/load_findings.h"
#include "program/run_plan.h"
#include "support/matrix.h"

namespace verdalis {

template <class T>
class bestPathRows;

// Position of the pair (i, j), j < i, in the compact pair stores.
inline std::size_t pairIndex(int i, int j) {
  return static_cast<std::size_t>(i) * static_cast<std::size_t>(i - 1) / 2 + static_cast<std::size_t>(j);
}

template <class T>
class quivaraProgram {
 public:
  // ---- landscapes ----
  landscape<T>* landGlobal = nullptr;
  std::vector<landscape<T>> landDel;       // entry i: existing node i removed
  std::vector<landscape<T>> landAdd;       // entry c: candidate c added
  linkRecords<T> landDelCon;   // by pairIndex: link removed
  linkRecords<T> landConSure;  // by pairIndex: link made sure
  linkRecords<T> landConDiff;  // by pairIndex: link changed

  // ---- input data ----
  float sizeTotalHabitat = 0;
  float sizeLandscapeArea = 0;
  bool utilLandscapeArea = false;
  int nNodes = 0;
  int nNodesAdd = 0;
  int nNodesTotal = 0;
  long long connectionLines = 0;  // counted by the initial check
  std::vector<int> label;
  std::vector<int> labelAdd;
  std::vector<float> size;
  std::vector<float> sizeAdd;
  matrix<float> connections;      // nNodes x nNodes
  matrix<float> connectionsDiff;  // nNodes x nNodes, only with link change
  matrix<float> connectionsAdd;   // nNodesAdd x nNodes
  // First position of each identifier, so that a full connection file loads
  // in time linear in its size.
  std::unordered_map<int, int> labelPosition;
  std::unordered_map<int, int> labelAddPosition;

  // ---- settings ----
  bool aFlag, ccpFlag, lcpFlag, iicFlag, ncFlag, nlFlag, hFlag, fFlag, awfFlag, pcFlag, bcFlag, bcpcFlag,
      bciicFlag;
  bool adjType = false;
  bool probType = false;
  bool componentType = false;
  bool linkImportances1Flag;
  bool linkImportances2Flag;
  float linkImportancesPij;
  bool linkImportances3Flag;
  bool inputDist, inputProb, inputAdjacen;
  std::string fileNodes, fileConnections;
  float adjacentTail;
  float kProbProb;
  float kDistanceProb;
  float minProb;
  bool allpaths;
  bool betweenness_centrality = false;
  bool onlyoverall;
  bool onlyAddDeltas;
  bool structType;
  bool addNodes;
  bool symmetric = false;  // -symmetric: a pair listed one way is read both ways
  loadFindings findings;
  // A landscape given as arrays instead of the two files, which then only
  // name the two tables in messages; null: read the files.
  const inputArrays* arrays = nullptr;

  // ---- the plan of the run (run_plan.h, program_plan.h) ----
  // The options of the routes (the saved-path search is the constructor's
  // dijkstraSavingp), the plan chosen from them and the files, and the
  // routes the phases took. Without a plan (no initial check) every phase
  // takes the straightforward route on the dense form.
  routeOptions routing;
  unsigned threads = 1;
  runPlan plan;
  routesTaken taken;
  bool heldSparse() const { return plan.form == landscapeForm::sparse; }
  // The PC searches of the global landscape, when the engine on the dense
  // form measured it, kept for the variants.
  pcSearches<T> pcSearchesGlobal;

  // ---- the sparse form (program_sparse.h) ----
  // The matrices above stay empty; the listed pairs hold the values, every
  // other pair the no-link value.
  listedPairs listed;            // existing -> existing
  listedPairs listedChanged;     // -change, by pair: row = later node, target = earlier
  listedPairs listedCandidates;  // candidate -> existing
  sparseLandscape sparseGlobal;
  // The best-path probabilities of one source at a time, for the file of
  // maximum-product probabilities.
  std::unique_ptr<bestPathRows<T>> bestRows;
  std::vector<float> bestRow;
  int bestRowSource = -1;
  float noLinkValue() const;
  float connectionValue(int i, int j) const;
  float changedValue(int i, int j) const;

  // ---- processor time per index, in milliseconds ----
  std::clock_t nlTime = 0, ncTime = 0, hTime = 0, ccpTime = 0, lcpTime = 0, iicTime = 0, hiicTime = 0,
               fTime = 0, awfTime = 0, pcTime = 0, bcTime = 0, bcpcTime = 0, bciicTime = 0;

  // ---- construction, checks and loading (program_load.h) ----
  quivaraProgram(bool inputDistp, bool inputProbp, bool inputAdjacenp, bool Ap, bool CCPp, bool LCPp, bool IICp,
                 bool NCp, bool NLp, bool Hp, bool Fp, bool AWFp, bool PCp, bool BCp, bool BCPCp, bool BCIICp,
                 std::string fileNodesp, std::string fileConnectionsp, float adjacentTailp, float kDistanceProbp,
                 float kProbProbp, float minProbp, bool allpathsp, bool dijkstraSavingp, bool onlyoverallp,
                 bool onlyAddDeltasp, bool structTypep, bool addNodesp, bool linkImportances1p,
                 bool linkImportances2p, float linkImportancesPijp, bool linkImportances3p,
                 float landscapeAreap);
  ~quivaraProgram();
  quivaraProgram(const quivaraProgram&) = delete;
  quivaraProgram& operator=(const quivaraProgram&) = delete;

  int initial_check();
  int create_arrays();
  int load_data();
  std::string information_execution();
  int verifyFile(const std::string& file, int& words, int& lines);
  int verifyNodesNoExist(const std::string& file);
  int initialize_arrays_nodes();
  int initialize_arrays_connections();
  bool exist_nodes(int key, int& pos);
  bool exist_nodesAdd(int key, int& pos);

  int numberNodes() const { return nNodes; }
  int numberNodesAdd() const { return nNodesAdd; }
  float midaSizeTotalHabitat() const { return sizeTotalHabitat; }
  float midaSizeLandscapeArea() const { return sizeLandscapeArea; }
  bool utilLandscapeAreaFunction() const { return utilLandscapeArea; }
  bool adjTypeFunction() const { return adjType; }
  bool probTypeFunction() const { return probType; }

  // ---- analysis driver (program_analysis.h) ----
  void generacio_indexos();
  bool linkImportances1Solved() const { return linkImportances1Flag; }
  bool linkImportances2Solved() const { return linkImportances2Flag; }
  bool linkImportances3Solved() const { return linkImportances3Flag; }

  // ---- generation per case (program_generation.h) ----
  void generate_landscape_global();
  void generate_landscape_deleting(int nerased);
  void generate_landscape_adding(int nadded);
  void generate_landscape_deleting_connection(int nerased1, int nerased2);
  void generate_landscape_connection_sure(int node1, int node2);
  void generate_landscape_connection_diff(int node1, int node2);
  void execute_indexs(landscape<T>* land, bool global);
  void execute_indexs2(landscape<T>* land, int nerased);
  void execute_fragments_Del(int nerased);
  void execute_fragments_Add(int nadded);
  void execute_fragmentsIIC_Del(int nerased);
  void execute_fragmentsPC_Del(int nerased);
  void execute_fragmentsIIC_Add(int nadded);
  void execute_fragmentsPC_Add(int nadded);
  // The link selection rule on the pair (i, j).
  bool linkSelected(int i, int j) const;
  // The same rule for a pair of this connection value.
  bool valueSelected(float value) const;

  // ---- importance values (program_importances.h) ----
  float valueOfDelta(int typeLand, const std::string& index, int i);
  float valueOfDelta(int typeLand, const std::string& index, int i, int j);
  float valueOfVar(int typeLand, const std::string& index, int i);
  float valueOfVar(int typeLand, const std::string& index, int i, int j);

  float valueOfDeltaConNL(int i, int j);
  float valueOfDeltaConNC(int i, int j);
  float valueOfDeltaConH(int i, int j);
  float valueOfDeltaConCCP(int i, int j);
  float valueOfDeltaConLCP(int i, int j);
  float valueOfDeltaConIIC(int i, int j);
  float valueOfDeltaConF(int i, int j);
  float valueOfDeltaConAWF(int i, int j);
  float valueOfDeltaConPC(int i, int j);
  float valueOfDeltaConSureNL(int i, int j);
  float valueOfDeltaConSureNC(int i, int j);
  float valueOfDeltaConSureH(int i, int j);
  float valueOfDeltaConSureCCP(int i, int j);
  float valueOfDeltaConSureLCP(int i, int j);
  float valueOfDeltaConSureIIC(int i, int j);
  float valueOfDeltaConSureF(int i, int j);
  float valueOfDeltaConSureAWF(int i, int j);
  float valueOfDeltaConSurePC(int i, int j);
  float valueOfDeltaConDiffNL(int i, int j);
  float valueOfDeltaConDiffNC(int i, int j);
  float valueOfDeltaConDiffH(int i, int j);
  float valueOfDeltaConDiffCCP(int i, int j);
  float valueOfDeltaConDiffLCP(int i, int j);
  float valueOfDeltaConDiffIIC(int i, int j);
  float valueOfDeltaConDiffF(int i, int j);
  float valueOfDeltaConDiffAWF(int i, int j);
  float valueOfDeltaConDiffPC(int i, int j);

  float valueOfSumdIIC();
  float valueOfSumdIICintra();
  float valueOfSumdIICflux();
  float valueOfSumdIICconnector();
  float valueOfSumdPC();
  float valueOfSumdPCintra();
  float valueOfSumdPCflux();
  float valueOfSumdPCconnector();
  double valueOfConSumdIIC();
  double valueOfConSureSumdIIC();
  double valueOfConDiffSumdIIC();
  double valueOfConSumdPC();
  double valueOfConSureSumdPC();
  double valueOfConDiffSumdPC();

  float valueOfCCP();
  float valueOfLCP();
  float valueOfLCPnum();
  float valueOfIIC();
  float valueOfIICnum();
  float valueOfIICEC();
  float valueOfNC();
  float valueOfNL();
  float valueOfH();
  float valueOfF();
  float valueOfAWF();
  float valueOfPC();
  float valueOfPCEC();
  float valueOfPCnum();
  double retorna_valor_de_pcIntraGlob();
  double retorna_valor_de_pcDirectGlob();
  double retorna_valor_de_pcStepGlob();

  float valueOfBC(int i);
  float valueOfBCPC(int i);
  float valueOfBCIIC(int i);
  int valueOfLabel(int i) const { return label[i]; }
  int valueOfLabelAdd(int k) const { return labelAdd[k]; }
  int valueOfComponent(int i);
  int isAdjacent(int i, int j);
  float valueOfProbability(int i, int j);
  float valueOfProbabilityMaximum(int i, int j);
  int numberEdges_landGlobalPC();

  bool solveA() const { return aFlag; }
  bool solveNL() const { return nlFlag; }
  bool solveNC() const { return ncFlag; }
  bool solveH() const { return hFlag; }
  bool solveCCP() const { return ccpFlag; }
  bool solveLCP() const { return lcpFlag; }
  bool solveIIC() const { return iicFlag; }
  bool solveF() const { return fFlag; }
  bool solveAWF() const { return awfFlag; }
  bool solvePC() const { return pcFlag; }
  bool solveBC() const { return bcFlag; }
  bool solveBCPC() const { return bcpcFlag; }
  bool solveBCIIC() const { return bciicFlag; }

  // ---- timing report (program_timing.h) ----
  std::string show_time_proces();
};

// The duration text: " N days", " N hours", " N minutes" when not 0, then
// " N seconds\n", with strict thresholds.
std::string durationText(long long seconds);

// Both precisions are compiled once, in program_float.cpp and
// program_double.cpp; every other file only declares them.
extern template class quivaraProgram<float>;
extern template class quivaraProgram<double>;

}  // namespace verdalis
