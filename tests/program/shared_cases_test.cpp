// The shares of a run among processes: every case measured by exactly one
// process, and a variant's stored values carried whole from one to another.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program/shared_cases.h"

namespace verdalis {

namespace {

// How many shares of `size` hold each of `count` cases.
template <class Share>
std::vector<int> coverage(int count, int size, Share&& share) {
  std::vector<int> held(static_cast<std::size_t>(count), 0);
  for (int r = 0; r < size; ++r) {
    const variantRange s = share(r);
    for (int k = s.first; k < s.end(count); k += s.stride) ++held[k];
  }
  return held;
}

TEST(SharedCases, EveryCaseHasOneProcessWhateverTheCounts) {
  for (int count = 0; count <= 40; ++count)
    for (int size = 1; size <= 6; ++size) {
      SCOPED_TRACE(std::to_string(count) + " cases, " + std::to_string(size) + " processes");
      const std::vector<int> once(static_cast<std::size_t>(count), 1);
      EXPECT_EQ(coverage(count, size, [&](int r) { return shareOf(count, r, size); }), once);
      EXPECT_EQ(coverage(count, size, [&](int r) { return interleavedShareOf(count, r, size); }), once);
      EXPECT_EQ(coverage(count, size, [&](int r) { return rowShareOf(count, r, size); }), once);
      // Blocks follow one another in rank order, so that rank 0 prints in order.
      for (int r = 1; r < size; ++r) {
        EXPECT_EQ(shareOf(count, r - 1, size).last, shareOf(count, r, size).first);
        EXPECT_EQ(rowShareOf(count, r - 1, size).last, rowShareOf(count, r, size).first);
      }
    }
}

TEST(SharedCases, RowsAreSharedByTheirPairs) {
  // 1000 rows hold 499,500 pairs: the last rows are long, so the last share
  // has far fewer rows than the first.
  const variantRange first = rowShareOf(1000, 0, 4), last = rowShareOf(1000, 3, 4);
  EXPECT_EQ(first.first, 0);
  EXPECT_EQ(last.last, 1000);
  EXPECT_GT(first.last - first.first, 3 * (last.last - last.first));
}

TEST(SharedCases, AVariantTravelsWhole) {
  landscape<double> v;
  v.nNodes = 7;
  v.nComponents = 3;
  v.pcnum = 0.1 + 0.2;
  v.iicec = 1e-300;
  v.pcconnector = -2.5;
  v.allpaths = true;
  std::string bytes;
  putVariant(bytes, v);
  putText(bytes, "Processing importance of node with ID 4\n");
  landscape<double> copy;
  std::size_t at = 0;
  takeVariant(bytes, at, copy);
  EXPECT_EQ(takeText(bytes, at), "Processing importance of node with ID 4\n");
  EXPECT_EQ(at, bytes.size());
  EXPECT_EQ(copy.nNodes, 7);
  EXPECT_EQ(copy.nComponents, 3);
  EXPECT_EQ(copy.pcnum, v.pcnum);
  EXPECT_EQ(copy.iicec, v.iicec);
  EXPECT_EQ(copy.pcconnector, v.pcconnector);
  EXPECT_TRUE(copy.allpaths);
}

}  // namespace

}  // namespace verdalis
