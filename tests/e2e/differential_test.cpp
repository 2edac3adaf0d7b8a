// Differential suite: the default engine must write exactly what -reference
// writes, with any number of threads.
//
// Every case is a random landscape, mostly small, with a random option set,
// both drawn from a seed. The case is run with -reference, with -threads 1,
// with -threads 2, with no engine option at all and, for some cases, with
// yet another thread count, each run in a fresh folder. Every result file,
// the console text and the exit status must be equal byte for byte; only the
// calendar stamps, the total time and the processor times of the timing
// report are masked, and the lines of a phase that lasted long enough to
// say how far it got on standard error are left out.
//
// Environment (all optional), so that a long sweep can reuse this binary:
//   VERDALIS_DIFF_CASES     number of cases (default 600)
//   VERDALIS_DIFF_SEED      seed of the whole series (default 20261208)
//   VERDALIS_DIFF_FIRST     index of the first case (default 0); case k of a
//                           seed is the same whatever the count and first
//   VERDALIS_DIFF_MAXN      largest number of existing nodes of the ordinary
//                           cases (default 25); one case in twenty is larger
//   VERDALIS_DIFF_BINARY    the program to test (default: the built one)
//   VERDALIS_DIFF_FAILURES  where failing cases are saved (default
//                           <temporary folder>/diff_failures)
//   VERDALIS_DIFF_TIMEOUT   seconds after which a run is stopped and counted
//                           as a difference (default 900; 0: no limit)
//   VERDALIS_DIFF_VERBOSE   set: print every case's command line
//   VERDALIS_DIFF_ARGS      a whole command line to compare instead, for
//   VERDALIS_DIFF_NAME      landscapes of one's own (see GivenLandscape)
// One case can be rerun with VERDALIS_DIFF_SEED=S VERDALIS_DIFF_FIRST=k
// VERDALIS_DIFF_CASES=1, or with --gtest_filter='*/case<k>'. A case number
// names the same case as long as the generator below is not changed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace verdalis {

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------- settings

std::uint64_t envNumber(const char* name, std::uint64_t fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 10);
  return (end != text && *end == '\0') ? value : fallback;
}

std::string envText(const char* name, const std::string& fallback) {
  const char* text = std::getenv(name);
  return (text == nullptr || *text == '\0') ? fallback : std::string(text);
}

std::uint64_t seriesSeed() { return envNumber("VERDALIS_DIFF_SEED", 20261208); }
int maxNodes() { return static_cast<int>(std::max<std::uint64_t>(1, envNumber("VERDALIS_DIFF_MAXN", 25))); }
std::string programPath() { return envText("VERDALIS_DIFF_BINARY", VERDALIS_BINARY); }
fs::path failureRoot() {
  return envText("VERDALIS_DIFF_FAILURES", (fs::temp_directory_path() / "diff_failures").string());
}

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

std::uint64_t caseSeed(std::uint64_t series, int index) {
  random64 mix(series ^ (0xD1B54A32D192ED03ULL * static_cast<std::uint64_t>(index + 1)));
  mix.next();
  return mix.next();
}

// Shortest text that reads back as the same value; the program reads floats.
std::string text(double value) {
  if (value == std::floor(value) && std::fabs(value) < 1e5) return std::to_string(static_cast<long>(value));
  char buffer[40];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
    if (std::strtod(buffer, nullptr) == value) break;
  }
  return buffer;
}

std::string fixed(double value, int decimals) {
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
};

struct pairValue {
  std::string forward, backward;  // text of the third column, or empty: no line
  std::string forwardChange, backwardChange;
};

class caseMaker {
 public:
  caseMaker(std::uint64_t seed, int limit) : rng_(seed), limit_(limit) {}

  landscapeCase make() {
    chooseInput();
    chooseNodes();
    chooseValues();
    writeNodes();
    writeConnections();
    chooseOptions();
    chooseLayout();
    return result_;
  }

