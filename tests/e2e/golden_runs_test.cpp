// Hand-derived runs checked as a whole: result files that cannot be written,
// and the console text of a run.
#include "e2e/golden_support.h"

namespace verdalis {

namespace {

TEST(GoldenRunsTest, UnwritablePrefixedFileIsReportedTheOthersAreWrittenAndTheStatusIs2) {
  golden::goldenCase run("unwritable_prefix_console");
  EXPECT_EQ(run.runAll(), std::vector<int>{2});
  run.expectResultFiles();
  EXPECT_EQ(golden::maskConsole(run.console()), run.expectedConsole());
}

}  // namespace

}  // namespace verdalis
