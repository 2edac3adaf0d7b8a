// The timing report: which lines appear, in which order, and how the
// millisecond accumulators become whole seconds.
#include <gtest/gtest.h>

#include <string>

#include "program/analysis_fixture.h"

namespace verdalis {

namespace {

TEST(timingReport, OnlyTheSelectedIndex) {
  indexChoice c;
  c.iic = true;
  auto p = blankProgram<double>(c);
  p->iicTime = 3999;
  p->hiicTime = 90000;  // not selected together: not shown
  EXPECT_EQ(p->show_time_proces(), "Processing time for indices:\nIIC:  3 seconds\n");
}

TEST(timingReport, NothingSelected) {
  auto p = blankProgram<float>();
  p->nlTime = 5000;
  EXPECT_EQ(p->show_time_proces(), "Processing time for indices:\n");
}

TEST(timingReport, HAndIICShareTheirJointTimeBeforeCCP) {
  indexChoice c;
  c.h = c.iic = c.ccp = c.lcp = true;
  auto p = blankProgram<double>(c);
  p->hiicTime = 7999;  // 7 seconds, halved by integer division
  p->hTime = 50000;
  p->iicTime = 50000;
  p->ccpTime = 1000;
  p->lcpTime = 2000;
  EXPECT_EQ(p->show_time_proces(),
            "Processing time for indices:\n"
            "H:  3 seconds\n"
            "IIC:  3 seconds\n"
            "CCP:  1 seconds\n"
            "LCP:  2 seconds\n");
}

TEST(timingReport, EveryLineInItsOrderWithTruncatedSeconds) {
  indexChoice c;
  c.nl = c.nc = c.h = c.ccp = c.lcp = c.f = c.awf = c.pc = c.bc = c.bcpc = c.bciic = true;
  auto p = blankProgram<double>(c);
  p->nlTime = 59900;
  p->ncTime = 60000;
  p->hTime = 3661000;
  p->ccpTime = 999;
  p->lcpTime = 3600000;
  p->fTime = 86400000;
  p->awfTime = 90061000;
  p->pcTime = 61500;
  p->bcTime = 1000;
  p->bcpcTime = 2000;
  p->bciicTime = 3000;
  EXPECT_EQ(p->show_time_proces(),
            "Processing time for indices:\n"
            "NL:  59 seconds\n"
            "NC:  60 seconds\n"
            "H:  1 hours 1 minutes 1 seconds\n"
            "CCP:  0 seconds\n"
            "LCP:  60 minutes 0 seconds\n"
            "F:  24 hours 0 seconds\n"
            "AWF:  1 days 1 hours 1 minutes 1 seconds\n"
            "PC:  1 minutes 1 seconds\n"
            "BC:  1 seconds\n"
            "BC_IIC:  3 seconds\n"
            "BC_PC:  2 seconds\n");
}

}  // namespace

}  // namespace verdalis
