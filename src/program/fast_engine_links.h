#pragma once

namespace verdalis {

// The link analyses through the fast engine: every pair removed, made sure
// or changed, from the searches of the global landscape. Included from
// fast_engine.h only.
//
// A pair changes the weights of two directions. A direction made heavier
// that is no step of the source's tree of best paths leaves the source's
// search unchanged (as a removed node does). One that is a step invalidates
// the nodes below it, which are searched again from the rest of the tree.
// A direction made lighter can only lower distances; they are lowered from
// it outwards. In both cases the new distances are the least fixed point of
// the variant's relaxations, the one the scan reaches whenever every node is
// reached from a node whose distance rounds to a smaller float (always in
// single precision, checked in double precision, searched again in full
// otherwise). Lowering only walks the pairs that are no longer than the best
// path between their ends: a longer pair stays longer when distances drop.

// Pairs that can be the last step of a best path after some distances drop:
// the pairs no longer than the best path between their ends, with a margin
// far above the rounding of any path sum. Only for searches without a cut
// (a cut depends on the source, so a path that is shorter from one node may
// not be walked from another).
template <class T>
searchWeights usefulPairs(const searchWeights& w, const globalSearches<T>& rows) {
  const int n = w.n;
  T longest = 0;
  for (T d : rows.dist)
    if (d != unreachedDistance<T>()) longest = std::max(longest, d);
  const double unit = std::is_same_v<T, float> ? 5.96e-8 : 1.12e-16;
  searchWeights useful;
  useful.n = n;
  useful.dense = false;
  useful.start.assign(static_cast<std::size_t>(n) + 1, 0);
  for (int u = 0; u < n; ++u) {
    const T* best = rows.distRow(u);
    w.forEachOut(u, [&](int v, float weight) {
      const double margin = 8.0 * (n + 2) * unit * (static_cast<double>(longest) + weight);
      if (static_cast<double>(weight) <= static_cast<double>(best[v]) + margin) {
        useful.target.push_back(v);
        useful.weight.push_back(weight);
      }
    });
    useful.start[u + 1] = useful.target.size();
  }
  return useful;
}

template <class T>
class fastLinkVariants {
 public:
  quivaraProgram<T>& p;
  landscape<T>& g;
  int n;
  unsigned threads;
  int code;  // 3 removed, 4 made sure, 5 changed
  bool pc, binaryIndices, iic, h;
  const searchWeights& w;
  searchWeights useful;
  bool haveUseful = false;
  // Pairs removed or made sure, without a cut: the entries that can land in
  // the float class of a node, for the double-precision checks.
  keptEntries classKept;
  bool useClassKept = false;
  T cut = 0;
  const globalSearches<T>* rows = nullptr;
  binaryGraph binary;

  // The measured pairs, in report order, and what each changes.
  struct pairChange {
    int a, b;          // a > b
    float p;           // new direct probability both ways
    float weight;      // new search weight both ways (kNoLink: not walked)
    bool linkedBefore, linkedAfter;
  };
  std::vector<pairChange> pairs;
  std::vector<T> accPC, accIIC;
  std::vector<float> accH, accF, accAWF;
  std::atomic<long long> pcMicros{0}, binaryMicros{0}, fMicros{0};

  fastLinkVariants(quivaraProgram<T>& program, unsigned threadCount, int caseCode)
      : p(program),
        g(*program.landGlobal),
        n(program.landGlobal->nNodes),
        threads(threadCount),
        code(caseCode),
        w(program.pcWeights) {}

  void run();

 private:
  struct sourceData {
    int s = -1;
    std::vector<double> termPC, termIIC, termH;
    std::vector<int> childStart, children;
    std::vector<int> soleParent;  // the only shortest-path parent, or -1
  };
  struct scratch {
    std::vector<T> cur;            // distances of the variant, global where unchanged
    std::vector<int> curNl;
    std::vector<char> changed;
    std::vector<int> changedList;
    std::vector<char> inSet;
    std::vector<int> set, queue;
    std::vector<int> realizer;
    searchRow<T> full;
    std::vector<char> flags;
    indexedHeap<T> heap;
    int loadedSource = -1;
  };

