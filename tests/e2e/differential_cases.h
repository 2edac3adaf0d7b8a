#pragma once
// The random cases of the differential suite: a landscape and an option set
// drawn from a seed. A seed names the same case everywhere and for as long as
// the drawing below is not changed, so that a failing case can be rerun by
// its number; a new kind of case draws in a subclass (differential_sparse.h)
// rather than here.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace verdalis {

namespace difftest {

// ---------------------------------------------------------------- random numbers

// A fixed generator rather than the library's distributions, whose results
// differ between standard libraries: a seed names the same case everywhere.
class random64 {
 public:
  explicit random64(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  double uniform(double from, double to) { return from + (to - from) * uniform(); }
  int between(int from, int to) { return from + static_cast<int>(next() % static_cast<std::uint64_t>(to - from + 1)); }
  bool chance(double p) { return uniform() < p; }
  template <class T>
  const T& pick(const std::vector<T>& values) {
    return values[next() % values.size()];
  }
  template <class T>
  void shuffle(std::vector<T>& values) {
    for (std::size_t i = values.size(); i > 1; --i) std::swap(values[i - 1], values[next() % i]);
  }

 private:
  std::uint64_t state_;
};

inline std::uint64_t caseSeed(std::uint64_t series, int index) {
  random64 mix(series ^ (0xD1B54A32D192ED03ULL * static_cast<std::uint64_t>(index + 1)));
  mix.next();
  return mix.next();
}

// Shortest text that reads back as the same value; the program reads floats.
inline std::string text(double value) {
  if (value == std::floor(value) && std::fabs(value) < 1e5) return std::to_string(static_cast<long>(value));
  char buffer[40];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
    if (std::strtod(buffer, nullptr) == value) break;
  }
  return buffer;
}

inline std::string fixed(double value, int decimals) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

// ---------------------------------------------------------------- one case

enum class inputKind { distance, probability, binary };

struct landscapeCase {
  std::string nodes;        // node file text
  std::string connections;  // connection file text
  std::vector<std::string> arguments;  // without the engine options
  std::string summary;      // what the generator chose, for the failure report
  int moreThreads = -1;     // a further run with this many threads, or -1
  bool notall = false;      // the connection file lists only some pairs
  bool sparse = false;      // drawn by sparseCaseMaker
  // What may keep a run from the engine of its form, as drawn.
  int existing = 0;             // existing patches
  bool outOfRange = false;      // a value out of range: a probability above 1, a negative distance
  bool hugeAttributes = false;  // attributes whose products overflow single precision
};

struct pairValue {
  std::string forward, backward;  // text of the third column, or empty: no line
  std::string forwardChange, backwardChange;
};

class caseMaker {
 public:
  caseMaker(std::uint64_t seed, int limit) : rng_(seed), limit_(limit) {}
  virtual ~caseMaker() = default;

  landscapeCase make() {
    chooseInput();
    chooseNodes();
    chooseValues();
    writeNodes();
    writeConnections();
    chooseOptions();
    chooseLayout();
    result_.notall = !all_;
    result_.existing = existing_;
    return result_;
  }

 protected:
  // The steps a subclass may draw in its own way. Each draws the same
  // numbers in the same order as before it became a step of its own, so
  // that the case numbers of this class keep naming the same cases.
  // -------- input kind and structure
  virtual void chooseInput() {
    const double k = rng_.uniform();
    kind_ = k < 0.45 ? inputKind::distance : k < 0.8 ? inputKind::probability : inputKind::binary;
    all_ = rng_.chance(0.4);
    candidates_ = rng_.chance(0.3);
    change_ = rng_.chance(0.25);
    note(std::string("kind=") + kindName());
  }

  const char* kindName() const {
    return kind_ == inputKind::distance ? "dist" : kind_ == inputKind::probability ? "prob" : "adj";
  }

