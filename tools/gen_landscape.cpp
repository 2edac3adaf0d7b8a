// Seeded synthetic landscapes for Verdalis benchmarks and checks.
//
// Habitat patches are discs whose centres are drawn from a few Gaussian
// clusters in a square of side L (metres) and whose areas (hectares) follow a
// lognormal law. The distance of a pair is measured from edge to edge: the
// centre distance minus both radii, never below 0, rounded to 0.1 m. Patches
// of one cluster therefore lie a few hundred metres apart and clusters far
// apart, so that stepping-stone paths through small patches matter.
//
// The random numbers come from a fixed generator (splitmix64 and Box-Muller),
// not from the library's distributions, whose results differ between
// standard libraries: the same seed gives the same files everywhere.
//
// Usage:
//   gen_landscape --nodes N --seed S --out-nodes F --out-connections F
//                 [--full | --within D] [--side L] [--clusters C]
//                 [--ids START] [--candidates K] [--change]
//
//   --full        every ordered pair of patches, n(n-1) lines (use "-t dist all")
//   --within D    only the pairs at most D apart, both directions ("-t dist notall");
//                 the default, with D = 1000
//   --candidates  K more patches marked 0 in a third column of the node file
//                 (existing patches are marked 1), for "-add"; their pairs are
//                 listed like any other
//   --change      a fourth column with an alternative distance, for "-change"
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class random64 {
 public:
  explicit random64(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1), 53 random bits.
  double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  double uniform(double from, double to) { return from + (to - from) * uniform(); }
  double gauss() {
    if (spare_) {
      spare_ = false;
      return spareValue_;
    }
    double u = 0.0;
    while (u <= 0.0) u = uniform();
    const double v = uniform();
    const double radius = std::sqrt(-2.0 * std::log(u));
    const double angle = 6.283185307179586 * v;
    spareValue_ = radius * std::sin(angle);
    spare_ = true;
    return radius * std::cos(angle);
  }
  std::uint64_t below(std::uint64_t n) { return next() % n; }

 private:
  std::uint64_t state_;
  bool spare_ = false;
  double spareValue_ = 0.0;
};

struct patch {
  long id;
  double area;  // hectares
  double x, y, radius;  // metres
  bool candidate;
};

struct options {
  long nodes = -1;
  std::uint64_t seed = 1;
  bool seedGiven = false;
  std::string outNodes, outConnections;
  bool full = false;
  double within = 1000.0;
  double side = -1.0;
  long clusters = -1;
  long firstId = 1;
  long candidates = 0;
  bool change = false;
};

[[noreturn]] void usage(const char* problem) {
  if (problem) std::fprintf(stderr, "gen_landscape: %s\n", problem);
  std::fprintf(stderr,
               "usage: gen_landscape --nodes N --seed S --out-nodes F --out-connections F\n"
               "                     [--full | --within D] [--side L] [--clusters C]\n"
               "                     [--ids START] [--candidates K] [--change]\n");
  std::exit(problem ? 2 : 0);
}

double number(const char* text, const char* option) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text, &end);
  if (end == text || *end != '\0' || errno != 0 || !std::isfinite(value)) {
    std::fprintf(stderr, "gen_landscape: %s needs a number, not '%s'\n", option, text);
    std::exit(2);
  }
  return value;
}

long whole(const char* text, const char* option) {
  const double value = number(text, option);
  if (value != std::floor(value) || std::fabs(value) > 2e9) {
    std::fprintf(stderr, "gen_landscape: %s needs a whole number, not '%s'\n", option, text);
    std::exit(2);
  }
  return static_cast<long>(value);
}

