#pragma once
// Dial's bucket queue, for searches whose every step costs at least some
// least > 0: the keys are cut into buckets of width w = least (1 - 2^-10),
// and since a step out of bucket i lands in bucket i + 1 or later, no item
// of the lowest bucket can still be lowered: all of them are final, and they
// come out in any fixed order (here first in, first out). The width is a little
// under the least step so that rounding in key / w can never put a step's
// end in its own bucket. Buckets sit on a ring of at least (largest step / w) + 2 (a power of two), so
// O(1) per insertion and per removal, plus one look per empty bucket passed.
// The searcher uses it when the ring is small, the radix heap otherwise.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace verdalis::gis {

class bucketQueue {
 public:
  // extra rides in what would be padding: the searcher keeps the row of
  // the cell there, so that it need not divide to find it.
  struct entry {
    double key;
    std::uint32_t item, extra;
  };

  bucketQueue(double leastStep, double largestStep)
      : inverse_(1.0 / (leastStep * (1 - 1.0 / 1024))),
        ring_(ringOf(largestStep * inverse_ + 2)),
        mask_(ring_.size() - 1) {}

  // The ring this would need, to decide whether to use one.
  static double ringSize(double leastStep, double largestStep) {
    return largestStep / (leastStep * (1 - 1.0 / 1024)) + 2;
  }

  bool empty() const { return size_ == 0; }
  void clear() {
    for (bucket& b : ring_) b.size = 0;
    size_ = 0;
    current_ = 0;
    read_ = 0;
  }
  // key must lie in the bucket last taken from or a later one.
  // Always inlined: called on every step of a search, whose loop is too long
  // for the compiler to inline it unasked.
  [[gnu::always_inline]] void push(double key, std::uint32_t item, std::uint32_t extra) {
    bucket& b = ring_[bucketOf(key) & mask_];
    if (b.size == b.slots.size()) b.slots.resize(std::max<std::size_t>(256, 2 * b.size));
    // Field by field: an entry built whole and copied in would be read back
    // from the stack in one piece just after its three parts were written
    // there, which stalls the processor on every push.
    entry& e = b.slots[b.size++];
    e.key = key, e.item = item, e.extra = extra;
    ++size_;
  }
  // First in, first out within a bucket: the cells come out in the order
  // the front of the search reached them, which keeps neighbours together.
  [[gnu::always_inline]] entry pop() {
    while (read_ == ring_[current_ & mask_].size) {
      ring_[current_ & mask_].size = 0;
      read_ = 0;
      ++current_;
    }
    --size_;
    return ring_[current_ & mask_].slots[read_++];
  }
  // The entry that comes out this many pops from now, if it is in the
  // bucket being read; else null. For prefetching what it will need.
  const entry* ahead(std::size_t pops) const {
    const bucket& b = ring_[current_ & mask_];
    return read_ + pops < b.size ? &b.slots[read_ + pops] : nullptr;
  }
  // Whether an item of this key comes out after every item that could still
  // lower a value found at reference: a later bucket.
  bool after(double key, double reference) const { return bucketOf(key) > bucketOf(reference); }

 private:
  // Through a signed conversion, one instruction (keys are far below 2^63 buckets).
  std::uint64_t bucketOf(double key) const { return std::uint64_t(static_cast<std::int64_t>(key * inverse_)); }
  // A power of two, so that the place on the ring is a mask, not a division.
  static std::size_t ringOf(double buckets) {
    std::size_t size = 1;
    while (size < buckets) size *= 2;
    return size;
  }

  struct bucket {
    std::vector<entry> slots;  // the first size of them are queued; kept between uses
    std::size_t size = 0;
  };

  double inverse_;
  std::vector<bucket> ring_;
  std::uint64_t mask_;
  std::size_t size_ = 0;
  std::uint64_t current_ = 0;
  std::size_t read_ = 0;  // the next item of the current bucket
};

}  // namespace verdalis::gis
