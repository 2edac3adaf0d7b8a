#include "program/memory_estimate.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "engine/variant_values.h"
#include "graph/search_weights.h"
#include "support/numfmt.h"

namespace verdalis {

namespace {

// The process before any input: code, libraries, buffers, the first stacks.
constexpr double kBaseBytes = 4e6;
// Per worker thread: its stack in use and its rows of n values.
constexpr double kThreadBytes = 0.5e6;
constexpr double kThreadBytesPerNode = 512;
// A file is read whole into a text that grows by doubling: at the last step
// the old text and the copy in the new one are both held, from 1.5 to 2
// times the file.
constexpr double kReadingBytesPerFileByte = 2;
constexpr double kReadingBytesPerFileByteAtLeast = 1.5;
// While a "notall" file is read, each line keeps its pair for the check of
// pairs listed one way (8 bytes, doubled by the growth of the list).
constexpr double kListedPairBytes = 16;
// A link in the lists of the searches: target and weight, by origin and by
// destination.
constexpr double kListedLinkBytes = 24;
// Allowances for what depends on the values, not only on the counts:
// Double precision: the searches keep, per source, the nodes and entries
// that tie with their best path (for the checks of the repairs). Patches
// that touch (distance 0) tie by the dozen: 25 to 50 kB per source on the
// clustered landscapes of the generator, next to nothing on the islands of
// the Archipelago Sea.
constexpr double kTieBytesPerSource = 50e3;
// The engine's node removals: the lists of kept pairs, at most an eighth of
// the pairs, and the rows of the sources in hand; 0 to 3.4 bytes per pair
// measured.
constexpr double kRemovalBytesPerCell = 4;

// A link analysis in the engine: per pair its change, its description, its
// sums and its result before they are placed in the store; and, as an
// allowance, the growth of the list of changes and the kept pairs.
constexpr double kLinkWorkBytesPerPair = 112;
constexpr double kLinkWorkAllowancePerPair = 58;

double cells(double rows, double cols) { return rows * cols; }

// The dense form: the connections as n x n matrices, the landscape's rows
// of n values per node, the searches' n x n distances and predecessors.
// Without the allowances, what the run holds whatever its values.
class denseModel {
 public:
  denseModel(const runShape& shape, bool allowancesp)
      : s(shape), n(static_cast<double>(shape.nodes)), m(static_cast<double>(shape.candidates)),
        allowances(allowancesp) {}

  double peak() const {
    const double threads = std::max(1u, s.threads);
    const double base = kBaseBytes + threads * (kThreadBytes + kThreadBytesPerNode * n);
    const double reading = allowances ? kReadingBytesPerFileByte : kReadingBytesPerFileByteAtLeast;
    const double loading = reading * static_cast<double>(s.connectionBytes) +
                           (s.fullFile ? 0 : kListedPairBytes * static_cast<double>(s.connectionLines));
    const double linkStores = s.linkAnalyses * (n * (n - 1) / 2) *
                              (s.doublePrecision ? sizeof(linkValues<double>) : sizeof(linkValues<float>));
    const double analysis = landscapeBytes(n) + searchBytes(n) + linkStores + transientBytes();
    return base + inputBytes() + std::max(loading, analysis);
  }

 private:
  const runShape& s;
  const double n, m;
  const bool allowances;

  // The matrices read from the files: connections, the changed values, the
  // candidates' connections.
  double inputBytes() const { return 4 * cells(n, n) * (s.linkChange ? 2 : 1) + 4 * cells(m, n); }

  // The rows of a landscape of `nodes` nodes: topological distances, direct
  // and best-path probabilities.
  double landscapeBytes(double nodes) const {
    return (s.binary ? 4 * cells(nodes, nodes) : 0) + (s.probabilistic ? 8 * cells(nodes, nodes) : 0);
  }

