#pragma once
// Random cases aimed at a "notall" connection file in the sparse form rather
// than the dense one: what such a landscape must get right is what no line
// says or what several lines say. So every case lists only some pairs, and
// draws, more often than the ordinary cases do, patches without any line,
// several components, pairs listed one way, distances of exactly 0 (and sure
// probabilities), lines repeated for the same ordered pair (the later one
// wins, also when it takes a link away), lines from a patch to itself, lines
// naming patches the node file does not have, candidates linked to existing
// patches and to each other, -symmetric, and a PC heuristic cut at, just
// below or just above a probability that occurs in the landscape.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "e2e/differential_cases.h"

namespace verdalis {

namespace difftest {

class sparseCaseMaker : public caseMaker {
 public:
  sparseCaseMaker(std::uint64_t seed, int limit) : caseMaker(seed, limit) {
    allowAll_ = false;
    result_.sparse = true;
  }

 protected:
  void chooseInput() override {
    const double k = rng_.uniform();
    kind_ = k < 0.5 ? inputKind::distance : k < 0.8 ? inputKind::probability : inputKind::binary;
    all_ = false;
    candidates_ = rng_.chance(0.4);
    change_ = rng_.chance(0.25);
    symmetric_ = rng_.chance(0.3);
    note(std::string("sparse kind=") + kindName());
  }

  // One case in seven past the ordinary sizes, where the engine's searches
  // go over link lists.
  int drawNodeCount() override {
    if (rng_.chance(0.15)) return rng_.between(limit_ + 1, std::max(limit_ + 1, 120));
    return rng_.chance(0.1) ? rng_.between(1, 2) : rng_.between(3, std::max(3, limit_));
  }

  // The link analyses of the larger ones would take the reference seconds
  // each, beyond what the suite's time allows for this series.
  void chooseNodes() override {
    caseMaker::chooseNodes();
    if (big_) links_ = change_ = false;
  }

  void chooseValues() override {
    caseMaker::chooseValues();
    isolatePatches();
    if (rng_.chance(0.5)) linkCandidates();
    if (rng_.chance(0.35)) zeroDistances();
  }

  // Existing patches with no line to any other existing patch; candidates
  // may still reach them, which makes a row that only the candidate has.
  void isolatePatches() {
    if (!rng_.chance(0.7)) return;
    const int total = static_cast<int>(ids_.size());
    const int wanted = rng_.between(1, std::max(1, existing_ / 5));
    const bool candidatesReach = rng_.chance(0.5);
    std::vector<bool> chosen(total, false);
    int isolated = 0;
    for (int tries = 0; tries < 4 * wanted && isolated < wanted; ++tries) {
      const int a = rng_.between(0, total - 1);
      if (isCandidate_[a] || chosen[a]) continue;
      chosen[a] = true;
      ++isolated;
      for (auto it = pairs_.begin(); it != pairs_.end();) {
        const auto [x, y] = it->first;
        const int other = x == a ? y : y == a ? x : -1;
        const bool drop = other >= 0 && !(candidatesReach && isCandidate_[other]);
        it = drop ? pairs_.erase(it) : std::next(it);
      }
    }
    note("isolated=" + std::to_string(isolated));
  }

  // A link between two candidates: read by no analysis, but it must not
  // land in a row of an existing patch either.
  void linkCandidates() {
    std::vector<int> candidates;
    for (int k = 0; k < static_cast<int>(ids_.size()); ++k)
      if (isCandidate_[k]) candidates.push_back(k);
    if (candidates.size() < 2) return;
    const int a = candidates[0], b = candidates[1];
    pairValue& v = pairs_[{a, b}];
    v.forward = linkedValue(a, b);
    v.backward = rng_.chance(0.5) ? v.forward : "";
    if (change_) v.forwardChange = v.backwardChange = changeValue(a, b, v.forward);
    note("candidate-pair");
  }

  // Patches at distance 0 (probability 1): the sure links of the searches.
  void zeroDistances() {
    const std::string zero = kind_ == inputKind::distance ? "0" : "1";
    for (auto& [pair, v] : pairs_) {
      if (!v.forward.empty() && rng_.chance(0.15)) v.forward = zero;
      if (!v.backward.empty() && rng_.chance(0.15)) v.backward = zero;
    }
    note("zero-distances");
  }

  void irregularLines(std::vector<std::string>& lines, std::size_t limit) override {
    if (rng_.chance(0.4)) repeatedLines(lines, limit);
    if (lines.empty() || rng_.chance(0.2)) selfLines(lines, limit);
    if (rng_.chance(0.15)) unknownLines(lines, limit);
  }

  std::string changeOf(int a, int b, const std::string& value) { return change_ ? changeValue(a, b, value) : ""; }

  // The same ordered pair on several lines: a link given again, changed,
  // taken away by the later line, or given by it after a line without one.
  void repeatedLines(std::vector<std::string>& lines, std::size_t limit) {
    if (pairs_.empty()) return;
    const int count = rng_.between(1, 3);
    for (int k = 0; k < count && lines.size() + 2 <= limit; ++k) {
      const auto& [pair, v] = *std::next(pairs_.begin(), static_cast<long>(rng_.next() % pairs_.size()));
      const bool forward = rng_.chance(0.5);
      const int from = forward ? pair.first : pair.second, to = forward ? pair.second : pair.first;
      const std::string& before = forward ? v.forward : v.backward;
      if (before.empty() && rng_.chance(0.5)) lines.push_back(line(from, to, absentValue(), changeOf(from, to, "0")));
      const double r = rng_.uniform();
      const std::string value = before.empty() || r < 0.4 ? linkedValue(from, to) : r < 0.75 ? absentValue() : before;
      lines.push_back(line(from, to, value, changeOf(from, to, value)));
    }
    note("repeated-lines");
  }