  pairChange describe(int a, int b) const;
  void prepareSource(int s, sourceData& d) const;
  void pairsOfSource(const sourceData& d, int first, int last, scratch& x);
  void load(const sourceData& d, scratch& x) const;
  void revert(scratch& x) const;
  int pcRow(const sourceData& d, const pairChange& c, scratch& x) const;
  bool binaryRow(const sourceData& d, const pairChange& c, scratch& x) const;
  void mark(scratch& x, int v) const;
  bool entriesKeepClass(int y, const pairChange& c, const scratch& x, bool onlyChanged) const;
  void finishPair(std::size_t index);
  float weightOf(int u, int v, const pairChange& c) const {
    if ((u == c.a && v == c.b) || (u == c.b && v == c.a)) return c.weight;
    return w.at(u, v);
  }
};

template <class T>
typename fastLinkVariants<T>::pairChange fastLinkVariants<T>::describe(int a, int b) const {
  pairChange c{a, b, 0.0f, kNoLink, false, false};
  c.linkedBefore = std::find(g.nodes[a].list_adjacency.begin(), g.nodes[a].list_adjacency.end(), b) !=
                   g.nodes[a].list_adjacency.end();
  if (code == 3) {
    c.p = 0;
    c.linkedAfter = false;
  } else if (code == 4) {
    c.p = 1;
    c.linkedAfter = true;
  } else {
    const float value = p.connectionsDiff(a, b);
    if (p.inputDist)
      c.p = distanceToProbability(probabilityConstant(p.kProbProb, p.kDistanceProb), value);
    else if (p.inputProb)
      c.p = value;
    c.linkedAfter = isBinaryLink(value, p.inputDist, p.inputProb, p.inputAdjacen, p.adjacentTail);
  }
  if (pc) {
    const bool retained = (g.allpaths || g.minProb == 0) ? c.p > 0 : (c.p > g.minProb && c.p > 0);
    if (retained) c.weight = -std::log(c.p);
  }
  return c;
}

template <class T>
void fastLinkVariants<T>::prepareSource(int s, sourceData& d) const {
  d.s = s;
  const float as = g.nodes[s].size;
  if (pc) {
    const T* dist = rows->distRow(s);
    const int* pred = rows->predRow(s);
    d.termPC.resize(n);
    for (int j = 0; j < n; ++j) {
      const float aiaj = as * g.nodes[j].size;
      d.termPC[j] = static_cast<double>(aiaj) * std::exp(-static_cast<double>(dist[j]));
    }
    childrenOf(pred, n, d.childStart, d.children);
  }
  if (binaryIndices) {
    const int* nl = g.nodes[s].nl.data();
    d.termIIC.assign(n, 0.0);
    d.termH.assign(n, 0.0);
    d.soleParent.assign(n, -1);
    for (int j = 0; j < n; ++j) {
      if (nl[j] == kUnreached) continue;
      const float product = as * g.nodes[j].size;
      d.termIIC[j] = static_cast<double>(product) / (1.0 + static_cast<double>(nl[j]));
      if (j != s) d.termH[j] = 1.0 / static_cast<double>(nl[j]);
      if (j == s) continue;
      d.soleParent[j] = soleParent(binary, nl, j);
    }
  }
}

template <class T>
void fastLinkVariants<T>::load(const sourceData& d, scratch& x) const {
  if (x.loadedSource == d.s) return;
  if (pc) x.cur.assign(rows->distRow(d.s), rows->distRow(d.s) + n);
  if (binaryIndices) x.curNl.assign(g.nodes[d.s].nl.begin(), g.nodes[d.s].nl.end());
  x.changed.assign(n, 0);
  x.changedList.clear();
  x.inSet.assign(n, 0);
  x.realizer.assign(n, -1);
  x.loadedSource = d.s;
}

template <class T>
void fastLinkVariants<T>::mark(scratch& x, int v) const {
  if (!x.changed[v]) {
    x.changed[v] = 1;
    x.changedList.push_back(v);
  }
}

template <class T>
void fastLinkVariants<T>::revert(scratch& x) const {
  const int s = x.loadedSource;
  for (int v : x.changedList) {
    if (pc) x.cur[v] = rows->distRow(s)[v];
    if (binaryIndices) x.curNl[v] = g.nodes[s].nl[v];
    x.changed[v] = 0;
    x.realizer[v] = -1;
  }
  x.changedList.clear();
}

// Whether the entries of y in the variant of c give its value or a higher
// float class; with onlyChanged, those from changed nodes and the changed
// pair only (the others are as in the global landscape).
template <class T>
bool fastLinkVariants<T>::entriesKeepClass(int y, const pairChange& c, const scratch& x, bool onlyChanged) const {
  if (!useClassKept) {
    const pairOverride change{c.a, c.b, c.weight};
    auto value = [&](int u) { return x.cur[u]; };
    if (!onlyChanged) return entriesKeepValue(w, y, cut, value, change, -1);
  }
  const T unreached = unreachedDistance<T>();
  const T target = x.cur[y];
  auto keeps = [&](int u, float weight) {
    const T du = x.cur[u];
    if (du == unreached || !(du <= cut) || weight == kNoLink) return true;
    return keepsFloatClass(du + static_cast<T>(weight), target);
  };
  const bool end = y == c.a || y == c.b;
  const int other = y == c.a ? c.b : c.a;
  if (useClassKept) {
    auto value = [&](int u) { return x.cur[u]; };
    auto skip = [&](int u, int witness) {
      return (end && u == other) || (onlyChanged && !x.changed[u]) ||
             (witness >= 0 && witnessHolds(u, witness, y, c.a, c.b));
    };
    if (!listedEntriesKeepClass(classKept, y, target, value, skip)) return false;
  } else {
    for (int u : x.changedList)
      if (u != y && !(end && u == other) && !keeps(u, w.at(u, y))) return false;
  }
  return !end || keeps(other, c.weight);
}

// The PC distances from d.s in the variant of c: 0 the global row holds,
// 1 x.cur holds them (changed nodes listed), 2 x.full holds a full search.
template <class T>
int fastLinkVariants<T>::pcRow(const sourceData& d, const pairChange& c, scratch& x) const {
  const int s = d.s;
  const T* dist = rows->distRow(s);
  const int* pred = rows->predRow(s);
  const T unreached = unreachedDistance<T>();
  const float oldAB = w.at(c.a, c.b), oldBA = w.at(c.b, c.a);
  const bool upAB = c.weight > oldAB, upBA = c.weight > oldBA;
  const bool downAB = c.weight < oldAB, downBA = c.weight < oldBA;
  const int invalidRoot = (upAB && pred[c.b] == c.a) ? c.b : ((upBA && pred[c.a] == c.b) ? c.a : -1);
  if (invalidRoot < 0 && !downAB && !downBA) return 0;
  // Heavier step of the tree: the nodes below it are searched again.
  if (invalidRoot >= 0) {
    x.set.assign(1, invalidRoot);
    for (std::size_t at = 0; at < x.set.size(); ++at) {
      const int v = x.set[at];
      x.inSet[v] = 1;
      for (int k = d.childStart[v]; k < d.childStart[v + 1]; ++k) x.set.push_back(d.children[k]);
    }
    for (int y : x.set) {
      mark(x, y);
      x.cur[y] = unreached;
    }
    auto valid = [&](int u) { return !x.inSet[u] && dist[u] != unreached && dist[u] <= cut; };
    for (int y : x.set) {
      if (w.dense) {
        for (int u = 0; u < n; ++u) {
          if (!valid(u)) continue;
          const T alt = dist[u] + static_cast<T>(weightOf(u, y, c));
          if (alt < x.cur[y]) {
            x.cur[y] = alt;
            x.realizer[y] = u;
          }
        }
      } else {
        for (std::size_t e = w.inStart[y]; e < w.inStart[y + 1]; ++e) {
          const int u = w.inSource[e];
          if (!valid(u)) continue;
          const T alt = dist[u] + static_cast<T>(weightOf(u, y, c));
          if (alt < x.cur[y]) {
            x.cur[y] = alt;
            x.realizer[y] = u;
          }
        }
        // The changed pair itself may be missing from the sparse lists.
        const int other = y == c.a ? c.b : (y == c.b ? c.a : -1);
        if (other >= 0 && valid(other) && c.weight != kNoLink) {
          const T alt = dist[other] + static_cast<T>(c.weight);
          if (alt < x.cur[y]) {
            x.cur[y] = alt;
            x.realizer[y] = other;
          }
        }
      }
    }
    std::vector<int>& left = x.queue;
    left.assign(x.set.begin(), x.set.end());
    while (!left.empty()) {
      std::size_t at = 0;
      for (std::size_t m = 1; m < left.size(); ++m)
        if (x.cur[left[m]] < x.cur[left[at]]) at = m;
      const int y = left[at];
      left[at] = left.back();
      left.pop_back();
      const T dy = x.cur[y];
      if (dy == unreached) break;
      if (!(dy <= cut)) continue;
      for (int z : left) {
        const T alt = dy + static_cast<T>(weightOf(y, z, c));
        if (alt < x.cur[z]) {
          x.cur[z] = alt;
          x.realizer[z] = y;
        }
      }
    }
    for (int y : x.set) x.inSet[y] = 0;
  }
  // Lighter directions: distances drop from them outwards.
  using entry = std::pair<T, int>;
  indexedHeap<T>& heap = x.heap;
  heap.prepare(n);
  auto lower = [&](int u, int v, float weight) {
    const T du = x.cur[u];
    if (du == unreached || !(du <= cut) || weight == kNoLink) return;
    const T alt = du + static_cast<T>(weight);
    if (alt < x.cur[v]) {
      x.cur[v] = alt;
      x.realizer[v] = u;
      mark(x, v);
      heap.push({alt, v});
    }
  };
  if (downAB) lower(c.a, c.b, c.weight);
  if (downBA) lower(c.b, c.a, c.weight);
  const searchWeights& walk = haveUseful ? useful : w;
  while (!heap.empty()) {
    const entry top = heap.top();
    heap.pop();
    const int y = top.second;
    if (top.first != x.cur[y]) continue;
    walk.forEachOut(y, [&](int z, float weight) {
      if ((y == c.a && z == c.b) || (y == c.b && z == c.a)) return;
      lower(y, z, weight);
    });
    if (y == c.a) lower(c.a, c.b, c.weight);
    if (y == c.b) lower(c.b, c.a, c.weight);
  }
  if constexpr (!std::is_same_v<T, float>) {
    bool delicate = rows->delicate[s] != 0;
    const pairOverride change{c.a, c.b, c.weight};
    for (int v : x.changedList) {
      if (delicate) break;
      const int u = x.realizer[v];
      if (u >= 0 && sameFloatClass(x.cur[u], x.cur[v])) delicate = !entriesKeepClass(v, c, x, false);
    }
    // The nodes that kept their value but relied on every entry keeping its
    // class: the entries from changed nodes, and the changed pair, must still.
    for (int y : rows->sameClass[s]) {
      if (delicate) break;
      if (!x.changed[y]) delicate = !entriesKeepClass(y, c, x, true);
    }
    if (delicate) {
      exactSearch(s, w, cut, -1, x.full, x.flags, change);
      return 2;
    }
  }
  return 1;
}

// The breadth-first distances from d.s in the variant of c, into x.curNl;
// false when they are the global ones.
template <class T>
bool fastLinkVariants<T>::binaryRow(const sourceData& d, const pairChange& c, scratch& x) const {
  const int s = d.s;
  const int* nl = g.nodes[s].nl.data();
  if (c.linkedBefore == c.linkedAfter) return false;
  if (c.linkedBefore) {
    // Unlinked: only a node whose sole parent was the other end loses.
    if (d.soleParent[c.b] != c.a && d.soleParent[c.a] != c.b) return false;
    breadthFirst(binary, s, -1, c.a, c.b, -1, -1, x.curNl.data(), x.queue);
    for (int v = 0; v < n; ++v)
      if (x.curNl[v] != nl[v]) mark(x, v);
    return true;
  }
  // Linked: distances drop from the nearer end outwards.
  const int near = nl[c.a] <= nl[c.b] ? c.a : c.b;
  const int far = near == c.a ? c.b : c.a;
  if (nl[near] == kUnreached || nl[near] + 1 >= nl[far]) return false;
  std::vector<int>& q = x.queue;
  q.clear();
  x.curNl[far] = nl[near] + 1;
  mark(x, far);
  q.push_back(far);
  for (std::size_t head = 0; head < q.size(); ++head) {
    const int u = q[head];
    for (std::size_t e = binary.start[u]; e < binary.start[u + 1]; ++e) {
      const int v = binary.target[e];
      if (x.curNl[u] + 1 < x.curNl[v]) {
        x.curNl[v] = x.curNl[u] + 1;
        mark(x, v);
        q.push_back(v);
      }
    }
  }
  return true;
}

template <class T>
void fastLinkVariants<T>::pairsOfSource(const sourceData& d, int first, int last, scratch& x) {
  const int s = d.s;
  const float as = g.nodes[s].size;
  load(d, x);
  double start = threadCpuMillis();
  if (pc) {
    for (int index = first; index < last; ++index) {
      const pairChange& c = pairs[index];
      const int how = pcRow(d, c, x);
      T acc = accPC[index];
      if (how == 0) {
        for (int j = 0; j < n; ++j) acc = static_cast<T>(acc + d.termPC[j]);
      } else {
        const T* dist = how == 1 ? x.cur.data() : x.full.dist.data();
        for (int j = 0; j < n; ++j) {
          double term = d.termPC[j];
          if (how == 2 || x.changed[j]) {
            const float aiaj = as * g.nodes[j].size;
            term = static_cast<double>(aiaj) * std::exp(-static_cast<double>(dist[j]));
          }
          acc = static_cast<T>(acc + term);
        }
      }
      accPC[index] = acc;
      revert(x);
    }
    const double now = threadCpuMillis();
    pcMicros += static_cast<long long>((now - start) * 1000.0);
    start = now;
  }
  if (binaryIndices && (iic || h)) {
    for (int index = first; index < last; ++index) {
      const pairChange& c = pairs[index];
      T acc = accIIC[index];
      float harary = accH[index];
      if (!binaryRow(d, c, x)) {
        for (int j = 0; j < n; ++j) {
          if (iic) acc = static_cast<T>(acc + d.termIIC[j]);
          if (h && d.termH[j] != 0) harary = static_cast<float>(static_cast<double>(harary) + d.termH[j]);
        }
      } else {
        for (int j = 0; j < n; ++j) {
          const int links = x.curNl[j];
          if (links == kUnreached) continue;
          if (iic) acc = addIICTerm(acc, as, g.nodes[j].size, links);
          if (h && j != s) harary = indexH::addTerm(harary, links);
        }
      }
      accIIC[index] = acc;
      accH[index] = harary;
      revert(x);
    }
    const double now = threadCpuMillis();
    binaryMicros += static_cast<long long>((now - start) * 1000.0);
    start = now;
  }
  if (p.fFlag || p.awfFlag) {
    const float* row = g.nodes[s].p.data();
    for (int index = first; index < last; ++index) {
      const pairChange& c = pairs[index];
      float f = accF[index], awf = accAWF[index];
      for (int j = 0; j < n; ++j) {
        if (j == s) continue;
        const bool pair = (s == c.a && j == c.b) || (s == c.b && j == c.a);
        const float pj = pair ? c.p : row[j];
        f += pj;
        awf += (as * g.nodes[j].size) * pj;
      }
      accF[index] = f;
      accAWF[index] = awf;
    }
    fMicros += static_cast<long long>((threadCpuMillis() - start) * 1000.0);
  }
}

template <class T>
void fastLinkVariants<T>::finishPair(std::size_t index) {
  const pairChange& c = pairs[index];
  linkValues<T> values;
  const float areaSquared = g.sizeLandscapeArea * g.sizeLandscapeArea;
  int edges = g.nEdges;
  if (c.linkedBefore && !c.linkedAfter) --edges;
  if (!c.linkedBefore && c.linkedAfter) ++edges;
  if (p.nlFlag) values.nl = p.adjType ? edges : 0;
  if (p.ncFlag || p.ccpFlag || p.lcpFlag) {
    std::vector<int> component(n, -1), stack;
    int count = 0;
    auto linked = [&](int u, int z) { return !((u == c.a && z == c.b) || (u == c.b && z == c.a)) || c.linkedAfter; };
    for (int v = 0; v < n; ++v) {
      if (component[v] >= 0) continue;
      component[v] = count;
      stack.assign(1, v);
      while (!stack.empty()) {
        const int u = stack.back();
        stack.pop_back();
        auto reach = [&](int z) {
          if (component[z] < 0) {
            component[z] = count;
            stack.push_back(z);
          }
        };
        for (int z : g.nodes[u].list_adjacency)
          if (linked(u, z)) reach(z);
        if (c.linkedAfter && !c.linkedBefore && (u == c.a || u == c.b)) reach(u == c.a ? c.b : c.a);
      }
      ++count;
    }
    values.nc = count;
    std::vector<float> sizes(n);
    for (int v = 0; v < n; ++v) sizes[v] = g.nodes[v].size;
    if (p.ccpFlag) {
      indexCCP coincidence(n);
      coincidence.generate(count, component.data(), sizes.data(), g.sizeTotalHabitat);
      values.ccp = coincidence.value();
    }
    if (p.lcpFlag) {
      indexLCP coincidence(n);
      coincidence.generate(count, component.data(), sizes.data(), g.sizeLandscapeArea);
      values.lcp = coincidence.value();
    }
  }
  if (p.hFlag) values.h = accH[index] / 2.0f;
  if (p.iicFlag) values.iic = n == 0 ? T(0) : accIIC[index] / (g.sizeLandscapeArea * g.sizeLandscapeArea);
  if (p.fFlag) values.f = accF[index];
  if (p.awfFlag) values.awf = accAWF[index];
  if (p.pcFlag) values.pc = n == 0 ? T(0) : accPC[index] / areaSquared;
  const std::size_t at = pairIndex(c.a, c.b);
  if (code == 3)
    p.landDelCon[at] = values;
  else if (code == 4)
    p.landConSure[at] = values;
  else
    p.landConDiff[at] = values;
}

template <class T>
void fastLinkVariants<T>::run() {
  pc = p.pcFlag;
  iic = p.iicFlag;
  h = p.hFlag;
  binaryIndices = p.adjType && (iic || h);
  rows = pc ? &p.globalRows : nullptr;
  if (pc) {
    cut = p.pcCut;
    if (cut == std::numeric_limits<T>::infinity()) {
      useful = usefulPairs(w, *rows);
      haveUseful = true;
      // Removed pairs only lengthen paths and pairs made sure weigh 0, so no
      // path sum outgrows the bound the lists are drawn with.
      if constexpr (!std::is_same_v<T, float>)
        if (w.dense && (code == 3 || code == 4))
          useClassKept = buildClassEntries(w, threads, classKept, pcMicros);
    }
  }
  if (binaryIndices) {
    binary = binaryOf(g);
    if (!iic) fillDistanceRows(g, binary);
  }
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < i; ++j)
      if (code == 5 || p.linkSelected(i, j)) pairs.push_back(describe(i, j));
  const std::size_t count = pairs.size();
  accPC.assign(count, T(0));
  accIIC.assign(count, T(0));
  accH.assign(count, 0.0f);
  accF.assign(count, 0.0f);
  accAWF.assign(count, 0.0f);
  if (count > 0 && (pc || binaryIndices || p.fFlag || p.awfFlag)) {
    const int chunk = static_cast<int>(std::max(1u, threads)) * 4;
    std::vector<sourceData> data(static_cast<std::size_t>(chunk));
    std::vector<scratch> work(threads);
    const int ranges = static_cast<int>(std::min<std::size_t>(threads * 4, count));
    const int span = static_cast<int>((count + ranges - 1) / ranges);
    for (int first = 0; first < n; first += chunk) {
      const int sources = std::min(chunk, n - first);
      orderedParallel(
          sources, threads, [&](int i, unsigned) { prepareSource(first + i, data[i]); }, [](int) {});
      orderedParallel(
          ranges, threads,
          [&](int r, unsigned id) {
            const int lo = r * span, hi = std::min<int>(static_cast<int>(count), (r + 1) * span);
            for (int i = 0; i < sources; ++i) pairsOfSource(data[i], lo, hi, work[id]);
          },
          [](int) {});
    }
  }
  orderedParallel(
      static_cast<int>(count), threads, [&](int i, unsigned) { finishPair(static_cast<std::size_t>(i)); },
      [](int) {});
  p.pcTime += static_cast<std::clock_t>(pcMicros.load() / 1000);
  const std::clock_t binaryTime = static_cast<std::clock_t>(binaryMicros.load() / 1000);
  if (h && iic)
    p.hiicTime += binaryTime;
  else if (iic)
    p.iicTime += binaryTime;
  else if (h)
    p.hTime += binaryTime;
  p.fTime += static_cast<std::clock_t>(fMicros.load() / 1000);
}

}  // namespace verdalis
