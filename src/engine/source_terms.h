#pragma once
// What every variant reads of one source of the global landscape: the
// terms its row adds to IIC, H and PC, its tree of best paths and the sole
// shortest-path parents of its breadth-first search. O(n) per source, plus
// its links for the parents.
//
// A variant whose change leaves the source's search as it is adds exactly
// these terms, in this order; a variant that changes part of it recomputes
// only the terms of the nodes that moved, through the same term functions.
#include <vector>

#include "graph/breadth_first.h"
#include "graph/tessella.h"
#include "indices/terms.h"
#include "landscape/landscape.h"
#include "support/messages.h"

namespace verdalis {

struct sourceRows {
  int s = -1;
  std::vector<double> termPC;             // a_s a_j p*_sj, global distances
  std::vector<int> childStart, children;  // tree of best paths, compressed
  std::vector<double> termIIC, termH;     // 0 for unreached nodes
  std::vector<int> soleParent;            // the only shortest-path parent, or -1
};

// The children of every node in a tree of best paths, from its predecessor
// row, in compact form.
inline void childrenOf(const int* pred, int n, std::vector<int>& start, std::vector<int>& children) {
  start.assign(static_cast<std::size_t>(n) + 1, 0);
  for (int v = 0; v < n; ++v)
    if (pred[v] >= 0) ++start[pred[v] + 1];
  for (int v = 0; v < n; ++v) start[v + 1] += start[v];
  children.assign(static_cast<std::size_t>(start[n]), 0);
  std::vector<int> fill(start.begin(), start.end() - 1);
  for (int v = 0; v < n; ++v)
    if (pred[v] >= 0) children[fill[pred[v]]++] = v;
}

// The only shortest-path parent of a node in the breadth-first rows from a
// source (-1 when it has none or several).
inline int soleParent(const binaryGraph& binary, const int* nl, int v) {
  int parent = -1;
  for (std::size_t e = binary.start[v]; e < binary.start[v + 1]; ++e) {
    const int u = binary.target[e];
    if (nl[u] != nl[v] - 1) continue;
    if (parent < 0)
      parent = u;
    else if (u != parent)
      return -1;
  }
  return parent;
}

// The PC terms and the tree of best paths of d.s.
template <class T>
void fillPCTerms(const landscape<T>& g, const T* dist, const int* pred, sourceRows& d) {
  const int n = g.nNodes;
  const float as = g.nodes[d.s].size;
  d.termPC.resize(n);
  for (int j = 0; j < n; ++j) d.termPC[j] = pcTerm(as, g.nodes[j].size, dist[j]);
  childrenOf(pred, n, d.childStart, d.children);
}

// The IIC and H terms of d.s and the sole parents of its nodes.
template <class T>
void fillBinaryTerms(const landscape<T>& g, const binaryGraph& binary, const int* nl, sourceRows& d) {
  const int n = g.nNodes;
  const float as = g.nodes[d.s].size;
  d.termIIC.assign(n, 0.0);
  d.termH.assign(n, 0.0);
  d.soleParent.assign(n, -1);
  for (int j = 0; j < n; ++j) {
    if (nl[j] == kUnreached) continue;
    d.termIIC[j] = iicTerm(as, g.nodes[j].size, nl[j]);
    if (j == d.s) continue;
    d.termH[j] = hararyTerm(nl[j]);
    d.soleParent[j] = soleParent(binary, nl, j);
  }
}

// The binary links of a landscape in compact form, and the breadth-first
// row of every source: the landscape's own, or searched here when it keeps
// none (H alone keeps none).
template <class T>
class breadthFirstRows {
 public:
  void build(const landscape<T>& land, bool landscapeKeepsRows) {
    g = &land;
    links.n = land.nNodes;
    links.start.assign(static_cast<std::size_t>(links.n) + 1, 0);
    for (int v = 0; v < links.n; ++v) {
      for (int u : land.nodes[v].list_adjacency) links.target.push_back(u);
      links.start[v + 1] = links.target.size();
    }
    if (landscapeKeepsRows) return;
    const std::size_t n = static_cast<std::size_t>(links.n);
    guardAlloc(kNoMemoryRows, [&] { own.assign(n * n, 0); });
    std::vector<int> queue;
    for (int s = 0; s < links.n; ++s) breadthFirst(links, s, -1, -1, -1, -1, -1, own.data() + s * n, queue);
  }
  const binaryGraph& graph() const { return links; }
  const int* row(int s) const {
    return own.empty() ? g->nodes[s].nl.data() : own.data() + static_cast<std::size_t>(s) * links.n;
  }

 private:
  const landscape<T>* g = nullptr;
  binaryGraph links;
  std::vector<int> own;
};

}  // namespace verdalis