  void selfLines(std::vector<std::string>& lines, std::size_t limit) {
    const int total = static_cast<int>(ids_.size());
    for (int k = rng_.between(1, 2); k > 0 && lines.size() < limit; --k) {
      const int a = rng_.between(0, total - 1);
      const std::string value = rng_.chance(0.5) ? linkedValue(a, a) : absentValue();
      lines.push_back(line(a, a, value, changeOf(a, a, value)));
    }
    note("self-lines");
  }

  // Identifiers the node file does not have: beside an existing patch the
  // line is reported and skipped; beside a candidate or another unknown one
  // it is skipped without a word.
  void unknownLines(std::vector<std::string>& lines, std::size_t limit) {
    int highest = ids_[0];
    for (int id : ids_) highest = std::max(highest, id);
    const std::string unknown = std::to_string(highest + rng_.between(1, 9));
    const std::string value = kind_ == inputKind::distance ? "100" : kind_ == inputKind::binary ? "1" : "0.5";
    const std::string changed = change_ ? "\t" + value : "";
    const int total = static_cast<int>(ids_.size());
    for (int k = rng_.between(1, 2); k > 0 && lines.size() < limit; --k) {
      std::string first = std::to_string(ids_[rng_.between(0, total - 1)]), second = unknown;
      if (rng_.chance(0.3)) first = std::to_string(highest + 20);
      if (rng_.chance(0.5)) std::swap(first, second);
      lines.push_back(first + "\t" + second + "\t" + value + changed + "\n");
    }
    note("unknown-ids");
  }

  // Probabilities that occur in the landscape: the file's own, or those of
  // its distances as the program computes them, in single precision.
  std::vector<float> landscapeProbabilities() const {
    std::vector<float> found;
    const bool distances = kind_ == inputKind::distance;
    if (distances && !(confDistance_ > 0 && confProbability_ > 0)) return found;
    const float c = distances ? std::log(static_cast<float>(confProbability_)) / static_cast<float>(confDistance_) : 0;
    for (const auto& [pair, v] : pairs_) {
      for (const std::string* value : {&v.forward, &v.backward}) {
        if (value->empty()) continue;
        const float read = std::strtof(value->c_str(), nullptr);
        const float p = distances ? std::exp(c * read) : read;
        if (p > 0 && p <= 1) found.push_back(p);
      }
    }
    return found;
  }

  // The heuristic drops links of probability up to the cut and expands no
  // patch reached below it: a cut at a probability of one link or of a
  // path of two, or one step of single precision to either side of it.
  std::vector<std::string> heuristicOption() override {
    const std::vector<float> found = landscapeProbabilities();
    if (found.empty() || rng_.chance(0.3)) return caseMaker::heuristicOption();
    float cut = rng_.pick(found);
    if (rng_.chance(0.3)) cut *= rng_.pick(found);
    const double side = rng_.uniform();
    if (side < 0.35) cut = std::nextafter(cut, 0.0f);
    else if (side < 0.7) cut = std::nextafter(cut, 2.0f);
    // Above 1 the run is refused (not even the source would expand).
    cut = std::min(cut, 1.0f);
    if (!(cut > 0)) return caseMaker::heuristicOption();
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(cut));
    note(side < 0.35 ? "cut-below" : side < 0.7 ? "cut-above" : "cut-at");
    return {"-pcHeur", buffer};
  }

  void moreOptions(std::vector<std::vector<std::string>>& groups) override {
    if (symmetric_) groups.push_back({"-symmetric"});
  }

  bool symmetric_ = false;
};

// The three link analyses at once on a landscape past the ordinary sizes,
// in the sparse form: PC always, a link threshold for the removal and the
// improvement, the fourth column for the change.
class sparseLinkCaseMaker : public sparseCaseMaker {
 public:
  using sparseCaseMaker::sparseCaseMaker;

 protected:
  void chooseInput() override {
    kind_ = rng_.chance(0.6) ? inputKind::distance : inputKind::probability;
    candidates_ = rng_.chance(0.4);
    symmetric_ = rng_.chance(0.3);
    note(std::string("sparse links kind=") + kindName());
  }

  int drawNodeCount() override { return rng_.between(40, 70); }

  // The analyses are drawn below, all three.
  void chooseNodes() override {
    caseMaker::chooseNodes();
    links_ = false;
    change_ = true;
  }

  void moreOptions(std::vector<std::vector<std::string>>& groups) override {
    sparseCaseMaker::moreOptions(groups);
    auto given = [&](const char* option) {
      for (const auto& g : groups)
        if (g.front() == option) return true;
      return false;
    };
    if (!given("-PC") && !given("-pc")) {
      groups.push_back({"-PC"});
      if (kind_ == inputKind::distance && !given("-confProb")) {
        confDistance_ = 1000;
        confProbability_ = 0.5;
        groups.push_back({"-confProb", "1000", "0.5"});
      }
      const std::vector<std::string> heuristic = heuristicOption();
      if (!heuristic.empty()) groups.push_back(heuristic);
    }
    for (const char* analysis : {"-removal", "-improvement"})
      groups.push_back({analysis, "maxValue", kind_ == inputKind::distance ? thresholdDistance() : thresholdProbability()});
  }
};

}  // namespace difftest

}  // namespace verdalis