  virtual int drawNodeCount() {
    const double r = rng_.uniform();
    int n;
    if (r < 0.03) n = 1;
    else if (r < 0.08) n = 2;
    else if (r < 0.48) n = rng_.between(3, 8);
    else if (r < 0.83) n = rng_.between(9, 16);
    else if (r < 0.95) n = rng_.between(17, std::max(17, limit_));
    else {
      // A few larger ones, half of them where the fast engine changes its
      // data structures (sparse searches from 64 nodes, threads in the global
      // searches from 128).
      const int low = limit_ + 1, middle = std::max(low, 64), high = std::max(low, 150);
      return (middle > low && rng_.chance(0.5)) ? rng_.between(low, middle - 1) : rng_.between(middle, high);
    }
    return std::min(n, limit_);
  }

  virtual void chooseNodes() {
    existing_ = drawNodeCount();
    if (existing_ > limit_) {
      // Link analyses would take the reference too long on the largest.
      big_ = true;
      links_ = existing_ <= 80 && rng_.chance(0.5);
      if (!links_) change_ = false;
      all_ = allowAll_ && rng_.chance(0.3);
      note("big");
    }
    // One or two existing nodes: the removals leave one node or none.
    if (existing_ <= 2 && rng_.chance(0.5)) candidates_ = true;
    note(all_ ? "all" : "notall");
    added_ = candidates_ ? rng_.between(1, big_ ? 2 : 4) : 0;
    const int total = existing_ + added_;
    // Identifiers: increasing, spaced, sometimes negative, in shuffled order.
    int id = rng_.chance(0.1) ? rng_.between(-20, 0) : rng_.between(1, 500);
    for (int k = 0; k < total; ++k) {
      ids_.push_back(id);
      id += rng_.between(1, 3);
    }
    if (rng_.chance(0.5)) rng_.shuffle(ids_);
    // A repeated identifier: its links all go to the first node of that name.
    if (total >= 3 && rng_.chance(0.03)) {
      ids_[rng_.between(1, total - 1)] = ids_[0];
      note("repeated-id");
    }
    isCandidate_.assign(total, false);
    for (int k = 0; k < added_; ++k) {
      int at;
      do at = rng_.between(0, total - 1);
      while (isCandidate_[at]);
      isCandidate_[at] = true;
    }
    // Attributes: ties and zeros, free values, or all alike.
    const double a = rng_.uniform();
    for (int k = 0; k < total; ++k) {
      if (a < 0.4) attributes_.push_back(text(rng_.pick(std::vector<double>{0, 1, 1, 2, 3, 5, 10})));
      else if (a < 0.8) attributes_.push_back(fixed(rng_.uniform(0.01, 50.0), 2));
      else attributes_.push_back("1");
    }
    // Attributes whose products overflow single precision.
    if (rng_.chance(0.02)) {
      for (std::string& value : attributes_)
        value = fixed(rng_.uniform(1, 9), 2) + "e" + std::to_string(rng_.between(15, 30));
      note("huge-attributes");
      result_.hugeAttributes = true;
    }
    // A negative attribute is reported and kept as it is.
    if (rng_.chance(0.02)) {
      attributes_[rng_.next() % attributes_.size()] = "-" + fixed(rng_.uniform(0.5, 5), 1);
      note("negative-attribute");
    }
    // Groups: every node's group, so that several components and isolated
    // nodes are common; points for geometric values.
    const int groups = big_ ? rng_.between(total / 8, total / 2) : rng_.between(1, std::max(1, total / 3));
    for (int k = 0; k < total; ++k) group_.push_back(rng_.between(0, groups - 1));
    std::vector<std::pair<double, double>> centres;
    for (int g = 0; g < groups; ++g) centres.push_back({rng_.uniform(0, 6000), rng_.uniform(0, 6000)});
    for (int k = 0; k < total; ++k) {
      const auto& c = centres[group_[k]];
      points_.push_back({c.first + rng_.uniform(-600, 600), c.second + rng_.uniform(-600, 600)});
    }
    note("existing=" + std::to_string(existing_) + " candidates=" + std::to_string(added_) +
         " groups=" + std::to_string(groups));
  }

  // -------- pair values
  enum class valueMode { grid, points, free };

  double pointDistance(int a, int b) const {
    const double d = std::hypot(points_[a].first - points_[b].first, points_[a].second - points_[b].second);
    return std::round(std::max(0.0, d - 150.0) * 10.0) / 10.0;
  }

