#pragma once
// The pairs a best path can still end with after any one node is taken away.
//
// A pair (u, y) is beaten through m when w(u,m) + w(m,y) is below w(u,y) by
// more than the rounding of any path sum: from whatever distance a search
// reaches u, the step through m gives y a strictly smaller value than the
// direct step, so the direct step is never the best entry of y, nor a tie.
// Without a cut every node steps on, so this holds in every landscape that
// keeps m. A pair beaten through two nodes is never needed when one node
// goes; a pair beaten through one node only is needed when that node goes.
//
// With a margin of a few float units instead, the pairs beaten are those
// whose step lands in a higher float class than the best entry of y; the
// checks that compare every entry with the float class of its node need
// only look at the others. Both margins are derived in rounding_margins.h.
#include <atomic>
#include <cstddef>
#include <vector>

#include "graph/search_weights.h"
#include "support/process_group.h"

namespace verdalis {

struct keptEntries {
  int n = 0;
  // By destination: the entries of y in increasing order of the node they
  // come from. witness = the one node that beats the pair, -1 for none.
  std::vector<std::size_t> inStart;
  std::vector<int> inFrom, inWitness;
  std::vector<float> inWeight;
  // By origin, the same pairs.
  std::vector<std::size_t> outStart;
  std::vector<int> outTo, outWitness;
  std::vector<float> outWeight;

  std::size_t size() const { return inFrom.size(); }
};

// The same pairs split for the searches without one node: the pairs no node
// beats, by destination and by origin, and those beaten through one node
// only, listed under that node (needed only when it goes).
struct removalEntries {
  int n = 0;
  std::vector<std::size_t> inStart, outStart;
  std::vector<int> inFrom, outTo;
  std::vector<float> inWeight, outWeight;
  std::vector<std::size_t> byWitnessStart;
  std::vector<int> byWitnessFrom, byWitnessTo;
  std::vector<float> byWitnessWeight;
};

// Lists the pairs of lists grouped by start (group g holds the pairs
// start[g] to start[g+1]) under the group key(g, e) names instead, or drops
// them when it names -1; within a group they keep their order. size(count)
// is called before emit(slot, g, e) places them. Gives the new start.
template <class Key, class Size, class Emit>
std::vector<std::size_t> groupBy(int n, const std::vector<std::size_t>& start, Key&& key, Size&& size, Emit&& emit) {
  std::vector<std::size_t> grouped(static_cast<std::size_t>(n) + 1, 0);
  for (int g = 0; g < n; ++g)
    for (std::size_t e = start[g]; e < start[g + 1]; ++e) {
      const int k = key(g, e);
      if (k >= 0) ++grouped[k + 1];
    }
  for (int k = 0; k < n; ++k) grouped[k + 1] += grouped[k];
  size(grouped[n]);
  std::vector<std::size_t> fill(grouped.begin(), grouped.end() - 1);
  for (int g = 0; g < n; ++g)
    for (std::size_t e = start[g]; e < start[g + 1]; ++e) {
      const int k = key(g, e);
      if (k >= 0) emit(fill[k]++, g, e);
    }
  return grouped;
}

// The same pairs split for the searches without one node.
removalEntries splitByWitness(const keptEntries& kept);

// The pairs of the weights (dense or compressed) that fewer than two nodes
// beat, for searches without a cut. A pair is beaten when the step through the other
// node is shorter by more than margin times the longest path sum; false
// when more than maxKept pairs remain (the lists would not pay).
// cpuMicros receives the processor time of the work, summed over threads.
// With a group of several processes, each finds the pairs of a share of the
// origins and every process receives all (every process calls it;
// failureEverywhere says that one of them failed).
bool buildKeptEntries(const searchWeights& w, double margin, std::size_t maxKept, unsigned threads,
                      keptEntries& kept, std::atomic<long long>& cpuMicros, processGroup* group = nullptr);

// The pairs no node beats, as compressed weights: a search without a cut
// over them takes the same values, parents and order as over every pair,
// since a beaten pair never gives a least value nor ties one.
searchWeights unbeatenWeights(const removalEntries& kept);

// The pairs for the repair searches in precision T: beaten by the search
// margin.
template <class T>
bool buildSearchEntries(const searchWeights& w, std::size_t maxKept, unsigned threads, keptEntries& kept,
                        std::atomic<long long>& cpuMicros, processGroup* group = nullptr);

// The pairs for the float-class checks of double-precision searches: beaten
// by the class margin.
bool buildClassEntries(const searchWeights& w, std::size_t maxKept, unsigned threads, keptEntries& kept,
                       std::atomic<long long>& cpuMicros, processGroup* group = nullptr);

}  // namespace verdalis
