#pragma once
// PC, the probability of connectivity: the sum over all ordered node pairs
// (each node with itself included) of a_i a_j p*_ij, where p*_ij is the
// probability of the best path, found by Dijkstra on the weights -ln p.
//
// The saving forms (names ending in _Write / _Read) keep the searches of the
// whole landscape in "minpaths.bin" and "drecera.bin", so that a landscape
// with one node removed only repeats the searches whose tree of best paths
// went through that node.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "graph/algDIJKSTRA.h"
#include "graph/tessella.h"
#include "indices/pc_progress.h"
#include "indices/terms.h"
#include "support/matrix.h"
#include "support/messages.h"
#include "support/numfmt.h"

namespace verdalis {

template <class T>
class indexPC {
 public:
  T index = 0;
  T indexNumerator = 0;
  int nNodes;
  int nEdges;

  // Node count of the last complete pair of saved files written by this
  // precision in this process; -1 when none. Reading trusts only those.
  static inline int savedNodes = -1;

  explicit indexPC(int n) : nNodes(n), nEdges(0) {}

  void generate(tessella* nodes, float area, bool allpaths, float minProb);
  void generate_1(tessella* nodes, float area, float minProb);
  void generate_2(tessella* nodes, float area);
  void generate_3(tessella* nodes, float area, float minProb);
  T value() const { return index; }
  T valueIndexNumerator() const { return indexNumerator; }

  void generateWrite(tessella* nodes, float area, bool allpaths, float minProb);
  void generate_1_Write(tessella* nodes, float area, float minProb);
  void generate_2_Write(tessella* nodes, float area);
  void generate_3_Write(tessella* nodes, float area, float minProb);
  void generateRead(int node, tessella* nodes, float area, bool allpaths, float minProb);
  void generate_1_Read(int node, tessella* nodes, float area, float minProb);
  void generate_2_Read(int node, tessella* nodes, float area);
  void generate_3_Read(int node, tessella* nodes, float area, float minProb);

  // ---- working data and steps shared by the variants ----
  static T weightOf(float p);
  matrix<T> directedWeights(const tessella* nodes) const;
  matrix<T> mirroredWeights(const tessella* nodes) const;
  std::vector<adjacency> directedLinks(const tessella* nodes, float minProb);
  std::vector<adjacency> undirectedLinks(const tessella* nodes, float minProb);
  void progressLine(int source) const;
  void accumulate(int source, tessella* nodes, const T* distances);
  void close(float area);
  template <class Search>
  void searchAll(tessella* nodes, float area, Search&& search);
  template <class Search>
  bool searchAllWriting(tessella* nodes, float area, Search&& search);
  template <class Search>
  bool searchAllReading(int node, tessella* nodes, float area, Search&& search);
};

inline const char* const kSavedPathsFile = "minpaths.bin";
inline const char* const kSavedTreesFile = "drecera.bin";

inline void saySavedPathsProblem(const std::string& what, const char* file) {
  say("Error: Cannot " + what + " the saved shortest paths file " + file +
      "; the full search is used instead.\n");
}

// Whether a file holds exactly the expected number of bytes; leaves it at its start.
inline bool hasSize(std::FILE* file, long long bytes) {
  if (std::fseek(file, 0, SEEK_END) != 0) return false;
  long long size = std::ftell(file);
  std::rewind(file);
  return size == bytes;
}

// The two saved files of one computation. Every step checks its byte counts
// and reports the file at fault, so that a caller can fall back in time.
struct SavedFiles {
  std::FILE* paths = nullptr;
  std::FILE* trees = nullptr;

  SavedFiles(const char* mode, const char* what) {
    paths = std::fopen(kSavedPathsFile, mode);
    trees = std::fopen(kSavedTreesFile, mode);
    if (paths == nullptr || trees == nullptr) {
      saySavedPathsProblem(what, paths == nullptr ? kSavedPathsFile : kSavedTreesFile);
      closeBoth();
    }
  }
  ~SavedFiles() { closeBoth(); }
  bool open() const { return paths != nullptr; }

