#pragma once
// The landscape graph: nodes, binary links, direct and best-path
// probabilities, the component labelling, and the stored value of every
// index and fraction once computed. T is the run's precision.
//
// The member definitions live in landscape_impl.h, one header per concern:
// building and queries, variants, binary indices, probabilistic indices
// (with the saved-paths mode), and betweenness.
#include <cmath>
#include <limits>
#include <vector>

#include "graph/tessella.h"
#include "support/matrix.h"

namespace verdalis {

template <class T>
class landscape {
 public:
  int nNodes = 0;
  std::vector<tessella> nodes;  // empty: not built
  int nEdges = 0;
  int nEdgesPC = 0;
  float sizeTotalHabitat = 0;
  float sizeLandscapeArea = 0;
  std::vector<int> componentId;  // empty with componentsReady false: not computed
  bool componentsReady = false;
  int nComponents = 0;
  float minProb = 0;
  bool allpaths = false;

  float ccp = 0;
  double lcp = 0;
  double lcpnum = 0;
  T iic = 0;
  T iicnum = 0;
  T iicec = 0;
  int nc = 0;
  int nl = 0;
  float h = 0;
  float f = 0;
  float awf = 0;
  T pc = 0;
  T pcnum = 0;
  T pcec = 0;
  double pcintra = 0, pcconnector = 0, pcflux = 0;
  double pcecintra = 0, pcecconnector = 0, pcecflux = 0;
  double iicintra = 0, iicconnector = 0, iicflux = 0;
  double iicecintra = 0, iicecconnector = 0, iicecflux = 0;
  double lcpintra = 0, lcpconnector = 0, lcpflux = 0;
  double pcIntraGlob = 0, pcDirectGlob = 0, pcStepGlob = 0;
  std::vector<float> bc, bcpc, bciic;  // empty: not computed

  // ---- building and queries (landscape_build.h) ----
  void erase_arrays();
  // sizeLandscapeAreaParam is AL already truncated toward zero; it is 64-bit
  // because areas in square metres pass 2^31 easily.
  void create_land(const float* sizeParam, const int* labelParam, const matrix<float>& connections,
                   int nNodesParam, long long sizeLandscapeAreaParam, bool adjType, bool probType,
                   bool inputDist, bool inputProb, bool inputAdjacen, float adjacentTail, float kProbProb,
                   float kDistanceProb, float minProbp, bool allpathsp);

  int numberNodes() const { return nNodes; }
  int numberEdges() const { return nEdges; }
  int numberEdgesPC() const { return nEdgesPC; }
  float valueOfSizeTotalHabitat() const { return sizeTotalHabitat; }
  float valueOfSizeLanscapeArea() const { return sizeLandscapeArea; }
  float sizenode(int i) const { return nodes[i].size; }
  int nlnode(int i, int j) const { return nodes[i].nl[j]; }
  float return_p_maxim_product(int i, int j) const { return nodes[i].p_maxim_product[j]; }
  float valueOfProbabilityMaximum(int i, int j) const { return nodes[i].p_maxim_product[j]; }
  int whichComponent(int i);

  float mida_del_component_del_node(int i);
  int nombre_de_nodes_del_component_del_node(int i);
  float mida_del_component_del_node_sense_i(int i);

  // Pointers to the nodes' adjacency lists, the form the searches take.
  std::vector<adjacency*> adjacencyPointers();

  float value_index_CCP() const { return ccp; }
  double value_index_LCP() const { return lcp; }
  double value_index_LCPnum() const { return lcpnum; }
  T value_index_IIC() const { return iic; }
  T value_index_IICnum() const { return iicnum; }
  T value_index_IICEC() const { return iicec; }
  int value_index_NC() const { return nc; }
  int value_index_NL() const { return nl; }
  float value_index_H() const { return h; }
  float value_index_F() const { return f; }
  float value_index_AWF() const { return awf; }
  T value_index_PC() const { return pc; }
  T value_index_PCnum() const { return pcnum; }
  T value_index_PCEC() const { return pcec; }

