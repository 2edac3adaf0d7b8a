#pragma once
// The weights of the best-path searches of PC: -ln p in single precision,
// the values the matrices of the linear-scan searches hold, as a dense
// matrix or, when few pairs are walked, in compressed rows by origin and by
// destination.
#include <algorithm>
#include <cstddef>
#include <limits>
#include <vector>

namespace verdalis {

constexpr float kNoLink = std::numeric_limits<float>::infinity();

// A matrix turns into compressed rows from this many nodes on (below, one
// pass over a row costs no more than walking a list), and when at most one
// pair in this many is walked (beyond, the lists cost more memory than the
// matrix they replace and read slower).
constexpr int kCompactFromNodes = 64;
constexpr std::size_t kCompactBelowShare = 8;

// kNoLink marks a pair that is not relaxed (no link, or not retained); the
// searches widen the weights to their precision T.
struct searchWeights {
  int n = 0;
  bool dense = true;
  std::vector<float> matrix;      // n*n, row = from-node (dense form)
  std::vector<std::size_t> start; // n+1 (sparse form)
  std::vector<int> target;
  std::vector<float> weight;

  float at(int u, int v) const {
    if (dense) return matrix[static_cast<std::size_t>(u) * n + v];
    auto first = target.begin() + static_cast<std::ptrdiff_t>(start[u]);
    auto last = target.begin() + static_cast<std::ptrdiff_t>(start[u + 1]);
    auto it = std::lower_bound(first, last, v);
    return (it != last && *it == v) ? weight[static_cast<std::size_t>(it - target.begin())] : kNoLink;
  }
  // Calls f(v, w) for every retained pair leaving u.
  template <class F>
  void forEachOut(int u, F&& f) const {
    if (dense) {
      const float* row = matrix.data() + static_cast<std::size_t>(u) * n;
      for (int v = 0; v < n; ++v)
        if (row[v] != kNoLink) f(v, row[v]);
    } else {
      for (std::size_t e = start[u]; e < start[u + 1]; ++e) f(target[e], weight[e]);
    }
  }
  // Dense form: the weights entering v, contiguous (column v).
  const float* column(int v) const {
    const std::vector<float>& m = transposed.empty() ? matrix : transposed;
    return m.data() + static_cast<std::size_t>(v) * n;
  }
  // Calls f(u, w) for every retained pair entering v.
  template <class F>
  void forEachIn(int v, F&& f) const {
    if (dense) {
      const float* col = column(v);
      for (int u = 0; u < n; ++u)
        if (col[u] != kNoLink) f(u, col[u]);
    } else {
      for (std::size_t e = inStart[v]; e < inStart[v + 1]; ++e) f(inSource[e], inWeight[e]);
    }
  }
  // Turns a dense matrix into the sparse form when few pairs are retained;
  // a dense one that is not symmetric keeps a transposed copy, so that the
  // entries of a node are read in one stretch.
  void compactIfSparse(int fromNodes = kCompactFromNodes, std::size_t belowShare = kCompactBelowShare);
  void keepColumns();
  // Compressed form: fills the rows by destination from those by origin.
  void indexByDestination();
  std::vector<float> transposed;  // empty when the matrix is symmetric

  // Sparse form by destination.
  std::vector<std::size_t> inStart;
  std::vector<int> inSource;
  std::vector<float> inWeight;
};

// Steps beside compressed weights, listed by origin, for one search or
// repair at a time: the n heads are kept between uses, and reset() clears
// only those the last use set.
class stepsByOrigin {
 public:
  void reset(int n) {
    if (head.size() != static_cast<std::size_t>(n)) head.assign(static_cast<std::size_t>(n), -1);
    for (int u : used) head[static_cast<std::size_t>(u)] = -1;
    used.clear();
    next.clear();
    to.clear();
    weight.clear();
  }
  void add(int from, int target, float w) {
    int& first = head[static_cast<std::size_t>(from)];
    if (first < 0) used.push_back(from);
    next.push_back(first);
    first = static_cast<int>(to.size());
    to.push_back(target);
    weight.push_back(w);
  }
  template <class Step>
  void forEachFrom(int u, Step&& step) const {
    for (int e = head[static_cast<std::size_t>(u)]; e >= 0; e = next[static_cast<std::size_t>(e)])
      step(to[static_cast<std::size_t>(e)], weight[static_cast<std::size_t>(e)]);
  }

 private:
  std::vector<int> head, next, to, used;
  std::vector<float> weight;
};

// One pair whose weight differs from the matrix in both directions (a link
// removed, made sure or changed); a = -1 when none.
struct pairOverride {
  int a = -1, b = -1;
  float w = kNoLink;
  bool touches(int u) const { return u >= 0 && (u == a || u == b); }
  int other(int u) const { return u == a ? b : a; }
};

}  // namespace verdalis
