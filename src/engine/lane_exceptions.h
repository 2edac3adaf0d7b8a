#pragma once
// The terms of one source row that some variants replace, grouped by the
// position in the row at which each variant meets them, so that a pass
// over the row adds each plain term to every lane at once and gives only
// the listed lanes a value of their own there. O(row · lanes + listed) per
// pass, where re-summing the row for every variant that changes it was
// O(row · changed variants), one dependent addition at a time.
//
// Each lane still receives its terms in row order, one addition each, in
// the precision of its sum: a listed lane's running sum is set aside before
// the plain term goes to every lane and its own term is added to it after,
// which is the addition a lane of its own would have made (lane_add.h adds
// each lane on its own too).
#include <cstddef>
#include <utility>
#include <vector>

namespace verdalis {

// How the requested removals are cut into lane tasks: lane i is node
// first + i · stride, task t holds lanes [t · perTask, (t + 1) · perTask).
struct laneTasks {
  int first = 0, stride = 1, lanes = 0, perTask = 1;
  int count() const { return lanes == 0 ? 0 : (lanes + perTask - 1) / perTask; }
  int laneOf(int node) const { return (node - first) / stride; }
  int taskOf(int lane) const { return lane / perTask; }
  std::pair<int, int> range(int task) const {
    const int lo = task * perTask;
    return {lo, lo + perTask < lanes ? lo + perTask : lanes};
  }
};

// One replaced term before grouping: the lane, the position in the row,
// the lane's own value there.
template <class V>
struct laneRecord {
  int lane, position;
  V value;
};

template <class V>
struct laneExceptions {
  int positions = 0;
  std::vector<std::size_t> start;  // tasks × positions + 1
  std::vector<int> lane;
  std::vector<V> value;

  // The listed lanes of one task at one position: [first, last) of lane
  // and value.
  std::pair<std::size_t, std::size_t> at(int task, int position) const {
    const std::size_t g = static_cast<std::size_t>(task) * positions + position;
    return {start[g], start[g + 1]};
  }

  // Groups the records by task, then by position, keeping their order
  // within a group (a counting sort, O(records + tasks · positions)).
  void group(const std::vector<laneRecord<V>>& records, int rowSize, const laneTasks& tasks) {
    positions = rowSize;
    const std::size_t groups = static_cast<std::size_t>(tasks.count()) * positions;
    start.assign(groups + 1, 0);
    auto key = [&](const laneRecord<V>& r) {
      return static_cast<std::size_t>(tasks.taskOf(r.lane)) * positions + r.position;
    };
    for (const laneRecord<V>& r : records) ++start[key(r) + 1];
    for (std::size_t g = 0; g < groups; ++g) start[g + 1] += start[g];
    lane.resize(records.size());
    value.resize(records.size());
    std::vector<std::size_t> fill(start.begin(), start.end() - 1);
    for (const laneRecord<V>& r : records) {
      const std::size_t at = fill[key(r)]++;
      lane[at] = r.lane;
      value[at] = r.value;
    }
  }
};

}  // namespace verdalis
