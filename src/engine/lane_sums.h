#pragma once
// Sums of many variants formed side by side. Each variant keeps its own
// accumulator and receives its terms in the order of its own sum, so running
// the sums together changes no bit, while the terms a source row gives are
// read once for all of them, at the machine's adding speed.
#include <cstddef>
#include <vector>

namespace verdalis {

// The accumulators of every removed node, one per sum: those of one task
// side by side (the task of node k holds every tasks-th node), so that tasks
// on different threads never write into the same cache lines.
template <class T>
struct removalSums {
  std::vector<T> pc, iic;
  std::vector<float> h;
  int tasks = 1, perTask = 0;

  void reset(int n, int taskCount) {
    tasks = taskCount;
    perTask = (n + tasks - 1) / tasks;
    const std::size_t slots = static_cast<std::size_t>(tasks) * perTask;
    pc.assign(slots, T(0));
    iic.assign(slots, T(0));
    h.assign(slots, 0.0f);
  }
  std::size_t slot(int k) const {
    return static_cast<std::size_t>(k % tasks) * perTask + static_cast<std::size_t>(k / tasks);
  }
};

// Adds one source row to many variants at once: sum[m] receives row[j] for
// every j but skip[m], in order. A skipped term is added as 0, which leaves
// a sum that is not minus zero as it is.
template <class Sum>
void addRowSkipping(Sum* sum, const int* skip, int lanes, const double* row, int n) {
  for (int j = 0; j < n; ++j) {
    const double t = row[j];
    for (int m = 0; m < lanes; ++m) sum[m] = static_cast<Sum>(sum[m] + (skip[m] == j ? 0.0 : t));
  }
}

// The same over the nodes a search reached (the other terms are 0).
template <class Sum>
void addReachedSkipping(Sum* sum, const int* skip, int lanes, const double* row, const std::vector<int>& reach) {
  for (int j : reach) {
    const double t = row[j];
    for (int m = 0; m < lanes; ++m) sum[m] = static_cast<Sum>(sum[m] + (skip[m] == j ? 0.0 : t));
  }
}

// The lanes of one source: the variants summed side by side, and their
// running sums gathered from the accumulators and scattered back.
template <class T>
struct laneBatch {
  std::vector<int> nodes;
  std::vector<T> sumT;
  std::vector<float> sumF;
};

}  // namespace verdalis
