#include "support/parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace verdalis {
namespace {

// Rounds whose data live in `ahead` slots: every part must meet each round
// whole (every item prepared, no later round in its slot) and the rounds in
// order, whatever the number of threads.
TEST(PipelinedRounds, EveryPartMeetsEveryRoundWholeAndInOrder) {
  const int rounds = 23, parts = 4, most = 5;
  auto itemsOf = [](int round) { return 1 + (round * 7) % most; };
  for (unsigned threads : {1u, 2u, 3u, 8u})
    for (int ahead : {1, 2, 3}) {
      std::vector<std::vector<int>> slots(static_cast<std::size_t>(ahead), std::vector<int>(most, -1));
      std::vector<std::vector<int>> seen(parts);
      std::atomic<int> wrong{0};
      roundStages stages;
      stages.rounds = rounds;
      stages.parts = parts;
      stages.ahead = ahead;
      stages.itemsOf = itemsOf;
      stages.prepare = [&](int round, int item, unsigned) { slots[round % ahead][item] = round; };
      stages.consume = [&](int round, int part, unsigned) {
        for (int i = 0; i < itemsOf(round); ++i)
          if (slots[round % ahead][i] != round) ++wrong;
        seen[part].push_back(round);
      };
      pipelinedRounds(stages, threads);
      EXPECT_EQ(wrong.load(), 0) << threads << " threads, " << ahead << " ahead";
      for (const std::vector<int>& order : seen) {
        ASSERT_EQ(order.size(), static_cast<std::size_t>(rounds));
        for (int r = 0; r < rounds; ++r) EXPECT_EQ(order[r], r);
      }
    }
}

TEST(PipelinedRounds, AFailureStopsTheWorkAndReachesTheCaller) {
  for (unsigned threads : {1u, 2u, 4u}) {
    std::atomic<int> consumedAfter{0};
    roundStages stages;
    stages.rounds = 50;
    stages.parts = 2;
    stages.itemsOf = [](int) { return 3; };
    stages.prepare = [](int round, int item, unsigned) {
      if (round == 5 && item == 1) throw std::runtime_error("no room");
    };
    stages.consume = [&](int round, int, unsigned) {
      if (round >= 5) ++consumedAfter;
    };
    EXPECT_THROW(pipelinedRounds(stages, threads), std::runtime_error);
    EXPECT_EQ(consumedAfter.load(), 0);
  }
}

}  // namespace
}  // namespace verdalis
