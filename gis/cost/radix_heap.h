#pragma once
// A monotone priority queue for Dijkstra's search: the keys taken out never
// decrease, so items can be kept in 65 buckets by the highest bit in which
// their key differs from the last key taken out (Ahuja, Mehlhorn, Orlin and
// Tarjan's radix heap). Keys are non-negative doubles compared through their
// bit patterns, whose order as unsigned integers is the numeric order, so no
// key is rounded. Each item moves to a lower bucket at most 64 times:
// O(1) per insertion and O(64) amortised per removal, and in practice a few
// moves. Items of equal keys come out last in, first out, the same on every
// run, so searches are deterministic.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace verdalis::gis {

class radixHeap {
 public:
  struct entry {
    entry(double k, std::uint32_t i, std::uint32_t e) : key(k), item(i), extra(e) {}
    double key;
    std::uint32_t item, extra;  // extra: as in bucketQueue
  };

  bool empty() const { return size_ == 0; }
  void clear() {
    for (std::vector<entry>& bucket : buckets_) bucket.clear();
    size_ = 0;
    last_ = 0;
  }
  // key must be at least the last key taken out.
  // Always inlined: called on every step of a search, whose loop is too long
  // for the compiler to inline it unasked.
  [[gnu::always_inline]] void push(double key, std::uint32_t item, std::uint32_t extra) {
    buckets_[bucketOf(bitsOf(key))].emplace_back(key, item, extra);  // in place, as in bucketQueue
    ++size_;
  }
  // The entry that comes out this many pops from now, if known; else null.
  const entry* ahead(std::size_t pops) const {
    const std::vector<entry>& least = buckets_[0];
    return pops < least.size() ? &least[least.size() - 1 - pops] : nullptr;
  }
  // Keys come out in order, so an item of a key at least the reference
  // cannot lower a value found at it.
  bool after(double key, double reference) const { return key >= reference; }
  // The item of a least key, and that key.
  [[gnu::always_inline]] entry pop() {
    if (buckets_[0].empty()) refill();
    const entry e = buckets_[0].back();
    buckets_[0].pop_back();
    --size_;
    return e;
  }

 private:
  static std::uint64_t bitsOf(double key) {
    std::uint64_t bits;
    std::memcpy(&bits, &key, sizeof bits);
    return bits;
  }
  std::size_t bucketOf(std::uint64_t bits) const {
    const std::uint64_t differ = bits ^ last_;
    return differ == 0 ? 0 : 64 - static_cast<std::size_t>(__builtin_clzll(differ));
  }
  // The first non-empty bucket gives its least key as the new last key; its
  // items all move to lower buckets, those of that key to bucket 0.
  void refill() {
    std::size_t b = 1;
    while (buckets_[b].empty()) ++b;
    std::uint64_t least = bitsOf(buckets_[b].front().key);
    for (const entry& e : buckets_[b]) least = std::min(least, bitsOf(e.key));
    last_ = least;
    for (const entry& e : buckets_[b]) buckets_[bucketOf(bitsOf(e.key))].push_back(e);
    buckets_[b].clear();
  }

  std::array<std::vector<entry>, 65> buckets_;
  std::uint64_t last_ = 0;
  std::size_t size_ = 0;
};

}  // namespace verdalis::gis
