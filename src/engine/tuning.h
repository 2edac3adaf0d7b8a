#pragma once
// The engine's tuning constants. None of them changes a result: they decide
// how work is cut into tasks and which lists are worth building, never which
// terms are added or in what order.
#include <algorithm>
#include <cstddef>

#include "graph/search_weights.h"

namespace verdalis {

// Dense searches with a cut keep, per node and source, this many of the
// best entries into it; a repair takes the first whose origin is still in
// place. Sixteen covers nearly every repair on clustered landscapes; the
// rare node whose sixteen all fall below the removed node reads its whole
// column.
constexpr int kBestEntriesPerNode = 16;

// Landscapes smaller than these are searched faster on one thread than
// threads start: global PC searches, kept-pair lists, betweenness.
constexpr int kThreadedSearchFromNodes = 128;
constexpr int kThreadedKeptFromNodes = 256;
constexpr int kThreadedBetweennessFromNodes = 64;

// Sources per task of the global PC searches and of betweenness: enough to
// pay for handing a task over, few enough that the ordered output keeps
// flowing.
constexpr int kSourcesPerGlobalTask = 16;
constexpr int kSourcesPerBetweennessTask = 8;

// The rows of the global PC searches that the processes of a run hand each
// other at once: the whole landscape up to a few thousand patches, and a
// bounded copy beside the rows for larger ones.
constexpr std::size_t kSharedSearchBytes = std::size_t{64} << 20;

// Node removals: sources prepared per round for each thread (their derived
// rows are shared by every removal task of the round), and removal tasks per
// thread (each takes every so-many-th node, so that the costly hubs of the
// trees spread over the tasks).
constexpr int kRemovalSourcesPerThread = 16;
constexpr unsigned kRemovalTasksPerThread = 32;

// Link analyses: sources per round and pair ranges per thread; a pair
// measure is cheap, so fewer and larger tasks do.
constexpr int kLinkSourcesPerThread = 4;
constexpr unsigned kLinkTasksPerThread = 4;

// Removals by neighbour: sources prepared per round for each thread, rounds
// in hand at once, and removals per lane task at most: the task's
// accumulators (a few tens of kilobytes) stay in the first-level cache
// while every term of the round passes. A prepared source holds the changed
// terms of every removal on its tree (megabytes without a PC heuristic), so
// the sources in hand set the memory: 4 per thread in 3 rounds hold the
// archipelago's removals in about 130 MB. Three rounds let a thread prepare
// ahead while another finishes a costly source, instead of waiting for it.
constexpr int kLaneSourcesPerThread = 4;
constexpr int kLaneRoundsInHand = 3;
// With the sources shared among processes, the rounds of lane sources a
// process prepares between two exchanges: fewer exchanges, each waiting
// for the slowest process, against more lane sources held at once.
constexpr int kSharedSourceRounds = 4;
constexpr int kLanesPerTask = 2048;

// The most pairs worth listing as kept entries for n nodes: an eighth of the
// matrix (beyond, a row scan is as cheap), and every pair of a small
// landscape (64 per node), so that small landscapes take the same way as
// large ones.
constexpr std::size_t kKeptPairsPerNodeAtLeast = 64;
constexpr std::size_t kKeptPairsShareOfMatrix = 8;

// The limits that decide which way a search or a repair takes, gathered so
// that tests can lower them and reach every way on tiny landscapes.
struct engineLimits {
  int compactFromNodes = kCompactFromNodes;
  std::size_t compactBelowShare = kCompactBelowShare;
  int bestEntriesPerNode = kBestEntriesPerNode;
  std::size_t keptPairsPerNodeAtLeast = kKeptPairsPerNodeAtLeast;
  std::size_t keptPairsShareOfMatrix = kKeptPairsShareOfMatrix;

  std::size_t keptPairsWorthIt(int n) const {
    const std::size_t size = static_cast<std::size_t>(n);
    return std::max(size * size / keptPairsShareOfMatrix, size * keptPairsPerNodeAtLeast);
  }
};

}  // namespace verdalis