  std::string linkedValue(int a, int b) {
    switch (kind_) {
      case inputKind::distance:
        if (mode_ == valueMode::grid) return rng_.chance(0.08) ? "0" : std::to_string(100 * rng_.between(1, 15));
        if (mode_ == valueMode::points) return text(pointDistance(a, b));
        return rng_.chance(0.05) ? "0" : fixed(rng_.uniform(0, 2000), 1);
      case inputKind::probability:
        if (mode_ == valueMode::grid)
          return text(rng_.pick(std::vector<double>{1, 0.5, 0.5, 0.25, 0.25, 0.125, 0.2, 0.1, 0.05, 0.01, 0}));
        if (mode_ == valueMode::points) return fixed(std::exp(-pointDistance(a, b) / 700.0), 4);
        return fixed(rng_.uniform(0.001, 1.0), 3);
      case inputKind::binary:
        return "1";
    }
    return "1";
  }

  std::string absentValue() {
    switch (kind_) {
      case inputKind::distance:
        if (rng_.chance(big_ ? 0.1 : 0.5)) return std::to_string(100 * rng_.between(20, 60));
        return text(rng_.pick(std::vector<double>{1e5, 1e6, 3e7}));
      case inputKind::probability:
        return rng_.chance(0.8) ? "0" : text(rng_.pick(std::vector<double>{0.001, 0.0001, 1e-6}));
      case inputKind::binary:
        return "0";
    }
    return "0";
  }

  std::string changeValue(int a, int b, const std::string& current) {
    if (rng_.chance(0.3)) return current;
    if (rng_.chance(0.2)) return absentValue();
    if (kind_ == inputKind::binary) return rng_.chance(0.5) ? "1" : "0";
    return linkedValue(a, b);
  }

  virtual void chooseValues() {
    const double m = rng_.uniform();
    mode_ = m < 0.45 ? valueMode::grid : m < 0.75 ? valueMode::points : valueMode::free;
    note(std::string("values=") + (mode_ == valueMode::grid ? "grid" : mode_ == valueMode::points ? "points" : "free"));
    // Large landscapes sparse, so that the searches over link lists are used.
    const double inside = big_ ? rng_.uniform(0.1, 0.5) : rng_.uniform(0.3, 1.0);
    const double across = rng_.chance(0.7) ? 0.0 : big_ ? 0.005 : 0.08;
    const double symmetric = rng_.uniform(0.3, 1.0);
    const int total = static_cast<int>(ids_.size());
    for (int a = 0; a < total; ++a) {
      for (int b = a + 1; b < total; ++b) {
        pairValue v;
        const bool linked = rng_.chance(group_[a] == group_[b] ? inside : across);
        if (linked) {
          v.forward = linkedValue(a, b);
          const double style = rng_.uniform();
          if (style < symmetric) v.backward = v.forward;
          else if (style < symmetric + (1 - symmetric) / 2) v.backward = kind_ == inputKind::binary ? "0" : linkedValue(a, b);
          else if (rng_.chance(0.5)) v.backward = all_ ? absentValue() : "";  // one direction only
          else {
            v.backward = v.forward;
            v.forward = all_ ? absentValue() : "";
          }
        } else if (all_ || rng_.chance(0.15)) {
          v.forward = absentValue();
          v.backward = rng_.chance(0.8) ? v.forward : absentValue();
        }
        if (change_) {
          v.forwardChange = changeValue(a, b, v.forward.empty() ? absentValue() : v.forward);
          v.backwardChange = rng_.chance(0.8) ? v.forwardChange : changeValue(a, b, v.forwardChange);
        }
        pairs_[{a, b}] = v;
      }
    }
  }

  // -------- files
  void writeNodes() {
    std::string out;
    for (std::size_t k = 0; k < ids_.size(); ++k) {
      out += std::to_string(ids_[k]) + (rng_.chance(0.1) ? " " : "\t") + attributes_[k];
      if (candidates_) out += std::string("\t") + (isCandidate_[k] ? "0" : "1");
      out += "\n";
    }
    result_.nodes = out;
  }

  std::string line(int a, int b, const std::string& value, const std::string& changed) {
    std::string out = std::to_string(ids_[a]) + "\t" + std::to_string(ids_[b]) + "\t" + value;
    if (change_) out += "\t" + changed;
    return out + "\n";
  }