 private:
  // -------- input kind and structure
  void chooseInput() {
    const double k = rng_.uniform();
    kind_ = k < 0.45 ? inputKind::distance : k < 0.8 ? inputKind::probability : inputKind::binary;
    all_ = rng_.chance(0.4);
    candidates_ = rng_.chance(0.3);
    change_ = rng_.chance(0.25);
    note(std::string("kind=") + (kind_ == inputKind::distance      ? "dist"
                                 : kind_ == inputKind::probability ? "prob"
                                                                   : "adj"));
  }

  int drawNodeCount() {
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

  void chooseNodes() {
    existing_ = drawNodeCount();
    if (existing_ > limit_) {
      // Link analyses would take the reference too long on the largest.
      big_ = true;
      links_ = existing_ <= 80 && rng_.chance(0.5);
      if (!links_) change_ = false;
      all_ = rng_.chance(0.3);
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

  void chooseValues() {
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
    if (!all_) {
      // A later line for the same ordered pair overwrites the earlier one;
      // a line from a node to itself sets nothing that is read.
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
    // Now and then a value out of range: reported, and the run goes on.
    if (!lines.empty() && rng_.chance(0.04)) {
      std::string& l = lines[rng_.next() % lines.size()];
      // The third column, or the fourth (the changed value) when there is one.
      std::size_t from = l.find('\t', l.find('\t') + 1) + 1;
      if (change_ && rng_.chance(0.5)) from = l.find('\t', from) + 1;
      const std::size_t to = l.find_first_of("\t\n", from);
      l.replace(from, to - from, kind_ == inputKind::distance ? "-100" : kind_ == inputKind::probability ? "1.5" : "2");
      note("out-of-range");
    }
    if (rng_.chance(0.3)) rng_.shuffle(lines);
    std::string out;
    for (const std::string& l : lines) out += l;
    result_.connections = out;
    note("lines=" + std::to_string(lines.size()));
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
    if (probIndex && kind_ == inputKind::distance)
      // A probability of 1 at any distance makes every pair sure (and every
      // path length 0); a short distance makes most probabilities vanish.
      add({"-confProb", text(rng_.pick(std::vector<double>{10, 100, 500, 1000, 1000, 1500})),
           text(rng_.pick(std::vector<double>{0.5, 0.5, 0.25, 0.1, 0.9, 0.05, 0.01, 1}))});
    if (pc) {
      const double h = rng_.uniform();
      if (h < 0.25) add({"-pcHeur", "all"});
      else if (h < 0.5)
        add({"-pcHeur", text(rng_.pick(std::vector<double>{0.5, 0.25, 0.2, 0.2, 0.125, 0.1, 0.05, 0.01, 0.001}))});
      else if (h < 0.53) add({"-pcHeur", "0"});
      // At 1 only sure steps are walked; above 1 not even the source expands.
      else if (h < 0.55) add({"-pcHeur", rng_.chance(0.7) ? "1" : "1.5"});
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

    rng_.shuffle(groups);
    std::vector<std::string>& args = result_.arguments;
    args = {"-nodeFile", "../nodes.txt", "-conFile", "../connections.txt", "-t"};
    args.push_back(kind_ == inputKind::distance ? "dist" : kind_ == inputKind::probability ? "prob" : "adj");
    if (all_) args.push_back("all");
    else if (rng_.chance(0.5)) args.push_back("notall");
    for (const auto& g : groups)
      for (const std::string& token : g) args.push_back(token);
  }

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
  int existing_ = 0, added_ = 0;
  std::vector<int> ids_;
  std::vector<bool> isCandidate_;
  std::vector<std::string> attributes_;
  std::vector<int> group_;
  std::vector<std::pair<double, double>> points_;
  std::map<std::pair<int, int>, pairValue> pairs_;
  landscapeCase result_;
};

// ---------------------------------------------------------------- running

std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void writeFile(const fs::path& file, const std::string& content) {
  std::ofstream(file, std::ios::binary) << content;
}

std::string quoted(const std::vector<std::string>& words) {
  std::string out;
  for (const std::string& w : words) {
    const bool plain = !w.empty() && w.find_first_not_of(
                                         "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_.+/=") ==
                                         std::string::npos;
    out += (out.empty() ? "" : " ") + (plain ? w : "'" + w + "'");
  }
  return out;
}

// Exit status of a run stopped for taking far longer than any case needs.
constexpr int kTimedOut = 1000;

// VERDALIS_DIFF_TIMEOUT, in seconds; 0 waits for ever.
long runLimitSeconds() { return static_cast<long>(envNumber("VERDALIS_DIFF_TIMEOUT", 900)); }

struct runResult {
  int status = -1;  // exit status, 128 + signal, or kTimedOut
  std::string console, errors;
  std::map<std::string, std::string> files;
};

// Runs the program in a new folder `folder` with its console in files beside
// the folder, so that the folder holds only what the program wrote.
runResult runProgram(const fs::path& folder, const std::vector<std::string>& arguments) {
  fs::create_directories(folder);
  const fs::path out = folder.string() + ".stdout", err = folder.string() + ".stderr";
  const std::string program = programPath();
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  // SIGCHLD stays pending while blocked, so the wait below can have a limit.
  sigset_t childEnded, previous;
  sigemptyset(&childEnded);
  sigaddset(&childEnded, SIGCHLD);
  sigprocmask(SIG_BLOCK, &childEnded, &previous);
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o < 0 || e < 0 || chdir(folder.c_str()) != 0) _exit(126);
    dup2(o, 1);
    dup2(e, 2);
    close(o);
    close(e);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  runResult r;
  int raw = 0;
  bool ended = child < 0;
  const long limit = runLimitSeconds();
  timespec wait{limit > 0 ? limit : 0, 0};
  while (!ended) {
    const pid_t done = waitpid(child, &raw, WNOHANG);
    if (done == child) {
      r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
      ended = true;
    } else if (done < 0) {
      ended = true;
    } else if (limit <= 0) {
      int signal = 0;
      sigwait(&childEnded, &signal);
    } else if (sigtimedwait(&childEnded, nullptr, &wait) < 0 && errno == EAGAIN) {
      // A hung engine would otherwise hold up the whole suite.
      kill(child, SIGKILL);
      waitpid(child, &raw, 0);
      r.status = kTimedOut;
      ended = true;
    }
  }
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  r.console = readFile(out);
  r.errors = readFile(err);
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) r.files[fs::relative(entry.path(), folder).string()] = readFile(entry.path());
  return r;
}

// Masks what may differ between two runs of the same case: the calendar
// stamps, the total time, and the processor times of the timing report.
std::string masked(const std::string& text) {
  std::string out;
  std::size_t at = 0;
  bool timing = false;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (timing) {
      const std::size_t colon = line.find(": ");
      const bool duration = colon != std::string::npos && colon > 0 && line.size() >= 8 &&
                            line.compare(line.size() - 8, 8, " seconds") == 0 &&
                            line.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ_") == colon;
      if (duration) line = line.substr(0, colon + 2) + "<duration>";
      else timing = false;
    }
    for (const char* label : {"Execution started at: ", "Indices processing started at: ", "Execution ended at: ",
                              "Total processing time: "}) {
      const std::size_t found = line.find(label);
      if (found != std::string::npos) line = line.substr(0, found + std::strlen(label)) + "<masked>";
    }
    if (line.size() >= 28 && line.compare(line.size() - 28, 28, "Processing time for indices:") == 0) timing = true;
    out += line;
    if (end < text.size()) out += '\n';
    at = end + 1;
  }
  return out;
}

// The error stream without the lines of the phases (support/progress.h),
// which come and go with the time a phase takes.
std::string withoutPhaseLines(const std::string& text) {
  static const char* const phases[] = {"Overall landscape: ", "Node removals: ", "Node additions: ",
                                       "Link removal: ",      "Link improvement: ", "Link change: "};
  std::istringstream in(text);
  std::string kept;
  for (std::string line; std::getline(in, line);) {
    bool phase = false;
    for (const char* name : phases) phase = phase || line.rfind(name, 0) == 0;
    if (!phase) kept += line + "\n";
  }
  return kept;
}

bool isLog(const std::string& name) {
  const std::string log = "execution_events.txt";
  return name.size() >= log.size() && name.compare(name.size() - log.size(), log.size(), log) == 0;
}

// First line where two texts differ, for the failure message.
std::string firstDifference(const std::string& a, const std::string& b) {
  std::istringstream left(a), right(b);
  std::string l, r;
  for (int number = 1;; ++number) {
    const bool moreL = static_cast<bool>(std::getline(left, l));
    const bool moreR = static_cast<bool>(std::getline(right, r));
    if (!moreL && !moreR) return "(equal lines; the ends of line differ)";
    if (!moreL || !moreR || l != r) {
      return "line " + std::to_string(number) + ":\n    reference: " + (moreL ? l : "<end>") +
             "\n    this run:  " + (moreR ? r : "<end>");
    }
  }
}

// Every difference of `run` from `reference`, one per item.
std::vector<std::string> differences(const runResult& reference, const runResult& run) {
  std::vector<std::string> found;
  auto status = [](int s) {
    return s == kTimedOut ? "no end within " + std::to_string(runLimitSeconds()) + " s" : std::to_string(s);
  };
  if (reference.status != run.status) found.push_back("exit status " + status(reference.status) + " against " + status(run.status));
  if (masked(reference.console) != masked(run.console))
    found.push_back("console text, " + firstDifference(masked(reference.console), masked(run.console)));
  const std::string referenceErrors = withoutPhaseLines(reference.errors), errors = withoutPhaseLines(run.errors);
  if (referenceErrors != errors) found.push_back("error stream, " + firstDifference(referenceErrors, errors));
  std::set<std::string> names;
  for (const auto& f : reference.files) names.insert(f.first);
  for (const auto& f : run.files) names.insert(f.first);
  for (const std::string& name : names) {
    const auto left = reference.files.find(name), right = run.files.find(name);
    if (left == reference.files.end()) found.push_back("file " + name + " written only by this run");
    else if (right == run.files.end()) found.push_back("file " + name + " written only by the reference");
    else {
      const std::string a = isLog(name) ? masked(left->second) : left->second;
      const std::string b = isLog(name) ? masked(right->second) : right->second;
      if (a != b) found.push_back("file " + name + ", " + firstDifference(a, b));
    }
  }
  return found;
}

struct engineRun {
  std::string name;
  std::vector<std::string> options;
};

std::vector<engineRun> engineRuns(const landscapeCase& c) {
  std::vector<engineRun> runs{{"threads1", {"-threads", "1"}}, {"threads2", {"-threads", "2"}}, {"default", {}}};
  if (c.moreThreads >= 0) {
    const std::string count = std::to_string(c.moreThreads);
    runs.push_back({"threads" + count, {"-threads", count}});
  }
  return runs;
}

// Keeps a failing case: its inputs, the outputs of every run and a script
// that repeats the runs.
fs::path saveFailure(const fs::path& work, const std::string& name, const landscapeCase& c, const std::string& report) {
  const fs::path target = failureRoot() / name;
  std::error_code ignored;
  fs::remove_all(target, ignored);
  fs::create_directories(target);
  fs::copy(work, target, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ignored);
  std::string script = "#!/bin/sh\n# " + c.summary + "\n# Runs every engine on the saved inputs, each in its own folder.\n";
  script += "cd \"$(dirname \"$0\")\"\nprogram=\"${1:-" + programPath() + "}\"\n";
  std::vector<std::pair<std::string, std::vector<std::string>>> all{{"reference", {"-reference"}}};
  for (const engineRun& e : engineRuns(c)) all.push_back({e.name, e.options});
  for (const auto& [folder, options] : all) {
    std::vector<std::string> arguments = c.arguments;
    arguments.insert(arguments.end(), options.begin(), options.end());
    script += "rm -rf again_" + folder + " && mkdir again_" + folder + " && (cd again_" + folder +
              " && \"$program\" " + quoted(arguments) + " > ../again_" + folder + ".stdout)\n";
  }
  writeFile(target / "reproduce.sh", script);
  fs::permissions(target / "reproduce.sh", fs::perms::owner_exec, fs::perm_options::add, ignored);
  writeFile(target / "report.txt", report);
  return target;
}

// Counts how the reference runs ended, so that a generator that drifted into
// rejected inputs (which all engines reject alike) does not go unnoticed.
class tally : public testing::Environment {
 public:
  static void record(int status) { (status == 0 ? completed() : other())++; }
  void TearDown() override {
    const int all = completed() + other();
    std::cout << "[ differential ] " << completed() << " of " << all << " cases ran to the end\n";
    if (all >= 20) {
      EXPECT_GE(completed() * 10, all * 7) << "too few cases run the analysis";
    }
  }

 private:
  static int& completed() {
    static int n = 0;
    return n;
  }
  static int& other() {
    static int n = 0;
    return n;
  }
};

const testing::Environment* const tallyEnvironment = testing::AddGlobalTestEnvironment(new tally);

class Differential : public testing::TestWithParam<int> {};

// Runs the arguments with -reference and with every engine option, each in
// its own folder below `work`; returns the differences, one per line, and
// the exit status of the reference.
std::string compareEngines(const fs::path& work, const landscapeCase& c, int& referenceStatus) {
  const std::vector<std::string>& arguments = c.arguments;
  std::vector<std::string> referenceArguments = arguments;
  referenceArguments.push_back("-reference");
  const runResult reference = runProgram(work / "reference", referenceArguments);
  referenceStatus = reference.status;
  std::string report;
  // A crash of the reference is a fault too, whatever the other engines do.
  if (reference.status >= 128 || reference.status < 0)
    report += "the reference ended abnormally (" +
              (reference.status == kTimedOut ? "stopped after " + std::to_string(runLimitSeconds()) + " s"
                                             : "status " + std::to_string(reference.status)) +
              ")\n";
  for (const engineRun& e : engineRuns(c)) {
    std::vector<std::string> engineArguments = arguments;
    engineArguments.insert(engineArguments.end(), e.options.begin(), e.options.end());
    const runResult run = runProgram(work / e.name, engineArguments);
    for (const std::string& d : differences(reference, run)) report += e.name + ": " + d + "\n";
  }
  return report;
}

fs::path temporaryFolder(const std::string& name) {
  std::string pattern = (fs::temp_directory_path() / ("verdalis_diff_" + name + "_XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) return fs::path();
  return pattern;
}

TEST_P(Differential, EnginesWriteTheSameBytes) {
  const int index = GetParam();
  const std::uint64_t series = seriesSeed();
  const landscapeCase c = caseMaker(caseSeed(series, index), maxNodes()).make();
  const std::string name = "seed" + std::to_string(series) + "_case" + std::to_string(index);

  const fs::path work = temporaryFolder(name);
  ASSERT_FALSE(work.empty()) << "no temporary folder";
  writeFile(work / "nodes.txt", c.nodes);
  writeFile(work / "connections.txt", c.connections);
  int status = -1;
  const std::string report = compareEngines(work, c, status);

  const std::string command = quoted(c.arguments);
  tally::record(status);
  if (std::getenv("VERDALIS_DIFF_VERBOSE") != nullptr) {
    std::cout << "  " << name << " (" << c.summary << ") status " << status << "\n  verdalis " << command << "\n";
  }
  if (!report.empty()) {
    const fs::path saved = saveFailure(work, name, c, "case " + name + " (" + c.summary + ")\ncommand: verdalis " +
                                                          command + "\n" + report);
    ADD_FAILURE() << "case " << name << " (" << c.summary << ")\n  verdalis " << command << "\n"
                  << report << "inputs and outputs saved in " << saved.string()
                  << "\n  rerun: VERDALIS_DIFF_SEED=" << series << " VERDALIS_DIFF_FIRST=" << index
                  << " VERDALIS_DIFF_CASES=1";
  }
  std::error_code ignored;
  fs::remove_all(work, ignored);
}

// A landscape of the user's: VERDALIS_DIFF_ARGS holds the whole command line
// (with absolute file names, since every run has its own folder), split at
// blanks; VERDALIS_DIFF_NAME names the saved failure. Skipped without them.
TEST(GivenLandscape, EnginesWriteTheSameBytes) {
  const std::string line = envText("VERDALIS_DIFF_ARGS", "");
  if (line.empty()) GTEST_SKIP() << "VERDALIS_DIFF_ARGS not set";
  landscapeCase c;
  std::istringstream words(line);
  for (std::string w; words >> w;) c.arguments.push_back(w);
  const std::string name = envText("VERDALIS_DIFF_NAME", "given");
  c.summary = "given landscape " + name;
  const fs::path work = temporaryFolder(name);
  ASSERT_FALSE(work.empty()) << "no temporary folder";
  int status = -1;
  const std::string report = compareEngines(work, c, status);
  EXPECT_EQ(status, 0) << "the reference did not run to the end";
  if (!report.empty()) {
    const fs::path saved = saveFailure(work, name, c, "command: verdalis " + line + "\n" + report);
    ADD_FAILURE() << "verdalis " << line << "\n" << report << "outputs saved in " << saved.string();
  }
  std::error_code ignored;
  fs::remove_all(work, ignored);
}

int firstCase() { return static_cast<int>(envNumber("VERDALIS_DIFF_FIRST", 0)); }
int caseCount() { return static_cast<int>(envNumber("VERDALIS_DIFF_CASES", 600)); }

INSTANTIATE_TEST_SUITE_P(Random, Differential, testing::Range(firstCase(), firstCase() + caseCount()),
                         [](const testing::TestParamInfo<int>& info) { return "case" + std::to_string(info.param); });

// The masking must hide only the varying parts of the console text.
TEST(DifferentialMasking, HidesStampsAndDurationsOnly) {
  const std::string console =
      "Execution started at: Tue Dec  8 03:27:19 2026\n\nNumber of nodes to process: 3\n"
      "Indices processing started at: Tue Dec  8 03:27:19 2026\n\n"
      "Processing node number 2 of 3 (66%)\rExecution ended\n"
      "Processing time for indices:\nNC:  0 seconds\nBC_PC:  1 minutes 2 seconds\n\n\n"
      "Execution ended at: Tue Dec  8 03:28:21 2026\n\nTotal processing time:  1 minutes 2 seconds\n";
  EXPECT_EQ(masked(console),
            "Execution started at: <masked>\n\nNumber of nodes to process: 3\n"
            "Indices processing started at: <masked>\n\n"
            "Processing node number 2 of 3 (66%)\rExecution ended\n"
            "Processing time for indices:\nNC: <duration>\nBC_PC: <duration>\n\n\n"
            "Execution ended at: <masked>\n\nTotal processing time: <masked>\n");
  EXPECT_NE(masked("Processing time for indices:\nNC:  0 seconds\nPC\t3 seconds\n"),
            masked("Processing time for indices:\nNC:  0 seconds\nPC\t4 seconds\n"));
  EXPECT_EQ(withoutPhaseLines("Warning: x\nNode removals: 90% done, about 1 s left\nNode removals: done in 3 s\n"
                              "Summary: Node removals: 2\n"),
            "Warning: x\nSummary: Node removals: 2\n");
}

}  // namespace

}  // namespace verdalis