  double retorna_pcintra() const { return pcintra; }
  double retorna_pcconnector() const { return pcconnector; }
  double retorna_pcflux() const { return pcflux; }
  double retorna_pcecintra() const { return pcecintra; }
  double retorna_pcecconnector() const { return pcecconnector; }
  double retorna_pcecflux() const { return pcecflux; }
  double retorna_iicintra() const { return iicintra; }
  double retorna_iicconnector() const { return iicconnector; }
  double retorna_iicflux() const { return iicflux; }
  double retorna_iicecintra() const { return iicecintra; }
  double retorna_iicecconnector() const { return iicecconnector; }
  double retorna_iicecflux() const { return iicecflux; }
  double retorna_lcpintra() const { return lcpintra; }
  double retorna_lcpconnector() const { return lcpconnector; }
  double retorna_lcpflux() const { return lcpflux; }
  void assigna_pcintra(double v) { pcintra = v; }
  void assigna_pcconnector(double v) { pcconnector = v; }
  void assigna_pcflux(double v) { pcflux = v; }
  void assigna_pcecintra(double v) { pcecintra = v; }
  void assigna_pcecconnector(double v) { pcecconnector = v; }
  void assigna_pcecflux(double v) { pcecflux = v; }
  void assigna_iicintra(double v) { iicintra = v; }
  void assigna_iicconnector(double v) { iicconnector = v; }
  void assigna_iicflux(double v) { iicflux = v; }
  void assigna_iicecintra(double v) { iicecintra = v; }
  void assigna_iicecconnector(double v) { iicecconnector = v; }
  void assigna_iicecflux(double v) { iicecflux = v; }
  void assigna_lcpintra(double v) { lcpintra = v; }
  void assigna_lcpconnector(double v) { lcpconnector = v; }
  void assigna_lcpflux(double v) { lcpflux = v; }
  double valor_de_pcIntraGlob() const { return pcIntraGlob; }
  double valor_de_pcDirectGlob() const { return pcDirectGlob; }
  double valor_de_pcStepGlob() const { return pcStepGlob; }

  // ---- variants (landscape_variants.h) ----
  void create_land_with_copy_deleting_one(landscape<T>* land, int nerased, bool adjType, bool probType);
  void create_land_with_copy_deleting_one_connection(landscape<T>* land, int nerased1, int nerased2,
                                                     bool adjType, bool probType);
  void create_land_with_copy_adding_one(float sizeAdd, int labelAdd, const float* connectionsAdd, bool adjType,
                                        bool probType, bool inputDist, bool inputProb, bool inputAdjacen,
                                        float adjacentTail, float kProbProb, float kDistanceProb,
                                        landscape<T>* land);
  void create_land_with_copy_with_one_connection_sure(landscape<T>* land, int node1, int node2, bool adjType,
                                                      bool probType);
  void create_land_with_copy_with_one_connection_Diff(landscape<T>* land, int node1, int node2,
                                                      float valueDiff, bool adjType, bool probType,
                                                      bool inputDist, bool inputProb, bool inputAdjacen,
                                                      float adjacentTail, float kProbProb, float kDistanceProb,
                                                      float minProbp, bool allpathsp);

  // ---- binary indices (landscape_binary.h) ----
  void generate_index_NC();
  void generate_index_NL();
  void generate_index_H();
  void generate_index_CCP();
  void generate_index_LCP();
  void generate_index_IIC();
  void generate_index_H_IIC();
  void generate_index_IICEC();

  // ---- probabilistic indices (landscape_probabilistic.h) ----
  void generate_index_F();
  void generate_index_AWF();
  void generate_index_PC();
  void generate_index_PCEC();
  void CalculaPcIntraGlob();
  void CalculaPcDirectGlob();
  void CalculaPcStepGlob();
  void generate_index_PC_DijkstraSaving_Write();
  void generate_index_PC_DijkstraSaving_Read(int node);

  // ---- betweenness (landscape_betweenness.h) ----
  void generate_index_BC();
  void generate_index_BCPC();
  void generate_index_BCIIC();
  float value_index_BC(int i) const { return bc[i]; }
  float value_index_BCPC(int i) const { return bcpc[i]; }
  float value_index_BCIIC(int i) const { return bciic[i]; }
};

// The probability of a distance: kProbProb at kDistanceProb, decaying
// exponentially, computed in single precision. A cell holding the no-link
// distance (the largest finite float: no connection line set it) always gives
// 0, also when kProbProb is 1 and the exponent would otherwise be 0.
float distanceToProbability(float c, float distance);
// The single-precision constant c = ln(kProbProb) / kDistanceProb.
float probabilityConstant(float kProbProb, float kDistanceProb);
// The landscape attribute as the whole number the landscape takes, truncated
// toward zero; values beyond the 64-bit range are held at its ends instead of
// overflowing the conversion.
inline long long truncatedArea(float area) {
  if (std::isnan(area)) return 0;
  const float limit = 9.2e18f;
  if (area >= limit) return std::numeric_limits<long long>::max();
  if (area <= -limit) return std::numeric_limits<long long>::min();
  return static_cast<long long>(area);
}

// Whether a connection value makes a binary link for the input kind.
bool isBinaryLink(float value, bool inputDist, bool inputProb, bool inputAdjacen, float adjacentTail);

// Both precisions are compiled once, in landscape_float.cpp and
// landscape_double.cpp; every other file only declares them.
extern template class landscape<float>;
extern template class landscape<double>;

}  // namespace verdalis