  void writeConnections() {
    std::vector<std::string> lines;
    for (const auto& [pair, v] : pairs_) {
      const auto [a, b] = pair;
      std::vector<std::string> both;
      if (!v.forward.empty()) both.push_back(line(a, b, v.forward, v.forwardChange));
      if (!v.backward.empty()) both.push_back(line(b, a, v.backward, v.backwardChange));
      // Half of the pairs name the later node first.
      if (both.size() == 2 && rng_.chance(0.5)) std::swap(both[0], both[1]);
      lines.insert(lines.end(), both.begin(), both.end());
    }
    const int total = static_cast<int>(ids_.size());
    const std::size_t limit = static_cast<std::size_t>(total) * static_cast<std::size_t>(total - 1);
    if (!all_) irregularLines(lines, limit);
    // Now and then a value out of range: reported, and the run goes on.
    if (!lines.empty() && rng_.chance(0.04)) {
      std::string& l = lines[rng_.next() % lines.size()];
      // The third column, or the fourth (the changed value) when there is one.
      std::size_t from = l.find('\t', l.find('\t') + 1) + 1;
      if (change_ && rng_.chance(0.5)) from = l.find('\t', from) + 1;
      const std::size_t to = l.find_first_of("\t\n", from);
      l.replace(from, to - from, kind_ == inputKind::distance ? "-100" : kind_ == inputKind::probability ? "1.5" : "2");
      note("out-of-range");
      result_.outOfRange = true;
    }
    if (rng_.chance(0.3)) rng_.shuffle(lines);
    std::string out;
    for (const std::string& l : lines) out += l;
    result_.connections = out;
    note("lines=" + std::to_string(lines.size()));
  }

  // A later line for the same ordered pair overwrites the earlier one; a
  // line from a node to itself sets nothing that is read. At most `limit`
  // lines in all: more are refused as too many.
  virtual void irregularLines(std::vector<std::string>& lines, std::size_t limit) {
    const int total = static_cast<int>(ids_.size());
    if (rng_.chance(0.1) && !lines.empty() && lines.size() < limit) {
      const auto& [pair, v] = *std::next(pairs_.begin(), static_cast<long>(rng_.next() % pairs_.size()));
      lines.push_back(line(pair.first, pair.second, linkedValue(pair.first, pair.second),
                           change_ ? changeValue(pair.first, pair.second, "0") : ""));
    }
    if ((lines.empty() || rng_.chance(0.05)) && lines.size() < limit) {
      const int a = rng_.between(0, total - 1);
      lines.push_back(line(a, a, kind_ == inputKind::binary ? "1" : "0", kind_ == inputKind::binary ? "1" : "0"));
    }
  }

  // -------- options
  std::string thresholdDistance() {
    if (mode_ == valueMode::grid || rng_.chance(0.3)) return std::to_string(100 * rng_.between(1, 12));
    return text(std::round(rng_.uniform(150, 1500)));
  }

  std::string thresholdProbability() {
    if (mode_ != valueMode::free || rng_.chance(0.5))
      return text(rng_.pick(std::vector<double>{0.5, 0.25, 0.125, 0.1, 0.05, 0.01}));
    return fixed(rng_.uniform(0.01, 0.8), 2);
  }

