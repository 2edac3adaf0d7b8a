#pragma once
// The cases of an analysis phase shared among the processes of a run
// (support/process_group.h). Each process measures one contiguous share of
// the cases; the shares come to rank 0 as bytes, in rank order, so that
// rank 0 holds every value and prints every line in the order one process
// prints them. The values are the same whoever measures a case, so the files
// are too. A share that runs out of memory still takes part in the
// exchange, and then the run ends on every process as it ends on one.
#include <array>
#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "landscape/landscape.h"
#include "program/quivaraProgram.h"
#include "support/messages.h"
#include "support/plain_bytes.h"
#include "support/process_group.h"

namespace verdalis {

// The share of `count` cases of process `rank` of `size`.
inline variantRange shareOf(long long count, int rank, int size) {
  const auto [first, last] = blockOf(count, rank, size);
  return {first, last};
}

// Every size-th case from `rank`: for the engines, whose console text waits
// for every value anyway, so that the costly cases spread evenly.
inline variantRange interleavedShareOf(int count, int rank, int size) { return {rank, count, size}; }

// The share of the rows of a pair loop, where row i holds i pairs: the
// shares hold about as many pairs each, not as many rows.
inline variantRange rowShareOf(int n, int rank, int size) {
  const long long pairs = static_cast<long long>(n) * (n - 1) / 2;
  auto firstRow = [&](int r) {
    if (r >= size) return n;
    const long long before = pairs * r / size;
    int i = 0;
    while (i < n && static_cast<long long>(i) * (i - 1) / 2 < before) ++i;
    return i;
  };
  return {firstRow(rank), firstRow(rank + 1)};
}

// Every stored value of a variant landscape that a report may read; its
// graph is released once it is measured.
template <class L, class F>
void forEachStoredValue(L& v, F&& f) {
  f(v.nNodes), f(v.nEdges), f(v.nEdgesPC), f(v.sizeTotalHabitat), f(v.sizeLandscapeArea), f(v.nComponents);
  f(v.minProb), f(v.allpaths), f(v.ccp), f(v.lcp), f(v.lcpnum), f(v.iic), f(v.iicnum), f(v.iicec), f(v.nc);
  f(v.nl), f(v.h), f(v.f), f(v.awf), f(v.pc), f(v.pcnum), f(v.pcec);
  f(v.pcintra), f(v.pcconnector), f(v.pcflux), f(v.pcecintra), f(v.pcecconnector), f(v.pcecflux);
  f(v.iicintra), f(v.iicconnector), f(v.iicflux), f(v.iicecintra), f(v.iicecconnector), f(v.iicecflux);
  f(v.lcpintra), f(v.lcpconnector), f(v.lcpflux), f(v.pcIntraGlob), f(v.pcDirectGlob), f(v.pcStepGlob);
}

template <class T>
void putVariant(std::string& out, const landscape<T>& v) {
  forEachStoredValue(v, [&](const auto& x) { putBytes(out, x); });
}

template <class T>
void takeVariant(const std::string& in, std::size_t& at, landscape<T>& v) {
  forEachStoredValue(v, [&](auto& x) { takeBytes(in, at, x); });
}

// The run's processor-time accumulators: the timing report of rank 0 shows
// the time every process spent.
template <class P, class F>
void forEachTimer(P& p, F&& f) {
  f(p.nlTime), f(p.ncTime), f(p.hTime), f(p.ccpTime), f(p.lcpTime), f(p.iicTime), f(p.hiicTime);
  f(p.fTime), f(p.awfTime), f(p.pcTime), f(p.bcTime), f(p.bcpcTime), f(p.bciicTime);
}

template <class T>
std::vector<std::clock_t> timersOf(const quivaraProgram<T>& p) {
  std::vector<std::clock_t> t;
  forEachTimer(p, [&](std::clock_t v) { t.push_back(v); });
  return t;
}

// Measures this process's share with `measure(share)`, which leaves the
// share's bytes in `out`; then rank 0 reads every other share with
// `read(share, bytes, at)`, in rank order. Exhausted memory anywhere ends the
// run everywhere, after the exchange (or within the measure, where the
// processes exchange lists they build together).
template <class T, class Measure, class Read>
void exchangeShares(quivaraProgram<T>& p, const variantRange& mine, const std::vector<variantRange>& shares,
                    Measure&& measure, Read&& read) {
  processGroup& group = processes();
  const std::vector<std::clock_t> before = timersOf(p);
  std::string out;
  bool failed = false;
  try {
    measure(mine, out);
    const std::vector<std::clock_t> after = timersOf(p);
    for (std::size_t k = 0; k < after.size(); ++k) putBytes(out, after[k] - before[k]);
  } catch (const failureEverywhere&) {
    throw kNoMemory;
  } catch (...) {
    failed = true;
    out.clear();
  }
  std::vector<std::string> parts;
  if (group.gather(out, failed, parts)) throw kNoMemory;
  if (!group.lead()) return;
  for (int r = 1; r < group.size; ++r) {
    std::size_t at = 0;
    read(shares[r], parts[r], at);
    forEachTimer(p, [&](std::clock_t& v) {
      std::clock_t spent = 0;
      takeBytes(parts[r], at, spent);
      v += spent;
    });
  }
}

template <class Share>
std::vector<variantRange> everyShare(Share&& shareOfRank) {
  std::vector<variantRange> shares;
  for (int r = 0; r < processes().size; ++r) shares.push_back(shareOfRank(r));
  return shares;
}

// Keeps what a case says on the console while it lives, for rank 0 to print.
class keptText {
 public:
  explicit keptText(std::string& into) : previous_(console().kept) { console().kept = &into; }
  ~keptText() { console().kept = previous_; }
  keptText(const keptText&) = delete;
  keptText& operator=(const keptText&) = delete;

 private:
  std::string* previous_;
};

// The straightforward loops, case by case: `one(k)` measures case k and says
// its lines, `put(k, out)` and `take(k, in, at)` carry its values. Rank 0
// says its own lines as it goes, and then those of the others, in order.
template <class T, class One, class Put, class Take>
void shareCaseLoop(quivaraProgram<T>& p, const std::vector<variantRange>& shares, One&& one, Put&& put,
                   Take&& take) {
  processGroup& group = processes();
  if (group.size == 1) {
    for (int k = shares[0].first; k < shares[0].last; ++k) one(k);
    return;
  }
  auto measure = [&](const variantRange& mine, std::string& out) {
    for (int k = mine.first; k < mine.last; k += mine.stride) {
      if (group.lead()) {
        one(k);
        continue;
      }
      std::string text;
      {
        keptText keep(text);
        one(k);
      }
      putText(out, text);
      put(k, out);
    }
  };
  auto read = [&](const variantRange& share, const std::string& in, std::size_t& at) {
    for (int k = share.first; k < share.last; k += share.stride) {
      say(takeText(in, at));
      take(k, in, at);
    }
  };
  exchangeShares(p, shares[group.rank], shares, measure, read);
}

}  // namespace verdalis