options parse(int argc, char** argv) {
  options o;
  bool within = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) usage((a + " needs a value").c_str());
      return argv[++i];
    };
    if (a == "--help" || a == "-h") usage(nullptr);
    else if (a == "--nodes") o.nodes = whole(value(), "--nodes");
    else if (a == "--seed") {
      const char* text = value();
      char* end = nullptr;
      o.seed = std::strtoull(text, &end, 10);
      if (end == text || *end != '\0') usage("--seed needs a whole number");
      o.seedGiven = true;
    } else if (a == "--out-nodes") o.outNodes = value();
    else if (a == "--out-connections") o.outConnections = value();
    else if (a == "--full") o.full = true;
    else if (a == "--within") {
      o.within = number(value(), "--within");
      within = true;
    } else if (a == "--side") o.side = number(value(), "--side");
    else if (a == "--clusters") o.clusters = whole(value(), "--clusters");
    else if (a == "--ids") o.firstId = whole(value(), "--ids");
    else if (a == "--candidates") o.candidates = whole(value(), "--candidates");
    else if (a == "--change") o.change = true;
    else usage(("unknown option " + a).c_str());
  }
  if (o.nodes < 1) usage("--nodes must be given, at least 1");
  if (!o.seedGiven) usage("--seed must be given");
  if (o.outNodes.empty() || o.outConnections.empty()) usage("--out-nodes and --out-connections must be given");
  if (o.full && within) usage("--full and --within exclude each other");
  if (o.within < 0) usage("--within must not be negative");
  if (o.candidates < 0) usage("--candidates must not be negative");
  if (o.side == -1.0) o.side = std::max(2000.0, 1900.0 * std::sqrt(static_cast<double>(o.nodes + o.candidates)));
  if (o.side <= 0) usage("--side must be positive");
  if (o.clusters == -1)
    o.clusters = std::max(1L, std::lround(std::sqrt(static_cast<double>(o.nodes + o.candidates)) / 3.0));
  if (o.clusters < 1) usage("--clusters must be at least 1");
  // Identifiers are read back in single precision, exact only up to 2^24.
  if (o.firstId < -16777216 || o.firstId + o.nodes + o.candidates - 1 > 16777216)
    usage("identifiers must stay within +-16777216");
  return o;
}

std::vector<patch> makePatches(const options& o, random64& rng) {
  const long total = o.nodes + o.candidates;
  // Clusters spread so that together they cover a fair part of the square.
  const double spread = o.side / (3.0 * std::sqrt(static_cast<double>(o.clusters)));
  std::vector<double> cx(o.clusters), cy(o.clusters);
  for (long c = 0; c < o.clusters; ++c) {
    cx[c] = rng.uniform(0.15 * o.side, 0.85 * o.side);
    cy[c] = rng.uniform(0.15 * o.side, 0.85 * o.side);
  }
  // Candidates take random places among the lines of the node file, since
  // the program accepts them mixed with existing patches in any order.
  std::vector<char> isCandidate(total, 0);
  for (long k = 0; k < o.candidates; ++k) {
    long at;
    do at = static_cast<long>(rng.below(total));
    while (isCandidate[at]);
    isCandidate[at] = 1;
  }
  std::vector<patch> made;
  made.reserve(total);
  for (long k = 0; k < total; ++k) {
    patch p;
    p.id = o.firstId + k;
    p.candidate = isCandidate[k] != 0;
    const long c = static_cast<long>(rng.below(o.clusters));
    do {
      p.x = cx[c] + spread * rng.gauss();
      p.y = cy[c] + spread * rng.gauss();
    } while (p.x < 0 || p.x > o.side || p.y < 0 || p.y > o.side);
    // Median 4 ha; the written value is rounded to 0.01 ha and the radius is
    // taken from the written value, so the files are self-consistent.
    const double area = std::max(0.01, std::round(4.0 * std::exp(rng.gauss()) * 100.0) / 100.0);
    p.area = area;
    p.radius = std::sqrt(area * 10000.0 / 3.141592653589793);
    made.push_back(p);
  }
  return made;
}

double edgeDistance(const patch& a, const patch& b) {
  const double d = std::hypot(a.x - b.x, a.y - b.y) - a.radius - b.radius;
  return d <= 0.0 ? 0.0 : std::round(d * 10.0) / 10.0;
}

class writer {
 public:
  explicit writer(const std::string& path) : path_(path), file_(std::fopen(path.c_str(), "wb")) {
    if (!file_) {
      std::fprintf(stderr, "gen_landscape: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
      std::exit(1);
    }
    buffer_.reserve(1 << 20);
  }
  ~writer() { close(); }
  void put(const char* text, int length) {
    buffer_.append(text, static_cast<std::size_t>(length));
    if (buffer_.size() >= (1u << 20)) flush();
  }
  void close() {
    if (!file_) return;
    flush();
    if (std::fclose(file_) != 0) fail();
    file_ = nullptr;
  }

 private:
  void flush() {
    if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) fail();
    buffer_.clear();
  }
  [[noreturn]] void fail() {
    std::fprintf(stderr, "gen_landscape: writing %s failed: %s\n", path_.c_str(), std::strerror(errno));
    std::exit(1);
  }
  std::string path_;
  std::FILE* file_;
  std::string buffer_;
};

