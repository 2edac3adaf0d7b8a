#pragma once
// The values of one link analysis, per pair of existing nodes. The dense
// form keeps a record for every pair, by pairIndex. The sparse form keeps
// the records of the pairs it measured only, sorted by pairIndex: any other
// pair leaves the landscape as it is (no line lists it, and the analysis
// does not change it), so it has the values of the whole landscape.
// O(pairs measured) memory then, where the dense form holds n(n-1)/2
// records.
#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "engine/variant_values.h"

namespace verdalis {

template <class T>
class linkRecords {
 public:
  // A record for every one of `pairs` pairs, filled as variants are measured.
  void assign(std::size_t pairs, const linkValues<T>& value) {
    all.assign(pairs, value);
    measuredAt.clear();
    measured.clear();
    covered = pairs;
    onlyMeasured = false;
  }
  // The records of the measured pairs of `pairs` in all, by ascending
  // pairIndex.
  void keepMeasured(std::size_t pairs, std::vector<std::size_t> at, std::vector<linkValues<T>> values) {
    all.clear();
    measuredAt = std::move(at);
    measured = std::move(values);
    covered = pairs;
    onlyMeasured = true;
  }
  // The pairs the analysis covers: 0 when it did not run.
  std::size_t size() const { return covered; }
  bool empty() const { return covered == 0; }
  // The dense form's record of pair k.
  linkValues<T>& operator[](std::size_t k) { return all[k]; }
  const linkValues<T>& operator[](std::size_t k) const { return all[k]; }
  // The values of pair k in either form; `whole` when it was not measured.
  const linkValues<T>& at(std::size_t k, const linkValues<T>& whole) const {
    if (!onlyMeasured) return all[k];
    const auto found = std::lower_bound(measuredAt.begin(), measuredAt.end(), k);
    if (found == measuredAt.end() || *found != k) return whole;
    return measured[static_cast<std::size_t>(found - measuredAt.begin())];
  }

 private:
  std::vector<linkValues<T>> all;
  std::vector<std::size_t> measuredAt;
  std::vector<linkValues<T>> measured;
  std::size_t covered = 0;
  bool onlyMeasured = false;
};

}  // namespace verdalis
