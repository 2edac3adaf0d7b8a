#pragma once
// Breadth-first distances from one source in a variant, repaired from the
// global row. Distances over links are exact integers, so a node keeps its
// distance unless every one of its shortest paths passes through what the
// variant takes away; what it adds only lowers distances, outwards from the
// new link. Each repair is O(nodes that move · their links).
#include <algorithm>
#include <utility>
#include <vector>

#include "graph/breadth_first.h"
#include "graph/min_heap.h"
#include "graph/tessella.h"

namespace verdalis {

struct binaryScratch {
  std::vector<int> newNl;   // the whole row (binaryRowWithout)
  std::vector<int> lostNl;  // new distances of the lost nodes (n entries)
  std::vector<char> inSet;  // 1 lost, 2 removed; cleared after each use
  std::vector<int> set, queue;
  indexedHeap<int> levels;
};

// From the lost nodes seeded in x.set (queued in x.queue, marked in
// x.inSet), every node all of whose shortest-path parents are lost; then
// the new distances of them all from the unchanged nodes around and among
// themselves, the step from skipFrom into skipTo (or -1) not taken.
inline void binaryLostBelow(const binaryGraph& binary, const int* nl, int skipFrom, int skipTo, binaryScratch& x) {
  const int n = binary.n;
  std::vector<int>& q = x.queue;
  for (std::size_t head = 0; head < q.size(); ++head) {
    const int u = q[head];
    for (std::size_t e = binary.start[u]; e < binary.start[u + 1]; ++e) {
      const int v = binary.target[e];
      if (x.inSet[v] || nl[v] != nl[u] + 1) continue;
      bool lost = true;
      for (std::size_t f = binary.start[v]; f < binary.start[v + 1] && lost; ++f) {
        const int parent = binary.target[f];
        if (nl[parent] == nl[v] - 1 && !x.inSet[parent]) lost = false;
      }
      // A node seen here is decided now: all its parents are one level up.
      if (!lost) continue;
      x.inSet[v] = 1;
      x.set.push_back(v);
      q.push_back(v);
    }
  }
  using entry = std::pair<int, int>;
  indexedHeap<int>& heap = x.levels;
  heap.prepare(n);
  for (int y : x.set) {
    int best = kUnreached;
    for (std::size_t e = binary.start[y]; e < binary.start[y + 1]; ++e) {
      const int u = binary.target[e];
      if (x.inSet[u] || nl[u] == kUnreached || (y == skipTo && u == skipFrom)) continue;
      best = std::min(best, nl[u] + 1);
    }
    x.lostNl[y] = best;
    if (best != kUnreached) heap.push({best, y});
  }
  while (!heap.empty()) {
    const entry top = heap.top();
    heap.pop();
    if (top.first != x.lostNl[top.second]) continue;
    const int y = top.second;
    for (std::size_t e = binary.start[y]; e < binary.start[y + 1]; ++e) {
      const int z = binary.target[e];
      if (x.inSet[z] != 1) continue;
      if (x.lostNl[y] + 1 < x.lostNl[z]) {
        x.lostNl[z] = x.lostNl[y] + 1;
        heap.push({x.lostNl[z], z});
      }
    }
  }
  for (int y : x.set) x.inSet[y] = 0;
}

inline void binaryScratchFor(int n, binaryScratch& x) {
  if (x.inSet.size() != static_cast<std::size_t>(n)) {
    x.inSet.assign(n, 0);
    x.lostNl.assign(n, kUnreached);
  }
  x.set.clear();
  x.queue.clear();
}

// The nodes all of whose shortest paths from the source of nl pass through
// k, in x.set, with their distances without k in x.lostNl (kUnreached when
// k cut them off): found level by level below k, then given new distances
// from the unchanged nodes around and among themselves. O(lost nodes ·
// their links).
inline void binaryLostWithout(const binaryGraph& binary, const int* nl, int k, binaryScratch& x) {
  binaryScratchFor(binary.n, x);
  x.inSet[k] = 2;
  x.queue.push_back(k);
  binaryLostBelow(binary, nl, -1, -1, x);
  x.inSet[k] = 0;
}

// The same without the link from parent to child, child's only
// shortest-path parent: child and the nodes all of whose shortest paths
// pass through it.
inline void binaryLostWithoutLink(const binaryGraph& binary, const int* nl, int parent, int child, binaryScratch& x) {
  binaryScratchFor(binary.n, x);
  x.inSet[child] = 1;
  x.set.push_back(child);
  x.queue.push_back(child);
  binaryLostBelow(binary, nl, parent, child, x);
}

// Distances from the source of nl with k removed, into x.newNl (the whole
// row).
inline void binaryRowWithout(const binaryGraph& binary, const int* nl, int k, binaryScratch& x) {
  x.newNl.assign(nl, nl + binary.n);
  binaryLostWithout(binary, nl, k, x);
  for (int y : x.set) x.newNl[y] = x.lostNl[y];
}

// Distances from the source of nl with the link (a, b) added, into cur
// (the row nl on entry): they drop from the nearer end outwards, calling
// moved(v) for every node that moves. False when none does.
template <class Moved>
bool binaryRowWithLink(const binaryGraph& binary, const int* nl, int a, int b, int* cur, std::vector<int>& queue,
                       Moved&& moved) {
  const int near = nl[a] <= nl[b] ? a : b;
  const int far = near == a ? b : a;
  if (nl[near] == kUnreached || nl[near] + 1 >= nl[far]) return false;
  queue.clear();
  cur[far] = nl[near] + 1;
  moved(far);
  queue.push_back(far);
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const int u = queue[head];
    for (std::size_t e = binary.start[u]; e < binary.start[u + 1]; ++e) {
      const int v = binary.target[e];
      if (cur[u] + 1 < cur[v]) {
        cur[v] = cur[u] + 1;
        moved(v);
        queue.push_back(v);
      }
    }
  }
  return true;
}

// Distances from source s (global row nl) with the link (a, b) removed or
// added, into cur (the global row on entry), calling moved(v) for every node
// whose distance changes. soleParent: the only shortest-path parent of each
// node. False when no distance changes.
template <class Moved>
bool binaryRowWithPair(const binaryGraph& binary, int s, const int* nl, const std::vector<int>& soleParent, int a,
                       int b, bool linkedBefore, bool linkedAfter, int* cur, std::vector<int>& queue, Moved&& moved) {
  if (linkedBefore == linkedAfter) return false;
  const int n = binary.n;
  if (linkedBefore) {
    // Unlinked: only a node whose sole parent was the other end loses.
    if (soleParent[b] != a && soleParent[a] != b) return false;
    breadthFirst(binary, s, -1, a, b, -1, -1, cur, queue);
    for (int v = 0; v < n; ++v)
      if (cur[v] != nl[v]) moved(v);
    return true;
  }
  return binaryRowWithLink(binary, nl, a, b, cur, queue, moved);
}

}  // namespace verdalis