  void chooseOptions() {
    std::vector<std::vector<std::string>> groups;
    auto add = [&](std::vector<std::string> g) { groups.push_back(std::move(g)); };

    const bool prob = kind_ != inputKind::binary;
    bool iic = rng_.chance(0.55), pc = prob && rng_.chance(0.6);
    const bool bciic = rng_.chance(0.25), bcpc = prob && rng_.chance(0.25);
    if (bciic) iic = true;
    if (bcpc) pc = true;
    std::vector<std::string> indices;
    for (const char* option : {"-A", "-NL", "-NC", "-H", "-CCP", "-LCP", "-BC"})
      if (rng_.chance(0.3)) indices.push_back(option);
    if (prob)
      for (const char* option : {"-F", "-AWF"})
        if (rng_.chance(0.3)) indices.push_back(option);
    if (iic) indices.push_back("-IIC");
    if (pc) indices.push_back("-PC");
    if (bciic) indices.push_back("-BCIIC");
    if (bcpc) indices.push_back("-BCPC");
    if (indices.empty() || (indices.size() == 1 && indices[0] == "-A")) {
      iic = true;
      indices.push_back("-IIC");
    }
    // Lower-case spellings now and then.
    for (std::string& option : indices)
      if (rng_.chance(0.1) && option != "-H") {
        std::string lower = option;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        option = lower;
      }
    auto selected = [&](const char* option) {
      std::string lower = option;
      std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
      return std::find(indices.begin(), indices.end(), option) != indices.end() ||
             std::find(indices.begin(), indices.end(), lower) != indices.end();
    };
    for (const std::string& option : indices) add({option});
    const bool binaryIndex = selected("-NL") || selected("-NC") || selected("-H") || selected("-CCP") ||
                             selected("-LCP") || selected("-IIC") || selected("-BC") || selected("-BCIIC");
    const bool probIndex = selected("-F") || selected("-AWF") || selected("-PC") || selected("-BCPC");

    bool iterate = false;
    if (kind_ == inputKind::distance && rng_.chance(0.05)) {
      const int from = 100 * rng_.between(1, 5);
      add({"-confMultipleValues", std::to_string(from), std::to_string(from + 100 * rng_.between(0, 6)),
           std::to_string(100 * rng_.between(1, 4))});
      iterate = true;
    }
    if (binaryIndex && kind_ != inputKind::binary && (!iterate || rng_.chance(0.5)))
      add({"-confAdj", kind_ == inputKind::distance ? thresholdDistance() : thresholdProbability()});
    if (probIndex && kind_ == inputKind::distance) {
      // A probability of 1 at any distance makes every pair sure (and every
      // path length 0); a short distance makes most probabilities vanish.
      confDistance_ = rng_.pick(std::vector<double>{10, 100, 500, 1000, 1000, 1500});
      confProbability_ = rng_.pick(std::vector<double>{0.5, 0.5, 0.25, 0.1, 0.9, 0.05, 0.01, 1});
      add({"-confProb", text(confDistance_), text(confProbability_)});
    }
    if (pc) {
      const std::vector<std::string> heuristic = heuristicOption();
      if (!heuristic.empty()) add(heuristic);
    }
    const double precision = rng_.uniform();
    if (precision < 0.3) add({"-simple"});
    else if (precision < 0.4) add({"-double"});

    if (candidates_) add({"-add"});
    if (change_) add({"-change"});
    auto linkThreshold = [&]() -> std::vector<std::string> {
      if (!rng_.chance(0.4)) return {};
      if (rng_.chance(0.1)) return {"maxValue", "-1"};
      if (kind_ == inputKind::distance) return {"maxValue", thresholdDistance()};
      if (kind_ == inputKind::probability) return {"maxValue", thresholdProbability()};
      return {"maxValue", rng_.chance(0.5) ? "1" : "0.5"};
    };
    if (links_ && rng_.chance(0.3)) {
      std::vector<std::string> g{"-removal"};
      for (const std::string& t : linkThreshold()) g.push_back(t);
      add(g);
    }
    if (links_ && rng_.chance(0.25)) {
      std::vector<std::string> g{"-improvement"};
      for (const std::string& t : linkThreshold()) g.push_back(t);
      add(g);
    }
    if (rng_.chance(0.04)) add({"onlyoverall"});

    for (const char* option : {"-wcomp", "-wlinks", "-wprobdir", "-wprobmax"})
      if (rng_.chance(0.3)) add({option});
    if (rng_.chance(0.5)) {
      std::string prefix = "c" + std::to_string(rng_.between(0, 999));
      if (rng_.chance(0.15)) prefix += rng_.chance(0.5) ? "_b+_" : "_p+_x";
      add({"-prefix", prefix});
    }
    if (rng_.chance(0.2)) {
      double sum = 0;
      for (std::size_t k = 0; k < attributes_.size(); ++k)
        if (!isCandidate_[k]) sum += std::strtod(attributes_[k].c_str(), nullptr);
      // Now and then below the sum of attributes, which is reported.
      add({"-landArea", fixed(rng_.chance(0.15) ? sum * 0.5 : sum * rng_.uniform(1.0, 3.0) + 1, 1)});
    }
    if (rng_.chance(0.08)) add({"-noout"});
    // More threads than nodes or cores now and then; 0 means all cores.
    if (rng_.chance(0.25)) result_.moreThreads = rng_.pick(std::vector<int>{0, 3, 5, 8});
    moreOptions(groups);

    rng_.shuffle(groups);
    std::vector<std::string>& args = result_.arguments;
    args = {"-nodeFile", "../nodes.txt", "-conFile", "../connections.txt", "-t"};
    args.push_back(kindName());
    if (all_) args.push_back("all");
    else if (rng_.chance(0.5)) args.push_back("notall");
    for (const auto& g : groups)
      for (const std::string& token : g) args.push_back(token);
  }

