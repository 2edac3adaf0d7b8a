#include "landscape/sparse_landscape.h"

#include <algorithm>
#include <utility>

#include "landscape/landscape.h"
#include "support/messages.h"

namespace verdalis {

float listedPairs::at(int i, int j, float none) const {
  const auto first = to.begin() + static_cast<std::ptrdiff_t>(start[i]);
  const auto last = to.begin() + static_cast<std::ptrdiff_t>(start[i + 1]);
  const auto it = std::lower_bound(first, last, j);
  return (it != last && *it == j) ? value[static_cast<std::size_t>(it - to.begin())] : none;
}

float sparseLandscape::probability(int i, int j) const {
  if (i == j) return 1.0f;
  const auto first = probTo.begin() + static_cast<std::ptrdiff_t>(probStart[i]);
  const auto last = probTo.begin() + static_cast<std::ptrdiff_t>(probStart[i + 1]);
  const auto it = std::lower_bound(first, last, j);
  return (it != last && *it == j) ? prob[static_cast<std::size_t>(it - probTo.begin())] : 0.0f;
}

bool sparseLandscape::linked(int i, int j) const {
  const auto first = linkTo.begin() + static_cast<std::ptrdiff_t>(linkStart[i]);
  const auto last = linkTo.begin() + static_cast<std::ptrdiff_t>(linkStart[i + 1]);
  return std::binary_search(first, last, j);
}

namespace {

// Compressed rows of n nodes from (origin, target) pairs given in the order
// each row must keep.
template <class Value>
void rowsOf(int n, const std::vector<std::pair<int, int>>& pairs, const std::vector<Value>& values,
            std::vector<std::size_t>& start, std::vector<int>& to, std::vector<Value>& out) {
  guardAlloc(kNoMemory, [&] {
    start.assign(static_cast<std::size_t>(n) + 1, 0);
    to.resize(pairs.size());
    out.resize(values.size());
  });
  for (const auto& p : pairs) ++start[p.first + 1];
  for (int v = 0; v < n; ++v) start[v + 1] += start[v];
  std::vector<std::size_t> fill(start.begin(), start.end() - 1);
  for (std::size_t e = 0; e < pairs.size(); ++e) {
    const std::size_t at = fill[pairs[e].first]++;
    to[at] = pairs[e].second;
    if (!values.empty()) out[at] = values[e];
  }
}

float probabilityOf(float value, const connectionRules& rules, float c) {
  return rules.inputDist ? distanceToProbability(c, value) : value;
}

// Only the value from the later node towards the earlier one decides a link.
void buildLinks(sparseLandscape& land, const listedPairs& pairs, const connectionRules& rules) {
  std::vector<std::pair<int, int>> ends;
  for (int i = 0; i < land.n; ++i)
    for (std::size_t e = pairs.start[i]; e < pairs.start[i + 1] && pairs.to[e] < i; ++e) {
      if (!isBinaryLink(pairs.value[e], rules.inputDist, rules.inputProb, rules.inputAdjacen, rules.adjacentTail))
        continue;
      guardAlloc(kNoMemory, [&] {
        ends.push_back({i, pairs.to[e]});
        ends.push_back({pairs.to[e], i});
      });
      ++land.nEdges;
    }
  std::vector<char> none;
  rowsOf(land.n, ends, none, land.linkStart, land.linkTo, none);
}

void buildProbabilities(sparseLandscape& land, const listedPairs& pairs, const connectionRules& rules) {
  if (!rules.inputDist && !rules.inputProb) {
    land.probStart.assign(static_cast<std::size_t>(land.n) + 1, 0);
    return;
  }
  const float c = rules.inputDist ? probabilityConstant(rules.kProbProb, rules.kDistanceProb) : 0.0f;
  std::vector<std::pair<int, int>> ends;
  std::vector<float> values;
  for (int i = 0; i < land.n; ++i)
    for (std::size_t e = pairs.start[i]; e < pairs.start[i + 1]; ++e) {
      const float p = probabilityOf(pairs.value[e], rules, c);
      if (pairs.to[e] == i || p == 0) continue;
      guardAlloc(kNoMemory, [&] {
        ends.push_back({i, pairs.to[e]});
        values.push_back(p);
      });
    }
  rowsOf(land.n, ends, values, land.probStart, land.probTo, land.prob);
}

}  // namespace

sparseLandscape buildSparseLandscape(const std::vector<float>& sizes, const listedPairs& pairs,
                                     const connectionRules& rules, long long landscapeArea, float minProb,
                                     bool allpaths) {
  sparseLandscape land;
  land.n = static_cast<int>(sizes.size());
  land.sizes = sizes;
  for (float a : sizes) land.sizeTotalHabitat += a;
  land.sizeLandscapeArea = static_cast<float>(landscapeArea);
  land.minProb = minProb;
  land.allpaths = allpaths;
  if (rules.adjType) {
    buildLinks(land, pairs, rules);
  } else {
    land.linkStart.assign(static_cast<std::size_t>(land.n) + 1, 0);
  }
  if (rules.probType) {
    buildProbabilities(land, pairs, rules);
  } else {
    land.probStart.assign(static_cast<std::size_t>(land.n) + 1, 0);
  }
  return land;
}

namespace {

// Inserts, into every row of `start`/`to`, the entry of the new last node
// where the row holds one, and gives the new node its row.
template <class Value>
void addLastNode(int n, const std::vector<int>& with, const std::vector<Value>& values,
                 std::vector<std::size_t>& start, std::vector<int>& to, std::vector<Value>* rowValues) {
  std::vector<std::size_t> newStart(static_cast<std::size_t>(n) + 2, 0);
  std::vector<int> newTo;
  std::vector<Value> newValues;
  guardAlloc(kNoMemory, [&] {
    newTo.reserve(to.size() + 2 * with.size());
    if (rowValues != nullptr) newValues.reserve(to.size() + 2 * with.size());
  });
  std::size_t next = 0;
  for (int v = 0; v < n; ++v) {
    for (std::size_t e = start[v]; e < start[v + 1]; ++e) {
      newTo.push_back(to[e]);
      if (rowValues != nullptr) newValues.push_back((*rowValues)[e]);
    }
    // The new node is last: its entry goes at the end of the row.
    if (next < with.size() && with[next] == v) {
      newTo.push_back(n);
      if (rowValues != nullptr) newValues.push_back(values[next]);
      ++next;
    }
    newStart[v + 1] = newTo.size();
  }
  for (std::size_t e = 0; e < with.size(); ++e) {
    newTo.push_back(with[e]);
    if (rowValues != nullptr) newValues.push_back(values[e]);
  }
  newStart[n + 1] = newTo.size();
  start.swap(newStart);
  to.swap(newTo);
  if (rowValues != nullptr) rowValues->swap(newValues);
}

}  // namespace

sparseLandscape withCandidate(const sparseLandscape& land, float size, const std::vector<int>& listedTo,
                              const std::vector<float>& listedValue, const connectionRules& rules) {
  sparseLandscape out = land;
  const int n = land.n;
  out.n = n + 1;
  out.sizes.push_back(size);
  out.sizeTotalHabitat = 0;
  for (float a : out.sizes) out.sizeTotalHabitat += a;
  if (out.sizeLandscapeArea < out.sizeTotalHabitat) out.sizeLandscapeArea = out.sizeTotalHabitat;
  std::vector<int> linkedTo, probTo;
  std::vector<float> probs;
  std::vector<char> noValues;
  const float c = rules.inputDist ? probabilityConstant(rules.kProbProb, rules.kDistanceProb) : 0.0f;
  for (std::size_t e = 0; e < listedTo.size(); ++e) {
    const float value = listedValue[e];
    if (rules.adjType && isBinaryLink(value, rules.inputDist, rules.inputProb, rules.inputAdjacen, rules.adjacentTail))
      linkedTo.push_back(listedTo[e]);
    const float p = probabilityOf(value, rules, c);
    if (rules.probType && (rules.inputDist || rules.inputProb) && p != 0) {
      probTo.push_back(listedTo[e]);
      probs.push_back(p);
    }
  }
  out.nEdges += static_cast<int>(linkedTo.size());
  addLastNode(n, linkedTo, noValues, out.linkStart, out.linkTo, static_cast<std::vector<char>*>(nullptr));
  addLastNode(n, probTo, probs, out.probStart, out.probTo, &out.prob);
  return out;
}

}  // namespace verdalis
