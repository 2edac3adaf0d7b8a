// The duration text shared by the timing report and the total time.
#include <gtest/gtest.h>

#include "program/quivaraProgram.h"

namespace verdalis {

namespace {

TEST(DurationText, StrictThresholdsAndPluralUnits) {
  EXPECT_EQ(durationText(0), " 0 seconds\n");
  EXPECT_EQ(durationText(59), " 59 seconds\n");
  EXPECT_EQ(durationText(60), " 60 seconds\n");
  EXPECT_EQ(durationText(61), " 1 minutes 1 seconds\n");
  EXPECT_EQ(durationText(3600), " 60 minutes 0 seconds\n");
  EXPECT_EQ(durationText(3661), " 1 hours 1 minutes 1 seconds\n");
  EXPECT_EQ(durationText(3725), " 1 hours 2 minutes 5 seconds\n");
  EXPECT_EQ(durationText(7200), " 2 hours 0 seconds\n");
  EXPECT_EQ(durationText(86400), " 24 hours 0 seconds\n");
  EXPECT_EQ(durationText(86401), " 1 days 1 seconds\n");
  EXPECT_EQ(durationText(90061), " 1 days 1 hours 1 minutes 1 seconds\n");
}

}  // namespace

}  // namespace verdalis