  // The PC searches of a landscape: the engine keeps a distance and a
  // predecessor per pair and the weights, as a matrix or, when few pairs are
  // links, as lists by origin and by destination (the matrix is gone by
  // then); the straightforward computation one weight matrix in the run's
  // precision.
  double searchBytes(double nodes) const {
    if (!s.pc) return 0;
    const double precision = s.doublePrecision ? 8 : 4;
    if (!s.fast) return precision * cells(nodes, nodes);
    const double links = s.fullFile ? cells(nodes, nodes) : static_cast<double>(s.connectionLines);
    const bool lists = nodes >= kCompactFromNodes && links * kCompactBelowShare <= cells(nodes, nodes);
    const double weights = lists ? kListedLinkBytes * links : 4 * cells(nodes, nodes);
    const double ties = allowances && s.doublePrecision ? kTieBytesPerSource * nodes : 0;
    return (precision + 4) * cells(nodes, nodes) + weights + ties;
  }

  // The largest of what one analysis holds while it runs, beyond what the
  // whole run keeps.
  double transientBytes() const {
    double most = 0;
    if (s.nodeImportances) {
      if (m > 0) most = std::max(most, landscapeBytes(n + 1) + searchBytes(n + 1));
      if (s.fast && s.pc && allowances) most = std::max(most, kRemovalBytesPerCell * cells(n, n));
      if (!s.fast) most = std::max(most, landscapeBytes(n) + searchBytes(n));
    }
    if (s.linkAnalyses > 0) {
      const double pairs = n * (n - 1) / 2;
      const double work = kLinkWorkBytesPerPair + (allowances ? kLinkWorkAllowancePerPair : 0);
      most = std::max(most, s.fast ? work * pairs : landscapeBytes(n) + searchBytes(n));
    }
    if (s.betweenness) most = std::max(most, 8 * cells(n, n));
    return most;
  }
};

}  // namespace

double densePeakBytes(const runShape& s, bool allowances) { return denseModel(s, allowances).peak(); }

// The link analyses of the sparse form: a record, and its pair's place, for
// each pair measured (at most the listed pairs, every pair for an
// improvement whose threshold takes those no line lists), and while one
// runs the engine's work per pair, as in the dense form.
double sparseLinkBytes(const runShape& s, bool allowances) {
  if (s.linkAnalyses == 0) return 0;
  const double n = static_cast<double>(s.nodes);
  const double every = n * (n - 1) / 2;
  const double listed = std::min(every, static_cast<double>(s.connectionLines));
  const double measured = s.linkAnalyses * listed + (s.improvesEveryPair ? every - listed : 0);
  const double largest = s.improvesEveryPair ? every : listed;
  const double work = kLinkWorkBytesPerPair + (allowances ? kLinkWorkAllowancePerPair : 0);
  return measured * static_cast<double>(sizeof(linkValues<double>) + sizeof(std::size_t)) + largest * work;
}

// A first model of the sparse form: per node its record and lists, per
// listed pair its entry in the lists, per thread a few rows of n values,
// and the stores of the variants.
double sparsePeakBytes(const runShape& s, bool allowances) {
  const double n = static_cast<double>(s.nodes), m = static_cast<double>(s.candidates);
  const double threads = std::max(1u, s.threads);
  const double lists = (n + m) * 200 + static_cast<double>(s.connectionLines) * (s.linkChange ? 32 : 24);
  const double rows = threads * (n + m) * 64;
  const double loading = kReadingBytesPerFileByte * static_cast<double>(s.connectionBytes) +
                         kListedPairBytes * static_cast<double>(s.connectionLines);
  const double removals = s.nodeImportances ? (n + m) * sizeof(removalValues<double>) : 0;
  return kBaseBytes + lists + rows + std::max(loading, removals + sparseLinkBytes(s, allowances));
}

memoryEstimate estimatedPeak(const runShape& s) {
  auto model = s.form == landscapeForm::sparse ? sparsePeakBytes : densePeakBytes;
  return {model(s, true), model(s, false)};
}

namespace {

// The most lines a file of the sparse form may have for the run to fit: the
// estimate grows with the lines, so halving finds the limit.
double fittingLines(runShape s, double available) {
  const double bytesPerLine =
      s.connectionLines > 0 ? static_cast<double>(s.connectionBytes) / static_cast<double>(s.connectionLines) : 20;
  auto fits = [&](double lines) {
    s.connectionLines = static_cast<long long>(lines);
    s.connectionBytes = static_cast<long long>(lines * bytesPerLine);
    return sparsePeakBytes(s, false) <= available;
  };
  double low = 0, high = std::max(1.0, static_cast<double>(s.nodes) * static_cast<double>(s.nodes));
  if (!fits(low)) return 0;
  if (fits(high)) return high;
  for (int step = 0; step < 60; ++step) {
    const double middle = (low + high) / 2;
    (fits(middle) ? low : high) = middle;
  }
  return low;
}

std::string sparseRemedy(const runShape& s, double available, const remedyContext& c) {
  runShape sparse = s;
  sparse.form = landscapeForm::sparse;
  sparse.fullFile = false;
  sparse.fast = true;
  const double lines = fittingLines(sparse, available);
  if (lines < static_cast<double>(s.nodes)) return "";
  std::string text = "in the sparse form, from a notall file (-t dist notall) of the pairs within reach: up to "
                     "about " + toText(std::floor(lines)) + " lines fit";
  if (c.reach > 0)
    text += "; the direct probability falls below " + toText(c.reachProbability) + " beyond " +
            toText(std::ceil(c.reach)) + " (verdalis-prep --max-distance " + toText(std::ceil(c.reach)) +
            "; -pcHeur " + toText(c.reachProbability) + " leaves out what lies below it)";
  return text;
}

}  // namespace

std::vector<std::string> memoryRemedies(const runShape& s, double available, const remedyContext& c) {
  std::vector<std::string> lines;
  auto tryChange = [&](const std::string& what, runShape changed) {
    const double needed = estimatedPeak(changed).certain;
    if (needed <= available) lines.push_back("It would fit " + what + ": about " + memoryText(needed) + ".");
  };
  if (s.form == landscapeForm::dense && !s.fullFile && (c.denseAsked || c.referenceAsked)) {
    runShape sparse = s;
    sparse.form = landscapeForm::sparse;
    sparse.fast = true;
    tryChange(std::string("without ") + (c.denseAsked ? "-dense" : "-reference") + " (the sparse form)", sparse);
  } else if (s.form == landscapeForm::dense) {
    const std::string text = sparseRemedy(s, available, c);
    if (!text.empty()) lines.push_back("It would fit " + text + ".");
  }
  if (s.threads > 1) {
    runShape one = s;
    one.threads = 1;
    tryChange("with -threads 1", one);
  }
  if (s.doublePrecision) {
    runShape single = s;
    single.doublePrecision = false;
    tryChange("in single precision (-simple)", single);
  }
  if (s.linkAnalyses > 0) {
    runShape noLinks = s;
    noLinks.linkAnalyses = 0;
    noLinks.linkChange = noLinks.improvesEveryPair = false;
    tryChange("without the link analyses", noLinks);
  }
  if (lines.empty()) lines.push_back("No single change of the options makes it fit; the landscape needs fewer patches or "
                                     "pairs, or a machine with more memory.");
  lines.push_back("verdalis-mpi shares the time of a run among machines, not its memory: each of its processes "
                  "holds the landscape as this one would.");
  return lines;
}

std::string memoryText(double bytes) {
  static const char* const units[] = {"bytes", "kB", "MB", "GB", "TB", "PB"};
  int unit = 0;
  while (bytes >= 999.5 && unit < 5) {
    bytes /= 1000;
    ++unit;
  }
  const double scale = bytes >= 99.95 ? 1 : bytes >= 9.995 ? 10 : 100;
  return toText(std::round(bytes * scale) / scale) + " " + units[unit];
}

}  // namespace verdalis