  // The -pcHeur option of a case with PC, or nothing.
  virtual std::vector<std::string> heuristicOption() {
    const double h = rng_.uniform();
    if (h < 0.25) return {"-pcHeur", "all"};
    if (h < 0.5)
      return {"-pcHeur", text(rng_.pick(std::vector<double>{0.5, 0.25, 0.2, 0.2, 0.125, 0.1, 0.05, 0.01, 0.001}))};
    if (h < 0.53) return {"-pcHeur", "0"};
    // At 1 only sure steps are walked; above 1 not even the source expands.
    if (h < 0.55) return {"-pcHeur", rng_.chance(0.7) ? "1" : "1.5"};
    return {};
  }

  // Option groups of a subclass, shuffled in with the others.
  virtual void moreOptions(std::vector<std::vector<std::string>>&) {}

  // Line ends, blank lines and a missing last line end, which the readers
  // treat in their own ways.
  void chooseLayout() {
    auto blankLine = [&](std::string& file) {
      std::vector<std::size_t> ends;
      for (std::size_t at = file.find('\n'); at != std::string::npos; at = file.find('\n', at + 1)) ends.push_back(at);
      if (ends.size() >= 2) file.insert(ends[rng_.next() % (ends.size() - 1)] + 1, "\n");
    };
    if (rng_.chance(0.03)) {
      blankLine(result_.nodes);
      blankLine(result_.connections);
      note("blank-lines");
    }
    // A value that is no number, or no whole number, stops the reading of
    // the file there; the run goes on with what was read.
    if (rng_.chance(0.015)) {
      std::string& file = rng_.chance(0.5) ? result_.nodes : result_.connections;
      const std::size_t at = file.find('\t', file.size() / 2);
      if (at != std::string::npos) file.insert(at, rng_.chance(0.5) ? "x" : ".5");
      note("damaged-line");
    }
    if (!result_.nodes.empty() && rng_.chance(0.02)) {
      result_.nodes.pop_back();
      note("nodes-without-last-line-end");
    }
    if (!result_.connections.empty() && rng_.chance(0.02)) {
      result_.connections.pop_back();
      note("connections-without-last-line-end");
    }
    if (rng_.chance(0.03)) {
      for (std::string* file : {&result_.nodes, &result_.connections}) {
        std::string crlf;
        for (char ch : *file) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
        *file = crlf;
      }
      note("crlf");
    }
  }

  void note(const std::string& part) { result_.summary += (result_.summary.empty() ? "" : " ") + part; }

  random64 rng_;
  int limit_;
  inputKind kind_ = inputKind::distance;
  valueMode mode_ = valueMode::grid;
  bool all_ = false, candidates_ = false, change_ = false, big_ = false, links_ = true;
  bool allowAll_ = true;  // false: only "notall" files
  double confDistance_ = 0, confProbability_ = 0;  // -confProb, when given
  int existing_ = 0, added_ = 0;
  std::vector<int> ids_;
  std::vector<bool> isCandidate_;
  std::vector<std::string> attributes_;
  std::vector<int> group_;
  std::vector<std::pair<double, double>> points_;
  std::map<std::pair<int, int>, pairValue> pairs_;
  landscapeCase result_;
};

}  // namespace difftest

}  // namespace verdalis