  // Null when both closed cleanly (every buffered byte reached its file),
  // else the name of the first that did not.
  const char* closeBoth() {
    const char* failed = nullptr;
    if (paths != nullptr && std::fclose(paths) != 0) failed = kSavedPathsFile;
    if (trees != nullptr && std::fclose(trees) != 0 && failed == nullptr) failed = kSavedTreesFile;
    paths = trees = nullptr;
    return failed;
  }
  bool finishWriting() {
    const char* failed = closeBoth();
    if (failed != nullptr) saySavedPathsProblem("write", failed);
    return failed == nullptr;
  }
  bool hasRecords(std::size_t records, std::size_t valueSize) {
    const long long cells = static_cast<long long>(records) * static_cast<long long>(records);
    const char* failed = !hasSize(paths, cells * static_cast<long long>(valueSize)) ? kSavedPathsFile
                         : !hasSize(trees, cells * static_cast<long long>(sizeof(int))) ? kSavedTreesFile
                                                                                       : nullptr;
    if (failed != nullptr) saySavedPathsProblem("read", failed);
    return failed == nullptr;
  }
  bool writeRecord(const void* distances, std::size_t valueSize, const int* drecera, std::size_t n) {
    const char* failed = std::fwrite(distances, valueSize, n, paths) != n ? kSavedPathsFile
                         : std::fwrite(drecera, sizeof(int), n, trees) != n ? kSavedTreesFile
                                                                             : nullptr;
    if (failed != nullptr) saySavedPathsProblem("write", failed);
    return failed == nullptr;
  }
  bool readRecord(void* distances, std::size_t valueSize, int* drecera, std::size_t n) {
    const char* failed = std::fread(distances, valueSize, n, paths) != n ? kSavedPathsFile
                         : std::fread(drecera, sizeof(int), n, trees) != n ? kSavedTreesFile
                                                                            : nullptr;
    if (failed != nullptr) saySavedPathsProblem("read", failed);
    return failed == nullptr;
  }
};

// ---------------------------------------------------------------- full forms

template <class T>
void indexPC<T>::generate(tessella* nodes, float area, bool allpaths, float minProb) {
  index = 0;
  if (allpaths)
    generate_2(nodes, area);
  else if (minProb != 0)
    generate_3(nodes, area, minProb);
  else
    generate_1(nodes, area, minProb);
}

template <class T>
void indexPC<T>::generate_1(tessella* nodes, float area, float minProb) {
  matrix<T> weights = directedWeights(nodes);
  std::vector<adjacency> links = directedLinks(nodes, minProb);
  algDIJKSTRA<T> search(nNodes);
  searchAll(nodes, area, [&](int s, T* distances, int* drecera) {
    search.distances_minpath_search_DIJKSTRA_LIST(s, nNodes, weights, links.data(), distances, drecera);
  });
}

template <class T>
void indexPC<T>::generate_2(tessella* nodes, float area) {
  matrix<T> weights = mirroredWeights(nodes);
  algDIJKSTRA<T> search(nNodes);
  searchAll(nodes, area, [&](int s, T* distances, int* drecera) {
    search.distances_minpath_search_DIJKSTRA_ARRAY(s, weights, nNodes, distances, drecera);
  });
}

template <class T>
void indexPC<T>::generate_3(tessella* nodes, float area, float minProb) {
  matrix<T> weights = mirroredWeights(nodes);
  std::vector<adjacency> links = undirectedLinks(nodes, minProb);
  algDIJKSTRA<T> search(nNodes);
  searchAll(nodes, area, [&](int s, T* distances, int* drecera) {
    search.distances_minpath_search_DIJKSTRA_LIST_MINPROB(s, nNodes, weights, links.data(), distances, minProb,
                                                          drecera);
  });
}

// -------------------------------------------------------------- saving forms

// Saving and reuse both need the same weights for a pair in both directions,
// so the saving forms of variant 1 build their graph from the lower triangle,
// like variants 2 and 3. A problem with the files falls back to the full
// search of the same variant, so that no case ever uses unsaved data.

template <class T>
void indexPC<T>::generateWrite(tessella* nodes, float area, bool allpaths, float minProb) {
  index = 0;
  if (allpaths)
    generate_2_Write(nodes, area);
  else if (minProb != 0)
    generate_3_Write(nodes, area, minProb);
  else
    generate_1_Write(nodes, area, minProb);
}

template <class T>
void indexPC<T>::generate_1_Write(tessella* nodes, float area, float minProb) {
  matrix<T> weights = mirroredWeights(nodes);
  std::vector<adjacency> links = undirectedLinks(nodes, minProb);
  algDIJKSTRA<T> search(nNodes);
  bool saved = searchAllWriting(nodes, area, [&](int s, T* distances, int* drecera) {
    search.distances_minpath_search_DIJKSTRA_LIST(s, nNodes, weights, links.data(), distances, drecera);
  });
  if (!saved) generate_1(nodes, area, minProb);
}

template <class T>
void indexPC<T>::generate_2_Write(tessella* nodes, float area) {
  matrix<T> weights = mirroredWeights(nodes);
  algDIJKSTRA<T> search(nNodes);
  bool saved = searchAllWriting(nodes, area, [&](int s, T* distances, int* drecera) {
    search.distances_minpath_search_DIJKSTRA_ARRAY(s, weights, nNodes, distances, drecera);
  });
  if (!saved) generate_2(nodes, area);
}

template <class T>
void indexPC<T>::generate_3_Write(tessella* nodes, float area, float minProb) {
  matrix<T> weights = mirroredWeights(nodes);
  std::vector<adjacency> links = undirectedLinks(nodes, minProb);
  algDIJKSTRA<T> search(nNodes);
  bool saved = searchAllWriting(nodes, area, [&](int s, T* distances, int* drecera) {
    search.distances_minpath_search_DIJKSTRA_LIST_MINPROB(s, nNodes, weights, links.data(), distances, minProb,
                                                          drecera);
  });
  if (!saved) generate_3(nodes, area, minProb);
}

template <class T>
void indexPC<T>::generateRead(int node, tessella* nodes, float area, bool allpaths, float minProb) {
  index = 0;
  if (allpaths)
    generate_2_Read(node, nodes, area);
  else if (minProb != 0)
    generate_3_Read(node, nodes, area, minProb);
  else
    generate_1_Read(node, nodes, area, minProb);
}

template <class T>
void indexPC<T>::generate_1_Read(int node, tessella* nodes, float area, float minProb) {
  matrix<T> weights = mirroredWeights(nodes);
  std::vector<adjacency> links = undirectedLinks(nodes, minProb);
  algDIJKSTRA<T> search(nNodes);
  bool reused = searchAllReading(node, nodes, area, [&](int s, T* distances, int* drecera) {
    search.distances_minpath_search_DIJKSTRA_LIST(s, nNodes, weights, links.data(), distances, drecera);
  });
  if (!reused) generate_1(nodes, area, minProb);
}

template <class T>
void indexPC<T>::generate_2_Read(int node, tessella* nodes, float area) {
  matrix<T> weights = mirroredWeights(nodes);
  algDIJKSTRA<T> search(nNodes);
  bool reused = searchAllReading(node, nodes, area, [&](int s, T* distances, int* drecera) {
    search.distances_minpath_search_DIJKSTRA_ARRAY(s, weights, nNodes, distances, drecera);
  });
  if (!reused) generate_2(nodes, area);
}

template <class T>
void indexPC<T>::generate_3_Read(int node, tessella* nodes, float area, float minProb) {
  matrix<T> weights = mirroredWeights(nodes);
  std::vector<adjacency> links = undirectedLinks(nodes, minProb);
  algDIJKSTRA<T> search(nNodes);
  bool reused = searchAllReading(node, nodes, area, [&](int s, T* distances, int* drecera) {
    search.distances_minpath_search_DIJKSTRA_LIST_MINPROB(s, nNodes, weights, links.data(), distances, minProb,
                                                          drecera);
  });
  if (!reused) generate_3(nodes, area, minProb);
}

// ------------------------------------------------------------- shared steps

// -ln p with the logarithm in single precision; a pair without probability
// gets the unreached marker, which never improves a distance.
template <class T>
T indexPC<T>::weightOf(float p) {
  if (!(p > 0)) return static_cast<T>(kUnreached);
  return static_cast<T>(pcWeight(p));
}

// Each direction from its own probability.
template <class T>
matrix<T> indexPC<T>::directedWeights(const tessella* nodes) const {
  matrix<T> weights;
  guardAlloc(kNoMemory, [&] { weights.assign(nNodes, nNodes, T(0)); });
  for (int i = 0; i < nNodes; ++i)
    for (int j = 0; j < nNodes; ++j)
      if (i != j) weights(i, j) = weightOf(nodes[i].p[j]);
  return weights;
}

// Both directions of a pair from the probability of the later node towards
// the earlier one.
template <class T>
matrix<T> indexPC<T>::mirroredWeights(const tessella* nodes) const {
  matrix<T> weights;
  guardAlloc(kNoMemory, [&] { weights.assign(nNodes, nNodes, T(0)); });
  for (int i = 0; i < nNodes; ++i)
    for (int j = 0; j < i; ++j) {
      T w = weightOf(nodes[i].p[j]);
      weights(i, j) = w;
      weights(j, i) = w;
    }
  return weights;
}

template <class T>
std::vector<adjacency> indexPC<T>::directedLinks(const tessella* nodes, float minProb) {
  std::vector<adjacency> links;
  nEdges = 0;
  guardAlloc(kNoMemory, [&] {
    links.resize(nNodes);
    for (int i = 0; i < nNodes; ++i)
      for (int j = 0; j < nNodes; ++j)
        if (i != j && nodes[i].p[j] > minProb) {
          links[i].push_back(j);
          ++nEdges;
        }
  });
  return links;
}

template <class T>
std::vector<adjacency> indexPC<T>::undirectedLinks(const tessella* nodes, float minProb) {
  std::vector<adjacency> links;
  nEdges = 0;
  guardAlloc(kNoMemory, [&] {
    links.resize(nNodes);
    for (int i = 0; i < nNodes; ++i)
      for (int j = 0; j < i; ++j)
        if (nodes[i].p[j] > minProb) {
          links[i].push_back(j);
          links[j].push_back(i);
          ++nEdges;
        }
  });
  return links;
}

template <class T>
void indexPC<T>::progressLine(int source) const {
  if (!pcSourcesDone(1)) return;
  std::string line;
  appendPCProgress(line, source, nNodes);
  say(line);
}

// Adds the pairs of one source to PCnum and keeps their best-path probabilities.
template <class T>
void indexPC<T>::accumulate(int source, tessella* nodes, const T* distances) {
  const float ai = nodes[source].size;
  float* best = nodes[source].p_maxim_product.data();
  for (int j = 0; j < nNodes; ++j) {
    index = addPCTerm(index, pcTerm(ai, nodes[j].size, distances[j]));
    best[j] = static_cast<float>(bestPathProbability(distances[j]));
  }
}

// With no node there is nothing to normalise: PC stays 0 whatever AL is.
template <class T>
void indexPC<T>::close(float area) {
  indexNumerator = index;
  index = normalisedByArea(index, area, nNodes);
}

template <class T>
template <class Search>
void indexPC<T>::searchAll(tessella* nodes, float area, Search&& search) {
  index = 0;
  std::vector<T> distances;
  guardAlloc(kNoMemory, [&] { distances.resize(nNodes); });
  for (int s = 0; s < nNodes; ++s) {
    progressLine(s);
    search(s, distances.data(), nullptr);
    accumulate(s, nodes, distances.data());
  }
  close(area);
}

// False when the files could not be written completely; the caller then
// repeats the computation with the full search.
template <class T>
template <class Search>
bool indexPC<T>::searchAllWriting(tessella* nodes, float area, Search&& search) {
  static_assert(sizeof(int) == sizeof(std::int32_t), "predecessors are saved as 32-bit integers");
  savedNodes = -1;
  index = 0;
  SavedFiles files("wb", "write");
  if (!files.open()) return false;
  std::vector<T> distances;
  std::vector<int> drecera;
  guardAlloc(kNoMemory, [&] {
    distances.resize(nNodes);
    drecera.resize(nNodes);
  });
  for (int s = 0; s < nNodes; ++s) {
    search(s, distances.data(), drecera.data());
    accumulate(s, nodes, distances.data());
    if (!files.writeRecord(distances.data(), sizeof(T), drecera.data(), distances.size())) return false;
  }
  if (!files.finishWriting()) return false;
  close(area);
  savedNodes = nNodes;
  return true;
}

// False when the saved files do not belong to this landscape (not written in
// this process for its node count plus the removed one, missing, of the wrong
// size or short); the caller then repeats the computation with the full search.
template <class T>
template <class Search>
bool indexPC<T>::searchAllReading(int node, tessella* nodes, float area, Search&& search) {
  index = 0;
  const int total = nNodes + 1;
  if (savedNodes != total) {
    say("Error: The saved shortest paths do not belong to this landscape; the full search is used "
                  "instead.\n");
    return false;
  }
  SavedFiles files("rb", "read");
  if (!files.open() || !files.hasRecords(total, sizeof(T))) return false;
  std::vector<T> saved, distances;
  std::vector<int> drecera;
  guardAlloc(kNoMemory, [&] {
    saved.resize(total);
    drecera.resize(total);
    distances.resize(nNodes);
  });
  auto readRecord = [&] { return files.readRecord(saved.data(), sizeof(T), drecera.data(), saved.size()); };
  for (int s = 0, r = 0; s < nNodes; ++s, ++r) {
    if (r == node) {  // the removed node's own record is of no use
      if (!readRecord()) return false;
      ++r;
    }
    if (!readRecord()) return false;
    bool throughNode = false;
    for (int t = 0; t < total; ++t)
      if (drecera[t] == node) throughNode = true;
    if (throughNode)
      search(s, distances.data(), nullptr);
    else
      for (int t = 0; t < nNodes; ++t) distances[t] = saved[t < node ? t : t + 1];
    accumulate(s, nodes, distances.data());
  }
  close(area);
  return true;
}

}  // namespace verdalis