void writeNodes(const options& o, const std::vector<patch>& patches) {
  writer out(o.outNodes);
  char line[96];
  for (const patch& p : patches) {
    const int length = o.candidates > 0
                           ? std::snprintf(line, sizeof line, "%ld\t%.2f\t%d\n", p.id, p.area, p.candidate ? 0 : 1)
                           : std::snprintf(line, sizeof line, "%ld\t%.2f\n", p.id, p.area);
    out.put(line, length);
  }
  out.close();
}

// The alternative distance of "-change": the pair a random 50 % to 150 % as
// far apart, the same in both directions since it belongs to the pair.
double changedDistance(const options& o, std::size_t i, std::size_t j, double d) {
  random64 pair(o.seed * 0x100000001B3ULL ^ (static_cast<std::uint64_t>(std::min(i, j)) << 32) ^ std::max(i, j));
  return std::round(d * pair.uniform(0.5, 1.5) * 10.0) / 10.0;
}

void writePair(writer& out, const options& o, const std::vector<patch>& patches, std::size_t i, std::size_t j) {
  char line[128];
  const double d = edgeDistance(patches[i], patches[j]);
  const int length =
      o.change ? std::snprintf(line, sizeof line, "%ld\t%ld\t%.1f\t%.1f\n", patches[i].id, patches[j].id, d,
                               changedDistance(o, i, j, d))
               : std::snprintf(line, sizeof line, "%ld\t%ld\t%.1f\n", patches[i].id, patches[j].id, d);
  out.put(line, length);
}

void writeConnections(const options& o, const std::vector<patch>& patches) {
  writer out(o.outConnections);
  const std::size_t n = patches.size();
  if (o.full) {
    for (std::size_t i = 0; i < n; ++i)
      for (std::size_t j = 0; j < n; ++j)
        if (i != j) writePair(out, o, patches, i, j);
    out.close();
    return;
  }
  // Range search on a grid: two patches within D of each other (edge to edge)
  // have centres at most D + 2 rmax apart, so only the neighbouring cells of
  // that size need a look.
  double rmax = 0.0;
  for (const patch& p : patches) rmax = std::max(rmax, p.radius);
  // Cells of at least D + 2 rmax, and at most about 4n of them.
  const long cap = 1 + static_cast<long>(std::sqrt(4.0 * static_cast<double>(n)));
  const double cell = std::max({o.within + 2.0 * rmax, o.side / static_cast<double>(cap), 1e-9});
  const long cells = std::max(1L, std::min(cap, static_cast<long>(std::ceil(o.side / cell))));
  auto cellOf = [&](double v) { return std::min(cells - 1, std::max(0L, static_cast<long>(v / cell))); };
  std::vector<std::vector<std::size_t>> grid(static_cast<std::size_t>(cells * cells));
  for (std::size_t i = 0; i < n; ++i) grid[cellOf(patches[i].x) * cells + cellOf(patches[i].y)].push_back(i);
  std::vector<std::size_t> near;
  for (std::size_t i = 0; i < n; ++i) {
    near.clear();
    const long gx = cellOf(patches[i].x), gy = cellOf(patches[i].y);
    for (long x = std::max(0L, gx - 1); x <= std::min(cells - 1, gx + 1); ++x)
      for (long y = std::max(0L, gy - 1); y <= std::min(cells - 1, gy + 1); ++y)
        for (std::size_t j : grid[x * cells + y])
          if (j != i && edgeDistance(patches[i], patches[j]) <= o.within) near.push_back(j);
    std::sort(near.begin(), near.end());
    for (std::size_t j : near) writePair(out, o, patches, i, j);
  }
  out.close();
}

}  // namespace

int main(int argc, char** argv) {
  const options o = parse(argc, argv);
  random64 rng(o.seed);
  const std::vector<patch> patches = makePatches(o, rng);
  writeNodes(o, patches);
  writeConnections(o, patches);
  return 0;
}
