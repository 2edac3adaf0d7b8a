#include "engine/components_link.h"

#include <algorithm>

namespace verdalis {

namespace {

// Marks in x.piece the nodes reached from a without the link (a, b), until
// b is reached; gives whether it was (the link is then no bridge). The
// marked nodes are listed in x.stack.
bool reachedWithoutLink(const sparseLandscape& land, int a, int b, componentsScratch& x) {
  if (x.piece.size() != static_cast<std::size_t>(land.n)) x.piece.assign(land.n, -1);
  std::vector<int>& seen = x.stack;
  seen.assign(1, a);
  x.piece[a] = 0;
  for (std::size_t head = 0; head < seen.size(); ++head) {
    const int u = seen[head];
    for (std::size_t e = land.linkStart[u]; e < land.linkStart[u + 1]; ++e) {
      const int z = land.linkTo[e];
      if ((u == a && z == b) || x.piece[z] >= 0) continue;
      if (z == b) return true;
      x.piece[z] = 0;
      seen.push_back(z);
    }
  }
  return false;
}

// The two pieces of component c, the one of the marked nodes and the
// other, each summed in node order.
void splitPieces(const sparseLandscape& land, const componentIndex& global, int c, componentsScratch& x) {
  float marked = 0, other = 0;
  int markedLowest = -1, otherLowest = -1;
  for (int m = global.start[c]; m < global.start[c + 1]; ++m) {
    const int v = global.members[m];
    if (x.piece[v] >= 0) {
      if (markedLowest < 0) markedLowest = v;
      marked += land.sizes[v];
    } else {
      if (otherLowest < 0) otherLowest = v;
      other += land.sizes[v];
    }
  }
  x.pieceLowest.assign({markedLowest, otherLowest});
  x.pieceSize.assign({marked, other});
  if (otherLowest < markedLowest) {
    std::swap(x.pieceLowest[0], x.pieceLowest[1]);
    std::swap(x.pieceSize[0], x.pieceSize[1]);
  }
}

// Components c and d as one, summed in node order.
void joinedPiece(const sparseLandscape& land, const componentIndex& global, int c, int d, componentsScratch& x) {
  int p = global.start[c], q = global.start[d];
  const int pEnd = global.start[c + 1], qEnd = global.start[d + 1];
  float size = 0;
  while (p < pEnd || q < qEnd) {
    const bool fromC = q == qEnd || (p < pEnd && global.members[p] < global.members[q]);
    size += land.sizes[fromC ? global.members[p++] : global.members[q++]];
  }
  x.pieceLowest.assign(1, std::min(global.members[global.start[c]], global.members[global.start[d]]));
  x.pieceSize.assign(1, size);
}

}  // namespace

withoutValues componentsOfWhole(const sparseLandscape& land, const componentIndex& global, bool ccp, bool lcp) {
  withoutValues out;
  out.nc = global.count;
  if (ccp || lcp) out.coincidence = coincidenceWithPieces(land, global, -1, -1, {}, {}, land.sizeTotalHabitat, ccp, lcp);
  return out;
}

withoutValues componentsWithLink(const sparseLandscape& land, const componentIndex& global, int a, int b,
                                 bool linkedBefore, bool linkedAfter, bool ccp, bool lcp,
                                 const withoutValues& unchanged, componentsScratch& x) {
  if (linkedBefore == linkedAfter) return unchanged;
  const int ca = global.id[a], cb = global.id[b];
  withoutValues out;
  if (linkedBefore) {
    const bool bridge = !reachedWithoutLink(land, a, b, x);
    if (bridge) splitPieces(land, global, ca, x);
    for (int v : x.stack) x.piece[v] = -1;
    if (!bridge) return unchanged;
    out.nc = global.count + 1;
    if (ccp || lcp)
      out.coincidence =
          coincidenceWithPieces(land, global, ca, -1, x.pieceLowest, x.pieceSize, land.sizeTotalHabitat, ccp, lcp);
    return out;
  }
  if (ca == cb) return unchanged;
  out.nc = global.count - 1;
  if (ccp || lcp) {
    joinedPiece(land, global, ca, cb, x);
    out.coincidence =
        coincidenceWithPieces(land, global, ca, cb, x.pieceLowest, x.pieceSize, land.sizeTotalHabitat, ccp, lcp);
  }
  return out;
}

}  // namespace verdalis
