#pragma once
// Brute force for the path-counting and betweenness tests: every simple path
// from every source, its length summed along the path in the search's own
// type, so that equal lengths compare as the searches see them.
#include <functional>
#include <random>
#include <vector>

#include "graph/tessella.h"

namespace verdalis {

template <class D>
struct pathCensus {
  int n = 0;
  std::vector<std::vector<bool>> reachable;
  std::vector<std::vector<D>> dist;
  std::vector<std::vector<double>> total;                  // shortest paths i to j
  std::vector<std::vector<std::vector<double>>> through;  // of those, with k inside
};

// weight(u, v, w) tells whether u links to v and gives the step's length.
template <class D>
using stepWeight = std::function<bool(int, int, D&)>;

template <class D>
void censusLengths(int i, int u, D length, const stepWeight<D>& weight, std::vector<bool>& onPath,
                   pathCensus<D>& c) {
  for (int v = 0; v < c.n; ++v) {
    D w{};
    if (onPath[v] || !weight(u, v, w)) continue;
    const D next = length + w;
    if (!c.reachable[i][v] || next < c.dist[i][v]) c.dist[i][v] = next;
    c.reachable[i][v] = true;
    onPath[v] = true;
    censusLengths(i, v, next, weight, onPath, c);
    onPath[v] = false;
  }
}

// Counts the paths whose every prefix is shortest to its own end.
template <class D>
void censusCounts(int i, int u, D length, const stepWeight<D>& weight, std::vector<bool>& onPath,
                  std::vector<int>& inner, pathCensus<D>& c) {
  for (int v = 0; v < c.n; ++v) {
    D w{};
    if (onPath[v] || !weight(u, v, w)) continue;
    const D next = length + w;
    if (!(next == c.dist[i][v])) continue;
    c.total[i][v] += 1;
    for (int x : inner) c.through[i][v][x] += 1;
    onPath[v] = true;
    inner.push_back(v);
    censusCounts(i, v, next, weight, onPath, inner, c);
    inner.pop_back();
    onPath[v] = false;
  }
}

template <class D>
pathCensus<D> enumeratePaths(int n, const stepWeight<D>& weight) {
  pathCensus<D> c;
  c.n = n;
  c.reachable.assign(n, std::vector<bool>(n, false));
  c.dist.assign(n, std::vector<D>(n, D{}));
  c.total.assign(n, std::vector<double>(n, 0.0));
  c.through.assign(n, std::vector<std::vector<double>>(n, std::vector<double>(n, 0.0)));
  for (int i = 0; i < n; ++i) {
    std::vector<bool> onPath(n, false);
    onPath[i] = true;
    c.reachable[i][i] = true;
    censusLengths<D>(i, i, D{}, weight, onPath, c);
    c.dist[i][i] = D{};
    c.total[i][i] = 1;
    std::vector<int> inner;
    censusCounts<D>(i, i, D{}, weight, onPath, inner, c);
  }
  return c;
}

// Unit steps along the binary links.
inline pathCensus<int> enumerateBinary(const std::vector<adjacency>& lists) {
  const int n = static_cast<int>(lists.size());
  std::vector<std::vector<bool>> linked(n, std::vector<bool>(n, false));
  for (int u = 0; u < n; ++u)
    for (int v : lists[u]) linked[u][v] = true;
  return enumeratePaths<int>(n, [&](int u, int v, int& w) {
    w = 1;
    return bool(linked[u][v]);
  });
}

// Adjacency lists in the order the landscape builds them: the lower
// triangle row by row, each link appended to both ends.
inline std::vector<adjacency> listsFromLinks(int n, const std::vector<std::pair<int, int>>& links) {
  std::vector<std::vector<bool>> linked(n, std::vector<bool>(n, false));
  for (auto [a, b] : links) linked[a][b] = linked[b][a] = true;
  std::vector<adjacency> lists(n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < i; ++j)
      if (linked[i][j]) {
        lists[i].push_back(j);
        lists[j].push_back(i);
      }
  return lists;
}

inline std::vector<adjacency> randomLists(std::mt19937& rng, int n) {
  std::uniform_real_distribution<double> coin(0.0, 1.0);
  const double density = 0.2 + 0.6 * coin(rng);
  std::vector<std::pair<int, int>> links;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < i; ++j)
      if (coin(rng) < density) links.emplace_back(i, j);
  return listsFromLinks(n, links);
}

inline std::vector<adjacency*> pointersTo(std::vector<adjacency>& lists) {
  std::vector<adjacency*> pointers;
  for (adjacency& list : lists) pointers.push_back(&list);
  return pointers;
}

// Direct probabilities drawn from a small set: 0.5 and 0.25 make paths of
// exactly equal product, 0.3 and 0.7 break ties, 0 is no link. Half of the
// landscapes are symmetric.
inline std::vector<std::vector<float>> randomProbabilities(std::mt19937& rng, int n) {
  const float choices[] = {0.0f, 0.0f, 0.5f, 0.5f, 0.25f, 0.3f, 0.7f};
  std::uniform_int_distribution<int> pick(0, 6);
  const bool symmetric = pick(rng) % 2 == 0;
  std::vector<std::vector<float>> p(n, std::vector<float>(n, 0.0f));
  for (int i = 0; i < n; ++i) {
    p[i][i] = 1.0f;
    for (int j = 0; j < i; ++j) {
      p[i][j] = choices[pick(rng)];
      p[j][i] = symmetric ? p[i][j] : choices[pick(rng)];
    }
  }
  return p;
}

// A chain of diamonds c0 -(a,b)- c1 -(a,b)- c2 ...: 2^count shortest paths
// from c0 to the last hub. Hub t sits at position 3t, its diamond after it.
inline std::vector<std::pair<int, int>> diamondChain(int count) {
  std::vector<std::pair<int, int>> links;
  for (int t = 0; t < count; ++t) {
    const int hub = 3 * t, a = hub + 1, b = hub + 2, next = hub + 3;
    links.insert(links.end(), {{hub, a}, {hub, b}, {a, next}, {b, next}});
  }
  return links;
}

}  // namespace verdalis
