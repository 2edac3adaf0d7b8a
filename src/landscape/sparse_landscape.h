#pragma once
// A landscape of the sparse form (landscape_form.h): the binary links and
// the direct probabilities of the pairs a "notall" connection file lists,
// in compressed rows. O(n + listed pairs) memory, where the dense form
// holds n × n.
//
// Every pair the file does not list has no link and the direct probability
// 0, as in the dense form; a node's probability to itself is 1 and is not
// stored. The rows hold what the dense form's rows hold, in the same order:
// links by ascending neighbour (the order the dense form adds them in), and
// probabilities by ascending target, so that every sum over them meets its
// terms in the order of the dense form.
#include <cstddef>
#include <vector>

namespace verdalis {

// The connection values of the listed pairs of existing nodes, by origin:
// the last line of the file for a pair wins, as it overwrites a matrix cell.
struct listedPairs {
  int n = 0;
  std::vector<std::size_t> start;  // n + 1
  std::vector<int> to;             // ascending within a row
  std::vector<float> value;

  // The value of the ordered pair, or `none` when no line lists it.
  float at(int i, int j, float none) const;
  std::size_t size() const { return to.size(); }
};

// What turns a connection value into a link and a probability.
struct connectionRules {
  bool inputDist = true, inputProb = false, inputAdjacen = false;
  float adjacentTail = 0;
  float kProbProb = 0, kDistanceProb = 0;
  bool adjType = false, probType = false;
};

struct sparseLandscape {
  int n = 0;
  std::vector<float> sizes;
  float sizeTotalHabitat = 0;
  float sizeLandscapeArea = 0;
  float minProb = 0;
  bool allpaths = false;

  // Binary links, both directions, neighbours ascending.
  int nEdges = 0;
  std::vector<std::size_t> linkStart;
  std::vector<int> linkTo;

  // Direct probabilities of the ordered pairs i -> j, j != i, that are not
  // 0, targets ascending.
  std::vector<std::size_t> probStart;
  std::vector<int> probTo;
  std::vector<float> prob;

  int degree(int v) const { return static_cast<int>(linkStart[v + 1] - linkStart[v]); }
  // The direct probability of i -> j (1 for i = j, 0 when not listed).
  float probability(int i, int j) const;
  bool linked(int i, int j) const;
};

// The landscape of the listed pairs; AL is truncated as the dense form
// truncates it.
sparseLandscape buildSparseLandscape(const std::vector<float>& sizes, const listedPairs& pairs,
                                     const connectionRules& rules, long long landscapeArea, float minProb,
                                     bool allpaths);

// The same landscape with one candidate added last: its links and
// probabilities (both ways) from its connection values towards every
// existing node, `none` where no line lists the pair; AL is raised to the
// total attribute when the candidate passes it.
sparseLandscape withCandidate(const sparseLandscape& land, float size, const std::vector<int>& listedTo,
                              const std::vector<float>& listedValue, const connectionRules& rules);

}  // namespace verdalis
