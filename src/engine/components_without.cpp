#include "engine/components_without.h"

namespace verdalis {

void componentIndex::build(const sparseLandscape& land) {
  const int n = land.n;
  count = labelComponents(n, -1, id, [&](int u, auto& visit) {
    for (std::size_t e = land.linkStart[u]; e < land.linkStart[u + 1]; ++e) visit(land.linkTo[e]);
  });
  start.assign(static_cast<std::size_t>(count) + 1, 0);
  size.assign(static_cast<std::size_t>(count), 0.0f);
  for (int v = 0; v < n; ++v) ++start[id[v] + 1];
  for (int c = 0; c < count; ++c) start[c + 1] += start[c];
  members.resize(static_cast<std::size_t>(n));
  std::vector<int> fill(start.begin(), start.end() - 1);
  for (int v = 0; v < n; ++v) {
    members[fill[id[v]]++] = v;
    size[id[v]] += land.sizes[v];
  }
}

namespace {

// Labels the pieces of k's component without k, each by a flood from its
// lowest node; gives their number.
int labelPieces(const sparseLandscape& land, const componentIndex& global, int k, componentsScratch& x) {
  const int c = global.id[k];
  if (x.piece.size() != static_cast<std::size_t>(land.n)) x.piece.assign(land.n, -1);
  x.pieceSize.clear();
  x.pieceLowest.clear();
  for (int m = global.start[c]; m < global.start[c + 1]; ++m) {
    const int v = global.members[m];
    if (v == k || x.piece[v] >= 0) continue;
    const int label = static_cast<int>(x.pieceLowest.size());
    x.pieceLowest.push_back(v);
    x.piece[v] = label;
    x.stack.assign(1, v);
    while (!x.stack.empty()) {
      const int u = x.stack.back();
      x.stack.pop_back();
      for (std::size_t e = land.linkStart[u]; e < land.linkStart[u + 1]; ++e) {
        const int z = land.linkTo[e];
        if (z == k || x.piece[z] >= 0) continue;
        x.piece[z] = label;
        x.stack.push_back(z);
      }
    }
  }
  x.pieceSize.assign(x.pieceLowest.size(), 0.0f);
  for (int m = global.start[c]; m < global.start[c + 1]; ++m) {
    const int v = global.members[m];
    if (v != k) x.pieceSize[x.piece[v]] += land.sizes[v];
  }
  return static_cast<int>(x.pieceLowest.size());
}

}  // namespace

coincidenceValues coincidenceWithPieces(const sparseLandscape& land, const componentIndex& global, int goneA,
                                        int goneB, const std::vector<int>& pieceLowest,
                                        const std::vector<float>& pieceSize, float total, bool ccp, bool lcp) {
  // Every component kept and every piece, in the order of their lowest
  // nodes.
  float ccpSum = 0;
  double lcpSum = 0, lcpNumerator = 0;
  const float area = land.sizeLandscapeArea;
  auto add = [&](float s) {
    ccpSum += (s * s) / (total * total);
    lcpSum += static_cast<double>((s * s) / (area * area));
    lcpNumerator += static_cast<double>(s * s);
  };
  const std::size_t pieces = pieceLowest.size();
  std::size_t next = 0;
  for (int g = 0; g < global.count; ++g) {
    if (g == goneA || g == goneB) continue;
    const int lowest = global.members[global.start[g]];
    for (; next < pieces && pieceLowest[next] < lowest; ++next) add(pieceSize[next]);
    add(global.size[g]);
  }
  for (; next < pieces; ++next) add(pieceSize[next]);
  coincidenceValues out;
  if (ccp) out.ccp = ccpSum;
  if (lcp) {
    out.lcp = lcpSum;
    out.lcpnum = lcpNumerator;
  }
  return out;
}

withoutValues componentsWithoutNode(const sparseLandscape& land, const componentIndex& global, int k, float total,
                                    bool ccp, bool lcp, componentsScratch& x) {
  withoutValues out;
  const int pieces = labelPieces(land, global, k, x);
  const int c = global.id[k];
  out.nc = global.count - 1 + pieces;
  if (ccp || lcp)
    out.coincidence = coincidenceWithPieces(land, global, c, -1, x.pieceLowest, x.pieceSize, total, ccp, lcp);
  for (int m = global.start[c]; m < global.start[c + 1]; ++m) x.piece[global.members[m]] = -1;
  return out;
}

}  // namespace verdalis
